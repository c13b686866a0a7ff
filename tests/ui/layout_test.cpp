// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>

#include "app/about_dlg.h"
#include "ui/beat_dlg.h"
#include "ui/bitmap_button.h"

namespace {

TEST(DialogUnits, AQuarterOfTheAverageLetterAcrossAndAnEighthOfTheHeightDown) {
    // Base units 6 × 12: 45 × 6 / 4 = 67.5 → 68, 25 × 12 / 8 = 37.5 → 38, 27 → 40.5 → 41.
    EXPECT_EQ(ui::ToPixels({6, 12}, 45, 25, 27, 16), QRect(68, 38, 41, 24));
    EXPECT_EQ(ui::ToPixels({7, 15}, 77, 119, 3, 1), QRect(135, 223, 5, 2));  // 134.75, 223.1
}

void expectLaidOut(CDialog& dlg, int points) {
    EXPECT_EQ(QFontInfo(dlg.font()).family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(dlg.font().pointSize(), points);
    const ui::BaseUnits units = ui::BaseUnitsOf(dlg.font());
    EXPECT_EQ(dlg.Client()->size(),
              ui::ToPixels(units, 0, 0, dlg.Template().w, dlg.Template().h).size());
    for (const res::Control& c : dlg.Template().controls) {
        QWidget* w = c.id < 0 ? nullptr : dlg.GetDlgItem(c.id);
        if (w == nullptr) {
            continue;
        }
        const QRect r = ui::ToPixels(units, c.x, c.y, c.w, c.h);
        EXPECT_EQ(w->pos(), r.topLeft()) << c.id;
        const QPixmap up(QStringLiteral(":/images/%1U.bmp").arg(QString::fromUtf8(c.text)));
        // A bitmap button takes its up image's size, not the template's.
        EXPECT_EQ(w->size(), c.kind == res::ControlKind::BitmapButton ? up.size() : r.size())
            << c.id;
    }
}

TEST(Layout, BothDialogsSitAtTheirTemplateRectanglesAndLookAsTheyShould) {
    QPalette p = qApp->palette();  // the program's colours, for the screenshots below
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, Qt::yellow);
    qApp->setPalette(p);
    CBeatDlg dlg;
    dlg.Create();
    expectLaidOut(dlg, 9);
    EXPECT_EQ(dlg.GetDlgItem(res::kIdOn)->size(), QSize(41, 22));
    EXPECT_EQ(dlg.GetDlgItem(res::kIdWav), nullptr);  // no WAV control; attaching it failed
    EXPECT_EQ(dlg.m_pBtnWav->Button(), nullptr);
    CAboutDlg about;
    about.Create();
    expectLaidOut(about, 10);
    EXPECT_EQ(about.windowTitle(), QStringLiteral("tovin_wavのﾊﾞｰｼﾞｮﾝ情報"));
    QDir().mkpath(QStringLiteral(TOVIN_SCREENSHOT_DIR));
    const QImage main = dlg.grab().toImage();
    EXPECT_TRUE(main.save(QStringLiteral(TOVIN_SCREENSHOT_DIR "/main-window.png")));
    EXPECT_TRUE(about.grab().toImage().save(QStringLiteral(TOVIN_SCREENSHOT_DIR "/about-box.png")));
    EXPECT_EQ(main.pixelColor(main.width() - 2, main.height() - 2), QColor(Qt::black));
}

}  // namespace
