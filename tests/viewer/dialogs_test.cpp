// The small dialogs on their own: the properties list and the Jpeg quantizer.
#include "modal.h"

#include "jpegdlg.h"
#include "propertiesdlg.h"
#include "resource.h"

#include <QLabel>
#include <QListWidget>
#include <QSlider>

#include <gtest/gtest.h>

namespace {

QStringList ShownLines(const char* text)
{
    CPropertiesDlg dialog;
    dialog.SetTitle("Picture properties");
    dialog.SetText(text);
    QStringList lines;
    QString caption;
    const MODALANSWER answering = WhenModal([&](QDialog* shown) {
        caption = shown->windowTitle();
        auto* list = shown->findChild<QListWidget*>();
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        shown->done(KXDIALOG::IDOK);
    });
    dialog.DoModal();
    EXPECT_EQ(caption, "Picture properties");
    return lines;
}

TEST(PropertiesDialog, ListsTheLinesUpToTheFirstEmptyOne)
{
    const struct {
        const char* text;
        QStringList lines;
    } cases[] = {
        {"Width:\t\t\t\t100\nHeight:\t\t\t75\n", {"Width:\t\t\t\t100", "Height:\t\t\t75"}},
        {"one\ntwo", {"one", "two"}},
        {"one\n\nthree\n", {"one"}},
        {"", {}},
        {"\nafter an empty first line", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShownLines(c.text), c.lines) << c.text;
}

TEST(JpegDialog, ReleasedSliderSetsTheQuantizerAndItsText)
{
    CJpegDlg dialog;
    auto* slider = qobject_cast<QSlider*>(dialog.GetDlgItem(IDC_JPEG_QUANTIZER));
    slider->setValue(42);
    long result = -1;
    dialog.OnReleasedCaptureQuantizer(nullptr, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dialog.m_nQuantizer, 1) << "a slider not on the screen is not read";
    EXPECT_EQ(dialog.GetDlgItemText(IDC_JPEG_QUANTIZERTEXT), "Quantizer: 1");

    const MODALANSWER answering = WhenModal([&](QDialog*) {
        slider->setValue(37);
        emit slider->sliderReleased();
        dialog.done(KXDIALOG::IDCANCEL);
    });
    dialog.DoModal();
    EXPECT_EQ(dialog.m_nQuantizer, 37);
    EXPECT_EQ(dialog.GetDlgItemText(IDC_JPEG_QUANTIZERTEXT), "Quantizer: 37");
}

} // namespace
