// The first paint of a start: a file named on the command line is opened before the window
// shows, so the first thing the window shows is the picture, never the loading text, and a
// file that nothing loads is told before the window appears, which then shows its empty
// display.
#include "viewer_support.h"

#include "resource.h"

#include <QApplication>
#include <QEvent>

#include <array>
#include <fstream>
#include <vector>

namespace {

using FirstPaintTest = ViewerTest;

// What the picture control's window showed, paint by paint: the display mode each paint
// drew from, and the colours that paint left at the centres of the picture's cells. The
// pixels are read without painting: those read as a paint begins are the previous paint's.
class PAINTLOG final : public QObject {
public:
    struct SHOWN {
        int mode = -1;
        std::array<std::array<QRgb, 4>, 2> cells{};
    };

    // Watches the window that the dialog's picture control takes over as it opens.
    explicit PAINTLOG(CMainDlg& dialog)
        : control(dialog.GetPictureCtrl()), widget(FindWindowWidget(dialog))
    {
        widget->installEventFilter(this);
    }
    ~PAINTLOG() override { widget->removeEventFilter(this); }
    PAINTLOG(const PAINTLOG&) = delete;
    PAINTLOG& operator=(const PAINTLOG&) = delete;

    std::size_t Count() const { return paints.size(); }
    // Ends the log: the last paint's pixels are those the window holds now.
    const std::vector<SHOWN>& Paints()
    {
        if (!paints.empty() && !ended)
            paints.back().cells = Cells();
        ended = true;
        return paints;
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || ended)
            return false;
        if (!paints.empty())
            paints.back().cells = Cells();
        paints.push_back({control.m_nDisplayMode, {}});
        return false;
    }

private:
    // The widget has no meta-object of its own, so the toolkit's search by type cannot
    // tell it from any other widget.
    static KXWINDOWWIDGET* FindWindowWidget(CMainDlg& dialog)
    {
        for (QWidget* child : dialog.findChildren<QWidget*>())
            if (auto* found = dynamic_cast<KXWINDOWWIDGET*>(child))
                return found;
        return nullptr;
    }

    std::array<std::array<QRgb, 4>, 2> Cells() const
    {
        const kxgdi::HWND window = widget->GetHandle();
        const int cw = widget->width();
        const int ch = widget->height();
        std::array<std::array<QRgb, 4>, 2> cells{};
        kxgdi::HDC dc = kxgdi::GetDC(window);
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 4; ++column)
                cells[row][column] = ToRgb(
                    kxgdi::GetPixel(dc, (2 * column + 1) * cw / 8, (2 * row + 1) * ch / 4));
        kxgdi::ReleaseDC(window, dc);
        return cells;
    }

    CPictureCtrl& control;
    KXWINDOWWIDGET* widget;
    std::vector<SHOWN> paints;
    bool ended = false;
};

TEST_F(FirstPaintTest, CommandLinePictureIsTheWindowsFirstPaint)
{
    CMainDlg dialog;
    PAINTLOG log(dialog);
    Run(dialog, picturePath, [&](CMainDlg&) {
        const std::vector<PAINTLOG::SHOWN>& paints = log.Paints();
        ASSERT_FALSE(paints.empty()) << "the window was never painted";
        for (std::size_t i = 0; i < paints.size(); ++i)
            EXPECT_EQ(paints[i].mode, DISPLAY_PICTURE) << "paint " << i;
        EXPECT_EQ(paints[0].cells, kPicture) << "the first paint shows the picture";
    });
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FirstPaintTest, UnloadableCommandLineFileIsToldBeforeTheWindowShows)
{
    const std::string path = PathOf("notes.txt");
    std::ofstream(path) << "not a picture";
    CMainDlg dialog;
    PAINTLOG log(dialog);
    bool windowShownAtMessage = true;
    bool ownedAtMessage = true;
    std::size_t paintsAtMessage = 1;
    dialogs.onMessage = [&](const SCRIPTEDDIALOGS::MESSAGE&) {
        windowShownAtMessage = dialog.isVisible();
        // The toolkit's box is owned by the active window: with none, it stands alone.
        ownedAtMessage = QApplication::activeWindow() != nullptr;
        paintsAtMessage = log.Count();
    };
    const int result = Run(dialog, path, [&](CMainDlg& shown) {
        EXPECT_TRUE(shown.isVisible()) << "the window opens after the message";
        EXPECT_EQ(shown.GetPictureCtrl().m_nDisplayMode, DISPLAY_NOTHING);
        const std::vector<PAINTLOG::SHOWN>& paints = log.Paints();
        ASSERT_FALSE(paints.empty()) << "the window was never painted";
        EXPECT_EQ(paints[0].mode, DISPLAY_NOTHING);
        EXPECT_EQ(paints[0].cells[0][0], ToRgb(kDarkBlue)) << "the empty display";
        EXPECT_EQ(paints[0].cells[1][3], ToRgb(kDarkBlue));
    });
    EXPECT_EQ(result, KXDIALOG::IDCANCEL);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Unloadable file");
    EXPECT_EQ(dialogs.messages[0].caption, "Message");
    EXPECT_FALSE(windowShownAtMessage) << "the message comes before the window";
    EXPECT_FALSE(ownedAtMessage);
    EXPECT_EQ(paintsAtMessage, 0u);
}

} // namespace
