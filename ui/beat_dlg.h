// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: ON builds a fresh engine and plays, STOP (or Esc, or a close request)
// tears everything down and ends the window; four carriers, two beats, the MIDI toggle
// and two volume sliders.
#pragma once

#include <QIcon>
#include <memory>

#include "ui/dialog.h"

class CBeatEngine;
class CBitmapButton;
class CSliderCtrl;
class QRadioButton;

class CBeatDlg : public CDialog {
    Q_OBJECT
  public:
    explicit CBeatDlg(QWidget* parent = nullptr);
    ~CBeatDlg() override;

    // Commands, as the window's event table binds them.
    void OnOn();
    void OnCarrier(int carrier);
    void OnBeat(int beat);
    void OnMidi();
    void OnWav();
    void OnWaveSliderDraw();
    void OnMidiSliderDraw();
    // The closing teardown, run by the cancel command.
    void OnCancel();

    int m_nBeat = 0;
    int m_bMidiOn = 0;
    CBeatEngine* m_pEngine = nullptr;
    int m_nCarrier = 0;
    CBitmapButton* m_pBtnAlpha = nullptr;
    CBitmapButton* m_pBtnTheta = nullptr;
    CBitmapButton* m_pBtnOn = nullptr;
    CBitmapButton* m_pBtnStop = nullptr;
    CBitmapButton* m_pBtnWav = nullptr;
    CBitmapButton* m_pBtnMidi = nullptr;
    CSliderCtrl* m_sliderMidi = nullptr;
    CSliderCtrl* m_sliderWave = nullptr;
    QRadioButton* m_radio150 = nullptr;
    QIcon m_hIcon;

  protected:
    bool OnInitDialog() override;
    void DoDataExchange() override;
    void reject() override;  // the cancel command
    void accept() override;  // Enter: the window does not end on it

  private:
    void bindEvents();
    void destroyEngine();
    void enableBeatButtons();
};
