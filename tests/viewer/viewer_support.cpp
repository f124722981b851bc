#include "viewer_support.h"

#include "modal.h"

#include <QApplication>
#include <QTest>

void ViewerTest::Prepare(std::initializer_list<const char*> binFiles,
                         std::initializer_list<const char*> fixtures)
{
    for (const char* file : binFiles)
        dir.Copy({std::filesystem::path(PELISK_BIN_DIR) / file});
    for (const char* file : fixtures)
        dir.Copy({std::filesystem::path(PELISK_FIXTURE_DIR) / file});
    QImage image(4, 2, QImage::Format_RGB32);
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 4; ++column)
            image.setPixel(column, row, kPicture[row][column]);
    // A name of several words: the command line takes it whole.
    picturePath = PathOf("small picture.bmp");
    ASSERT_TRUE(image.save(QString::fromStdString(picturePath), "BMP"));
    dir.Enter();
}

int ViewerTest::Run(CMainDlg& dialog, const std::string& commandLine,
                    const std::function<void(CMainDlg&)>& body)
{
    const MODALANSWER answering = WhenModal([&dialog, &body](QDialog*) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QCoreApplication::processEvents();
        body(dialog);
        if (dialog.isVisible())
            dialog.OnCancel();
    });
    return dialog.RunWithCommandLine(commandLine.c_str());
}

QRgb ViewerTest::PixelAt(CPictureCtrl& control, int x, int y)
{
    QCoreApplication::processEvents();
    kxgdi::HWND window = control.GetSafeHwnd();
    kxgdi::UpdateWindow(window);
    kxgdi::HDC dc = kxgdi::GetDC(window);
    const kxgdi::COLORREF pixel = kxgdi::GetPixel(dc, x, y);
    kxgdi::ReleaseDC(window, dc);
    return ToRgb(pixel);
}

std::vector<kxgdi::COLORREF> ViewerTest::PaintedPixels(CPictureCtrl& control)
{
    kxgdi::HWND window = control.GetSafeHwnd();
    kxgdi::UpdateWindow(window);
    kxgdi::HDC dc = kxgdi::GetDC(window);
    std::vector<kxgdi::COLORREF> pixels;
    for (int y = 0; y < control.GetWidget()->height(); ++y)
        for (int x = 0; x < control.GetWidget()->width(); ++x)
            pixels.push_back(kxgdi::GetPixel(dc, x, y));
    kxgdi::ReleaseDC(window, dc);
    return pixels;
}

QRgb ViewerTest::CellShown(CPictureCtrl& control, int column, int row)
{
    const int cw = control.GetWidget()->width();
    const int ch = control.GetWidget()->height();
    return PixelAt(control, (2 * column + 1) * cw / 8, (2 * row + 1) * ch / 4);
}
