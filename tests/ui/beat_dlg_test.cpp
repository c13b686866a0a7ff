// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>

#include "engine/beat_engine.h"
#include "platform/wave_out.h"
#include "tests/support/pump.h"
#include "tests/support/recorders.h"
#include "tests/ui/window_fixture.h"
#include "ui/control_ids.h"
#include "ui/owner_draw_button.h"
#include "ui/slider_ctrl.h"

using namespace plat;

namespace {

class MainWindow : public testsupport::WindowTest {
  protected:
    MainWindow() : WindowTest(VirtualWaveDevice::Pace::Immediate) {}
    DWORD volume() {  // once the device-opened handling has run
        EXPECT_TRUE(testsupport::PumpUntil([&] { return wave->Blocks().size() >= 3; }));
        DWORD v = 0xDEADBEEF;
        waveOutGetVolume(dlg->m_pEngine->m_hWaveOut, &v);
        return v;
    }
    static DWORD both(DWORD level) { return level * 655 | (level * 655) << 16; }  // a side
    int midiActive() { return dlg->m_pEngine->m_bMidiActive; }
    testsupport::UserFeedback feedback;
};

TEST_F(MainWindow, StartsIdleAt150HzWithTheThetaBeatBothThumbsAtTheBottomAndNamedControls) {
    EXPECT_EQ(dlg->m_pEngine, nullptr);
    EXPECT_TRUE(dlg->m_radio150->isChecked());
    EXPECT_EQ(std::tuple(dlg->m_nCarrier, dlg->m_nBeat, dlg->m_bMidiOn), std::tuple(1500, 80, 0));
    EXPECT_TRUE(button(res::kIdAlpha)->isEnabled());
    EXPECT_FALSE(button(res::kIdTheta)->isEnabled());  // the beat in force
    for (CSliderCtrl* s : {dlg->m_sliderWave, dlg->m_sliderMidi}) {
        EXPECT_EQ(std::tuple(s->minimum(), s->maximum(), s->GetPos(), s->SelectionEnd()),
                  std::tuple(0, 100, 100, 100));
    }
    EXPECT_EQ(dlg->focusWidget(), dlg->GetDlgItem(res::kIdOn));
    QStringList texts;
    for (QLabel* text : dlg->findChildren<QLabel*>()) {  // they take no focus
        QTest::mouseClick(text, Qt::LeftButton);
        texts << text->text();
    }
    EXPECT_EQ(texts, (QStringList{"Vol", "Wav  Mid"}));
    EXPECT_EQ(dlg->focusWidget(), dlg->GetDlgItem(res::kIdOn));
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Tovin？？簡易版"));
    EXPECT_EQ(dlg->windowIcon().availableSizes(), QList<QSize>{QSize(32, 32)});
    const std::pair<int, const char*> names[] = {
        {res::kIdOn, "ON"},         {res::kIdCancel, "OFF"},
        {res::kIdAlpha, "α 12 Hz"}, {res::kIdTheta, "θ 8 Hz"},
        {res::kIdMidi, "MIDI"},     {res::kIdWaveSlider, "Wave volume"},
        {res::kId150Hz, "150Hz"},   {res::kIdMidiSlider, "MIDI volume"}};
    for (const auto& [id, name] : names) {
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(dlg->GetDlgItem(id));
        EXPECT_EQ(control->text(QAccessible::Name), QString::fromUtf8(name)) << id;
    }
}

TEST_F(MainWindow, OnPlaysTheChosenToneAtLevelOneAndAgainStartsAfresh) {
    dlg->m_sliderWave->SetPos(0);  // moved before any engine: not remembered
    dlg->m_sliderWave->repaint();
    click(res::kId440Hz);
    click(res::kIdAlpha);
    EXPECT_EQ(dlg->m_pEngine, nullptr);
    click(res::kIdOn);
    EXPECT_EQ(std::tuple(dlg->m_pEngine->m_nCarrier, dlg->m_pEngine->m_nLowFreq),
              std::tuple(4400, 4280));  // 440 Hz and 440 − 12 Hz
    EXPECT_EQ(volume(), both(1));       // until the slider next repaints
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dlg->m_pEngine->m_nTick > 5; }));
    click(res::kIdOn);
    EXPECT_EQ(wave->Closes(), 1);  // the old output stopped
    EXPECT_EQ(std::tuple(dlg->m_pEngine->m_dPhaseL, dlg->m_pEngine->m_dPhaseR), std::tuple(0., 0.));
    EXPECT_LT(dlg->m_pEngine->m_nTick, 5u);
}

TEST_F(MainWindow, WhilePlayingChoicesRetuneAtOnceAndTheVolumesFollowTheThumbsAtEveryRepaint) {
    click(res::kIdOn);
    const int radios[][2] = {
        {res::kId110Hz, 1100}, {res::kId220Hz, 2200}, {res::kId440Hz, 4400}, {res::kId150Hz, 1500}};
    for (const auto& [id, carrier] : radios) {
        click(id);
        EXPECT_EQ(dlg->m_pEngine->m_nCarrier, carrier);
        EXPECT_EQ(dlg->m_pEngine->m_nLowFreq, carrier - 80);
    }
    click(res::kIdAlpha);
    EXPECT_EQ(dlg->m_pEngine->m_nLowFreq, 1500 - 120);
    EXPECT_FALSE(button(res::kIdAlpha)->isEnabled());
    EXPECT_TRUE(button(res::kIdTheta)->isEnabled());
    click(res::kIdAlpha);  // disabled: nothing happens
    click(res::kIdTheta);
    EXPECT_EQ(std::tuple(dlg->m_nBeat, dlg->m_pEngine->m_nLowFreq), std::tuple(80, 1420));
    EXPECT_TRUE(button(res::kIdAlpha)->isEnabled());
    EXPECT_FALSE(button(res::kIdTheta)->isEnabled());
    click(res::kIdMidi);
    EXPECT_EQ(volume(), both(1));
    dlg->m_sliderWave->repaint();  // thumb at the bottom: level 0
    EXPECT_EQ(volume(), 0u);
    dlg->m_sliderWave->SetPos(0);  // at the top: level 100
    dlg->m_sliderWave->repaint();
    EXPECT_EQ(volume(), both(100));
    dlg->m_sliderWave->setFocus();
    QTest::keyClick(dlg->m_sliderWave, Qt::Key_Down);  // down the channel: quieter
    dlg->m_sliderWave->repaint();
    EXPECT_EQ(volume(), both(99));
    // A click in the channel below the thumb pages it down.
    QTest::mouseClick(dlg->m_sliderWave, Qt::LeftButton, {},
                      QPoint(dlg->m_sliderWave->width() / 2, dlg->m_sliderWave->height() - 3));
    dlg->m_sliderWave->repaint();
    EXPECT_GT(dlg->m_sliderWave->GetPos(), 1);
    EXPECT_EQ(volume(), both(static_cast<DWORD>(100 - dlg->m_sliderWave->GetPos())));
    midi->Clear();  // the MIDI slider at the top: level 100, 100 × 655 + 3 = 65503 a side
    dlg->m_sliderMidi->SetPos(0);
    dlg->m_sliderMidi->repaint();
    ASSERT_GE(midi->Events().size(), 7u);  // the device volume, then six channels'
    EXPECT_EQ(midi->Events()[0].value, 65503u | 65503u << 16);
}

TEST_F(MainWindow, ADoubleClickIsOneClickAndTheMidiToggleOnlyAppliesItsOwnClicks) {
    for (int id : {res::kIdMidi, res::kIdOn}) {  // one click each: the flag not applied to ON
        QWidget* b = dlg->GetDlgItem(id);
        QTest::mouseDClick(dlg->windowHandle(), Qt::LeftButton, {},
                           b->mapTo(dlg.get(), b->rect().center()));
    }
    EXPECT_EQ(std::tuple(dlg->m_bMidiOn, wave->Opens(), midi->Opens(), midiActive()),
              std::tuple(1, 1, 0, 0));
    click(res::kIdMidi);  // off: nothing audible changes
    click(res::kIdMidi);  // on: the accompaniment starts
    EXPECT_EQ(std::tuple(dlg->m_bMidiOn, midi->Opens(), midiActive()), std::tuple(1, 1, 1));
    click(res::kIdOn);  // stopped with the old engine; the flag stays and it does not return
    EXPECT_EQ(std::tuple(dlg->m_bMidiOn, midi->Closes(), midiActive()), std::tuple(1, 1, 0));
    click(res::kIdMidi);
    click(res::kIdMidi);
    click(res::kIdCancel);
    EXPECT_EQ(midi->Opens(), midi->Closes());
    EXPECT_EQ(midi->CallsAfterClose(), 0);
}

TEST_F(MainWindow, StopEscAndACloseRequestTearDownAndEndButEnterDoesNot) {
    const std::function<void(CBeatDlg&)> ways[] = {
        [](CBeatDlg& d) { QTest::mouseClick(d.GetDlgItem(res::kIdCancel), Qt::LeftButton); },
        [](CBeatDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }, [](CBeatDlg& d) { d.close(); }};
    for (const auto& end : ways) {
        dlg = std::make_unique<CBeatDlg>();
        dlg->Create();
        dlg->show();
        wave->SetFailOpen(&end == &ways[2]);  // an engine whose open failed goes the same way
        click(res::kIdOn);
        QTest::keyClick(dlg.get(), Qt::Key_Return);
        ASSERT_TRUE(dlg->isVisible());
        click(res::kId220Hz);  // the failed engine still takes the window's commands
        EXPECT_EQ(dlg->m_pEngine->m_nCarrier, 2200);
        end(*dlg);
        EXPECT_FALSE(dlg->isVisible());
        EXPECT_EQ(dlg->result(), QDialog::Rejected);
        EXPECT_EQ(dlg->m_pEngine, nullptr);
        for (CBitmapButton* b : {dlg->m_pBtnAlpha, dlg->m_pBtnTheta, dlg->m_pBtnOn, dlg->m_pBtnStop,
                                 dlg->m_pBtnWav, dlg->m_pBtnMidi}) {
            EXPECT_EQ(b, nullptr);
        }
    }
    EXPECT_EQ(wave->Closes(), 2);
    EXPECT_EQ(feedback.boxes, std::vector<std::string>{"Error opening waveform audio device!"});
}

struct EnablingWatch : QObject {  // a widget's enabled state at every change
    std::vector<bool> states;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::EnabledChange) {
            states.push_back(static_cast<QWidget*>(o)->isEnabled());
        }
        return false;
    }
};

TEST_F(MainWindow, TheWavCommandRendersTheWindowsToneWithItsButtonDisabledMeanwhile) {
    QTemporaryDir here;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(here.path());
    auto* wav = new ui::OwnerDrawButton(dlg->Client());  // the template has no WAV control
    ui::SetControlId(wav, res::kIdWav);
    EnablingWatch watch;
    wav->installEventFilter(&watch);
    click(res::kId220Hz);
    click(res::kIdAlpha);
    dlg->OnWav();
    EXPECT_EQ(watch.states, (std::vector<bool>{false, true}));
    const CBeatEngine same(RenderToFile{2200, 120, "same.wav"});  // 208/220 Hz
    QFile file(QStringLiteral("tovin.wav")), want(QStringLiteral("same.wav"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly) && want.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == want.readAll());
    QFile::remove(QStringLiteral("tovin.wav"));
    QDir().mkdir(QStringLiteral("tovin.wav"));  // a folder in the way: nothing, button back
    dlg->OnWav();
    EXPECT_TRUE(wav->isEnabled() && QFileInfo(QStringLiteral("tovin.wav")).isDir());
    EXPECT_TRUE(feedback.boxes.empty());
    EXPECT_EQ(dlg->m_pEngine, nullptr);  // the render plays nothing
    QDir::setCurrent(previous);
}

}  // namespace
