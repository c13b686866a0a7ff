#include "ui/beat_dlg.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QRadioButton>
#include <QTest>

#include "engine/beat_engine.h"
#include "platform/testing/virtual_wave_device.h"
#include "platform/wave_out.h"
#include "res/templates.h"
#include "tests/support/pump.h"
#include "tests/support/recorders.h"
#include "tests/ui/window_fixture.h"
#include "ui/bitmap_button.h"
#include "ui/slider_ctrl.h"

using namespace plat;
using std::chrono::milliseconds;
using testsupport::PumpUntil;

namespace {

class MainWindow : public testsupport::WindowTest {
  protected:
    MainWindow() : WindowTest(VirtualWaveDevice::Pace::Immediate) {}

    DWORD volume() {
        DWORD v = 0xDEADBEEF;
        waveOutGetVolume(dlg->m_pEngine->m_hWaveOut, &v);
        return v;
    }
    void openingHandled() {
        ASSERT_TRUE(PumpUntil([&] { return wave->Blocks().size() >= 3; }));
    }

    testsupport::UserFeedback feedback;
};

TEST_F(MainWindow, StartsIdleAt150HzWithTheThetaBeatAndBothThumbsAtTheBottom) {
    EXPECT_EQ(dlg->m_pEngine, nullptr);
    EXPECT_TRUE(dlg->m_radio150->isChecked());
    EXPECT_EQ(dlg->m_nCarrier, 1500);
    EXPECT_EQ(dlg->m_nBeat, 80);
    EXPECT_TRUE(button(res::kIdAlpha)->isEnabled());
    EXPECT_FALSE(button(res::kIdTheta)->isEnabled());  // the beat in force
    EXPECT_EQ(dlg->m_sliderWave->GetPos(), 100);
    EXPECT_EQ(dlg->m_sliderMidi->GetPos(), 100);
    EXPECT_EQ(dlg->m_sliderWave->minimum(), 0);
    EXPECT_EQ(dlg->m_sliderWave->maximum(), 100);
    EXPECT_EQ(dlg->m_sliderWave->SelectionEnd(), 100);
    EXPECT_EQ(dlg->m_bMidiOn, 0);
    EXPECT_EQ(dlg->focusWidget(), dlg->GetDlgItem(res::kIdOn));
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Tovin？？簡易版"));
    EXPECT_FALSE(dlg->windowIcon().isNull());
}

TEST_F(MainWindow, OnBuildsAndOpensAnEngineWithTheChosenTone) {
    click(res::kIdOn);
    ASSERT_NE(dlg->m_pEngine, nullptr);
    EXPECT_NE(dlg->m_pEngine->m_hWaveOut, 0u);
    EXPECT_EQ(dlg->m_pEngine->m_nCarrier, 1500);
    EXPECT_EQ(dlg->m_pEngine->m_nLowFreq, 1420);
    openingHandled();
    EXPECT_EQ(volume(), 655u | (655u << 16));  // level 1 until the slider repaints
}

TEST_F(MainWindow, OnAgainReplacesTheEngineWithAFreshOne) {
    click(res::kIdOn);
    openingHandled();
    CBeatEngine* first = dlg->m_pEngine;
    ASSERT_TRUE(PumpUntil([&] { return first->m_nTick > 5; }));
    click(res::kIdOn);
    EXPECT_EQ(wave->Closes(), 1);  // the old output stopped
    ASSERT_NE(dlg->m_pEngine, nullptr);
    EXPECT_EQ(dlg->m_pEngine->m_dPhaseL, 0.0);
    EXPECT_EQ(dlg->m_pEngine->m_dPhaseR, 0.0);
    EXPECT_LT(dlg->m_pEngine->m_nTick, 5u);
    EXPECT_EQ(wave->Opens(), 2);
}

TEST_F(MainWindow, ChoicesBeforeOnAreUsedByTheNextEngine) {
    click(res::kId440Hz);
    click(res::kIdAlpha);
    EXPECT_EQ(dlg->m_nCarrier, 4400);
    EXPECT_EQ(dlg->m_nBeat, 120);
    EXPECT_FALSE(dlg->m_radio150->isChecked());
    EXPECT_EQ(dlg->m_pEngine, nullptr);
    click(res::kIdOn);
    EXPECT_EQ(dlg->m_pEngine->m_nCarrier, 4400);
    EXPECT_EQ(dlg->m_pEngine->m_nLowFreq, 4280);
}

TEST_F(MainWindow, ChoicesWhilePlayingRetuneTheEngineAtOnce) {
    click(res::kIdOn);
    const struct {
        int id;
        int carrier;
    } radios[] = {
        {res::kId110Hz, 1100}, {res::kId220Hz, 2200}, {res::kId440Hz, 4400}, {res::kId150Hz, 1500}};
    for (const auto& r : radios) {
        click(r.id);
        EXPECT_EQ(dlg->m_pEngine->m_nCarrier, r.carrier);
        EXPECT_EQ(dlg->m_pEngine->m_nLowFreq, r.carrier - 80);
    }
    click(res::kIdAlpha);
    EXPECT_EQ(dlg->m_pEngine->m_nLowFreq, 1500 - 120);
    EXPECT_FALSE(button(res::kIdAlpha)->isEnabled());
    EXPECT_TRUE(button(res::kIdTheta)->isEnabled());
    click(res::kIdAlpha);  // disabled: nothing happens
    click(res::kIdTheta);
    EXPECT_EQ(dlg->m_nBeat, 80);
    EXPECT_EQ(dlg->m_pEngine->m_nLowFreq, 1420);
    EXPECT_TRUE(button(res::kIdAlpha)->isEnabled());
    EXPECT_FALSE(button(res::kIdTheta)->isEnabled());
}

TEST_F(MainWindow, SlidersSetNothingWithoutAnEngine) {
    dlg->m_sliderWave->SetPos(0);
    dlg->m_sliderWave->repaint();
    settle();
    EXPECT_EQ(dlg->m_pEngine, nullptr);
    dlg->m_sliderWave->SetPos(100);  // back to the bottom before the engine exists
    settle();
    click(res::kIdOn);
    openingHandled();
    EXPECT_EQ(volume(), 655u | (655u << 16));  // the earlier move was not remembered
}

TEST_F(MainWindow, TheToneVolumeFollowsTheThumbOnEveryRepaint) {
    click(res::kIdOn);
    openingHandled();
    dlg->m_sliderWave->repaint();  // thumb at the bottom: level 0
    EXPECT_EQ(volume(), 0u);
    dlg->m_sliderWave->SetPos(0);  // thumb at the top: level 100
    dlg->m_sliderWave->repaint();
    EXPECT_EQ(volume(), 65500u | (65500u << 16));
    dlg->m_sliderWave->setFocus();
    QTest::keyClick(dlg->m_sliderWave, Qt::Key_Down);  // down the channel, quieter
    dlg->m_sliderWave->repaint();
    EXPECT_EQ(dlg->m_sliderWave->GetPos(), 1);
    EXPECT_EQ(volume(), 99u * 655 | (99u * 655 << 16));
    // A click in the channel below the thumb pages the thumb down.
    const QPoint below(dlg->m_sliderWave->width() / 2, dlg->m_sliderWave->height() - 3);
    QTest::mouseClick(dlg->m_sliderWave, Qt::LeftButton, {}, below);
    dlg->m_sliderWave->repaint();
    const int pos = dlg->m_sliderWave->GetPos();
    EXPECT_GT(pos, 1);
    const DWORD level = static_cast<DWORD>(100 - pos) * 655;
    EXPECT_EQ(volume(), level | (level << 16));
}

TEST_F(MainWindow, EnterDoesNotEndTheWindow) {
    click(res::kIdOn);
    QTest::keyClick(dlg.get(), Qt::Key_Return);
    QTest::keyClick(dlg.get(), Qt::Key_Enter);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_NE(dlg->m_pEngine, nullptr);
}

void expectTornDown(CBeatDlg& dlg) {
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(dlg.m_pEngine, nullptr);
    for (CBitmapButton* b : {dlg.m_pBtnAlpha, dlg.m_pBtnTheta, dlg.m_pBtnOn, dlg.m_pBtnStop,
                             dlg.m_pBtnWav, dlg.m_pBtnMidi}) {
        EXPECT_EQ(b, nullptr);
    }
}

TEST_F(MainWindow, StopTearsDownAndEnds) {
    click(res::kIdOn);
    openingHandled();
    click(res::kIdCancel);
    expectTornDown(*dlg);
    EXPECT_EQ(wave->Closes(), 1);
}

TEST_F(MainWindow, EscTearsDownAndEnds) {
    click(res::kIdOn);
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    expectTornDown(*dlg);
    EXPECT_EQ(wave->Closes(), 1);
}

TEST_F(MainWindow, ACloseRequestTearsDownAndEnds) {
    click(res::kIdOn);
    dlg->close();
    expectTornDown(*dlg);
    EXPECT_EQ(wave->Closes(), 1);
}

TEST_F(MainWindow, StopWithNoEngineEnds) {
    click(res::kIdCancel);
    expectTornDown(*dlg);
    EXPECT_EQ(wave->Opens(), 0);
}

TEST_F(MainWindow, AFailedOpenLeavesTheEngineForTheNextCommands) {
    wave->SetFailOpen(true);
    click(res::kIdOn);
    EXPECT_EQ(feedback.boxes, std::vector<std::string>{"Error opening waveform audio device!"});
    ASSERT_NE(dlg->m_pEngine, nullptr);
    click(res::kId220Hz);
    EXPECT_EQ(dlg->m_pEngine->m_nCarrier, 2200);
    dlg->m_sliderWave->repaint();
    click(res::kIdCancel);
    expectTornDown(*dlg);
}

}  // namespace
