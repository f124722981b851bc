#include "kxwindowwidget.h"

#include "kxnomemory.h"

#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <array>
#include <utility>

namespace {

QColor ToQColor(kxgdi::COLORREF colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

QRect ToQRect(const kxgdi::RECT& rect)
{
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

kxgdi::RECT ToRECT(const QRect& rect)
{
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

// Draws one DrawText call with the toolkit's fonts, straight onto the layer's surface.
int DrawTextWithQt(const kxgdi::KXTEXTJOB& job)
{
    QImage image(reinterpret_cast<uchar*>(job.pixels), job.width, job.height, job.stride * 4,
                 QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setClipRect(ToQRect(job.clip));
    painter.setPen(ToQColor(job.textColour));
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(ToQColor(job.bkColour));
    QRect bounds;
    painter.drawText(ToQRect(job.layout), Qt::AlignLeft | Qt::AlignTop,
                     QString::fromLatin1(job.text, job.length), &bounds);
    return bounds.height();
}

// How far one notch of a wheel turns it.
constexpr int kWheelNotch = 120;

bool IsModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return true;
    default:
        return false;
    }
}

// The keys the desktop keeps for its menus and for itself: a modifier pressed alone (Alt
// before every mnemonic), any key held with Alt or with Super, and F10, which opens the
// menus. A window's key-down handler never sees them, so the picture control does not
// render on them.
bool IsSystemKey(const QKeyEvent& event)
{
    return IsModifierKey(event.key()) || event.key() == Qt::Key_F10 ||
           (event.modifiers() & (Qt::AltModifier | Qt::MetaModifier));
}

} // namespace

unsigned VirtualKeyOf(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<unsigned>(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return 0x70 + static_cast<unsigned>(qtKey - Qt::Key_F1);
    static const std::array<std::pair<int, unsigned>, 18> keys = {{
        {Qt::Key_Backspace, 0x08},
        {Qt::Key_Tab, 0x09},
        {Qt::Key_Return, 0x0D},
        {Qt::Key_Enter, 0x0D},
        {Qt::Key_Shift, 0x10},
        {Qt::Key_Control, 0x11},
        {Qt::Key_Alt, 0x12},
        {Qt::Key_Escape, 0x1B},
        {Qt::Key_Space, 0x20},
        {Qt::Key_PageUp, 0x21},
        {Qt::Key_PageDown, 0x22},
        {Qt::Key_End, 0x23},
        {Qt::Key_Home, 0x24},
        {Qt::Key_Left, 0x25},
        {Qt::Key_Up, 0x26},
        {Qt::Key_Right, 0x27},
        {Qt::Key_Down, 0x28},
        {Qt::Key_Delete, 0x2E},
    }};
    for (const auto& [key, code] : keys)
        if (key == qtKey)
            return code;
    return 0;
}

void InstallTextRenderer()
{
    kxgdi::SetTextHook(DrawTextWithQt);
}

KXWINDOWWIDGET::KXWINDOWWIDGET(QWidget* parent)
    : QWidget(parent), window(kxgdi::CreateWindowSurface())
{
    // A widget that could not be built gives its surface back: nobody else knows it.
    try {
        Build();
    } catch (...) {
        kxgdi::DestroyWindowSurface(window);
        throw;
    }
}

void KXWINDOWWIDGET::Build()
{
    kxgdi::KXWNDHOOKS hooks;
    hooks.context = this;
    hooks.paint = &KXWINDOWWIDGET::Paint;
    hooks.invalidated = &KXWINDOWWIDGET::Invalidated;
    hooks.drawn = &KXWINDOWWIDGET::Drawn;
    kxgdi::SetWindowHooks(window, hooks);
    InstallTextRenderer();
    // The control sees every mouse move, as a window does, not only drags.
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    Place();
}

KXWINDOWWIDGET::~KXWINDOWWIDGET()
{
    kxgdi::DestroyWindowSurface(window);
}

bool KXWINDOWWIDGET::event(QEvent* event)
{
    // Every handler of the window runs from here: what it cannot get memory for ends here,
    // told, and the window goes on. A paint that cannot be done is told once, until a
    // paint succeeds again, so that a window that keeps failing does not ask again and
    // again.
    try {
        return Dispatch(event);
    } catch (const std::bad_alloc&) {
        const bool paint = event->type() == QEvent::Paint;
        if (!paint || !paintRefused)
            TellNoMemory();
        paintRefused = paintRefused || paint;
        return true;
    }
}

bool KXWINDOWWIDGET::Dispatch(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::ParentChange:
        // A child widget hears nothing when its top-level window moves: watch that too.
        if (watchedWindow != QWidget::window()) {
            if (watchedWindow != nullptr)
                watchedWindow->removeEventFilter(this);
            watchedWindow = QWidget::window();
            if (watchedWindow != this)
                watchedWindow->installEventFilter(this);
        }
        Place();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool KXWINDOWWIDGET::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == watchedWindow && event->type() == QEvent::Move)
        RunContained([this] { Place(); });
    return QWidget::eventFilter(watched, event);
}

void KXWINDOWWIDGET::Place()
{
    const QRect client(mapToGlobal(QPoint(0, 0)), size());
    const QRect outer = isWindow() ? frameGeometry() : client;
    kxgdi::PlaceWindow(window, ToRECT(outer), ToRECT(client));
}

void KXWINDOWWIDGET::Paint(void* self)
{
    auto* widget = static_cast<KXWINDOWWIDGET*>(self);
    if (widget->handler != nullptr)
        widget->handler->OnPaint();
}

void KXWINDOWWIDGET::Invalidated(void* self)
{
    static_cast<KXWINDOWWIDGET*>(self)->update();
}

void KXWINDOWWIDGET::Drawn(void* self)
{
    // Pixels drawn outside a paint show at once, as they would on a screen.
    auto* widget = static_cast<KXWINDOWWIDGET*>(self);
    if (!widget->presenting)
        widget->repaint();
}

void KXWINDOWWIDGET::paintEvent(QPaintEvent*)
{
    presenting = true;
    kxgdi::DispatchPaint(window);
    presenting = false;
    kxgdi::KXSURFACE surface;
    if (!kxgdi::GetWindowSurface(window, &surface) || surface.pixels == nullptr)
        return;
    const QImage image(reinterpret_cast<const uchar*>(surface.pixels), surface.width,
                       surface.height, surface.width * 4, QImage::Format_RGB32);
    QPainter(this).drawImage(0, 0, image);
    paintRefused = false;
}

void KXWINDOWWIDGET::resizeEvent(QResizeEvent* event)
{
    Place();
    if (handler != nullptr)
        handler->OnSize(width(), height());
    QWidget::resizeEvent(event);
}

void KXWINDOWWIDGET::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (handler != nullptr)
        handler->OnMouseMove(at.x(), at.y());
}

void KXWINDOWWIDGET::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (handler != nullptr && event->button() == Qt::LeftButton)
        handler->OnLButtonDown(at.x(), at.y());
}

void KXWINDOWWIDGET::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (handler == nullptr)
        return;
    if (event->button() == Qt::LeftButton)
        handler->OnLButtonUp(at.x(), at.y());
    else if (event->button() == Qt::RightButton)
        handler->OnRButtonUp(at.x(), at.y());
}

void KXWINDOWWIDGET::wheelEvent(QWheelEvent* event)
{
    // Only the vertical wheel turns: a horizontal wheel or a tilt has no vertical part, and
    // turns nothing.
    const int delta = event->angleDelta().y();
    if (handler == nullptr)
        return;
    // A high-resolution wheel or a touchpad sends each notch in small parts: the handler
    // hears once for every whole notch, forward or back.
    wheelRest += delta;
    const QPoint at = event->position().toPoint();
    for (; wheelRest >= kWheelNotch; wheelRest -= kWheelNotch)
        handler->OnMouseWheel(kWheelNotch, at.x(), at.y());
    for (; wheelRest <= -kWheelNotch; wheelRest += kWheelNotch)
        handler->OnMouseWheel(-kWheelNotch, at.x(), at.y());
}

void KXWINDOWWIDGET::keyPressEvent(QKeyEvent* event)
{
    // Enter and Escape belong to the dialog the window sits in, as in any dialog, and the
    // system keys to its menus.
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
        IsSystemKey(*event)) {
        event->ignore();
        return;
    }
    if (handler == nullptr)
        return;
    handler->OnKeyDown(VirtualKeyOf(key));
    if (!event->text().isEmpty())
        handler->OnChar(event->text().at(0).unicode());
}
