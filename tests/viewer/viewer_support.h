// The viewer as a person meets it, headless: a temporary directory holding the memory
// manager, the bitmap loader and a small bitmap; the main dialog run modally while a test
// acts on it; the picture control's pixels read back through the drawing layer.
#pragma once

#include "maindlg.h"
#include "scripted_dialogs.h"
#include "tempdir.h"

#include "kxgdi.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// The 4 × 2 picture of the tests, by row from the top and column, as QRgb.
inline constexpr std::array<std::array<QRgb, 4>, 2> kPicture = {{
    {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00},
    {0xFF00FFFF, 0xFFFF00FF, 0xFF808080, 0xFFFFFFFF},
}};

inline constexpr kxgdi::COLORREF kDarkBlue = 0xAA0000;

// A window pixel (red in the low byte) as QRgb.
inline QRgb ToRgb(kxgdi::COLORREF pixel)
{
    return qRgb(pixel & 0xFF, (pixel >> 8) & 0xFF, (pixel >> 16) & 0xFF);
}

class ViewerTest : public testing::Test {
protected:
    // The directory holds stowel.dll and the given plug-ins of bin/ and of the fixtures.
    void Prepare(std::initializer_list<const char*> binFiles,
                 std::initializer_list<const char*> fixtures = {});
    void SetUp() override { Prepare({"stowel.dll", "pimbrel.dll"}); }

    std::string PathOf(const char* name) const { return (dir.Path() / name).string(); }

    // Runs the dialog modally with the command line; body acts once it is shown, then the
    // dialog is closed if body left it open. Returns how the dialog ended.
    int Run(CMainDlg& dialog, const std::string& commandLine,
            const std::function<void(CMainDlg&)>& body);

    // Paints the picture control now and reads one of its pixels.
    static QRgb PixelAt(CPictureCtrl& control, int x, int y);
    // The colour of the picture's cell (column, row from the top) at the centre of where it
    // shows on a control of cw × ch.
    static QRgb CellShown(CPictureCtrl& control, int column, int row);
    // Every pixel of the control's window once its pending paint is done, row by row; no
    // queued call runs meanwhile.
    static std::vector<kxgdi::COLORREF> PaintedPixels(CPictureCtrl& control);

    ScopedTempDir dir;
    SCRIPTEDDIALOGS dialogs;
    // The bitmap of kPicture, written by the toolkit.
    std::string picturePath;
};
