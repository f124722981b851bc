// The picture control: the zoom rectangle dragged over a picture, the status display and
// the grab of its own window.
#include "viewer_support.h"

#include "resource.h"

#include <QApplication>
#include <QTest>

#include <functional>

namespace {

using PictureCtrlTest = ViewerTest;

// Drags with the left button from one point to another, through a point beyond the end
// and back: the rectangle never shrinks.
void Drag(QWidget* widget, QPoint from, QPoint to, QPoint beyond)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    QTest::mouseMove(widget, beyond);
    QTest::mouseMove(widget, to);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
}

TEST_F(PictureCtrlTest, DragOfTenPixelsZoomsAndARightReleaseShowsTheWholePicture)
{
    CMainDlg dialog;
    Run(dialog, picturePath, [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        QWidget* widget = control.GetWidget();
        const int cw = widget->width(), ch = widget->height();
        ASSERT_GT(cw, 100);
        ASSERT_GT(ch, 100);

        // Too short on one side: nothing zooms.
        Drag(widget, {2, 2}, {cw / 2 + 2, 10}, {cw / 2 + 2, 11});
        EXPECT_FALSE(control.m_bZoomed);
        Drag(widget, {2, 2}, {11, ch / 2 + 2}, {11, ch / 2 + 2});
        EXPECT_FALSE(control.m_bZoomed);
        EXPECT_EQ(CellShown(control, 3, 1), kPicture[1][3]);

        // The top-left two cells of the top row fill the control.
        Drag(widget, {2, 2}, {cw / 2 + 2, ch / 2 + 2}, {cw / 2 + 20, ch / 2 + 20});
        EXPECT_TRUE(control.m_bZoomed);
        EXPECT_EQ(control.m_selection.right, cw / 2 + 20) << "moving back does not shrink it";
        EXPECT_EQ(PixelAt(control, cw / 4, ch / 4), kPicture[0][0]);
        EXPECT_EQ(PixelAt(control, cw / 4, 3 * ch / 4), kPicture[0][0]);
        EXPECT_EQ(PixelAt(control, 3 * cw / 4, ch - 1), kPicture[0][1]);

        // A press while zoomed starts no selection.
        QTest::mousePress(widget, Qt::LeftButton, {}, {5, 5});
        EXPECT_FALSE(control.m_bSelecting);
        QTest::mouseRelease(widget, Qt::LeftButton, {}, {5, 5});

        QTest::mouseClick(widget, Qt::RightButton, {}, {5, 5});
        EXPECT_FALSE(control.m_bZoomed);
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 4; ++column)
                EXPECT_EQ(CellShown(control, column, row), kPicture[row][column]);
    });
}

TEST_F(PictureCtrlTest, SelectionIsEdgedWhileItIsDragged)
{
    CMainDlg dialog;
    Run(dialog, picturePath, [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        QWidget* widget = control.GetWidget();
        QTest::mousePress(widget, Qt::LeftButton, {}, {20, 20});
        QTest::mouseMove(widget, {60, 50});
        // The outer ring of the edge: raised, so light on the top and left sides.
        EXPECT_EQ(PixelAt(control, 40, 20), ToRgb(kxgdi::COLOR_3DLIGHT));
        EXPECT_EQ(PixelAt(control, 40, 30), kPicture[0][0]) << "inside stays the picture";
        QTest::mouseRelease(widget, Qt::LeftButton, {}, {60, 50});
        EXPECT_TRUE(control.m_bZoomed);
    });
}

TEST_F(PictureCtrlTest, StatusTextShowsInLightGreyAtTheTopLeftOnDarkBlue)
{
    CMainDlg dialog;
    Run(dialog, "", [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        control.m_status = "Loading from file...";
        control.m_nDisplayMode = DISPLAY_STATUS;
        control.RedrawNow();
        int lit = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 100; ++x)
                lit += PixelAt(control, x, y) == ToRgb(0xCCCCCC);
        EXPECT_GT(lit, 10);
        EXPECT_EQ(PixelAt(control, 5, 60), ToRgb(kDarkBlue));
        EXPECT_EQ(PixelAt(control, control.GetWidget()->width() - 1, 2), ToRgb(kDarkBlue));
    });
}

TEST_F(PictureCtrlTest, GrabbedWindowBecomesThePictureWithItsTopRowOnTop)
{
    CMainDlg dialog;
    Run(dialog, picturePath, [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        const int cw = control.GetWidget()->width(), ch = control.GetWidget()->height();
        PixelAt(control, 0, 0); // painted
        control.GrabWindow();
        KXPICTURE& picture = control.m_picture;
        ASSERT_EQ(picture.GetWidth(), static_cast<std::uint32_t>(cw));
        ASSERT_EQ(picture.GetHeight(), static_cast<std::uint32_t>(ch));
        EXPECT_EQ(picture.GetDepth(), 32);
        // Rows are bottom-up: the last row is the window's top row. The colour reads the
        // pixels through the picture's masks.
        KXCOLOR colour;
        colour.SetMasks(picture.GetRedMask(), picture.GetGreenMask(), picture.GetBlueMask(),
                        picture.GetAlphaMask());
        picture.GetPixelXY(0, picture.GetHeight() - 1, colour);
        EXPECT_EQ(qRgb(colour.GetR(), colour.GetG(), colour.GetB()), kPicture[0][0]);
        picture.GetPixelXY(picture.GetWidth() - 1, 0, colour);
        EXPECT_EQ(qRgb(colour.GetR(), colour.GetG(), colour.GetB()), kPicture[1][3]);
        // Shown again, the grab looks as the window did.
        control.Invalidate();
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 4; ++column)
                EXPECT_EQ(CellShown(control, column, row), kPicture[row][column])
                    << column << ", " << row;
    });
}

// The shown picture is read where the picture holds it, not from a copy made of it: a
// pixel changed in the picture shows at the next paint.
TEST_F(PictureCtrlTest, ShownPictureIsReadFromThePicturesOwnPixels)
{
    CMainDlg dialog;
    Run(dialog, picturePath, [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        EXPECT_EQ(CellShown(control, 0, 0), kPicture[0][0]);
        KXPICTURE& picture = control.m_picture;
        ASSERT_EQ(picture.GetDepth(), 32);
        // The top-left cell is the first pixel of the last row: blue, green, red, alpha.
        std::uint8_t* pixel =
            picture.GetData() + 4 * (picture.GetHeight() - 1) * picture.GetWidth();
        pixel[0] = 0x56;
        pixel[1] = 0x34;
        pixel[2] = 0x12;
        control.Invalidate();
        EXPECT_EQ(CellShown(control, 0, 0), qRgb(0x12, 0x34, 0x56));
    });
}

// When the picture's pixels change or go without a new section after it, the control
// shows what it showed, from a copy it took before: Save as converts the picture to 24
// bits. A picture emptied behind its back shows the empty state and is not read.
TEST_F(PictureCtrlTest, WhatIsShownStaysWhenThePicturesPixelsGo)
{
    const struct {
        const char* what;
        std::function<void(CMainDlg&)> change;
        bool pictureStays;
    } cases[] = {
        {"saved as 24 bits",
         [this](CMainDlg& shown) {
             dialogs.Answer({true, PathOf("copy.bmp"), 1});
             shown.OnCommand(ID_FILE_SAVEAS);
             EXPECT_EQ(shown.GetPictureCtrl().m_picture.GetDepth(), 24);
         },
         true},
        {"emptied behind its back",
         [](CMainDlg& shown) { shown.GetPictureCtrl().m_picture.Reset(); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CMainDlg dialog;
        Run(dialog, picturePath, [&](CMainDlg& shown) {
            CPictureCtrl& control = shown.GetPictureCtrl();
            EXPECT_EQ(CellShown(control, 0, 0), kPicture[0][0]);
            c.change(shown);
            control.Invalidate();
            for (int row = 0; row < 2; ++row)
                for (int column = 0; column < 4; ++column)
                    EXPECT_EQ(CellShown(control, column, row),
                              c.pictureStays ? kPicture[row][column] : ToRgb(kDarkBlue))
                        << column << ", " << row;
        });
    }
}

} // namespace
