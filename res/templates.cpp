// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/templates.h"

namespace res {

const Dialog& MainDialog() {
    static const Dialog dialog{
        102,
        "Tovin？？簡易版",
        "ＭＳ Ｐゴシック",
        9,
        77,
        119,
        158,
        kCaptionNoSystemMenu | kTaskbarEntry,
        {
            {kIdOn, ControlKind::BitmapButton, "ON_B", 45, 25, 27, 16, kGroup | kTabStop, "ON"},
            {kIdCancel, ControlKind::BitmapButton, "STOP_B", 45, 43, 26, 15, kGroup | kTabStop,
             "OFF"},
            {kId150Hz, ControlKind::RadioButton, "150Hz", 43, 63, 30, 10, kGroup},
            {kId110Hz, ControlKind::RadioButton, "110Hz", 43, 77, 30, 10, 0},
            {kId220Hz, ControlKind::RadioButton, "220Hz", 43, 92, 30, 10, 0},
            {kId440Hz, ControlKind::RadioButton, "440Hz", 43, 106, 30, 10, 0},
            {kIdAlpha, ControlKind::BitmapButton, "IDB_B1", 3, 7, 16, 20, kGroup | kTabStop,
             "α 12 Hz"},
            {kIdTheta, ControlKind::BitmapButton, "IDB_B2", 22, 7, 16, 20, kTabStop, "θ 8 Hz"},
            {kIdMidi, ControlKind::BitmapButton, "MIDI", 45, 7, 30, 16, kTabStop, "MIDI"},
            {kIdWaveSlider, ControlKind::Slider, "Slider1", 6, 53, 14, 63, kTabStop | kBorder,
             "Wave volume"},
            {-1, ControlKind::Static, "Vol", 8, 31, 11, 8, kGroup},
            {kIdMidiSlider, ControlKind::Slider, "Slider2", 23, 54, 15, 63, kTabStop | kBorder,
             "MIDI volume"},
            {-1, ControlKind::Static, "Wav  Mid", 8, 43, 34, 8, kGroup},
        },
    };
    return dialog;
}

const Dialog& AboutDialog() {
    static const Dialog dialog{
        103,
        "tovin_wavのﾊﾞｰｼﾞｮﾝ情報",
        "ＭＳ Ｐゴシック",
        10,
        207,
        63,
        0,
        kCloseBox | kSystemModal,
        {
            {-1, ControlKind::Static, "Tovin簡易版1.1", 40, 10, 119, 8, kGroup | kNoPrefix},
            {-1, ControlKind::Static, "Copyright (C) 2026 the Tovin developers", 39, 27, 154, 8,
             kGroup},
            {-1, ControlKind::Icon, "", 12, 11, 20, 20, 0},
            {kIdLink, ControlKind::Link, "作者のＨＰへ（クリック）", 41, 40, 139, 16,
             kGroup | kRaised},
            {kIdCancel, ControlKind::BitmapButton, "OFF", 150, 8, 50, 14, kTabStop, "戻る"},
        },
    };
    return dialog;
}

const Menu& MainMenu() {
    static const Menu menu{158, {{kIdAboutCommand, "バージョン情報"}}};
    return menu;
}

}  // namespace res
