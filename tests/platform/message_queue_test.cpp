// SPDX-License-Identifier: GPL-3.0-or-later
// Messages posted to hidden windows from any thread, quit requests, windows that go away.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <thread>

#include "platform/message_queue.h"
#include "tests/support/notifications.h"
#include "tests/support/pump.h"

using namespace plat;

namespace {

TEST(MessageQueue, PostsFromAnotherThreadArriveHereInOrderThroughTheEventLoopUntilAQuit) {
    testsupport::Notifications r;
    const HWND hwnd = r.GetSafeHwnd();
    std::thread([hwnd] {
        for (int i = 0; i < 500; ++i) {
            PostMessage(hwnd, WM_USER, static_cast<WPARAM>(i), -i);
        }
        PostQuitMessage(5);
    }).join();
    QTimer::singleShot(5000, [] { QCoreApplication::exit(3); });
    ASSERT_EQ(QCoreApplication::exec(), 5);  // the event loop alone delivers them, quit last
    ASSERT_EQ(r.seen.size(), 500u);
    for (int i = 0; i < 500; ++i) {
        EXPECT_EQ(r.seen[i].wParam, static_cast<WPARAM>(i));
        EXPECT_EQ(r.seen[i].lParam, -i);
        EXPECT_EQ(r.seen[i].thread, std::this_thread::get_id());
    }
}

TEST(MessageQueue, AMessageForADestroyedWindowIsDroppedAndItsIdNeverComesBack) {
    auto gone = std::make_unique<testsupport::Notifications>();
    const HWND goneId = gone->GetSafeHwnd();
    testsupport::Notifications stays;
    PostMessage(goneId, WM_USER, 1, 0);
    PostMessage(stays.GetSafeHwnd(), WM_USER, 2, 0);
    gone.reset();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !stays.seen.empty(); }));
    EXPECT_EQ(stays.seen.size(), 1u);
    testsupport::Notifications next;
    EXPECT_NE(next.GetSafeHwnd(), goneId);
    EXPECT_EQ(PostMessage(0, WM_USER, 0, 0), FALSE);
}

struct Reposter : CWnd {
    Reposter() { CreateHidden("reposter", 0); }
    LRESULT WindowProc(UINT, WPARAM, LPARAM) override {
        ++count;
        PostMessage(WM_USER, 0, 0);
        return 1;
    }
    int count = 0;
};

TEST(MessageQueue, AHandlerThatPostsAgainDoesNotStarveTheEventLoop) {
    Reposter r;
    r.PostMessage(WM_USER, 0, 0);
    DeliverPostedMessages();
    EXPECT_EQ(r.count, 1);  // the message it posted waits for the next round
}

}  // namespace
