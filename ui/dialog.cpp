// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialog.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>
#include <QStyle>

#include "res/resources.h"
#include "ui/compact_style.h"
#include "ui/control_ids.h"
#include "ui/link_label.h"
#include "ui/owner_draw_button.h"
#include "ui/slider_ctrl.h"
#include "ui/static_icon.h"

namespace {
std::function<void(int)> g_router;

Qt::WindowFlags flagsFor(unsigned style) {
    Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    flags |= (style & res::kTaskbarEntry) != 0 ? Qt::Window : Qt::Dialog;
    if ((style & res::kCloseBox) != 0) {
        flags |= Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
    }
    if ((style & res::kSystemModal) != 0) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    return flags;
}
}  // namespace

CDialog::CDialog(const res::Dialog& dialogTemplate, QWidget* parent)
    : QDialog(parent, flagsFor(dialogTemplate.style)), m_template(dialogTemplate) {}

CDialog::~CDialog() = default;

void CDialog::SetCommandRouter(std::function<void(int)> router) {
    g_router = std::move(router);
}

void CDialog::SendCommand(int id) {
    if (!OnCommand(id) && g_router) {
        g_router(id);
    }
}

bool CDialog::Create() {
    if (m_created) {
        return false;
    }
    m_created = true;
    res::InitResources();
    m_handle.CreateHidden(m_template.caption, 0);
    setWindowTitle(QString::fromUtf8(m_template.caption));
    setFont(ui::DialogFont(m_template.font, m_template.pointSize));
    m_units = ui::BaseUnitsOf(font());
    buildMenu();
    buildControls();
    const bool focusFirst = OnInitDialog();
    if (focusFirst) {
        for (QWidget* w : m_client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w->focusPolicy() & Qt::TabFocus) {
                w->setFocus(Qt::OtherFocusReason);
                break;
            }
        }
    }
    return true;
}

int CDialog::DoModal() {
    Create();
    return exec();
}

bool CDialog::OnInitDialog() {
    DoDataExchange();
    return true;
}

void CDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        SendCommand(res::kIdHelp);
        return;
    }
    QDialog::keyPressEvent(event);
}

QWidget* CDialog::GetDlgItem(int id) const {
    return ui::FindControl(this, id);
}

void CDialog::buildMenu() {
    if (m_template.menuId == 0) {
        return;
    }
    m_menuBar = new QMenuBar(this);
    // The dialog colours are the dialog's; the menu bar keeps the desktop's own.
    QPalette menuColours = QApplication::style()->standardPalette();
    m_menuBar->setPalette(menuColours);
    m_menuBar->setAutoFillBackground(true);
    // The menu bar carries commands of its own, with no drop-downs.
    for (const res::MenuItem& item : res::MainMenu().items) {
        QAction* action = m_menuBar->addAction(QString::fromUtf8(item.text));
        const int id = item.id;
        connect(action, &QAction::triggered, this, [this, id] { SendCommand(id); });
    }
}

void CDialog::buildControls() {
    m_client = new QWidget(this);
    const QRect client = ui::ToPixels(m_units, 0, 0, m_template.w, m_template.h);
    const int top = m_menuBar != nullptr ? m_menuBar->sizeHint().height() : 0;
    if (m_menuBar != nullptr) {
        m_menuBar->setGeometry(0, 0, client.width(), top);
    }
    m_client->setGeometry(0, top, client.width(), client.height());
    setFixedSize(client.width(), top + client.height());

    QWidget* previousTabStop = nullptr;
    for (const res::Control& c : m_template.controls) {
        QWidget* w = nullptr;
        const QString text = QString::fromUtf8(c.text);
        switch (c.kind) {
            case res::ControlKind::BitmapButton: {
                auto* b = new ui::OwnerDrawButton(m_client);
                b->setText(text);
                w = b;
                break;
            }
            case res::ControlKind::RadioButton:
                w = new QRadioButton(text, m_client);
                w->setStyle(ui::CompactIndicatorStyle());
                break;
            case res::ControlKind::Slider:
                w = new CSliderCtrl(m_client);
                break;
            case res::ControlKind::Static: {
                auto* label = new QLabel(text, m_client);
                label->setTextFormat(Qt::PlainText);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                w = label;
                break;
            }
            case res::ControlKind::Icon:
                w = new ui::StaticIcon(QPixmap(QStringLiteral(":/images/icon110_32.png")),
                                       m_client);
                break;
            case res::ControlKind::Link: {
                auto* link = new ui::LinkLabel(text, m_client);
                if ((c.style & res::kRaised) != 0) {
                    link->setFrameStyle(QFrame::Panel | QFrame::Raised);
                    link->setLineWidth(2);
                }
                w = link;
                break;
            }
        }
        ui::SetControlId(w, c.id);
        if (c.name != nullptr) {
            w->setAccessibleName(QString::fromUtf8(c.name));
        }
        w->setGeometry(ui::ToPixels(m_units, c.x, c.y, c.w, c.h));
        if ((c.style & res::kTabStop) != 0) {
            w->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop != nullptr) {
                QWidget::setTabOrder(previousTabStop, w);
            }
            previousTabStop = w;
        } else {
            // A click gives a radio button the focus; static texts, the icon and the link never
            // take it, so a click on them leaves it where it was (on ON, say, for Space).
            const bool isStatic = c.kind == res::ControlKind::Static ||
                                  c.kind == res::ControlKind::Icon ||
                                  c.kind == res::ControlKind::Link;
            w->setFocusPolicy(isStatic ? Qt::NoFocus : Qt::ClickFocus);
        }
    }
}
