// SPDX-License-Identifier: GPL-3.0-or-later
// The main window, shown, on in-process wave and MIDI devices.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>
#include <memory>

#include "platform/testing/capturing_midi_device.h"
#include "platform/testing/virtual_wave_device.h"
#include "ui/beat_dlg.h"

namespace testsupport {

class WindowTest : public ::testing::Test {
  protected:
    explicit WindowTest(plat::VirtualWaveDevice::Pace pace) : pace(pace) {}

    void SetUp() override {
        wave = plat::VirtualWaveDevice::Install(pace);
        midi = plat::CapturingMidiDevice::Install();
        dlg = std::make_unique<CBeatDlg>();
        dlg->Create();
        dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
        QCoreApplication::processEvents();  // its first paint, before anyone clicks
    }
    void TearDown() override {
        dlg.reset();
        plat::CapturingMidiDevice::Uninstall();
        plat::VirtualWaveDevice::Uninstall();
    }

    QAbstractButton* button(int id) { return qobject_cast<QAbstractButton*>(dlg->GetDlgItem(id)); }
    void click(int id) { QTest::mouseClick(button(id), Qt::LeftButton); }

    const plat::VirtualWaveDevice::Pace pace;
    std::shared_ptr<plat::VirtualWaveDevice> wave;
    std::shared_ptr<plat::CapturingMidiDevice> midi;
    std::unique_ptr<CBeatDlg> dlg;
};

}  // namespace testsupport
