// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/bitmap_button.h"

#include <QPainter>

#include "res/resources.h"
#include "ui/control_ids.h"
#include "ui/whole_pixels.h"

CBitmapButton::~CBitmapButton() {
    if (m_button) {
        m_button->setDrawer(nullptr);
    }
}

bool CBitmapButton::AutoLoad(int id, QWidget* dialog) {
    auto* button = qobject_cast<ui::OwnerDrawButton*>(ui::FindControl(dialog, id));
    if (button == nullptr) {
        return false;
    }
    res::InitResources();
    const QString base = QStringLiteral(":/images/") + button->text();
    m_up = QPixmap(base + QStringLiteral("U.bmp"));
    if (m_up.isNull()) {
        return false;
    }
    m_down = QPixmap(base + QStringLiteral("D.bmp"));
    m_focus = QPixmap(base + QStringLiteral("F.bmp"));
    m_disabled = QPixmap(base + QStringLiteral("X.bmp"));
    m_button = button;
    button->resize(m_up.size());
    button->setDrawer([this](QPainter& p, const ui::OwnerDrawButton& b) { draw(p, b); });
    return true;
}

CBitmapButton::Face CBitmapButton::FaceFor(bool pressed, bool focused, bool enabled) const {
    if (pressed && HasImage(Face::Down)) {
        return Face::Down;
    }
    if (focused && HasImage(Face::Focus)) {
        return Face::Focus;
    }
    if (!enabled && HasImage(Face::Disabled)) {
        return Face::Disabled;
    }
    return Face::Up;
}

const QPixmap& CBitmapButton::Image(Face face) const {
    switch (face) {
        case Face::Down:
            return m_down;
        case Face::Focus:
            return m_focus;
        case Face::Disabled:
            return m_disabled;
        case Face::Up:
            break;
    }
    return m_up;
}

void CBitmapButton::draw(QPainter& painter, const ui::OwnerDrawButton& button) const {
    const Face face = FaceFor(button.isDown(), button.hasFocus(), button.isEnabled());
    ui::DrawInWholePixels(painter, Image(face));
}
