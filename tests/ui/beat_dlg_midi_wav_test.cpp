// The window's MIDI toggle and MIDI slider, and its WAV command.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstring>

#include "engine/beat_engine.h"
#include "platform/testing/capturing_midi_device.h"
#include "platform/testing/virtual_wave_device.h"
#include "res/templates.h"
#include "tests/support/recorders.h"
#include "tests/ui/window_fixture.h"
#include "ui/beat_dlg.h"
#include "ui/bitmap_button.h"
#include "ui/control_ids.h"
#include "ui/owner_draw_button.h"
#include "ui/slider_ctrl.h"

using namespace plat;

namespace {

class WindowMidi : public testsupport::WindowTest {
  protected:
    WindowMidi() : WindowTest(VirtualWaveDevice::Pace::Immediate) {}

    testsupport::UserFeedback feedback;
};

TEST_F(WindowMidi, TogglingBeforeOnOnlyFlipsTheFlagAndTheNextClicksFollowIt) {
    click(res::kIdMidi);
    EXPECT_EQ(dlg->m_bMidiOn, 1);
    EXPECT_EQ(midi->Opens(), 0);
    click(res::kIdOn);  // the toggle is not applied to the new engine
    EXPECT_EQ(dlg->m_pEngine->m_bMidiActive, 0);
    EXPECT_EQ(midi->Opens(), 0);
    EXPECT_EQ(dlg->m_bMidiOn, 1);
    click(res::kIdMidi);  // turns the flag off: nothing audible changes
    EXPECT_EQ(dlg->m_bMidiOn, 0);
    EXPECT_EQ(midi->Opens(), 0);
    click(res::kIdMidi);  // and this one starts the accompaniment
    EXPECT_EQ(dlg->m_bMidiOn, 1);
    EXPECT_EQ(midi->Opens(), 1);
    EXPECT_EQ(dlg->m_pEngine->m_bMidiActive, 1);
}

TEST_F(WindowMidi, OnWhileMidiPlaysStopsItWithTheOldEngineAndTheFlagStays) {
    click(res::kIdOn);
    click(res::kIdMidi);
    ASSERT_EQ(midi->Opens(), 1);
    click(res::kIdOn);
    EXPECT_EQ(midi->Closes(), 1);
    EXPECT_EQ(dlg->m_bMidiOn, 1);
    EXPECT_EQ(dlg->m_pEngine->m_bMidiActive, 0);
    EXPECT_EQ(midi->Opens(), 1);  // it does not come back by itself
}

TEST_F(WindowMidi, TheMidiSliderSetsTheMidiVolumeOnRepaint) {
    click(res::kIdOn);
    click(res::kIdMidi);
    midi->Clear();
    dlg->m_sliderMidi->SetPos(0);
    dlg->m_sliderMidi->repaint();
    // Level 100: 100 * 655 + 3 = 65503 on each side, then channel volume 127 on 2, 1, 3,
    // 4, 5 and 10.
    const auto events = midi->Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].call, CapturingMidiDevice::Call::Volume);
    EXPECT_EQ(events[0].value, 65503u | (65503u << 16));
    const std::vector<DWORD> volumeWords{0x7F07B1, 0x7F07B0, 0x7F07B2,
                                         0x7F07B3, 0x7F07B4, 0x7F07B9};
    std::vector<DWORD> words = midi->Words();
    words.resize(std::min<std::size_t>(words.size(), 6));
    EXPECT_EQ(words, volumeWords);
}

TEST_F(WindowMidi, StopClosesTheMidiDeviceWithTheEngine) {
    click(res::kIdOn);
    click(res::kIdMidi);
    click(res::kIdCancel);
    EXPECT_EQ(midi->Closes(), 1);
    EXPECT_EQ(dlg->m_pEngine, nullptr);
    EXPECT_EQ(midi->CallsAfterClose(), 0);
}

TEST_F(WindowMidi, AMidiDeviceThatCannotOpenIsReportedOnceAndTheTonePlaysOn) {
    midi->SetFailOpen(true);
    click(res::kIdOn);
    click(res::kIdMidi);
    click(res::kIdMidi);
    click(res::kIdMidi);
    EXPECT_EQ(feedback.boxes, std::vector<std::string>{"Cannot open MIDI device"});
    EXPECT_NE(dlg->m_pEngine->m_hWaveOut, 0u);
}

// The WAV command. The main window's template has no WAV control, so the tests run the
// handler itself, with a WAV button added to see it disabled and enabled again.
class WindowWav : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        dlg = std::make_unique<CBeatDlg>();
        dlg->Create();
        wav = new ui::OwnerDrawButton(dlg->Client());
        wav->setText(QStringLiteral("WAV"));
        ui::SetControlId(wav, res::kIdWav);
        ASSERT_TRUE(dlg->m_pBtnWav->AutoLoad(res::kIdWav, dlg.get()));
        wav->installEventFilter(&enabling);
    }
    void TearDown() override {
        dlg.reset();
        QDir::setCurrent(previous);
    }

    // Records the button's enabled state at every change.
    struct Enabling : QObject {
        std::vector<bool> states;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::EnabledChange) {
                states.push_back(static_cast<QWidget*>(o)->isEnabled());
            }
            return false;
        }
    } enabling;

    QTemporaryDir dir;
    QString previous;
    std::unique_ptr<CBeatDlg> dlg;
    ui::OwnerDrawButton* wav = nullptr;
    testsupport::UserFeedback feedback;
};

TEST_F(WindowWav, RendersTheWindowsToneToTovinWavWithTheButtonDisabledMeanwhile) {
    QTest::mouseClick(qobject_cast<QAbstractButton*>(dlg->GetDlgItem(res::kId220Hz)),
                      Qt::LeftButton);
    QTest::mouseClick(qobject_cast<QAbstractButton*>(dlg->GetDlgItem(res::kIdAlpha)),
                      Qt::LeftButton);
    dlg->OnWav();  // template 102 has no WAV control to click
    EXPECT_EQ(enabling.states, (std::vector<bool>{false, true}));
    QFile file(QDir(dir.path()).filePath(QStringLiteral("tovin.wav")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.size(), 52428844);
    const QByteArray head = file.read(52);
    std::int16_t frame1[2];
    std::memcpy(frame1, head.constData() + 48, 4);
    // Frame 1 at 208 Hz (left) and 220 Hz (right): trunc(sin(6.28318 * f / 44100) * 32768).
    EXPECT_EQ(frame1[0], static_cast<std::int16_t>(std::sin(6.28318 * 208.0 / 44100.0) * 32768));
    EXPECT_EQ(frame1[1], static_cast<std::int16_t>(std::sin(6.28318 * 220.0 / 44100.0) * 32768));
    EXPECT_TRUE(feedback.boxes.empty());
    EXPECT_EQ(dlg->m_pEngine, nullptr);  // the render plays nothing
}

TEST_F(WindowWav, AFileThatCannotBeCreatedLeavesNothingAndTheButtonComesBack) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("tovin.wav")));  // a folder in the way
    dlg->OnWav();  // template 102 has no WAV control to click
    EXPECT_EQ(enabling.states, (std::vector<bool>{false, true}));
    EXPECT_TRUE(wav->isEnabled());
    EXPECT_TRUE(QFileInfo(QDir(dir.path()).filePath(QStringLiteral("tovin.wav"))).isDir());
    EXPECT_TRUE(feedback.boxes.empty());
}

}  // namespace
