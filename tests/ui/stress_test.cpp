// The window under abuse: a thousand restarts with the accompaniment toggled between them,
// and the tick sending chords while the user-interface thread changes everything at once.
// Run under the sanitizers, these catch leaks, uses after free and data races.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>

#include "engine/beat_engine.h"
#include "platform/testing/capturing_midi_device.h"
#include "platform/testing/virtual_wave_device.h"
#include "res/templates.h"
#include "tests/support/pump.h"
#include "tests/ui/window_fixture.h"
#include "ui/beat_dlg.h"
#include "ui/slider_ctrl.h"

using namespace plat;
using std::chrono::milliseconds;

namespace {

// Not shown, and clicked without the mouse: a thousand rounds stay quick.
class Stress : public testsupport::WindowTest {
  protected:
    Stress() : WindowTest(VirtualWaveDevice::Pace::RealTime, false) {}
    void click(int id) { button(id)->click(); }
};

TEST_F(Stress, AThousandRestartsLeaveOneEngineAndCloseEveryDevice) {
    for (int i = 0; i < 1000; ++i) {
        click(res::kIdOn);
        click(res::kIdMidi);  // on after one restart, off after the next
        if (i % 250 == 0) {
            testsupport::PumpFor(milliseconds(20));  // let some notifications through too
        }
    }
    EXPECT_EQ(wave->Opens(), 1000);
    EXPECT_EQ(wave->Closes(), 999);  // every engine but the one playing
    click(res::kIdCancel);
    EXPECT_EQ(dlg->m_pEngine, nullptr);
    EXPECT_EQ(wave->Closes(), 1000);
    EXPECT_EQ(midi->Opens(), midi->Closes());
    EXPECT_EQ(midi->CallsAfterClose(), 0);
    testsupport::PumpFor(milliseconds(50));  // notifications for the gone engines are dropped
}

TEST_F(Stress, TheTickPlaysOnWhileTheWindowChangesEverything) {
    click(res::kIdOn);
    const int carriers[] = {res::kId150Hz, res::kId110Hz, res::kId220Hz, res::kId440Hz};
    const auto end = std::chrono::steady_clock::now() + milliseconds(2500);
    int round = 0;
    while (std::chrono::steady_clock::now() < end) {
        // Every tick at a multiple of 50 is a chord decision; put the counter just before
        // one often, so that chords go out while the device opens and closes.
        dlg->m_pEngine->m_nTick = 49;
        click(res::kIdMidi);
        click(carriers[round % 4]);
        click(round % 2 == 0 ? res::kIdAlpha : res::kIdTheta);
        dlg->m_sliderMidi->SetPos(round % 101);
        dlg->m_sliderMidi->repaint();
        if (round % 40 == 39) {
            click(res::kIdOn);
        }
        testsupport::PumpFor(milliseconds(3));
        ++round;
    }
    click(res::kIdCancel);
    EXPECT_GT(round, 100);
    EXPECT_EQ(midi->Opens(), midi->Closes());
    EXPECT_EQ(midi->CallsAfterClose(), 0);
    EXPECT_EQ(wave->Opens(), wave->Closes());
}

}  // namespace
