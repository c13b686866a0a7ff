// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/beat_dlg.h"

#include <QRadioButton>

#include "engine/beat_engine.h"
#include "res/templates.h"
#include "ui/bitmap_button.h"
#include "ui/slider_ctrl.h"

namespace {
constexpr int kBeatAlpha = 120;  // 12.0 Hz
constexpr int kBeatTheta = 80;   // 8.0 Hz
}  // namespace

CBeatDlg::CBeatDlg(QWidget* parent) : CDialog(res::MainDialog(), parent) {
    m_hIcon.addFile(QStringLiteral(":/images/icon110_32.png"));
}

CBeatDlg::~CBeatDlg() {
    // The window normally ends through the closing teardown; an object destroyed without
    // one must still not leave a playing engine or the buttons behind.
    destroyEngine();
    for (CBitmapButton** button :
         {&m_pBtnAlpha, &m_pBtnTheta, &m_pBtnOn, &m_pBtnStop, &m_pBtnWav, &m_pBtnMidi}) {
        delete *button;
        *button = nullptr;
    }
}

void CBeatDlg::DoDataExchange() {
    m_sliderMidi = qobject_cast<CSliderCtrl*>(GetDlgItem(res::kIdMidiSlider));
    m_sliderWave = qobject_cast<CSliderCtrl*>(GetDlgItem(res::kIdWaveSlider));
    m_radio150 = qobject_cast<QRadioButton*>(GetDlgItem(res::kId150Hz));
}

bool CBeatDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The large and the small icon alike: where a small one is wanted, the 32 × 32 image is
    // scaled down.
    setWindowIcon(m_hIcon);
    m_pEngine = nullptr;
    m_radio150->setChecked(true);
    m_nCarrier = 1500;
    // The beat in force is the one whose button is disabled: θ, 8.0 Hz.
    m_nBeat = kBeatTheta;
    for (CSliderCtrl* slider : {m_sliderWave, m_sliderMidi}) {
        slider->SetRange(0, 100, false);
        slider->SetSelection(0, 100);
        slider->SetPos(100);
    }
    m_pBtnAlpha = new CBitmapButton;
    m_pBtnAlpha->AutoLoad(res::kIdAlpha, this);
    m_pBtnTheta = new CBitmapButton;
    m_pBtnTheta->AutoLoad(res::kIdTheta, this);
    m_pBtnOn = new CBitmapButton;
    m_pBtnOn->AutoLoad(res::kIdOn, this);
    m_pBtnStop = new CBitmapButton;
    m_pBtnStop->AutoLoad(res::kIdCancel, this);
    m_pBtnWav = new CBitmapButton;
    m_pBtnWav->AutoLoad(res::kIdWav, this);  // this window has no WAV control
    m_pBtnMidi = new CBitmapButton;
    m_pBtnMidi->AutoLoad(res::kIdMidi, this);
    enableBeatButtons();
    m_bMidiOn = 0;
    bindEvents();
    return true;
}

void CBeatDlg::bindEvents() {
    auto onClick = [this](int id, auto handler) {
        if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id))) {
            connect(button, &QAbstractButton::clicked, this, handler);
        }
    };
    onClick(res::kIdOn, [this] { OnOn(); });
    onClick(res::kId150Hz, [this] { OnCarrier(1500); });
    onClick(res::kId110Hz, [this] { OnCarrier(1100); });
    onClick(res::kId220Hz, [this] { OnCarrier(2200); });
    onClick(res::kIdAlpha, [this] { OnBeat(kBeatAlpha); });
    onClick(res::kIdTheta, [this] { OnBeat(kBeatTheta); });
    onClick(res::kId440Hz, [this] { OnCarrier(4400); });
    onClick(res::kIdWav, [this] { OnWav(); });
    onClick(res::kIdMidi, [this] { OnMidi(); });
    onClick(res::kIdCancel, [this] { reject(); });
    connect(m_sliderWave, &CSliderCtrl::customDraw, this, [this] { OnWaveSliderDraw(); });
    connect(m_sliderMidi, &CSliderCtrl::customDraw, this, [this] { OnMidiSliderDraw(); });
}

void CBeatDlg::destroyEngine() {
    if (m_pEngine != nullptr) {
        m_pEngine->StopOutput();
        m_pEngine->StopMidi();
        delete m_pEngine;
        m_pEngine = nullptr;
    }
}

void CBeatDlg::OnOn() {
    destroyEngine();
    m_pEngine = new CBeatEngine;
    m_pEngine->SetTone(m_nCarrier, m_nBeat);
    m_pEngine->OpenOutput();
    m_pEngine->CheckPlatform();
}

void CBeatDlg::OnCarrier(int carrier) {
    m_nCarrier = carrier;
    if (m_pEngine != nullptr) {
        m_pEngine->SetTone(m_nCarrier, m_nBeat);
    }
}

void CBeatDlg::OnBeat(int beat) {
    m_nBeat = beat;
    if (m_pEngine != nullptr) {
        m_pEngine->SetTone(m_nCarrier, m_nBeat);
    }
    enableBeatButtons();
}

void CBeatDlg::enableBeatButtons() {
    if (QWidget* alpha = GetDlgItem(res::kIdAlpha)) {
        alpha->setEnabled(m_nBeat != kBeatAlpha);
    }
    if (QWidget* theta = GetDlgItem(res::kIdTheta)) {
        theta->setEnabled(m_nBeat != kBeatTheta);
    }
}

void CBeatDlg::OnMidi() {
    m_bMidiOn = m_bMidiOn == 0 ? 1 : 0;
    if (m_pEngine == nullptr) {
        return;
    }
    if (m_bMidiOn) {
        m_pEngine->StartMidi();
    } else {
        m_pEngine->StopMidi();
    }
}

void CBeatDlg::OnWav() {
    // The window shows nothing about the render, whatever its outcome.
    QWidget* wav = GetDlgItem(res::kIdWav);
    if (wav != nullptr) {
        wav->setEnabled(false);
    }
    CBeatEngine render(RenderToFile{m_nCarrier, m_nBeat, "tovin.wav"});
    if (wav != nullptr) {
        wav->setEnabled(true);
    }
}

void CBeatDlg::OnWaveSliderDraw() {
    if (m_pEngine != nullptr) {
        m_pEngine->SetWaveVolume(100 - m_sliderWave->GetPos());
    }
}

void CBeatDlg::OnMidiSliderDraw() {
    if (m_pEngine != nullptr) {
        m_pEngine->SetMidiVolume(100 - m_sliderMidi->GetPos());
    }
}

void CBeatDlg::OnCancel() {
    destroyEngine();
    for (CBitmapButton** button :
         {&m_pBtnAlpha, &m_pBtnTheta, &m_pBtnOn, &m_pBtnStop, &m_pBtnWav, &m_pBtnMidi}) {
        delete *button;
        *button = nullptr;
    }
    QDialog::reject();
}

void CBeatDlg::reject() {
    OnCancel();
}

void CBeatDlg::accept() {}
