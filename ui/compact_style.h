// SPDX-License-Identifier: GPL-3.0-or-later
// Radio buttons in the templates are sized for a 13-pixel indicator with a 3-pixel gap
// before the label; this style draws them that way so that their labels fit.
#pragma once

class QStyle;

namespace ui {
QStyle* CompactIndicatorStyle();  // shared, lives as long as the application
}  // namespace ui
