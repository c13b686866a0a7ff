// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QTest>

#include "ui/bitmap_button.h"
#include "ui/control_ids.h"
#include "ui/slider_ctrl.h"

namespace {

using Face = CBitmapButton::Face;

struct Loaded {
    QWidget dialog;
    ui::OwnerDrawButton* button = new ui::OwnerDrawButton(&dialog);
    CBitmapButton bitmaps;
    bool loaded = false;
    explicit Loaded(const char* set, bool load = true) {
        button->setText(QString::fromLatin1(set));
        button->setGeometry(17, 9, 60, 30);
        ui::SetControlId(button, 4242);
        loaded = load && bitmaps.AutoLoad(4242, &dialog);
    }
};

TEST(BitmapButton, TakesItsUpImagesSizeAndDrawsTheFaceItsImagesAllow) {
    Loaded alpha("IDB_B1");  // up, down and disabled images, no focused one
    ASSERT_TRUE(alpha.loaded);
    EXPECT_EQ(alpha.button->geometry(), QRect(17, 9, 21, 22));  // the corner kept
    EXPECT_EQ(alpha.bitmaps.Image(Face::Disabled).size(), QSize(22, 22));
    EXPECT_EQ(alpha.bitmaps.FaceFor(true, true, true), Face::Down);  // pressed, focused, enabled
    EXPECT_EQ(alpha.bitmaps.FaceFor(false, true, true), Face::Up);   // no focused image
    EXPECT_EQ(alpha.bitmaps.FaceFor(false, true, false), Face::Disabled);
    Loaded wav("WAV");  // up and disabled only
    ASSERT_TRUE(wav.loaded);
    EXPECT_EQ(wav.bitmaps.FaceFor(true, false, true), Face::Up);
    Loaded theta("IDB_B2");  // its images are all 21 × 22
    const QImage up = theta.button->grab().toImage();
    EXPECT_EQ(up, theta.bitmaps.Image(Face::Up).toImage().convertToFormat(up.format()));
    theta.button->setEnabled(false);
    const QImage disabled = theta.button->grab().toImage();
    EXPECT_EQ(disabled, theta.bitmaps.Image(Face::Disabled).toImage().convertToFormat(up.format()));
    Loaded none("NO_SUCH_SET");  // no up image: fails and changes nothing
    EXPECT_FALSE(none.loaded);
    EXPECT_EQ(none.button->geometry(), QRect(17, 9, 60, 30));
    EXPECT_FALSE(none.bitmaps.AutoLoad(1017, &none.dialog));  // no such control
    Loaded on("ON_B", false);
    auto* released = new CBitmapButton;  // drawing after it is gone reaches nothing (ASan)
    ASSERT_TRUE(released->AutoLoad(4242, &on.dialog));
    const QImage onUp = released->Image(Face::Up).toImage();
    delete released;
    EXPECT_NE(on.button->grab().toImage().convertToFormat(onUp.format()), onUp);
}

TEST(SliderCtrl, ReportsOnceAtEveryRepaintAndHasZeroAtTheTop) {
    CSliderCtrl slider;
    slider.resize(21, 94);
    slider.SetRange(0, 100, false);
    slider.SetPos(50);
    int reports = 0;
    QObject::connect(&slider, &CSliderCtrl::customDraw, [&] { ++reports; });
    slider.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&slider));
    QCoreApplication::processEvents();
    const int before = reports;
    slider.repaint();
    EXPECT_EQ(reports, before + 1);
    // As on the platform's trackbar, Left goes with Up toward 0 and Right with Down.
    const std::pair<Qt::Key, int> keys[] = {
        {Qt::Key_Up, 49}, {Qt::Key_Left, 48}, {Qt::Key_Right, 49}};
    for (const auto& [key, position] : keys) {
        QTest::keyClick(&slider, key);
        EXPECT_EQ(slider.GetPos(), position) << key;
    }
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(10, 3));  // near the top: toward 0
    EXPECT_LT(slider.GetPos(), 49);
    EXPECT_EQ(slider.tickPosition(), QSlider::NoTicks);
}

}  // namespace
