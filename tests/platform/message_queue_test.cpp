#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <thread>
#include <vector>

#include "platform/message_queue.h"
#include "platform/window.h"
#include "tests/support/pump.h"

using namespace plat;

namespace {

class Recorder : public CWnd {
  public:
    Recorder() { CreateHidden("recorder", 0); }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        seen.push_back({msg, wParam, lParam});
        threads.push_back(std::this_thread::get_id());
        return 1;
    }
    struct Msg {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Msg> seen;
    std::vector<std::thread::id> threads;
};

TEST(MessageQueue, MessagesPostedFromAnotherThreadArriveOnThisThreadInOrder) {
    Recorder r;
    const HWND hwnd = r.GetSafeHwnd();
    std::thread poster([hwnd] {
        for (int i = 0; i < 500; ++i) {
            PostMessage(hwnd, WM_USER, static_cast<WPARAM>(i), -i);
        }
    });
    poster.join();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return r.seen.size() == 500; }));
    for (int i = 0; i < 500; ++i) {
        EXPECT_EQ(r.seen[i].wParam, static_cast<WPARAM>(i));
        EXPECT_EQ(r.seen[i].lParam, -i);
        EXPECT_EQ(r.threads[i], std::this_thread::get_id());
    }
}

TEST(MessageQueue, TheEventLoopDeliversWithoutExplicitPumping) {
    Recorder r;
    const HWND hwnd = r.GetSafeHwnd();
    std::thread([hwnd] { PostMessage(hwnd, WM_USER + 7, 1, 2); }).join();
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(3); });
    guard.start(2000);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!r.seen.empty()) {
            QCoreApplication::exit(0);
        }
    });
    poll.start(1);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    ASSERT_EQ(r.seen.size(), 1u);
    EXPECT_EQ(r.seen[0].msg, WM_USER + 7);
}

TEST(MessageQueue, AMessageForADestroyedWindowIsDropped) {
    auto gone = std::make_unique<Recorder>();
    Recorder stays;
    PostMessage(gone->GetSafeHwnd(), WM_USER, 1, 0);
    PostMessage(stays.GetSafeHwnd(), WM_USER, 2, 0);
    gone.reset();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !stays.seen.empty(); }));
    EXPECT_EQ(stays.seen[0].wParam, 2u);
}

TEST(MessageQueue, WindowIdsAreNeverReused) {
    HWND first;
    {
        Recorder r;
        first = r.GetSafeHwnd();
    }
    Recorder second;
    EXPECT_NE(second.GetSafeHwnd(), first);
    EXPECT_EQ(PostMessage(0, WM_USER, 0, 0), FALSE);
}

TEST(MessageQueue, AQuitRequestEndsTheEventLoopWithItsCode) {
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(2000);
    std::thread([] { PostQuitMessage(5); }).join();
    EXPECT_EQ(QCoreApplication::exec(), 5);
}

class Reposter : public CWnd {
  public:
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
    DeliverPostedMessages();
    EXPECT_EQ(r.count, 2);
}

}  // namespace
