// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog templates and the menu, as data: ids, kinds, texts, rectangles in dialog
// units and styles. The window code builds its widgets from these.
#pragma once

#include <vector>

namespace res {

enum class ControlKind {
    BitmapButton,  // owner-drawn push button; its caption names its image set
    RadioButton,   // automatic radio button
    Slider,        // vertical trackbar
    Static,        // left-aligned static text
    Icon,          // static icon
    Link,          // static text that reports clicks
};

// Control styles that the window code acts on.
enum Style : unsigned {
    kGroup = 1u << 0,     // starts a group
    kTabStop = 1u << 1,   // reached with Tab
    kNoPrefix = 1u << 2,  // '&' is shown as it is
    kRaised = 1u << 3,    // border and dialog frame: looks raised like a button
    kBorder = 1u << 4,    // window border with dialog-frame, client-edge, static-edge
};

struct Control {
    int id;  // -1 for controls that have none
    ControlKind kind;
    const char* text;
    int x, y, w, h;  // dialog units
    unsigned style;
    // What screen readers call a control whose text does not say it (a bitmap button's
    // text names its images, a slider shows none); none: its text.
    const char* name = nullptr;
};

// Window styles that the window code acts on.
enum DialogStyle : unsigned {
    kCaptionNoSystemMenu = 1u << 0,  // a caption, but no close, minimise or maximise box
    kCloseBox = 1u << 1,             // a caption with a system menu, so a close box
    kSystemModal = 1u << 2,          // stays above all other windows while it runs
    kTaskbarEntry = 1u << 3,
};

struct Dialog {
    int id;
    const char* caption;
    const char* font;
    int pointSize;
    int w, h;    // dialog units
    int menuId;  // 0 for none
    unsigned style;
    std::vector<Control> controls;  // template order, which is also tab order
};

struct MenuItem {
    int id;
    const char* text;
};

struct Menu {
    int id;
    std::vector<MenuItem> items;  // commands on the bar itself, no drop-downs
};

const Dialog& MainDialog();   // 102
const Dialog& AboutDialog();  // 103
const Menu& MainMenu();       // 158

// Control ids.
constexpr int kIdCancel = 2;
constexpr int kIdOn = 1000;
constexpr int kId150Hz = 1006;
constexpr int kId110Hz = 1007;
constexpr int kId220Hz = 1008;
constexpr int kIdAlpha = 1012;
constexpr int kIdTheta = 1013;
constexpr int kId440Hz = 1015;
constexpr int kIdWav = 1017;
constexpr int kIdMidi = 1018;
constexpr int kIdWaveSlider = 1021;
constexpr int kIdMidiSlider = 1022;
constexpr int kIdLink = 1010;
constexpr int kIdAboutCommand = 0x8003;
constexpr int kIdHelp = 0xE146;  // the help request, F1 in any dialog
constexpr int kIdIcon = 110;

}  // namespace res
