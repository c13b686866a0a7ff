// The main window on in-process devices: a virtual wave device at the pace a test asks for
// and a capturing MIDI device, so the window's sound and accompaniment can be inspected.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QTest>
#include <memory>

#include "platform/testing/capturing_midi_device.h"
#include "platform/testing/virtual_wave_device.h"
#include "ui/beat_dlg.h"

namespace testsupport {

class WindowTest : public ::testing::Test {
  protected:
    explicit WindowTest(plat::VirtualWaveDevice::Pace pace, bool shown = true)
        : m_pace(pace), m_shown(shown) {}

    void SetUp() override {
        wave = plat::VirtualWaveDevice::Install(m_pace);
        midi = plat::CapturingMidiDevice::Install();
        dlg = std::make_unique<CBeatDlg>();
        dlg->Create();
        if (m_shown) {
            dlg->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
            settle();
        }
    }
    void TearDown() override {
        dlg.reset();
        plat::CapturingMidiDevice::Uninstall();
        plat::VirtualWaveDevice::Uninstall();
    }
    // Lets the window finish what it has to paint, as it would before anyone clicks.
    static void settle() { QCoreApplication::processEvents(); }

    QAbstractButton* button(int id) { return qobject_cast<QAbstractButton*>(dlg->GetDlgItem(id)); }
    void click(int id) { QTest::mouseClick(button(id), Qt::LeftButton); }

    std::shared_ptr<plat::VirtualWaveDevice> wave;
    std::shared_ptr<plat::CapturingMidiDevice> midi;
    std::unique_ptr<CBeatDlg> dlg;

  private:
    plat::VirtualWaveDevice::Pace m_pace;
    bool m_shown;
};

}  // namespace testsupport
