// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/control_ids.h"

#include <QVariant>
#include <QWidget>

namespace ui {
namespace {
constexpr const char* kProperty = "controlId";
}

void SetControlId(QWidget* control, int id) {
    control->setProperty(kProperty, id);
}

int ControlId(const QWidget* control) {
    const QVariant id = control->property(kProperty);
    return id.isValid() ? id.toInt() : -1;
}

QWidget* FindControl(const QWidget* dialog, int id) {
    if (dialog == nullptr || id < 0) {
        return nullptr;
    }
    const auto children = dialog->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (ControlId(child) == id) {
            return child;
        }
    }
    return nullptr;
}

}  // namespace ui
