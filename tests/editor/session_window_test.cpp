// SPDX-License-Identifier: GPL-3.0-or-later
// The session window driven as a person drives it: typing mistakes and mending them,
// closing with unsaved changes, playing while editing, exporting; held against the reader's
// places, the render of the same text and tovin-cli's own render.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <cmath>

#include "editor/export_audio.h"
#include "editor/session_window.h"
#include "platform/testing/virtual_wave_device.h"
#include "session/reader.h"
#include "session/synth.h"
#include "tests/support/pump.h"

namespace {

using editor::CodeEditor;
using editor::SessionTab;
using editor::SessionWindow;
using Samples = std::vector<std::int16_t>;

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class Window : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    }

    QString write(const QString& name, const char* text) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        return file.fileName();
    }
    // Opens `text` as the file `name` and waits until it has been read.
    SessionTab* open(const char* text, const QString& name = "t.sbg") {
        window.OpenFiles({write(name, text)});
        return settle();
    }
    SessionTab* settle() {
        SessionTab* tab = window.CurrentTab();
        EXPECT_TRUE(testsupport::PumpUntil([tab] { return tab->Checked(); }));
        return tab;
    }
    // Closes every tab without a question; their names.
    QStringList closeAll() {
        QStringList names;
        while (window.Tabs()->count() > 0) {
            names << qobject_cast<SessionTab*>(window.Tabs()->widget(0))->FileName();
            delete window.Tabs()->widget(0);
        }
        return names;
    }
    // Shows the window and gives it the keyboard, as a person's click on it does.
    void activate() {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // Replaces the text as pasting over it does, and waits until it has been read.
    SessionTab* retype(const QString& text) {
        SessionTab* tab = window.CurrentTab();
        tab->Editor()->selectAll();
        tab->Editor()->insertPlainText(text);
        return settle();
    }

    QTemporaryDir dir;
    SessionWindow window;
};

TEST_F(Window, AMistakeIsListedAtItsPlaceAndUnderlinedUntilMended) {
    const struct {
        const char* text;
        const char* listed;  // the problem as the list names it
        int from, to;        // the underline, in UTF-16 units of the document
    } rows[] = {
        // 'a: 200+10/' is ten characters: the amplitude starts at column 11.
        {"a: 200+10/200\n0:00 a\n", "1:11: an amplitude is 0 to 100", 10, 13},
        {"a: pink/30\n0:00 b\n", "2:6: unknown tone-set 'b'", 16, 17},
        // Columns count characters: the clef is one, but two UTF-16 units.
        {"a: pink/30\n0:00 a\n## \xf0\x9d\x84\x9e \xc2\x9b\n",
         "3:6: a control character is not allowed", 24, 25},
    };
    SessionTab* tab = open("a: pink/30\n0:00 a\n");
    ASSERT_EQ(tab->Problems()->count(), 0);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        retype(QString::fromUtf8(row.text));
        ASSERT_GE(tab->Problems()->count(), 1);
        EXPECT_EQ(tab->Problems()->item(0)->text().toStdString(), row.listed);
        const auto marks = tab->Editor()->extraSelections();
        ASSERT_GE(marks.size(), 1);
        EXPECT_EQ(marks[0].cursor.selectionStart(), row.from);
        EXPECT_EQ(marks[0].cursor.selectionEnd(), row.to);
        // Activating it puts the cursor there.
        emit tab->Problems()->itemActivated(tab->Problems()->item(0));
        EXPECT_EQ(tab->Editor()->textCursor().position(), row.from);
        EXPECT_FALSE(tab->Item()->session.sets.empty());  // the last text that read stays
        retype("a: pink/30\n0:00 a\n");
        EXPECT_EQ(tab->Problems()->count(), 0);
        EXPECT_TRUE(tab->Editor()->extraSelections().isEmpty());
    }
    EXPECT_EQ(window.windowTitle(), "t.sbg[*] — Tovin");
    EXPECT_TRUE(window.isWindowModified());
}

// Answers the question the window asks with `button`, once it shows.
void answer(QMessageBox::StandardButton button, bool* asked) {
    QTimer::singleShot(10, [button, asked] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            answer(button, asked);
            return;
        }
        *asked = true;
        box->button(button)->click();
    });
}

TEST_F(Window, ClosingWithUnsavedChangesAsksAndCanBeCancelled) {
    const struct {
        QMessageBox::StandardButton button;
        bool closes;
        const char* file;  // what t.sbg holds afterwards
    } rows[] = {
        {QMessageBox::Cancel, false, "a: pink/30\n0:00 a\n"},
        {QMessageBox::Discard, true, "a: pink/30\n0:00 a\n"},
        {QMessageBox::Save, true, "a: pink/20\n0:00 a\n"},
    };
    for (const auto& row : rows) {
        open("a: pink/30\n0:00 a\n");
        retype("a: pink/20\n0:00 a\n");
        window.show();
        bool asked = false;
        answer(row.button, &asked);
        EXPECT_EQ(window.close(), row.closes);
        EXPECT_TRUE(asked);
        EXPECT_EQ(readAll(dir.filePath("t.sbg")).toStdString(), row.file);
        // Nothing asked once nothing is unsaved.
        if (!row.closes) {
            window.CurrentTab()->Editor()->document()->setModified(false);
            EXPECT_TRUE(window.close());
        }
        closeAll();
    }
}

TEST_F(Window, ExportIsTovinCliRenderByteForByte) {
    const struct {
        const char* text;
        const char* file;
        int rate;
        const char* length;  // for an endless session
        int seed;
        QStringList renderOptions;
    } rows[] = {
        {"-SE\na: pink/30 200+10/20\n0:00 a\n0:00:02 a\n", "a.wav", 44100, "", 0, {}},
        {"-SE\na: 300@6/30 brown/20\n0:00 a ->\n0:00:02 a\n",
         "b.flac",
         22050,
         "",
         7,
         {"--rate", "22050", "--seed", "7"}},
        {"a: spin:300+4/20 bell+2000/10\n0:00 a\n",
         "c.ogg",
         44100,
         "0:00:03",
         3,
         {"--length", "0:00:03", "--seed", "3"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        SessionTab* tab = open(row.text, QString(row.file) + ".sbg");
        ASSERT_TRUE(tab->Item());
        editor::ExportAudioDialog dialog(tab->Item(), tab->Path());
        for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
            if (edit->accessibleName() == "File") {
                edit->setText(dir.filePath(row.file));
            } else if (edit->accessibleName() == "Length") {
                edit->setText(row.length);
            }
        }
        for (QSpinBox* spin : dialog.findChildren<QSpinBox*>()) {
            spin->setValue(spin->accessibleName() == "Rate" ? row.rate : row.seed);
        }
        dialog.Start();
        ASSERT_TRUE(testsupport::PumpUntil([&] { return !dialog.Written().isEmpty(); },
                                           std::chrono::seconds(30)));
        QProcess cli;
        cli.start(TOVIN_CLI_PATH, QStringList{"render", "--session", tab->Path(), "-o",
                                              dir.filePath("cli-" + QString(row.file))} +
                                      row.renderOptions);
        ASSERT_TRUE(cli.waitForFinished(30000));
        ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
        const QByteArray exported = readAll(dir.filePath(row.file));
        EXPECT_GT(exported.size(), 1000);
        EXPECT_TRUE(exported == readAll(dir.filePath("cli-" + QString(row.file))));
    }
}

// The render of `text` at 44.1 kHz, whole.
Samples render(const char* text) {
    const session::Session s = *session::ReadSessionText(text, "t.sbg").session;
    const session::Timeline timeline = session::BuildTimeline(s, 44100);
    Samples out(2 * static_cast<std::size_t>(timeline.end));
    session::Synth(timeline, 0, session::kPcm16).Render(out.data(), timeline.end);
    return out;
}

TEST_F(Window, PlayingFollowsTheTextAndTheControls) {
    constexpr const char* kA = "-SE\na: pink/20 200+10/30\n0:00:00 a\n0:00:02 a\n";
    constexpr const char* kB = "-SE\nb: 300@5/20 100-4/30\n0:00:00 b\n0:00:02 b\n";
    const std::int64_t kEnd = 2 * 44100, kQueued = 3 * player::SessionPlayer::BlockFrames(44100);
    constexpr int kRamp = 441, kFade = 2205;
    const Samples a = render(kA), b = render(kB);
    const auto take = [](Samples& out, const Samples& from, std::int64_t begin, std::int64_t end) {
        out.insert(out.end(), from.begin() + 2 * begin, from.begin() + 2 * end);
    };
    const auto ramp = [](Samples& out, const Samples& from, std::int64_t begin, double g0,
                         double g1) {
        for (std::int64_t i = 2 * begin; i < 2 * (begin + kRamp); ++i) {
            const std::int64_t k = i / 2 - begin;
            out.push_back(
                static_cast<std::int16_t>(from[i] * ((g0 * (kRamp - k) + g1 * k) / kRamp)));
        }
    };
    Samples untouched, paused, seeked, edited;
    take(untouched, a, 0, kEnd);
    take(paused, a, 0, kQueued);
    ramp(paused, a, kQueued, 1, 0);
    ramp(paused, a, kQueued + kRamp, 0, 1);
    take(paused, a, kQueued + 2 * kRamp, kEnd);
    take(seeked, a, 0, kQueued);
    ramp(seeked, a, kQueued, 1, 0);
    ramp(seeked, a, 30000, 0, 1);
    take(seeked, a, 30000 + kRamp, kEnd);
    take(edited, a, 0, kQueued);
    for (std::int64_t i = 2 * kQueued; i < 2 * (kQueued + kFade); ++i) {
        const double t = static_cast<double>(i / 2 - kQueued) / kFade;
        edited.push_back(static_cast<std::int16_t>(a[i] * (1.0 - t) + b[i] * t));
    }
    take(edited, b, kQueued + kFade, kEnd);
    const struct {
        const char* what;
        std::function<void(SessionTab&)> act;  // while the first three blocks are queued
        const Samples& expect;
        bool resume = false;  // Play again once the pause has been played
    } rows[] = {
        {"untouched", [](SessionTab&) {}, untouched},
        {"pause, play", [](SessionTab& tab) { tab.Transport()->PlayPause(); }, paused, true},
        {"seek", [](SessionTab& tab) { tab.Transport()->SeekTo(30000); }, seeked},
        {"a live edit",
         [this, kB](SessionTab&) {
             SessionTab* tab = retype(kB);
             EXPECT_EQ(tab->Item()->session.sets[0].name, "b");
         },
         edited},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto dev = plat::VirtualWaveDevice::Install(plat::VirtualWaveDevice::Pace::Manual);
        SessionTab* tab = open(kA);
        tab->Transport()->PlayPause();
        ASSERT_TRUE(tab->Transport()->Playing());
        ASSERT_TRUE(testsupport::PumpUntil([&] { return !dev->Blocks().empty(); }));
        row.act(*tab);
        dev->Release(1 << 20);
        if (row.resume) {
            ASSERT_TRUE(testsupport::PumpUntil(
                [&] { return tab->Transport()->Position() == kQueued + kRamp; }));
            EXPECT_TRUE(tab->Transport()->Paused());
            tab->Transport()->PlayPause();
        }
        ASSERT_TRUE(testsupport::PumpUntil([&] { return !tab->Transport()->Playing(); }));
        Samples got;
        for (const auto& block : dev->Blocks()) {
            const auto* s = reinterpret_cast<const std::int16_t*>(block.bytes.data());
            got.insert(got.end(), s, s + block.bytes.size() / 2);
        }
        EXPECT_TRUE(got == row.expect)
            << got.size() << " samples, " << row.expect.size() << " expected";
        plat::VirtualWaveDevice::Uninstall();
        delete tab;
    }
}

TEST_F(Window, FollowsTheDesktopsPaletteLightOrDark) {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x26));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        dark.setColor(role, QColor(0xe6, 0xe6, 0xe6));
    }
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    const QPalette light = QApplication::style()->standardPalette();
    const struct {
        const char* name;
        QPalette palette;
    } rows[] = {{"light", light}, {"dark", dark}};
    SessionTab* tab = open(
        "## Evening: alpha to theta, then deep, with pink noise and a spin.\n-SE\n"
        "alpha: pink/30 spin:300+4/15 200+10/20\ntheta: pink/30 180+6/20 300@4/8 bell+2000/10\n"
        "deep: brown/40 150+4/20\noff: -\n\n0:00 alpha ->\n0:05 theta\n0:15 theta ->\n"
        "0:20 deep\n0:28 deep ->\n0:30 off\n");
    window.resize(1100, 860);
    window.show();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QApplication::setPalette(row.palette);
        testsupport::PumpFor(std::chrono::milliseconds(100));
        const QImage shot = window.grab().toImage();
        const qreal scale = shot.devicePixelRatio();
        EXPECT_EQ(shot.width(), qRound(window.width() * scale));
        // Past the last line, the text's background is the palette's base.
        const QPoint empty = tab->Editor()->viewport()->mapTo(
            &window, tab->Editor()->viewport()->rect().bottomRight() - QPoint(20, 20));
        EXPECT_EQ(shot.pixelColor(empty * scale), row.palette.color(QPalette::Base));
        // The comment colour reads on that base: at least 3:1 in luminance contrast; the line
        // numbers, on theirs, at least 4.5:1.
        const auto contrast = [](const QColor& a, const QColor& b) {
            const auto luminance = [](const QColor& c) {
                const auto lin = [](double v) {
                    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
                };
                return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
            };
            const double la = luminance(a), lb = luminance(b);
            return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
        };
        const QTextBlock description = tab->Editor()->document()->firstBlock();
        ASSERT_FALSE(description.layout()->formats().isEmpty());
        EXPECT_GE(contrast(description.layout()->formats()[0].format.foreground().color(),
                           row.palette.color(QPalette::Base)),
                  3.0);
        const CodeEditor& editor = *tab->Editor();
        EXPECT_GE(contrast(editor.LineNumberColour(), editor.LineNumberBackground()), 4.5);
        const QPoint numbers = editor.viewport()->mapTo(
            &window, QPoint(-editor.LineNumberWidth() / 2, editor.viewport()->height() - 20));
        EXPECT_EQ(shot.pixelColor(numbers * scale), editor.LineNumberBackground());
        QDir().mkpath(TOVIN_SCREENSHOT_DIR);
        shot.save(
            QString("%1/session-window-%2-x%3.png").arg(TOVIN_SCREENSHOT_DIR, row.name).arg(scale));
    }
    QApplication::setPalette(light);
}

// Tab and Shift+Tab go round the controls in the order they stand; Space and F5 play and
// pause from each of them, but Space in the text is a blank.
TEST_F(Window, TheKeyboardReachesEveryControlAndPlaysFromEachButTheText) {
    auto dev = plat::VirtualWaveDevice::Install(plat::VirtualWaveDevice::Pace::Manual);
    SessionTab* tab = open("a: pink/30\n0:00 a\n");
    activate();
    tab->Transport()->PlayPause();  // Stop takes the focus only while something plays
    const QStringList order{"Session text", "Timeline", "Problems", "Play",
                            "Stop",         "Position", "Volume"};
    for (const bool back : {false, true}) {
        tab->Editor()->setFocus();
        QStringList reached;
        for (int i = 0; i < 30 && reached.size() + 1 < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                            back ? Qt::ShiftModifier : Qt::NoModifier);
            const QString name =
                QApplication::focusWidget()->accessibleName().replace("Pause", "Play");
            if (order.contains(name) && !reached.contains(name)) {
                reached << name;
            }
        }
        QStringList expected = order.mid(1);  // from the text round to it
        if (back) {
            std::reverse(expected.begin(), expected.end());
        }
        EXPECT_EQ(reached.join(", ").toStdString(), expected.join(", ").toStdString());
    }
    const std::vector<QWidget*> transport = tab->Transport()->Controls();
    const struct {
        QWidget* focus;
        Qt::Key key;
        bool plays;  // the key plays or pauses; otherwise it types a blank
    } rows[] = {
        {tab->Editor(), Qt::Key_Space, false},  {tab->Editor(), Qt::Key_F5, true},
        {transport[2], Qt::Key_Space, true},    {transport[3], Qt::Key_Space, true},
        {tab->Timeline(), Qt::Key_Space, true}, {tab->Problems(), Qt::Key_Space, true},
        {tab->Problems(), Qt::Key_F5, true},
    };
    bool playing = true;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.focus->accessibleName().toStdString() + " " + std::to_string(row.key));
        row.focus->setFocus();
        const auto length = tab->Editor()->toPlainText().size();
        QTest::keyClick(row.focus, row.key);
        playing ^= row.plays;
        EXPECT_EQ(tab->Transport()->Playing() && !tab->Transport()->Paused(), playing);
        EXPECT_EQ(tab->Editor()->toPlainText().size() - length, row.plays ? 0 : 1);
    }
    tab->Transport()->Stop();
    plat::VirtualWaveDevice::Uninstall();
}

TEST_F(Window, F8GoesRoundTheProblemsAndAltOpensEachMenuWhereEveryLetterIsItsOwn) {
    SessionTab* tab = open("a: pink/30\n0:00 b\n0:01 c\n");  // unknown sets at 2:6 and 3:6
    activate();
    for (const int at : {16, 23, 16}) {  // the lines start at 11 and 18
        QTest::keyClick(tab->Editor(), Qt::Key_F8);
        EXPECT_EQ(tab->Editor()->textCursor().position(), at);
    }
    for (const auto& [letter, title] :
         {std::pair{Qt::Key_F, "&File"}, {Qt::Key_E, "&Edit"}, {Qt::Key_P, "&Play"}}) {
        QTest::keyClick(&window, letter, Qt::AltModifier);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << title;
        EXPECT_EQ(menu->title().toStdString(), title);
        QString letters;  // a letter two items share only moves between them
        for (const QAction* action : menu->actions()) {
            const auto amp = action->text().indexOf('&');
            if (amp >= 0) {
                EXPECT_FALSE(letters.contains(action->text().at(amp + 1).toLower()))
                    << action->text().toStdString();
                letters += action->text().at(amp + 1).toLower();
            }
        }
        QTest::keyClick(menu, Qt::Key_Escape);
    }
}

TEST_F(Window, AFileChangedOnDiskIsNoticedAndReloadedOrKept) {
    const struct {
        bool edited;         // the tab has unsaved changes when the file changes
        const char* button;  // the person's answer
        const char* text;    // the tab's text afterwards
        bool modified;
    } rows[] = {
        {false, "Reload", "a: pink/10\n0:00 a\n", false},
        {true, "Reload", "a: pink/10\n0:00 a\n", false},
        {true, "Keep Mine", "a: pink/20\n0:00 a\n", true},
        {false, "Keep Mine", "a: pink/30\n0:00 a\n", true},  // saving is what keeps it
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.button) + (row.edited ? ", edited" : ""));
        SessionTab* tab = open("a: pink/30\n0:00 a\n");
        QPushButton* answer = nullptr;
        for (QPushButton* button : tab->findChildren<QPushButton*>()) {
            answer = button->text() == row.button ? button : answer;
        }
        ASSERT_FALSE(answer == nullptr || answer->isVisibleTo(tab));
        if (row.edited) {
            retype("a: pink/20\n0:00 a\n");
        }
        write("t.sbg", "a: pink/10\n0:00 a\n");  // behind the window's back
        ASSERT_TRUE(testsupport::PumpUntil([&] { return answer->isVisibleTo(tab); }));
        answer->click();
        settle();
        EXPECT_FALSE(answer->isVisibleTo(tab));
        EXPECT_EQ(tab->Editor()->toPlainText().toStdString(), row.text);
        EXPECT_EQ(tab->Modified(), row.modified);
        closeAll();
    }
}

TEST_F(Window, DroppedSessionFilesOpenATabEachAndOtherFilesAreRefused) {
    const struct {
        QStringList files;
        bool taken;
        QStringList tabs;  // afterwards
    } rows[] = {
        {{"a.sbg"}, true, {"a.sbg"}},
        {{"a.sbg", "b.SBG"}, true, {"a.sbg", "b.SBG"}},
        {{"notes.txt"}, false, {}},
        {{"notes.txt", "b.SBG"}, true, {"b.SBG"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.files.join(", ").toStdString());
        QList<QUrl> urls;
        for (const QString& name : row.files) {
            urls << QUrl::fromLocalFile(write(name, "a: pink/30\n0:00 a\n"));
        }
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&window, &enter);
        EXPECT_EQ(enter.isAccepted(), row.taken);
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&window, &drop);
        EXPECT_EQ(closeAll(), row.tabs);
    }
}

TEST_F(Window, OpenRecentListsOpenedFilesNewestFirstAndReportsOneThatVanished) {
    QSettings().remove("sessions/recent");
    open("a: pink/30\n0:00 a\n", "a.sbg");
    open("a: pink/20\n0:00 a\n", "b.sbg");
    QMenu* recent = nullptr;
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        recent = menu->title() == "Open &Recent" ? menu : recent;
    }
    ASSERT_NE(recent, nullptr);
    const auto listed = [recent] {
        emit recent->aboutToShow();
        QStringList names;
        for (const QAction* action : recent->actions()) {
            names << action->text().section("  —  ", 0, 0);
        }
        return names.join(", ").toStdString();
    };
    EXPECT_EQ(listed(), "b.sbg, a.sbg");
    closeAll();
    recent->actions().at(1)->trigger();
    ASSERT_EQ(window.Tabs()->count(), 1);
    EXPECT_EQ(settle()->Editor()->toPlainText().toStdString(), "a: pink/30\n0:00 a\n");
    EXPECT_EQ(listed(), "a.sbg, b.sbg");
    // b.sbg goes: choosing it says so, opens nothing, and it is offered no more.
    ASSERT_TRUE(QFile::remove(dir.filePath("b.sbg")));
    bool asked = false;
    answer(QMessageBox::Ok, &asked);
    recent->actions().at(1)->trigger();
    EXPECT_TRUE(asked);
    EXPECT_EQ(closeAll(), QStringList{"a.sbg"});
    EXPECT_EQ(listed(), "a.sbg");
}

// A long file goes in by slices once the window shows: it ends up whole, unmodified, with
// nothing to undo and its late problem marked, each line coloured on screen and not before.
TEST_F(Window, ALongFileGoesInWholeAndIsColouredWhereShown) {
    std::string text = "a: pink/30\n";
    for (int k = 0; k < 10000; ++k) {
        text += QString("%1:%2:%3 a\n")
                    .arg(k / 3600)
                    .arg(k / 60 % 60, 2, 10, QChar('0'))
                    .arg(k % 60, 2, 10, QChar('0'))
                    .toStdString();
    }
    text += "3:00:00 x\n";  // line 10002: an unknown set at column 9
    CodeEditor* editor = open(text.c_str())->Editor();
    activate();
    EXPECT_EQ(editor->toPlainText().toStdString(), text);
    EXPECT_FALSE(window.CurrentTab()->Modified() || editor->document()->isUndoAvailable() ||
                 editor->isReadOnly());
    const QTextBlock last = editor->document()->lastBlock().previous();
    ASSERT_EQ(editor->extraSelections().size(), 1);
    EXPECT_EQ(editor->extraSelections()[0].cursor.selectionStart(), last.position() + 8);
    EXPECT_FALSE(editor->document()->firstBlock().layout()->formats().isEmpty());
    EXPECT_TRUE(last.layout()->formats().isEmpty());
    editor->GoTo(10002, 1);
    editor->viewport()->repaint();
    ASSERT_FALSE(last.layout()->formats().isEmpty());
    EXPECT_EQ(last.layout()->formats()[0].format.foreground(),
              editor->Colours().FormatOf(editor::Token::Time).foreground());
}

}  // namespace
