// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "app/about_dlg.h"
#include "app/beat_app.h"
#include "app/desktop.h"
#include "app/home_page.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/testing/virtual_wave_device.h"
#include "ui/beat_dlg.h"

using namespace plat;

namespace {

// Runs the steps 50 ms apart in whichever event loop runs (a modal box runs its own).
struct Script : QObject {
    explicit Script(std::vector<std::function<void()>> s) : steps(std::move(s)) { next(); }
    void next() {
        QTimer::singleShot(50, this, [this] {
            if (index < steps.size()) {
                next();  // first: this step may run a modal loop of its own
                steps[index++]();
            }
        });
    }
    std::vector<std::function<void()>> steps;
    std::size_t index = 0;
};

class Shell : public ::testing::Test {
  protected:
    void SetUp() override { dev = VirtualWaveDevice::Install(VirtualWaveDevice::Pace::RealTime); }
    void TearDown() override { VirtualWaveDevice::Uninstall(); }

    static CBeatApp& app() { return *static_cast<CBeatApp*>(qApp); }
    static CAboutDlg* openBox() { return qobject_cast<CAboutDlg*>(qApp->activeModalWidget()); }
    static void about() {
        QMenuBar* bar = app().m_pMainWnd->MenuBar();
        ASSERT_EQ(bar->actions().size(), 1);
        EXPECT_EQ(bar->actions()[0]->text(), QStringLiteral("バージョン情報"));
        EXPECT_EQ(bar->actions()[0]->menu(), nullptr);  // a command, not a drop-down
        bar->actions()[0]->trigger();
    }
    // A click on ON through the window system, as a user's comes, so a modal box stops it.
    static void clickOn() {
        QWidget* on = app().m_pMainWnd->GetDlgItem(res::kIdOn);
        QTest::mouseClick(app().m_pMainWnd->windowHandle(), Qt::LeftButton, {},
                          on->mapTo(app().m_pMainWnd, on->rect().center()));
        QCoreApplication::processEvents();
    }
    static QAbstractButton* back(CDialog* dlg) {
        return static_cast<QAbstractButton*>(dlg->GetDlgItem(res::kIdCancel));
    }
    static void stop() { back(app().m_pMainWnd)->click(); }

    std::shared_ptr<VirtualWaveDevice> dev;
};

TEST_F(Shell, TheMainWindowRunsInBlackAndYellowAndTheAboutBoxBlocksItWhileTheToneGoesOn) {
    std::size_t blocksAtOpen = 0;
    int opensWhileOpen = -1;
    std::vector<std::function<void()>> steps = {
        [&] {
            EXPECT_EQ(app().palette().color(QPalette::Window), QColor(0, 0, 0));
            EXPECT_EQ(app().palette().color(QPalette::WindowText), QColor(255, 255, 0));
            clickOn();
            EXPECT_EQ(dev->Opens(), 1);  // the click reaches an unobstructed window
        },
        about,
        [&] {
            ASSERT_NE(openBox(), nullptr);
            EXPECT_EQ(openBox()->parentWidget(), app().m_pMainWnd);
            EXPECT_TRUE(openBox()->windowFlags() & Qt::WindowStaysOnTopHint);
            blocksAtOpen = dev->Blocks().size();
            clickOn();  // must not reach the main window now
            opensWhileOpen = dev->Opens();
        }};
    steps.resize(steps.size() + 20, [] {});  // a second of blocks coming back
    steps.push_back([&] { EXPECT_GT(dev->Blocks().size(), blocksAtOpen); });
    for (auto how : std::vector<std::function<void(CAboutDlg*)>>{
             [](CAboutDlg* box) { back(box)->click(); },
             [](CAboutDlg* box) { QTest::keyClick(box, Qt::Key_Escape); },
             [](CAboutDlg* box) { QTest::keyClick(box, Qt::Key_Return); },
             [](CAboutDlg* box) { box->close(); }}) {
        steps.push_back([how] { how(openBox()); });
        steps.push_back([] { EXPECT_EQ(openBox(), nullptr); });
        steps.push_back(about);
    }
    steps.push_back([] { openBox()->close(); });
    steps.push_back(stop);
    Script script(steps);
    EXPECT_FALSE(app().InitInstance());  // returns once the main window has ended
    EXPECT_EQ(app().m_pMainWnd, nullptr);
    EXPECT_EQ(opensWhileOpen, 1);
}

TEST_F(Shell, TheLinkBeepsThenOpensTheHomePageOnEveryClickAndF1OpensItWithoutABeep) {
    std::vector<std::string> events;
    SetToneHandler([&](DWORD f, DWORD ms) {
        events.push_back("beep " + std::to_string(f) + " " + std::to_string(ms));
    });
    SetUrlOpener([&](const std::string& target) { events.push_back("open " + target); });
    SetHelpPages({"/nonexistent/README.md", TOVIN_SOURCE_DIR "/README.md"});  // a build tree
    const auto inTheBox = [] {
        CAboutDlg* box = openBox();
        QWidget* link = box->GetDlgItem(res::kIdLink);
        QTest::mouseClick(link, Qt::LeftButton);
        QTest::mouseDClick(box->windowHandle(), Qt::LeftButton, {},
                           link->mapTo(box, link->rect().center()));  // one click
        // A click on every text, the link once more, leaves the focus on 戻る.
        for (QLabel* text : box->findChildren<QLabel*>()) {
            QTest::mouseClick(text, Qt::LeftButton);
        }
        EXPECT_EQ(box->focusWidget(), back(box));
        EXPECT_EQ(QAccessible::queryAccessibleInterface(back(box))->text(QAccessible::Name),
                  QStringLiteral("戻る"));
        EXPECT_EQ(static_cast<QLabel*>(link)->alignment(), Qt::AlignLeft | Qt::AlignTop);
        QTest::keyClick(back(box), Qt::Key_F1);
    };
    Script script({about, inTheBox, [] { openBox()->close(); },
                   [] { QTest::keyClick(app().m_pMainWnd->focusWidget(), Qt::Key_F1); }, stop});
    app().InitInstance();
    SetToneHandler(nullptr);
    SetUrlOpener(nullptr);
    SetHelpPages({});
    const std::string open = "open file://" TOVIN_SOURCE_DIR "/README.md";
    const std::string beep = "beep 100 100";
    EXPECT_EQ(events, (std::vector<std::string>{beep, open, beep, open, beep, open, open, open}));
}

TEST_F(Shell, HelpOpensTheInstalledReadmeFirstAndSaysSoWhenThereIsNone) {
    const std::string installed = TOVIN_SOURCE_DIR "/README.md";  // a file that exists
    const struct {
        HelpPages pages;
        std::string said;  // what opened, or what the box said
    } cases[] = {
        {{installed, "/nonexistent/b/README.md"}, "open file://" + installed},
        {{"/nonexistent/a/README.md", "/nonexistent/b/README.md"},
         "box Cannot open the help: README.md is in neither /nonexistent/a nor /nonexistent/b."},
    };
    for (const auto& c : cases) {
        std::string said;
        SetUrlOpener([&](const std::string& target) { said += "open " + target; });
        SetMessageBoxHandler([&](HWND, const std::string& text, const std::string&, UINT type) {
            said += "box " + text;
            EXPECT_EQ(type, MB_OK | MB_ICONEXCLAMATION);
            return 1;
        });
        SetHelpPages(c.pages);
        app().OnHelp();
        EXPECT_EQ(said, c.said);
    }
    SetHelpPages({});
    SetUrlOpener(nullptr);
    InstallDesktopServices();
}

TEST_F(Shell, MessageBoxesAreModalExclamationsCaptionedWithTheProgramsName) {
    bool shown = false;
    QObject scope;  // no box while the test runs: the check goes with it
    QTimer::singleShot(50, &scope, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = true;
        EXPECT_EQ(box->windowTitle(), QStringLiteral("app_test"));  // the executable's name
        EXPECT_EQ(box->text(), QStringLiteral("Cannot open MIDI device"));
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->button(QMessageBox::Ok)->click();
    });
    MessageBoxA(0, "Cannot open MIDI device", nullptr, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_TRUE(shown);  // MessageBoxA returned only once the box was answered
}

}  // namespace
