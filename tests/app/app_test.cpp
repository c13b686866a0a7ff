#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>

#include "app/about_dlg.h"
#include "app/beat_app.h"
#include "engine/beat_engine.h"
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

// Runs `steps` one after another from whichever event loop is running at the time, each
// `gapMs` after the previous; the last step should end the program. It lives on the
// test's stack: timers still pending when it goes are cancelled with it.
class Script {
  public:
    explicit Script(std::vector<std::function<void()>> steps, int gapMs = 50)
        : m_steps(std::move(steps)), m_gap(gapMs) {
        schedule();
    }

  private:
    void schedule() {
        QTimer::singleShot(m_gap, &m_context, [this] { next(); });
    }
    void next() {
        if (m_index < m_steps.size()) {
            schedule();  // first: this step may run a modal loop of its own
            m_steps[m_index++]();
        }
    }

    std::vector<std::function<void()>> m_steps;
    std::size_t m_index = 0;
    int m_gap;
    QObject m_context;
};

QAbstractButton* control(QWidget* dialog, int id) {
    return qobject_cast<QAbstractButton*>(static_cast<CDialog*>(dialog)->GetDlgItem(id));
}

void triggerAbout() {
    QMenuBar* bar = app().m_pMainWnd->MenuBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(bar->actions()[0]->text(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(bar->actions()[0]->menu(), nullptr);  // a command, not a drop-down
    bar->actions()[0]->trigger();
}

// A click on the main window's ON through the window system, as a user's would come, so
// that a modal box in front really stands in its way.
void clickOnAsAUser() {
    QWidget* on = control(app().m_pMainWnd, res::kIdOn);
    QTest::mouseClick(app().m_pMainWnd->windowHandle(), Qt::LeftButton, {},
                      on->mapTo(app().m_pMainWnd, on->rect().center()));
    QCoreApplication::processEvents();
}

CAboutDlg* openAbout() {
    return qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
}

class Shell : public ::testing::Test {
  protected:
    void SetUp() override { dev = VirtualWaveDevice::Install(VirtualWaveDevice::Pace::RealTime); }
    void TearDown() override { VirtualWaveDevice::Uninstall(); }
    std::shared_ptr<VirtualWaveDevice> dev;
};

TEST_F(Shell, TheProgramRunsTheMainWindowInBlackAndYellowAndEndsWithIt) {
    QColor background, text;
    bool mainSeen = false;
    Script script({[&] {
                       mainSeen = app().m_pMainWnd != nullptr && app().m_pMainWnd->isVisible();
                       background = app().palette().color(QPalette::Window);
                       text = app().palette().color(QPalette::WindowText);
                   },
                   [&] { control(app().m_pMainWnd, res::kIdCancel)->click(); }});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(app().InitInstance());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(mainSeen);
    EXPECT_EQ(background, QColor(0, 0, 0));
    EXPECT_EQ(text, QColor(255, 255, 0));
    EXPECT_EQ(app().m_pMainWnd, nullptr);
}

TEST_F(Shell, TheAboutBoxOpensAtOnceBlocksTheMainWindowAndTheToneGoesOn) {
    CAboutDlg* about = nullptr;
    std::size_t blocksAtOpen = 0;
    std::size_t blocksAtClose = 0;
    bool onWhileOpen = false;
    Script script({[&] {
                       clickOnAsAUser();
                       EXPECT_EQ(dev->Opens(), 1);  // the click reaches an unobstructed window
                   },
                   [&] { triggerAbout(); },  // runs the box's modal loop; the steps go on inside it
                   [&] {
                       about = openAbout();
                       ASSERT_NE(about, nullptr);
                       EXPECT_TRUE(about->isVisible());
                       EXPECT_EQ(about->parentWidget(), app().m_pMainWnd);
                       EXPECT_TRUE(about->windowFlags() & Qt::WindowStaysOnTopHint);
                       EXPECT_EQ(about->windowModality(), Qt::ApplicationModal);
                       blocksAtOpen = dev->Blocks().size();
                       const int opens = dev->Opens();
                       clickOnAsAUser();  // must not reach the main window now
                       onWhileOpen = dev->Opens() != opens;
                   },
                   [] {},
                   [] {},
                   [] {},
                   [] {},
                   [] {},
                   [] {},
                   [] {},
                   [] {},
                   [] {},
                   [] {},
                   [] {},
                   [] {},
                   [] {},
                   [] {},
                   [] {},
                   [] {},
                   [] {},
                   [] {},
                   [&] {
                       blocksAtClose = dev->Blocks().size();
                       control(openAbout(), res::kIdCancel)->click();  // the 戻る button
                   },
                   [&] {
                       EXPECT_EQ(QApplication::activeModalWidget(), app().m_pMainWnd);
                       control(app().m_pMainWnd, res::kIdCancel)->click();
                   }});
    app().InitInstance();
    EXPECT_FALSE(onWhileOpen);               // the main window took no input
    EXPECT_GT(blocksAtClose, blocksAtOpen);  // blocks kept coming back and going out
}

TEST_F(Shell, EscEnterAndTheCloseBoxEachCloseTheAboutBox) {
    int closed = 0;
    auto closeWith = [&](std::function<void(QWidget*)> how) {
        return std::vector<std::function<void()>>{[] { triggerAbout(); },
                                                  [&closed, how] {
                                                      QWidget* about = openAbout();
                                                      ASSERT_NE(about, nullptr);
                                                      how(about);
                                                  },
                                                  [&closed] { closed += openAbout() == nullptr; }};
    };
    std::vector<std::function<void()>> steps;
    for (auto how : std::vector<std::function<void(QWidget*)>>{
             [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); },
             [](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); },
             [](QWidget* w) { w->close(); }}) {
        for (auto& s : closeWith(how)) {
            steps.push_back(s);
        }
    }
    steps.push_back([] { control(app().m_pMainWnd, res::kIdCancel)->click(); });
    Script script(steps);
    app().InitInstance();
    EXPECT_EQ(closed, 3);
}

TEST_F(Shell, TheLinkBeepsThenOpensTheHomePageEveryTime) {
    std::vector<std::string> events;
    SetToneHandler([&](DWORD f, DWORD ms) {
        events.push_back("beep " + std::to_string(f) + " " + std::to_string(ms));
    });
    SetUrlOpener([&](const std::string& target) { events.push_back("open " + target); });
    Script script({[] { triggerAbout(); },
                   [] {
                       auto* link = static_cast<CDialog*>(openAbout())->GetDlgItem(res::kIdLink);
                       QTest::mouseClick(link, Qt::LeftButton);
                       QTest::mouseClick(link, Qt::LeftButton);
                   },
                   [] { openAbout()->close(); },
                   [] { control(app().m_pMainWnd, res::kIdCancel)->click(); }});
    app().InitInstance();
    SetToneHandler(nullptr);
    SetUrlOpener(nullptr);
    const std::string open = std::string("open file://") + TOVIN_DOC_DIR + "/README.md";
    EXPECT_EQ(events, (std::vector<std::string>{"beep 100 100", open, "beep 100 100", open}));
}

TEST_F(Shell, MessageBoxesAreModalExclamationsCaptionedWithTheProgramsName) {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QColor background;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        background = box->palette().color(QPalette::Window);
        box->button(QMessageBox::Ok)->click();
    });
    MessageBoxA(0, "Cannot open MIDI device", nullptr, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(title, QString::fromStdString(ApplicationName()));
    EXPECT_EQ(title, QStringLiteral("app_test"));
    EXPECT_EQ(text, QStringLiteral("Cannot open MIDI device"));
    EXPECT_EQ(icon, QMessageBox::Warning);
}

}  // namespace
