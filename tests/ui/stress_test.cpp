// SPDX-License-Identifier: GPL-3.0-or-later
// The window under abuse, for the sanitizers to find leaks, uses after free and data races.
#include "engine/beat_engine.h"
#include "res/templates.h"
#include "tests/support/pump.h"
#include "tests/ui/window_fixture.h"
#include "ui/slider_ctrl.h"

using std::chrono::milliseconds;

namespace {

class Stress : public testsupport::WindowTest {
  protected:
    Stress() : WindowTest(plat::VirtualWaveDevice::Pace::RealTime) {}
    void press(int id) { button(id)->click(); }  // no mouse: a thousand rounds stay quick
    void expectAllClosed() {
        EXPECT_EQ(wave->Opens(), wave->Closes());
        EXPECT_EQ(midi->Opens(), midi->Closes());
        EXPECT_EQ(midi->CallsAfterClose(), 0);
    }
};

TEST_F(Stress, AThousandRestartsLeaveOneEngineAndCloseEveryDevice) {
    for (int i = 0; i < 1000; ++i) {
        press(res::kIdOn);
        press(res::kIdMidi);  // on after one restart, off after the next
        if (i % 250 == 0) {
            testsupport::PumpFor(milliseconds(20));  // some notifications get through too
        }
    }
    EXPECT_EQ(wave->Closes(), 999);  // every engine but the one playing
    press(res::kIdCancel);
    expectAllClosed();
    testsupport::PumpFor(milliseconds(50));  // notifications for the gone engines are dropped
}

TEST_F(Stress, TheTickPlaysOnWhileTheWindowChangesEverything) {
    press(res::kIdOn);
    const int carriers[] = {res::kId150Hz, res::kId110Hz, res::kId220Hz, res::kId440Hz};
    const auto end = std::chrono::steady_clock::now() + milliseconds(2500);
    for (int round = 0; std::chrono::steady_clock::now() < end; ++round) {
        dlg->m_pEngine->m_nTick = 49;  // a chord decision next, while the device opens and closes
        press(res::kIdMidi);
        press(carriers[round % 4]);
        press(round % 2 == 0 ? res::kIdAlpha : res::kIdTheta);
        dlg->m_sliderMidi->SetPos(round % 101);
        dlg->m_sliderMidi->repaint();
        if (round % 40 == 39) {
            press(res::kIdOn);
        }
        testsupport::PumpFor(milliseconds(3));
    }
    press(res::kIdCancel);
    expectAllClosed();
}

}  // namespace
