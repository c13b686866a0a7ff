// The application shell with the program's own application object: the main window run
// in black and yellow until it ends, the About box, its link, and message boxes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/about_dlg.h"
#include "app/beat_app.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/testing/virtual_wave_device.h"
#include "res/templates.h"
#include "ui/beat_dlg.h"

using namespace plat;

namespace {

CBeatApp& app() {
    return *static_cast<CBeatApp*>(QCoreApplication::instance());
}

// Runs the steps one after another, 50 ms apart, from whichever event loop runs at the
// time (a modal box runs its own); the last should end the program.
class Script {
  public:
    explicit Script(std::vector<std::function<void()>> steps) : m_steps(std::move(steps)) {
        next();
    }

  private:
    void next() {
        QTimer::singleShot(50, &m_context, [this] {
            if (m_index < m_steps.size()) {
                next();  // first: this step may run a modal loop of its own
                m_steps[m_index++]();
            }
        });
    }
    std::vector<std::function<void()>> m_steps;
    std::size_t m_index = 0;
    QObject m_context;
};

QWidget* control(QWidget* dialog, int id) {
    return static_cast<CDialog*>(dialog)->GetDlgItem(id);
}
QWidget* openBox() {  // the About box, while it is open
    return qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
}
void about() {
    QMenuBar* bar = app().m_pMainWnd->MenuBar();
    ASSERT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(bar->actions()[0]->text(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(bar->actions()[0]->menu(), nullptr);  // a command, not a drop-down
    bar->actions()[0]->trigger();
}
// A click on ON through the window system, as a user's comes, so a modal box stops it.
void clickOn() {
    QWidget* on = control(app().m_pMainWnd, res::kIdOn);
    QTest::mouseClick(app().m_pMainWnd->windowHandle(), Qt::LeftButton, {},
                      on->mapTo(app().m_pMainWnd, on->rect().center()));
    QCoreApplication::processEvents();
}
void stop() {
    static_cast<QAbstractButton*>(control(app().m_pMainWnd, res::kIdCancel))->click();
}

class Shell : public ::testing::Test {
  protected:
    void SetUp() override { dev = VirtualWaveDevice::Install(VirtualWaveDevice::Pace::RealTime); }
    void TearDown() override { VirtualWaveDevice::Uninstall(); }
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
        [] { about(); },
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
    // The box's own button (戻る), Esc, Enter and its close box each close it.
    for (auto how : std::vector<std::function<void(QWidget*)>>{
             [](QWidget* w) { static_cast<QAbstractButton*>(control(w, res::kIdCancel))->click(); },
             [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); },
             [](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); },
             [](QWidget* w) { w->close(); }}) {
        steps.push_back([how] { how(openBox()); });
        steps.push_back([] { EXPECT_EQ(openBox(), nullptr); });
        steps.push_back([] { about(); });
    }
    steps.push_back([] { openBox()->close(); });
    steps.push_back([] { stop(); });
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
    const auto inTheBox = [] {
        QWidget* box = openBox();
        QWidget* link = control(box, res::kIdLink);
        QTest::mouseClick(link, Qt::LeftButton);
        QTest::mouseDClick(box->windowHandle(), Qt::LeftButton, {},
                           link->mapTo(box, link->rect().center()));  // one click
        // A click on every text, the link once more, leaves the focus on 戻る.
        for (QLabel* text : box->findChildren<QLabel*>()) {
            QTest::mouseClick(text, Qt::LeftButton);
        }
        QWidget* back = control(box, res::kIdCancel);
        EXPECT_EQ(box->focusWidget(), back);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(back)->text(QAccessible::Name),
                  QStringLiteral("戻る"));
        EXPECT_EQ(static_cast<QLabel*>(link)->alignment(), Qt::AlignLeft | Qt::AlignTop);
        QTest::keyClick(back, Qt::Key_F1);
    };
    Script script({[] { about(); }, inTheBox, [] { openBox()->close(); },
                   [] { QTest::keyClick(app().m_pMainWnd->focusWidget(), Qt::Key_F1); },
                   [] { stop(); }});
    app().InitInstance();
    SetToneHandler(nullptr);
    SetUrlOpener(nullptr);
    const std::string open = std::string("open file://") + TOVIN_DOC_DIR + "/README.md";
    const std::string beep = "beep 100 100";
    EXPECT_EQ(events, (std::vector<std::string>{beep, open, beep, open, beep, open, open, open}));
}

TEST_F(Shell, MessageBoxesAreModalExclamationsCaptionedWithTheProgramsName) {
    QTimer::singleShot(50, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("app_test"));
        EXPECT_EQ(box->text(), QStringLiteral("Cannot open MIDI device"));
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->button(QMessageBox::Ok)->click();
    });
    MessageBoxA(0, "Cannot open MIDI device", nullptr, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(ApplicationName(), "app_test");
}

}  // namespace
