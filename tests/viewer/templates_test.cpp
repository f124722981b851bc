// The viewer's dialog templates: what each dialog is called, how large it is, and the
// controls the viewer's code addresses by id.
#include "kxtemplates.h"
#include "resource.h"

#include <QByteArray>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

namespace {

TEST(Templates, EachDialogHasItsCaptionSizeAndControls)
{
    const struct {
        int id;
        const char* caption;
        int cx, cy;
        std::size_t controls;
    } cases[] = {
        {IDD_ABOUTBOX, "About Pelisk", 357, 150, 2},
        {IDD_RESIZE, "Resize image", 186, 90, 6},
        {IDD_JPEG, "Jpeg properties", 186, 90, 7},
        {IDD_OPTIONS, "Options...", 258, 214, 8},
        {IDD_PROPERTIES, "Picture Properties...", 186, 142, 2},
        {IDD_VORN, "VORN properties", 186, 137, 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const KXDLGTEMPLATE* layout = FindDialogTemplate(c.id);
        ASSERT_NE(layout, nullptr);
        EXPECT_STREQ(layout->caption, c.caption);
        EXPECT_EQ(layout->cx, c.cx);
        EXPECT_EQ(layout->cy, c.cy);
        EXPECT_STREQ(layout->font, "MS Sans Serif");
        EXPECT_EQ(layout->pointSize, 8);
        EXPECT_EQ(layout->controls.size(), c.controls);
        // Every dialog ends with OK.
        KXDIALOG dialog(*layout);
        EXPECT_NE(qobject_cast<QPushButton*>(dialog.GetDlgItem(KXDIALOG::IDOK)), nullptr);
    }
    EXPECT_EQ(FindDialogTemplate(IDD_MAINDLG), nullptr) << "the main dialog is laid out in code";
}

TEST(Templates, ControlsTheViewerAddressesHaveTheirKinds)
{
    KXDIALOG resize(*FindDialogTemplate(IDD_RESIZE));
    EXPECT_NE(qobject_cast<QLineEdit*>(resize.GetDlgItem(IDC_RESIZE_WIDTH)), nullptr);
    EXPECT_NE(qobject_cast<QLineEdit*>(resize.GetDlgItem(IDC_RESIZE_HEIGHT)), nullptr);
    // The width's box stands above the height's, as "Width:" stands above "Height:".
    EXPECT_LT(resize.GetDlgItem(IDC_RESIZE_WIDTH)->y(), resize.GetDlgItem(IDC_RESIZE_HEIGHT)->y());

    KXDIALOG properties(*FindDialogTemplate(IDD_PROPERTIES));
    auto* list = qobject_cast<QListWidget*>(properties.GetDlgItem(IDC_PROPERTIES_LIST));
    ASSERT_NE(list, nullptr);
    list->addItems({"b", "a"});
    EXPECT_EQ(list->item(0)->text(), "b") << "the properties list keeps its order";

    KXDIALOG vorn(*FindDialogTemplate(IDD_VORN));
    EXPECT_NE(qobject_cast<QSlider*>(vorn.GetDlgItem(IDC_VORN_SIMILARITY)), nullptr);
    EXPECT_NE(qobject_cast<QSlider*>(vorn.GetDlgItem(IDC_VORN_FITNESS)), nullptr);
    EXPECT_NE(qobject_cast<QLineEdit*>(vorn.GetDlgItem(IDC_VORN_GENES)), nullptr);
    vorn.SetRadioIndex(IDC_VORN_DOTS, 1);
    EXPECT_EQ(vorn.GetDlgItemText(IDC_VORN_POLYGONS), "Polygons");
    EXPECT_EQ(vorn.GetRadioIndex(IDC_VORN_DOTS), 1) << "Dots and Polygons are one group";

    KXDIALOG jpeg(*FindDialogTemplate(IDD_JPEG));
    EXPECT_EQ(jpeg.GetDlgItemText(IDC_JPEG_QUANTIZERTEXT), "Quantizer: 1");
    EXPECT_NE(qobject_cast<QSlider*>(jpeg.GetDlgItem(IDC_JPEG_QUANTIZER)), nullptr);
}

TEST(Templates, OnlyTheJpegQuantizerHasTickMarks)
{
    const struct {
        int dialog, slider;
        QSlider::TickPosition ticks;
    } cases[] = {
        {IDD_VORN, IDC_VORN_SIMILARITY, QSlider::NoTicks},
        {IDD_VORN, IDC_VORN_FITNESS, QSlider::NoTicks},
        {IDD_JPEG, IDC_JPEG_QUANTIZER, QSlider::TicksBothSides},
    };
    for (const auto& c : cases) {
        KXDIALOG dialog(*FindDialogTemplate(c.dialog));
        auto* slider = qobject_cast<QSlider*>(dialog.GetDlgItem(c.slider));
        ASSERT_NE(slider, nullptr) << c.slider;
        EXPECT_EQ(slider->tickPosition(), c.ticks) << c.slider;
    }
}

TEST(Templates, PropertyLinesFitTheirListWithoutScrolling)
{
    KXDIALOG properties(*FindDialogTemplate(IDD_PROPERTIES));
    auto* list = qobject_cast<QListWidget*>(properties.GetDlgItem(IDC_PROPERTIES_LIST));
    list->addItems({"Width:\t\t\t\t1024", "Height:\t\t\t768", "Depth:\t\t\t32", "HPPM:\t\t\t\t3780",
                    "VPPM:\t\t\t\t3780", "Buffer size:\t\t3145728",
                    "Classname:\t\t\tKXNULLOBJECT"});
    properties.show();
    const int room = list->viewport()->width();
    const int plain = list->fontMetrics().horizontalAdvance("Buffer size: 3145728");
    for (int row = 0; row < list->count(); ++row) {
        const int needs = list->sizeHintForIndex(list->model()->index(row, 0)).width();
        EXPECT_LE(needs, room) << list->item(row)->text().toStdString();
        EXPECT_GT(needs, plain / 2) << "the tabs take room";
    }
}

TEST(Templates, AboutBoxShowsItsBitmapWhereTheTemplatePutsIt)
{
    KXDIALOG about(*FindDialogTemplate(IDD_ABOUTBOX));
    auto* picture = about.findChild<QLabel*>();
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->text().isEmpty()) << "the bitmap's name is no text to show";
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(Qt::red);
    about.SetBitmap(QByteArray::number(IDB_ABOUT).constData(), image);
    EXPECT_EQ(picture->pixmap().size(), QSize(320, 240));
    EXPECT_EQ(picture->geometry(), about.MapDialogRect(QRect(0, 1, 213, 148)));
}

} // namespace
