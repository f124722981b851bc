// The widget that shows a window of the drawing layer: what it shows, where the layer
// thinks it is, and the events it hands to the window's handler.
#include "kxhandle.h"
#include "kxicon.h"
#include "kxmenu.h"
#include "kxwindowwidget.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenuBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace kxgdi;

namespace {

constexpr COLORREF darkBlue = 0xAA0000;

// A handler that paints the status display of the viewer, or a small test scene, and
// writes down the events it gets.
class RECORDER final : public KXWNDHANDLER {
public:
    explicit RECORDER(KXWINDOWWIDGET& widget) : widget(widget) { widget.SetHandler(this); }
    ~RECORDER() { widget.SetHandler(nullptr); }
    RECORDER(const RECORDER&) = delete;
    RECORDER& operator=(const RECORDER&) = delete;

    void OnPaint() override
    {
        ++paints;
        HWND window = widget.GetHandle();
        view.Attach(&window);
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        SetTextColor(dc, 0xCCCCCC);
        SetBkColor(dc, 0);
        FillSolidRect(dc, client, darkBlue);
        if (!status.empty())
            textHeight = DrawText(dc, status.c_str(), -1, &client, DT_LEFT);
        if (scene)
            DrawScene(dc, client);
        EndPaint(window, &paint);
    }

    // A stretched picture with an edge round part of it and a polygon over it.
    void DrawScene(HDC dc, const RECT& client)
    {
        BITMAPINFOHEADER header{40, 2, 2, 1, 32, BI_RGB, 0, 92, 92, 0, 0};
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, &header, &bits);
        const std::uint32_t pixels[] = {0x00C000, 0xC0C000, 0xC00000, 0x0000C0};
        std::copy(std::begin(pixels), std::end(pixels), static_cast<std::uint32_t*>(bits));
        HDC memory = CreateCompatibleDC(nullptr);
        SelectObject(memory, bitmap);
        const int w = client.right, h = client.bottom;
        StretchBlt(dc, w / 2, h / 4, w / 2 - 8, h / 2, memory, 0, 0, 2, 2, SRCCOPY);
        const RECT edge{w / 2 + 8, h / 4 + 8, w - 24, 3 * h / 4 - 8};
        DrawEdge(dc, &edge, EDGE_BUMP, BF_RECT);
        HPEN pen = CreatePen(PS_SOLID, 1, 0xFFFFFF);
        HPEN old = SelectObject(dc, pen);
        const POINT polygon[] = {{20, h - 20}, {w / 3, h / 2}, {w / 2 - 20, h - 30}, {20, h - 20}};
        MoveTo(dc, polygon[0].x, polygon[0].y);
        for (const POINT& p : polygon)
            LineTo(dc, p.x, p.y);
        SelectObject(dc, old);
        DeleteObject(pen);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }

    void OnSize(int cx, int cy) override { Record("size " + Pair(cx, cy)); }
    void OnMouseMove(int x, int y) override { Record("move " + Pair(x, y)); }
    void OnLButtonDown(int x, int y) override { Record("ldown " + Pair(x, y)); }
    void OnLButtonUp(int x, int y) override { Record("lup " + Pair(x, y)); }
    void OnRButtonUp(int x, int y) override { Record("rup " + Pair(x, y)); }
    void OnMouseWheel(int delta, int x, int y) override
    {
        Record("wheel " + std::to_string(delta) + " " + Pair(x, y));
    }
    void OnKeyDown(unsigned key) override { Record("key " + std::to_string(key)); }
    void OnChar(unsigned c) override { Record("char " + std::string(1, char(c))); }

    static std::string Pair(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    void Record(const std::string& event) { events.push_back(event); }

    KXWINDOWWIDGET& widget;
    KXHANDLE view;
    std::string status;
    bool scene = false;
    int paints = 0;
    int textHeight = 0;
    std::vector<std::string> events;
};

QRgb Rgb(COLORREF colour)
{
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

// Shows the widget and lets it paint.
void Show(QWidget& widget)
{
    widget.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QCoreApplication::processEvents();
}

TEST(WindowWidget, ShowsThePaintedSurfaceAndTellsTheLayerWhereItIs)
{
    QWidget top;
    top.setGeometry(90, 30, 700, 560);
    auto* widget = new KXWINDOWWIDGET(&top);
    RECORDER handler(*widget);
    widget->setGeometry(10, 20, 640, 480);
    Show(top);
    EXPECT_GE(handler.paints, 1);
    EXPECT_EQ(handler.view.GetScreenX(), 100);
    EXPECT_EQ(handler.view.GetScreenY(), 50);
    EXPECT_EQ(handler.view.GetWidth(), 640);
    EXPECT_EQ(handler.view.GetHeight(), 480);

    const QImage shown = widget->grab().toImage();
    EXPECT_EQ(shown.size(), QSize(640, 480));
    EXPECT_EQ(shown.pixel(0, 0), Rgb(darkBlue));
    EXPECT_EQ(shown.pixel(639, 479), Rgb(darkBlue));

    // The window follows its top-level window.
    top.move(200, 100);
    QCoreApplication::processEvents();
    RECT rect;
    GetWindowRect(widget->GetHandle(), &rect);
    EXPECT_EQ(rect.left - top.geometry().left(), 10);
    EXPECT_EQ(rect.top - top.geometry().top(), 20);
    EXPECT_EQ(rect.right - rect.left, 640);
}

TEST(WindowWidget, DrawingOutsideAPaintShowsAtOnce)
{
    KXWINDOWWIDGET widget;
    RECORDER handler(widget);
    widget.resize(40, 30);
    Show(widget);
    const int paints = handler.paints;
    HDC dc = GetDC(widget.GetHandle());
    FillSolidRect(dc, {0, 0, 10, 10}, 0x00FF00);
    ReleaseDC(widget.GetHandle(), dc);
    EXPECT_EQ(handler.paints, paints) << "the handler does not paint over it";
    const QImage shown = widget.grab().toImage();
    EXPECT_EQ(shown.pixel(5, 5), qRgb(0, 0xFF, 0));
    EXPECT_EQ(shown.pixel(20, 20), Rgb(darkBlue));
}

TEST(WindowWidget, StatusTextIsDrawnOpaqueOnTheFill)
{
    KXWINDOWWIDGET widget;
    RECORDER handler(widget);
    handler.status = "Loading from file...";
    widget.resize(300, 60);
    Show(widget);
    EXPECT_GT(handler.textHeight, 0);
    HDC dc = GetDC(widget.GetHandle());
    int lit = 0;
    for (int y = 0; y < handler.textHeight; ++y)
        for (int x = 0; x < 100; ++x)
            lit += GetPixel(dc, x, y) != darkBlue;
    EXPECT_GT(lit, 20) << "the text shows at the top left";
    for (int x = 0; x < 300; ++x)
        EXPECT_EQ(GetPixel(dc, x, handler.textHeight + 5), darkBlue) << "nothing below it";
    EXPECT_EQ(GetPixel(dc, 299, 0), darkBlue) << "nothing right of it";
    ReleaseDC(widget.GetHandle(), dc);
}

TEST(WindowWidget, HandsEventsToTheHandlerInClientCoordinates)
{
    KXWINDOWWIDGET widget;
    RECORDER handler(widget);
    widget.resize(100, 80);
    Show(widget);
    handler.events.clear();

    widget.resize(120, 90);
    QTest::mouseMove(&widget, QPoint(10, 20));
    QTest::mousePress(&widget, Qt::LeftButton, {}, QPoint(11, 21));
    QTest::mouseRelease(&widget, Qt::LeftButton, {}, QPoint(30, 40));
    QTest::mouseClick(&widget, Qt::RightButton, {}, QPoint(5, 6));
    QWheelEvent wheel(QPointF(7, 8), widget.mapToGlobal(QPointF(7, 8)), {}, {0, -120}, Qt::NoButton,
                      {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &wheel);
    QTest::keyClick(&widget, Qt::Key_Z);
    QTest::keyClick(&widget, Qt::Key_Escape);
    QTest::keyClick(&widget, Qt::Key_Left);

    const std::vector<std::string> expected = {"size 120,90", "move 10,20", "ldown 11,21",
                                               "lup 30,40",   "rup 5,6",    "wheel -120 7,8",
                                               "key 90",      "char z",     "key 37"};
    std::vector<std::string> events;
    for (const std::string& event : handler.events)
        if (!event.starts_with("move") || event == "move 10,20")
            events.push_back(event);
    EXPECT_EQ(events, expected);
    RECT client;
    GetClientRect(widget.GetHandle(), &client);
    EXPECT_EQ(client.right, 120);
    EXPECT_EQ(client.bottom, 90);
}

// The desktop keeps the modifiers alone, every key held with Alt or Super, and F10 for its
// menus and itself: the handler hears none of them, and every other key as before,
// modifiers and all.
TEST(WindowWidget, SystemKeysNeverReachTheHandler)
{
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* text; // what the key types
        std::vector<std::string> heard;
    } cases[] = {
        {Qt::Key_Alt, Qt::NoModifier, "", {}},
        {Qt::Key_Alt, Qt::AltModifier, "", {}},
        {Qt::Key_AltGr, Qt::NoModifier, "", {}},
        {Qt::Key_Shift, Qt::ShiftModifier, "", {}},
        {Qt::Key_Control, Qt::ControlModifier, "", {}},
        {Qt::Key_Meta, Qt::MetaModifier, "", {}},
        {Qt::Key_Super_L, Qt::MetaModifier, "", {}},
        {Qt::Key_Z, Qt::AltModifier, "z", {}},
        {Qt::Key_Z, Qt::AltModifier | Qt::ShiftModifier, "Z", {}},
        {Qt::Key_Left, Qt::AltModifier, "", {}},
        {Qt::Key_F4, Qt::AltModifier, "", {}},
        {Qt::Key_F10, Qt::NoModifier, "", {}},
        {Qt::Key_F10, Qt::ShiftModifier, "", {}},
        {Qt::Key_Z, Qt::MetaModifier, "z", {}},
        {Qt::Key_F9, Qt::NoModifier, "", {"key 120"}},
        {Qt::Key_Z, Qt::NoModifier, "z", {"key 90", "char z"}},
        {Qt::Key_Z, Qt::ShiftModifier, "Z", {"key 90", "char Z"}},
        {Qt::Key_Z, Qt::ControlModifier, "\x1a", {"key 90", "char \x1a"}},
        {Qt::Key_Left, Qt::NoModifier, "", {"key 37"}},
    };
    KXWINDOWWIDGET widget;
    RECORDER handler(widget);
    widget.resize(100, 80);
    Show(widget);
    for (const auto& c : cases) {
        SCOPED_TRACE(QKeySequence(c.key | c.modifiers).toString().toStdString());
        handler.events.clear();
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, QString::fromLatin1(c.text));
        QApplication::sendEvent(&widget, &press);
        EXPECT_EQ(handler.events, c.heard);
    }
}

// The handler hears one turn of 120 for every whole notch of the vertical wheel, however
// finely a high-resolution wheel sends it; a horizontal wheel or a tilt turns nothing.
TEST(WindowWidget, WheelTurnsOncePerNotchOfTheVerticalWheel)
{
    const struct {
        const char* what;
        std::vector<QPoint> deltas;
        std::vector<std::string> heard;
    } cases[] = {
        {"horizontal", {{120, 0}, {-120, 0}, {240, 0}}, {}},
        {"a notch in thirds", {{0, 40}, {0, 40}, {0, 40}}, {"wheel 120 7,8"}},
        {"back in halves", {{0, -60}, {0, -60}, {0, -60}}, {"wheel -120 7,8"}},
        {"two notches at once", {{0, 240}}, {"wheel 120 7,8", "wheel 120 7,8"}},
        {"diagonal", {{60, 90}, {60, 30}}, {"wheel 120 7,8"}},
        {"less than a notch", {{0, 119}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KXWINDOWWIDGET widget;
        RECORDER handler(widget);
        widget.resize(100, 80);
        Show(widget);
        handler.events.clear();
        for (const QPoint& delta : c.deltas) {
            QWheelEvent wheel(QPointF(7, 8), widget.mapToGlobal(QPointF(7, 8)), {}, delta,
                              Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&widget, &wheel);
        }
        std::vector<std::string> heard;
        for (const std::string& event : handler.events)
            if (event.starts_with("wheel"))
                heard.push_back(event);
        EXPECT_EQ(heard, c.heard);
    }
}

TEST(Icon, HasA16AndA32PixelImage)
{
    const QIcon icon = PeliskIcon();
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
    const QImage small = icon.pixmap(16, 16).toImage();
    EXPECT_EQ(small.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(icon.pixmap(32, 32).toImage().pixel(6, 13), small.pixel(3, 6));
}

// A window as the viewer's will look: a menu bar over a surface with a picture, an edge
// and a polygon. With PELISK_SCREENSHOT set it also saves what it shows there.
TEST(Showcase, MenuBarOverASurfaceWithDrawing)
{
    static const KXMENUITEM menu[] = {
        {0, KXMENUKIND::Popup, "&File"},
        {1, KXMENUKIND::Item, "&Open...", 57601},
        {1, KXMENUKIND::Separator},
        {1, KXMENUKIND::Item, "&Exit", 32771},
        {0, KXMENUKIND::Popup, "&Edit"},
        {1, KXMENUKIND::Item, "&Properties...", 32784},
        {0, KXMENUKIND::Popup, "3&D"},
        {1, KXMENUKIND::Item, "Run renderer demo", 32779},
        {0, KXMENUKIND::Item, "&Plugins", 65535},
    };
    QDialog window;
    window.setWindowTitle("Pelisk");
    window.setWindowIcon(PeliskIcon());
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QMenuBar(&window);
    KXMENU built = BuildMenuBar(bar, menu, [](unsigned) {});
    built.EnableItemByPosition(2, false);
    layout->setMenuBar(bar);
    auto* surface = new KXWINDOWWIDGET(&window);
    layout->addWidget(surface);
    RECORDER handler(*surface);
    handler.status = "Please select a renderer";
    handler.scene = true;
    window.resize(480, 320);
    Show(window);

    const QImage shown = window.grab().toImage();
    const QPoint origin = surface->mapTo(&window, QPoint(0, 0));
    EXPECT_GT(origin.y(), 0) << "the menu bar stands above the surface";
    const int w = surface->width(), h = surface->height();
    EXPECT_EQ(shown.pixel(origin + QPoint(w - 2, 2)), Rgb(darkBlue));
    EXPECT_EQ(shown.pixel(origin + QPoint(w / 2 + 2, h / 4 + 2)), qRgb(0xC0, 0, 0))
        << "the picture's top-left pixel, stretched";
    if (const char* path = std::getenv("PELISK_SCREENSHOT")) {
        bar->setActiveAction(bar->actions()[0]); // the File menu dropped down
        QTest::qWait(300);
        EXPECT_TRUE(window.screen()->grabWindow(0).save(path));
    }
}

} // namespace
