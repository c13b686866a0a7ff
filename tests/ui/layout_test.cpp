#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>

#include "app/about_dlg.h"
#include "res/templates.h"
#include "ui/beat_dlg.h"
#include "ui/bitmap_button.h"
#include "ui/dialog_units.h"

namespace {

// Base units worked from the font: the average width of the 52 letters and the height.
ui::BaseUnits expectedUnits(const QFont& font) {
    const QFontMetrics m(font);
    int total = 0;
    for (char c = 'A'; c <= 'Z'; ++c) {
        total += m.horizontalAdvance(QChar(c));
        total += m.horizontalAdvance(QChar(c - 'A' + 'a'));
    }
    return {static_cast<int>(std::lround(total / 52.0)), m.height()};
}

int px(int units, int base, int per) {
    return static_cast<int>(std::lround(units * base / double(per)));
}

void expectLayout(CDialog& dlg, const char* name) {
    SCOPED_TRACE(name);
    const ui::BaseUnits units = expectedUnits(dlg.font());
    EXPECT_EQ(dlg.Units().x, units.x);
    EXPECT_EQ(dlg.Units().y, units.y);
    EXPECT_EQ(dlg.Client()->width(), px(dlg.Template().w, units.x, 4));
    EXPECT_EQ(dlg.Client()->height(), px(dlg.Template().h, units.y, 8));
    for (const res::Control& c : dlg.Template().controls) {
        if (c.id < 0) {
            continue;
        }
        QWidget* w = dlg.GetDlgItem(c.id);
        ASSERT_NE(w, nullptr) << c.id;
        SCOPED_TRACE(c.id);
        EXPECT_EQ(w->x(), px(c.x, units.x, 4));
        EXPECT_EQ(w->y(), px(c.y, units.y, 8));
        if (c.kind == res::ControlKind::BitmapButton) {
            const QPixmap up(QStringLiteral(":/images/") + QString::fromUtf8(c.text) + "U.bmp");
            ASSERT_FALSE(up.isNull());
            EXPECT_EQ(w->size(), up.size());  // the up image's size, not the template's
        } else {
            EXPECT_EQ(w->width(), px(c.w, units.x, 4));
            EXPECT_EQ(w->height(), px(c.h, units.y, 8));
        }
    }
}

TEST(Layout, MainWindowControlsSitAtTheirTemplateRectangles) {
    CBeatDlg dlg;
    dlg.Create();
    EXPECT_EQ(QFontInfo(dlg.font()).family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(dlg.font().pointSize(), 9);
    expectLayout(dlg, "template 102");
    EXPECT_EQ(dlg.GetDlgItem(res::kIdOn)->size(), QSize(41, 22));
    EXPECT_EQ(dlg.GetDlgItem(res::kIdAlpha)->size(), QSize(21, 22));
}

TEST(Layout, AboutBoxControlsSitAtTheirTemplateRectangles) {
    auto* about = new CAboutDlg;
    about->Create();
    EXPECT_EQ(about->font().pointSize(), 10);
    EXPECT_EQ(about->windowTitle(), QStringLiteral("tovin_wavのﾊﾞｰｼﾞｮﾝ情報"));
    expectLayout(*about, "template 103");
    delete about;
}

TEST(Layout, TheMainTemplateHasNoWavControlAndAttachingItFailsQuietly) {
    CBeatDlg dlg;
    dlg.Create();
    EXPECT_EQ(dlg.GetDlgItem(res::kIdWav), nullptr);
    ASSERT_NE(dlg.m_pBtnWav, nullptr);
    EXPECT_EQ(dlg.m_pBtnWav->Button(), nullptr);
    for (CBitmapButton* b :
         {dlg.m_pBtnAlpha, dlg.m_pBtnTheta, dlg.m_pBtnOn, dlg.m_pBtnStop, dlg.m_pBtnMidi}) {
        EXPECT_NE(b->Button(), nullptr);
    }
}

TEST(Layout, TextsAreTheProgramsOwn) {
    CBeatDlg dlg;
    dlg.Create();
    QStringList labels;
    for (QLabel* l : dlg.findChildren<QLabel*>()) {
        labels << l->text();
    }
    EXPECT_TRUE(labels.contains(QStringLiteral("Vol")));
    EXPECT_TRUE(labels.contains(QStringLiteral("Wav  Mid")));
    EXPECT_EQ(qobject_cast<QAbstractButton*>(dlg.GetDlgItem(res::kId440Hz))->text(),
              QStringLiteral("440Hz"));
}

TEST(Layout, ScreenshotsForPeopleToLookAt) {
    QPalette p = qApp->palette();
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, Qt::yellow);
    qApp->setPalette(p);
    CBeatDlg dlg;
    dlg.Create();
    dlg.show();
    auto* about = new CAboutDlg;
    about->Create();
    about->show();
    QDir().mkpath(QStringLiteral(TOVIN_SCREENSHOT_DIR));
    const QImage main = dlg.grab().toImage();
    const QImage box = about->grab().toImage();
    EXPECT_TRUE(main.save(QStringLiteral(TOVIN_SCREENSHOT_DIR "/main-window.png")));
    EXPECT_TRUE(box.save(QStringLiteral(TOVIN_SCREENSHOT_DIR "/about-box.png")));
    // Black ground, as every dialog of the program has.
    EXPECT_EQ(main.pixelColor(main.width() - 2, main.height() - 2), QColor(Qt::black));
    delete about;
}

}  // namespace
