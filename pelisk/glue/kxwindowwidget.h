// The widget that shows a window of the drawing layer and hands its events to the
// viewer's handlers, in the terms the viewer's controls expect: client coordinates, wheel
// deltas of 120 a notch, virtual-key codes. As on the desktop the viewer was made for, the
// system keys (the modifiers alone, Alt or Super with any key, and F10) stay with the
// menus and the desktop and never reach a handler.
#pragma once

#include "kxgdi.h"

#include <QWidget>

// What a window does with its messages; every handler does nothing unless overridden.
class KXWNDHANDLER {
public:
    // Paints the window through the drawing layer (BeginPaint, ..., EndPaint).
    virtual void OnPaint() {}
    virtual void OnSize(int /*cx*/, int /*cy*/) {}
    virtual void OnMouseMove(int /*x*/, int /*y*/) {}
    virtual void OnLButtonDown(int /*x*/, int /*y*/) {}
    virtual void OnLButtonUp(int /*x*/, int /*y*/) {}
    virtual void OnRButtonUp(int /*x*/, int /*y*/) {}
    virtual void OnMouseWheel(int /*delta*/, int /*x*/, int /*y*/) {}
    virtual void OnKeyDown(unsigned /*virtualKey*/) {}
    virtual void OnChar(unsigned /*character*/) {}

protected:
    ~KXWNDHANDLER() = default;
};

// The virtual-key code of a key, 0 for keys the viewer has no code for. Letters and digits
// are their upper-case characters.
unsigned VirtualKeyOf(int qtKey);

// Installs the toolkit's text renderer into the drawing layer (once is enough).
void InstallTextRenderer();

class KXWINDOWWIDGET : public QWidget {
public:
    explicit KXWINDOWWIDGET(QWidget* parent = nullptr);
    ~KXWINDOWWIDGET() override;
    KXWINDOWWIDGET(const KXWINDOWWIDGET&) = delete;
    KXWINDOWWIDGET& operator=(const KXWINDOWWIDGET&) = delete;

    kxgdi::HWND GetHandle() const { return window; }
    // The handler is not owned; null sends the events nowhere.
    void SetHandler(KXWNDHANDLER* handler) { this->handler = handler; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Hooks the surface up to the widget and places it.
    void Build();
    // The widget's own handling of an event, which event() runs contained.
    bool Dispatch(QEvent* event);
    // Tells the layer where the widget is on the screen and how large it is.
    void Place();
    static void Paint(void* self);
    static void Invalidated(void* self);
    static void Drawn(void* self);

    kxgdi::HWND window;
    KXWNDHANDLER* handler = nullptr;
    QWidget* watchedWindow = nullptr;
    // The part of a notch that a high-resolution wheel has turned and no handler heard of.
    int wheelRest = 0;
    bool presenting = false;
    // The last paint ran out of memory, and the user was told.
    bool paintRefused = false;
};
