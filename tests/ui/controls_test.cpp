#include <gtest/gtest.h>

#include <QTest>

#include "res/templates.h"
#include "ui/beat_dlg.h"
#include "ui/bitmap_button.h"
#include "ui/control_ids.h"
#include "ui/owner_draw_button.h"
#include "ui/slider_ctrl.h"

namespace {

using Face = CBitmapButton::Face;

struct Loaded {
    QWidget dialog;
    ui::OwnerDrawButton* button;
    CBitmapButton bitmaps;
    explicit Loaded(const char* set) : button(new ui::OwnerDrawButton(&dialog)) {
        button->setText(QString::fromLatin1(set));
        button->setGeometry(17, 9, 60, 30);
        ui::SetControlId(button, 4242);
    }
};

TEST(BitmapButton, TakesTheSizeOfItsUpImageAndKeepsItsCorner) {
    Loaded l("IDB_B1");
    ASSERT_TRUE(l.bitmaps.AutoLoad(4242, &l.dialog));
    EXPECT_EQ(l.button->geometry(), QRect(17, 9, 21, 22));
    EXPECT_TRUE(l.bitmaps.HasImage(Face::Down));
    EXPECT_TRUE(l.bitmaps.HasImage(Face::Disabled));
    EXPECT_FALSE(l.bitmaps.HasImage(Face::Focus));
    EXPECT_EQ(l.bitmaps.Image(Face::Disabled).size(), QSize(22, 22));
}

TEST(BitmapButton, PressedThenFocusedThenDisabledEachOnlyWhereItsImageExists) {
    Loaded l("IDB_B1");  // up, down and disabled images; no focused one
    ASSERT_TRUE(l.bitmaps.AutoLoad(4242, &l.dialog));
    EXPECT_EQ(l.bitmaps.FaceFor(true, true, true), Face::Down);
    EXPECT_EQ(l.bitmaps.FaceFor(false, true, true), Face::Up);  // no focused image
    EXPECT_EQ(l.bitmaps.FaceFor(false, true, false), Face::Disabled);
    EXPECT_EQ(l.bitmaps.FaceFor(false, false, false), Face::Disabled);
    EXPECT_EQ(l.bitmaps.FaceFor(false, false, true), Face::Up);

    Loaded on("ON_B");  // up and down only
    ASSERT_TRUE(on.bitmaps.AutoLoad(4242, &on.dialog));
    EXPECT_EQ(on.bitmaps.FaceFor(false, false, false), Face::Up);
    EXPECT_EQ(on.bitmaps.FaceFor(true, false, true), Face::Down);

    Loaded wav("WAV");  // up and disabled only
    ASSERT_TRUE(wav.bitmaps.AutoLoad(4242, &wav.dialog));
    EXPECT_EQ(wav.bitmaps.FaceFor(true, false, true), Face::Up);
    EXPECT_EQ(wav.bitmaps.FaceFor(false, false, false), Face::Disabled);
}

TEST(BitmapButton, TheDrawnFaceIsTheChosenImage) {
    Loaded l("IDB_B2");
    ASSERT_TRUE(l.bitmaps.AutoLoad(4242, &l.dialog));
    const QImage up = l.button->grab().toImage();
    EXPECT_EQ(up, l.bitmaps.Image(Face::Up).toImage().convertToFormat(up.format()));
    l.button->setEnabled(false);
    const QImage disabled = l.button->grab().toImage();
    EXPECT_EQ(disabled,
              l.bitmaps.Image(Face::Disabled).toImage().convertToFormat(disabled.format()));
    EXPECT_NE(up, disabled);
}

TEST(BitmapButton, AMissingControlOrUpImageFailsWithoutEffect) {
    Loaded l("NO_SUCH_SET");
    EXPECT_FALSE(l.bitmaps.AutoLoad(4242, &l.dialog));
    EXPECT_EQ(l.button->geometry(), QRect(17, 9, 60, 30));
    EXPECT_FALSE(l.bitmaps.AutoLoad(1017, &l.dialog));
    EXPECT_EQ(l.bitmaps.Button(), nullptr);
}

TEST(BitmapButton, ReleasingTheObjectLeavesTheControlDrawingNothing) {
    Loaded l("ON_B");
    auto* bitmaps = new CBitmapButton;
    ASSERT_TRUE(bitmaps->AutoLoad(4242, &l.dialog));
    const QImage up = bitmaps->Image(Face::Up).toImage();
    delete bitmaps;
    // Drawing must not reach the released object (ASan), and no image is drawn any more.
    const QImage after = l.button->grab().toImage();
    EXPECT_NE(after.convertToFormat(up.format()), up);
}

TEST(SliderCtrl, RaisesCustomDrawOnceAtTheStartOfEveryRepaint) {
    CSliderCtrl slider;
    slider.resize(21, 94);
    slider.SetRange(0, 100, false);
    slider.SetPos(100);
    int notes = 0;
    int posSeen = -1;
    QObject::connect(&slider, &CSliderCtrl::customDraw, [&] {
        ++notes;
        posSeen = slider.GetPos();
    });
    slider.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&slider));
    QCoreApplication::processEvents();
    slider.repaint();
    const int afterOne = notes;
    EXPECT_GE(afterOne, 1);
    slider.SetPos(30);
    slider.repaint();
    EXPECT_EQ(notes, afterOne + 1);
    EXPECT_EQ(posSeen, 30);
}

TEST(SliderCtrl, PositionZeroIsAtTheTopAndUpMovesTowardIt) {
    CSliderCtrl slider;
    slider.resize(21, 94);
    slider.SetRange(0, 100, true);
    slider.SetPos(50);
    slider.show();
    QTest::keyClick(&slider, Qt::Key_Up);
    EXPECT_EQ(slider.GetPos(), 49);
    // Clicking near the top pages toward 0; near the bottom toward 100.
    slider.SetPos(50);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(10, 3));
    EXPECT_LT(slider.GetPos(), 50);
    slider.SetPos(50);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(10, 90));
    EXPECT_GT(slider.GetPos(), 50);
    EXPECT_EQ(slider.tickPosition(), QSlider::NoTicks);
}

}  // namespace
