// SPDX-License-Identifier: GPL-3.0-or-later
// Controls built from a template carry their template id, so that code can find them by
// id as the dialog's own code does.
#pragma once

class QWidget;

namespace ui {

void SetControlId(QWidget* control, int id);
int ControlId(const QWidget* control);  // -1 when it has none
QWidget* FindControl(const QWidget* dialog, int id);

}  // namespace ui
