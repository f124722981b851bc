// The first paint of a start: a file named on the command line is opened before the window
// shows, so the first thing the window shows is the picture, never the loading text, and a
// file that nothing loads is told before the window appears, which then shows its empty
// display. An 8-bit picture shows first as it was read and is converted after that paint,
// showing the same pixels, and no step meets it unconverted.
#include "viewer_support.h"

#include "resource.h"

#include <QApplication>
#include <QEvent>

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace {

class FirstPaintTest : public ViewerTest {
protected:
    // Every pixel of the control's window, painted now; no queued call runs meanwhile.
    static std::vector<kxgdi::COLORREF> WindowPixels(CPictureCtrl& control)
    {
        control.Invalidate();
        return PaintedPixels(control);
    }
};

// What the picture control's window showed, paint by paint: the display mode each paint
// drew from, and the colours that paint left at the centres of the picture's cells. The
// pixels are read without painting: those read as a paint begins are the previous paint's.
class PAINTLOG final : public QObject {
public:
    struct SHOWN {
        int mode = -1;
        int depth = 0; // the picture's, as the paint began
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
        paints.push_back({control.m_nDisplayMode, control.m_picture.GetDepth(), {}});
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

// An 8-bit bitmap of width × height: its palette (blue, green, red, 0 each) and its rows
// of indices, bottom row first.
void WriteEightBitFile(const std::string& path, int width, int height,
                       const std::vector<std::uint32_t>& palette,
                       const std::vector<std::uint8_t>& indices)
{
    const int rowBytes = (width + 3) / 4 * 4;
    const std::uint32_t offset = 14 + 40 + 4 * static_cast<std::uint32_t>(palette.size());
    std::string file;
    const auto put = [&file](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    file += "BM";
    put(offset + static_cast<std::uint32_t>(rowBytes * height), 4);
    put(0, 4);
    put(offset, 4);
    for (const std::uint32_t field : {40u, static_cast<std::uint32_t>(width),
                                      static_cast<std::uint32_t>(height)})
        put(field, 4);
    put(1, 2);
    put(8, 2);
    for (const std::uint32_t field : {0u, 0u, 2835u, 2835u,
                                      static_cast<std::uint32_t>(palette.size()), 0u})
        put(field, 4);
    for (const std::uint32_t entry : palette)
        put(entry, 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < rowBytes; ++x)
            file += static_cast<char>(x < width ? indices[y * width + x] : 0);
    }
    std::ofstream(path, std::ios::binary) << file;
}

// The picture of the tests as an 8-bit file: cell (column, row from the top) is index
// 4 × row + column.
std::string WriteEightBitPicture(const std::string& path)
{
    std::vector<std::uint32_t> palette;
    for (const auto& row : kPicture)
        for (const QRgb cell : row)
            palette.push_back(cell & 0xFFFFFF);
    WriteEightBitFile(path, 4, 2, palette, {4, 5, 6, 7, 0, 1, 2, 3});
    return path;
}

TEST_F(FirstPaintTest, EightBitPictureShowsAsReadUntilItsFirstPaintIsOnTheScreen)
{
    const std::string path = WriteEightBitPicture(PathOf("eight.bmp"));
    CMainDlg dialog;
    PAINTLOG log(dialog);
    Run(dialog, path, [&](CMainDlg& shown) {
        QCoreApplication::processEvents();
        const std::vector<PAINTLOG::SHOWN>& paints = log.Paints();
        ASSERT_FALSE(paints.empty()) << "the window was never painted";
        EXPECT_EQ(paints[0].mode, DISPLAY_PICTURE);
        EXPECT_EQ(paints[0].depth, 8) << "the first paint comes before the conversion";
        EXPECT_EQ(paints[0].cells, kPicture) << "the first paint shows the picture";
        EXPECT_EQ(paints.back().cells, kPicture);
        EXPECT_EQ(shown.GetPictureCtrl().m_picture.GetDepth(), 32)
            << "converted once the first paint is shown";
    });
    EXPECT_TRUE(dialogs.messages.empty());
}

// Before and after the conversion the window shows the same pixels, the whole picture and
// a zoomed part of it, every index beyond the palette included.
TEST_F(FirstPaintTest, EightBitPictureShowsTheSamePixelsBeforeAndAfterItsConversion)
{
    constexpr int width = 37, height = 23;
    std::vector<std::uint32_t> palette;
    for (std::uint32_t i = 0; i < 200; ++i)
        palette.push_back((i * 0x9E3779B9u) >> 8);
    std::vector<std::uint8_t> indices;
    for (int i = 0; i < width * height; ++i)
        indices.push_back(static_cast<std::uint8_t>((i * 77 + i / width * 13) % 256));
    const std::string path = PathOf("speckled.bmp");
    WriteEightBitFile(path, width, height, palette, indices);
    CMainDlg dialog;
    Run(dialog, "", [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        for (const bool zoomed : {false, true}) {
            SCOPED_TRACE(zoomed ? "zoomed" : "whole");
            control.m_bZoomed = zoomed;
            control.m_selection = {11, 7, 140, 93};
            ASSERT_TRUE(shown.LoadFile(path.c_str()));
            ASSERT_EQ(control.m_picture.GetDepth(), 8);
            const std::vector<kxgdi::COLORREF> before = WindowPixels(control);
            ASSERT_EQ(control.m_picture.GetDepth(), 8) << "shown as read";
            QCoreApplication::processEvents();
            ASSERT_EQ(control.m_picture.GetDepth(), 32);
            EXPECT_EQ(WindowPixels(control), before);
        }
    });
    EXPECT_TRUE(dialogs.messages.empty());
}

// A command, a key, a button or a save that comes before the window's next turn meets the
// picture converted, as after any other open.
TEST_F(FirstPaintTest, NoStepMeetsAnEightBitPictureAsItWasRead)
{
    const std::string path = WriteEightBitPicture(PathOf("eight.bmp"));
    const std::string saved = PathOf("saved.bmp");
    const struct {
        const char* what;
        std::function<void(CMainDlg&)> step;
        int depthAfter;
    } roads[] = {
        {"flip", [](CMainDlg& shown) { shown.OnCommand(ID_IMAGE_VFLIP); }, 32},
        {"key", [](CMainDlg& shown) { shown.GetPictureCtrl().OnKeyDown('Z'); }, 32},
        {"button", [](CMainDlg& shown) { shown.GetPictureCtrl().OnLButtonDown(3, 3); }, 32},
        {"save as",
         [&](CMainDlg& shown) {
             dialogs.Answer({true, saved, 1});
             shown.OnCommand(ID_FILE_SAVEAS);
         },
         24},
    };
    for (const auto& road : roads) {
        SCOPED_TRACE(road.what);
        CMainDlg dialog;
        Run(dialog, "", [&](CMainDlg& shown) {
            ASSERT_TRUE(shown.LoadFile(path.c_str()));
            WindowPixels(shown.GetPictureCtrl());
            ASSERT_EQ(shown.GetPictureCtrl().m_picture.GetDepth(), 8);
            road.step(shown);
            EXPECT_EQ(shown.GetPictureCtrl().m_picture.GetDepth(), road.depthAfter);
        });
    }
    // The saved file is a 32-bit picture's: 24 bits a pixel.
    std::ifstream file(saved, std::ios::binary);
    std::string head(30, '\0');
    file.read(head.data(), 30);
    EXPECT_EQ(static_cast<int>(head[28]), 24);
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
