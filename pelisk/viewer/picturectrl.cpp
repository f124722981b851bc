#include "picturectrl.h"

#include "resource.h"
#include "vorn.h"

#include "kxcolor.h"
#include "kxnomemory.h"
#include "kxsysdlg.h"

#include <QMetaObject>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

using namespace kxgdi;

namespace {

constexpr COLORREF kEmptyColour = 0xAA0000; // dark blue
constexpr COLORREF kStatusTextColour = 0xCCCCCC;

// The layout of a 32-bit section's pixel, which the picture takes before it is copied in.
constexpr std::uint32_t kDibRed = 0xFF0000;
constexpr std::uint32_t kDibGreen = 0xFF00;
constexpr std::uint32_t kDibBlue = 0xFF;
constexpr std::uint32_t kDibAlpha = 0xFF000000;

// A drag shorter than this on either side is a click, not a zoom rectangle.
constexpr int kMinSelection = 10;
constexpr double kWalkStep = 10.0;

// What the user is told when a picture of width × height loaded but cannot be shown.
std::string DisplayCopyRefusal(std::uint32_t width, std::uint32_t height)
{
    return "The picture cannot be shown: there is not enough memory for its display copy of " +
           std::to_string(width) + " x " + std::to_string(height) +
           " pixels. It stays open: Edit, Properties and File, Save as still work.";
}

} // namespace

CPictureCtrl::CPictureCtrl() : m_status(16)
{
    // The control converts every picture it loads to 32 bits with its section's masks to
    // show it (BuildDIB): asked for that form, a loader delivers it straight from the file
    // (or reads with room for it, so the picture converts in the buffer it was read into),
    // and opening a file costs one fresh buffer and no second pass over it.
    // 8-bit files are the exception: they are read as they are, with that room, and shown
    // before they are converted (BuildDIB).
    m_picture.SetLoadForm(32, {kDibRed, kDibGreen, kDibBlue, kDibAlpha}, 8);
    m_nDisplayMode = DISPLAY_NOTHING;
    ResetVorn();
}

CPictureCtrl::~CPictureCtrl()
{
    FreeDIB();
    FreeVornPoints();
    SubclassWindow(nullptr);
}

void CPictureCtrl::SubclassWindow(KXWINDOWWIDGET* newWidget)
{
    if (m_widget != nullptr)
        m_widget->SetHandler(nullptr);
    m_widget = newWidget;
    m_hWnd = m_widget != nullptr ? m_widget->GetHandle() : nullptr;
    if (m_widget != nullptr)
        m_widget->SetHandler(this);
}

// ---------------------------------------------------------------------------------
// The bitmap section

namespace {

// A 32-bit section's header for a picture of width × height, rows bottom-up as the
// picture holds them.
BITMAPINFOHEADER SectionHeader(std::uint32_t width, std::uint32_t height)
{
    BITMAPINFOHEADER header;
    header.biSize = 40;
    header.biWidth = static_cast<std::int32_t>(width);
    header.biHeight = static_cast<std::int32_t>(height);
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biXPelsPerMeter = 92;
    header.biYPelsPerMeter = 92;
    return header;
}

std::size_t SectionBytes(std::uint32_t width, std::uint32_t height)
{
    return std::size_t{width} * height * 4;
}

// A section made by make on a device context of the window; null when it cannot be had.
template <typename MAKE> HBITMAP SectionOnWindow(HWND window, MAKE&& make)
{
    // The layer's bookkeeping of a section can run out of memory as well as its pixels.
    try {
        HDC dc = GetDC(window);
        HBITMAP section = make(dc);
        ReleaseDC(window, dc);
        return section;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace

bool CPictureCtrl::BuildDIB()
{
    FreeDIB();
    // A picture without pixels has nothing to show.
    if (m_picture.GetWidth() == 0 || m_picture.GetHeight() == 0)
        return false;
    if (CanShowIndicesFirst() && KeepIndexColours()) {
        m_bShowsIndices = true;
        return true;
    }
    return BuildSection();
}

void CPictureCtrl::FinishDisplayForm()
{
    if (!m_bShowsIndices)
        return;
    m_bShowsIndices = false;
    // The same pixels show: nothing needs painting again unless the section is refused.
    BuildSection();
}

bool CPictureCtrl::CanShowIndicesFirst() const
{
    const std::uint32_t width = m_picture.GetWidth();
    const std::uint32_t height = m_picture.GetHeight();
    // Only a window shows the picture and takes turns; the room makes the conversion one
    // that needs no new buffer.
    return m_widget != nullptr && m_picture.GetDepth() == 8 && m_picture.GetData() != nullptr &&
           m_picture.GetDataSize() >= std::uint64_t{width} * height &&
           m_picture.GetDataCapacity() >= SectionBytes(width, height) &&
           width <= static_cast<std::uint32_t>(INT32_MAX) &&
           height <= static_cast<std::uint32_t>(INT32_MAX);
}

bool CPictureCtrl::KeepIndexColours()
{
    // Every index converted as the picture's pixels will be, so the first paint shows what
    // every later one does, indices beyond the palette included.
    KXPICTURE indices;
    const std::uint32_t entries = m_picture.GetPaletteSize();
    if (!indices.CreateWithPalette(256, 1, 8, entries))
        return false;
    if (entries > 0)
        std::memcpy(indices.GetPalette(), m_picture.GetPalette(), std::size_t{entries} * 4);
    for (std::uint32_t i = 0; i < 256; ++i)
        indices.GetData()[i] = static_cast<std::uint8_t>(i);
    if (!indices.ConvertDepth(32, kDibRed, kDibGreen, kDibBlue, kDibAlpha) ||
        indices.GetData() == nullptr)
        return false;
    std::memcpy(m_indexColours, indices.GetData(), sizeof m_indexColours);
    return true;
}

bool CPictureCtrl::BuildSection()
{
    const std::uint32_t width = m_picture.GetWidth();
    const std::uint32_t height = m_picture.GetHeight();
    const BITMAPINFOHEADER header = SectionHeader(width, height);
    if (m_picture.ConvertDepth(32, kDibRed, kDibGreen, kDibBlue, kDibAlpha) &&
        m_picture.GetData() != nullptr)
        m_hDIB = SectionOfPicture(header);
    if (m_hDIB == nullptr) {
        // The picture stays loaded: it can still be saved and its properties read. The
        // control shows its empty state, not what it showed before.
        FreeDIB();
        Invalidate();
        ShowError(DisplayCopyRefusal(width, height).c_str());
        return false;
    }
    return true;
}

HBITMAP CPictureCtrl::SectionOfPicture(const BITMAPINFOHEADER& header)
{
    const std::uint32_t width = m_picture.GetWidth();
    const std::uint32_t height = m_picture.GetHeight();
    // A picture whose size was raised without a new buffer holds fewer pixels than its
    // size: the section gets those it holds, and the rest stays black.
    if (m_picture.GetDataSize() < SectionBytes(width, height))
        return CopyIntoSection(header, m_picture.GetData(), m_picture.GetDataSize());
    std::uint8_t* pixels = m_picture.GetData();
    HBITMAP section =
        SectionOnWindow(m_hWnd, [&](HDC dc) { return CreateDIBSectionOver(dc, &header, pixels); });
    if (section != nullptr) {
        m_pSharedPixels = m_picture.GetData();
        m_sharedWidth = width;
        m_sharedHeight = height;
    }
    return section;
}

void CPictureCtrl::KeepDisplayCopy()
{
    FinishDisplayForm();
    if (m_hDIB == nullptr || m_pSharedPixels == nullptr)
        return;
    const std::uint32_t width = m_sharedWidth;
    const std::uint32_t height = m_sharedHeight;
    // A section whose pixels the picture no longer holds has nothing left to copy: it
    // shows the empty state already.
    const bool readable = SectionReadable();
    HBITMAP copy = readable ? CopyIntoSection(SectionHeader(width, height), m_pSharedPixels,
                                              SectionBytes(width, height))
                            : nullptr;
    FreeDIB();
    m_hDIB = copy;
    if (readable && copy == nullptr) {
        Invalidate();
        ShowError(DisplayCopyRefusal(width, height).c_str());
    }
}

bool CPictureCtrl::SectionReadable() const
{
    if (m_pSharedPixels == nullptr)
        return true;
    return m_picture.GetData() == m_pSharedPixels && m_picture.GetDepth() == 32 &&
           m_picture.GetWidth() == m_sharedWidth && m_picture.GetHeight() == m_sharedHeight &&
           m_picture.GetDataSize() >= SectionBytes(m_sharedWidth, m_sharedHeight);
}

HBITMAP CPictureCtrl::CopyIntoSection(const BITMAPINFOHEADER& header, const std::uint8_t* pixels,
                                      std::size_t size)
{
    void* bits = nullptr;
    HBITMAP section =
        SectionOnWindow(m_hWnd, [&](HDC dc) { return CreateDIBSection(dc, &header, &bits); });
    if (section != nullptr)
        std::memcpy(bits, pixels,
                    std::min(SectionBytes(static_cast<std::uint32_t>(header.biWidth),
                                          static_cast<std::uint32_t>(header.biHeight)),
                             size));
    return section;
}

void CPictureCtrl::FreeDIB()
{
    if (m_hDIB != nullptr)
        DeleteObject(m_hDIB);
    m_hDIB = nullptr;
    m_pSharedPixels = nullptr;
    m_bShowsIndices = false;
}

void CPictureCtrl::GrabWindow()
{
    KXHANDLE window;
    window.Attach(&m_hWnd);
    const int w = window.GetWidth();
    const int h = window.GetHeight();
    HDC dc = GetDC(m_hWnd);

    FreeDIB();
    m_picture.Reset();
    m_picture.Create(static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), 32);
    m_picture.SetMasks(kDibRed, kDibGreen, kDibBlue, 0);
    // A window pixel is a COLORREF: red in the low byte. Writing a pixel gives the colour
    // the picture's masks, so the window's are set again before every read; otherwise
    // every pixel after the first would come out with red and blue swapped.
    KXCOLOR colour;
    if (m_picture.GetData() != nullptr) {
        std::uint32_t i = 0;
        for (int y = h - 1; y >= 0; --y) {
            for (int x = 0; x < w; ++x) {
                colour.SetMasks(0xFF, 0xFF00, 0xFF0000, 0);
                colour.SetFromPixel(GetPixel(dc, x, y));
                m_picture.SetPixel(i++, colour);
            }
        }
    }
    BuildDIB();
    ReleaseDC(m_hWnd, dc);
}

void CPictureCtrl::SetRenderer(KXRENDERER* renderer)
{
    m_world.SetRenderer(renderer);
}

// ---------------------------------------------------------------------------------
// Painting

void CPictureCtrl::Invalidate()
{
    InvalidateRect(m_hWnd, nullptr, true);
}

void CPictureCtrl::RedrawNow()
{
    Invalidate();
    UpdateWindow(m_hWnd);
    // The surface is painted; the screen shows it only when the toolkit presents it. The
    // whole window is presented, menu bar included: a dialog closed just before a long
    // step leaves its pieces on the screen until the window is drawn again.
    if (m_widget != nullptr)
        m_widget->QWidget::window()->repaint();
}

RECT CPictureCtrl::ParentClientRect() const
{
    RECT client;
    if (m_widget != nullptr && m_widget->parentWidget() != nullptr) {
        client.right = m_widget->parentWidget()->width();
        client.bottom = m_widget->parentWidget()->height();
    } else {
        GetClientRect(m_hWnd, &client);
    }
    return client;
}

void CPictureCtrl::OnPaint()
{
    // Renderers draw into the view: it follows the control's size and place.
    m_view.Attach(&m_hWnd);
    const RECT parentClient = ParentClientRect();
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    switch (m_nDisplayMode) {
    case DISPLAY_NOTHING:
        FillSolidRect(dc, parentClient, kEmptyColour);
        break;
    case DISPLAY_PICTURE:
        DrawPicture(dc);
        break;
    case DISPLAY_STATUS:
    case DISPLAY_ASKRENDERER:
        DrawStatus(dc, parentClient);
        break;
    default:
        // Objects and worlds: the renderer draws into the window itself.
        break;
    }
    EndPaint(m_hWnd, &paint);
}

void CPictureCtrl::DrawStatus(HDC dc, const RECT& parentClient)
{
    SetTextColor(dc, kStatusTextColour);
    SetBkColor(dc, 0);
    // The fill leaves the background colour dark blue, so the text is opaque on it.
    FillSolidRect(dc, parentClient, kEmptyColour);
    DrawText(dc, m_status.GetText(), m_status.GetLength(), &parentClient, DT_LEFT);
}

RECT CPictureCtrl::SourceRect(int cw, int ch) const
{
    const std::uint32_t width = m_picture.GetWidth();
    const std::uint32_t height = m_picture.GetHeight();
    if (m_nVornMode != 0 || !m_bZoomed || m_selection.right == 0 || m_selection.bottom == 0)
        return {0, 0, static_cast<int>(width), static_cast<int>(height)};
    // The selection is in client pixels: scale it by picture size over client size.
    const auto scale = [](int at, std::uint32_t size, int client) {
        return static_cast<std::uint32_t>(at) * size / static_cast<std::uint32_t>(client);
    };
    const std::uint32_t x0 = scale(m_selection.left, width, cw);
    const std::uint32_t y0 = scale(m_selection.top, height, ch);
    const std::uint32_t x1 = scale(m_selection.right, width, cw);
    const std::uint32_t y1 = scale(m_selection.bottom, height, ch);
    // As a rectangle of origin and extent.
    return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
            static_cast<int>(y1 - y0)};
}

void CPictureCtrl::DrawPicture(HDC dc)
{
    RECT client;
    GetClientRect(m_hWnd, &client);
    const int cw = client.right - client.left;
    const int ch = client.bottom - client.top;
    // A control without area shows nothing, and the zoom could not be scaled to it.
    if (cw <= 0 || ch <= 0)
        return;
    // A picture without its display copy shows the empty state, as does one that changed
    // under a section over its pixels without a BuildDIB after it.
    const bool indices = m_bShowsIndices && CanShowIndicesFirst();
    if (!indices && (m_hDIB == nullptr || !SectionReadable())) {
        FillSolidRect(dc, ParentClientRect(), kEmptyColour);
        return;
    }
    BlitPicture(dc, cw, ch, SourceRect(cw, ch), indices);
    if (m_bSelecting && !m_bZoomed)
        DrawEdge(dc, &m_selection, EDGE_BUMP, BF_RECT);
    if (m_nVornMode == 1 || m_nVornMode == 2)
        DrawVornOverlay(dc, cw, ch);
    if (indices)
        QueueFinishDisplayForm();
}

void CPictureCtrl::BlitPicture(HDC dc, int cw, int ch, const RECT& source, bool fromIndices)
{
    if (fromIndices) {
        const INDEXEDROWS rows{m_picture.GetData(), static_cast<int>(m_picture.GetWidth()),
                               static_cast<int>(m_picture.GetHeight()), m_indexColours};
        StretchIndexed(dc, 0, 0, cw, ch, rows, source.left, source.top, source.right,
                       source.bottom);
        return;
    }
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP previous = SelectObject(memory, m_hDIB);
    StretchBlt(dc, 0, 0, cw, ch, memory, source.left, source.top, source.right, source.bottom,
               SRCCOPY);
    // The section outlives the memory device context.
    SelectObject(memory, previous);
    DeleteDC(memory);
}

void CPictureCtrl::QueueFinishDisplayForm()
{
    if (m_bFinishQueued || m_widget == nullptr)
        return;
    m_bFinishQueued = true;
    // Queued behind this paint, which reaches the screen first; the widget's going takes
    // the call with it.
    QMetaObject::invokeMethod(
        m_widget,
        [this] {
            m_bFinishQueued = false;
            RunContained([this] { FinishDisplayForm(); });
        },
        Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------------
// Mouse and keys

bool CPictureCtrl::IsInside(int x, int y) const
{
    RECT client;
    GetClientRect(m_hWnd, &client);
    return x >= client.left && y >= client.top && x < client.right && y < client.bottom;
}

void CPictureCtrl::OnMouseMove(int x, int y)
{
    FinishDisplayForm();
    // The toolkit keeps sending moves while a button held down drags outside the control;
    // the control sees only the moves over it, as a window that does not capture the mouse.
    if (!IsInside(x, y))
        return;
    // Required as it stands: one last point shared by every control, set by the first move.
    static int previousX = x;
    static int previousY = y;
    if (m_nDisplayMode == DISPLAY_PICTURE && m_bSelecting && !m_bZoomed)
        GrowSelection(x, y);
    if (m_nDisplayMode == DISPLAY_OBJECT || m_nDisplayMode == DISPLAY_WORLD) {
        // One degree per pixel; every move turns the camera, whatever the buttons.
        m_camera.Rotate(previousY - y, previousX - x, 0.0);
        m_world.Render();
    }
    previousX = x;
    previousY = y;
}

void CPictureCtrl::GrowSelection(int x, int y)
{
    // The rectangle becomes the bounding box of itself and the point: it never shrinks.
    if (x < m_selection.left)
        m_selection.left = x;
    else if (x > m_selection.right)
        m_selection.right = x;
    if (y < m_selection.top)
        m_selection.top = y;
    else if (y > m_selection.bottom)
        m_selection.bottom = y;
    Invalidate();
}

void CPictureCtrl::OnLButtonDown(int x, int y)
{
    FinishDisplayForm();
    if (m_nVornMode == 0 && !m_bZoomed) {
        m_bSelecting = true;
        m_selection = {x, y, x, y};
        return;
    }
    VornPick(x, y);
}

void CPictureCtrl::OnLButtonUp(int, int)
{
    FinishDisplayForm();
    if (!m_bSelecting)
        return;
    // A side shorter than the minimum drops the rectangle.
    if (m_selection.bottom - m_selection.top < kMinSelection)
        m_selection.bottom = 0;
    else if (m_selection.right - m_selection.left < kMinSelection)
        m_selection.right = 0;
    else
        m_bZoomed = true;
    Invalidate();
    m_bSelecting = false;
}

void CPictureCtrl::OnRButtonUp(int, int)
{
    FinishDisplayForm();
    m_bZoomed = false;
    m_bSelecting = false;
    Invalidate();
}

void CPictureCtrl::OnMouseWheel(int delta, int, int)
{
    FinishDisplayForm();
    if (m_nVornMode == 1 || m_nVornMode == 2)
        VornWheel(delta);
}

void CPictureCtrl::OnKeyDown(unsigned virtualKey)
{
    FinishDisplayForm();
    switch (virtualKey) {
    case 'Z':
        m_camera.MoveForward(kWalkStep);
        break;
    case 'S':
        m_camera.MoveBackward(kWalkStep);
        break;
    case 'Q':
        m_camera.MoveLeft(kWalkStep);
        break;
    case 'D':
        m_camera.MoveRight(kWalkStep);
        break;
    default:
        break;
    }
    // Every key renders, in every display mode; without a renderer the world does nothing.
    m_world.Render();
}

void CPictureCtrl::OnChar(unsigned)
{
    // Characters are consumed: the keys act on their key-down.
}

// ---------------------------------------------------------------------------------
// Commands and the VORN project

bool CPictureCtrl::OnCommand(unsigned id)
{
    switch (id) {
    case ID_MODE_ZOOM:
        OnModeZoom();
        return true;
    case ID_PROJECT_VORN:
        OnProjectVorn();
        return true;
    default:
        return false;
    }
}

void CPictureCtrl::OnModeZoom()
{
    m_nVornMode = 0;
}
