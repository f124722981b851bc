// CPictureCtrl, the display surface of the viewer: it owns what is shown (a picture
// shown through a 32-bit bitmap section, a 3-D scene, the VORN solver, the window handle
// that renderers draw into and a status text), paints it by its display mode, zooms into
// a dragged rectangle and walks the camera with the mouse and the keys Z, S, Q and D.
#pragma once

#include "kxcamera.h"
#include "kxcollection.h"
#include "kxgdi.h"
#include "kxgeneticsolver.h"
#include "kxhandle.h"
#include "kxlight.h"
#include "kxobject3d.h"
#include "kxpicture.h"
#include "kxstring.h"
#include "kxwindowwidget.h"
#include "kxworld.h"

#include <cstdint>

class KXRENDERER;
struct KXVORNPOINT;

// Where a point of the picture (rows from the bottom) shows on a control of cw × ch.
struct CONTROLMAP {
    std::uint32_t cw, ch, width, height;
    kxgdi::POINT operator()(const KXVORNPOINT& point) const;
};

class CPictureCtrl final : public KXWNDHANDLER {
public:
    CPictureCtrl();
    ~CPictureCtrl();
    CPictureCtrl(const CPictureCtrl&) = delete;
    CPictureCtrl& operator=(const CPictureCtrl&) = delete;

    // Takes over the window of the widget: from now on its messages come here. The widget
    // is not owned; it must outlive the control or be given back with a null.
    void SubclassWindow(KXWINDOWWIDGET* widget);
    KXWINDOWWIDGET* GetWidget() const { return m_widget; }
    kxgdi::HWND GetSafeHwnd() const { return m_hWnd; }

    // Converts the picture to 32 bits and shows it through a new bitmap section. When the
    // section cannot be made, tells the user and returns false: the picture stays, and
    // the control shows its empty state. The section lies over the picture's own pixels,
    // which at 32 bits are laid out as a section's, rather than over a copy of them: a
    // copy is a second buffer of the picture's size, made and written before the picture
    // can first show, and held as long as it shows.
    // An 8-bit picture read with room for 32 bits shows first as it was read, each index
    // drawn in the colour its conversion gives, and is converted once that paint is on the
    // screen: the conversion writes four times the file's pixels into fresh memory, which
    // would otherwise come before anything shows. The screen shows the same pixels either
    // way.
    bool BuildDIB();
    // Ends an 8-bit picture's first showing: converts it and makes its section, telling the
    // user when that cannot be had. Every command, key and button reaches it first, so no
    // step ever meets the picture at the depth it was read in.
    void FinishDisplayForm();
    // Before the picture goes to code that may change or free its pixels and is not
    // followed by BuildDIB (a loader that may refuse the file, a writer that converts the
    // picture it saves), the section takes a copy of them, so that what is shown stays
    // shown. When the copy cannot be had, tells the user and shows the empty state.
    void KeepDisplayCopy();
    void FreeDIB();
    // The picture becomes the pixels of the control's window, and the section is rebuilt.
    void GrabWindow();
    // Binds the renderer to the world, and nothing else.
    void SetRenderer(KXRENDERER* renderer);
    void DrawPicture(kxgdi::HDC dc);

    // Invalidates the whole control, erasing it.
    void Invalidate();
    // Invalidates the whole control and paints it, and the window around it, now, so that
    // a status text shows before a long step blocks the window.
    void RedrawNow();

    // The commands that every menu command reaches: true for the ones handled here.
    bool OnCommand(unsigned id);
    void OnModeZoom();
    void OnProjectVorn();

    // The window's messages.
    void OnPaint() override;
    void OnMouseMove(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnMouseWheel(int delta, int x, int y) override;
    void OnKeyDown(unsigned virtualKey) override;
    void OnChar(unsigned character) override;

    // What the main dialog reads and writes directly, in the order they are built.
    kxgdi::HBITMAP m_hDIB = nullptr;
    KXSTRING m_status;
    KXGENETICSOLVER m_solver;
    KXHANDLE m_view;
    KXPICTURE m_picture;
    KXWORLD m_world;
    KXOBJECT3D m_object;
    KXCAMERA m_camera;
    KXLIGHT m_light;
    std::int32_t m_nDisplayMode = 0;
    std::int32_t m_nVornMode = 0; // 0 zoom, 1 dots, 2 polygons
    std::int32_t m_nShownIndex = 0;
    kxgdi::RECT m_selection;
    bool m_bZoomed = false;
    bool m_bSelecting = false;

private:
    // Where the VORN project plugs in: the press that does not start a selection, the
    // wheel in the VORN modes, and the overlay drawn over the picture in those modes.
    void VornPick(int x, int y);
    void VornWheel(int delta);
    void DrawVornOverlay(kxgdi::HDC dc, int cw, int ch);
    // The pieces of the press: the contour of the pressed region (its number of points),
    // the contour kept as the VORN points, and the polygon search over them.
    int TraceContour(int x, int y, KXCOLLECTION<int>& contour);
    bool KeepContour(KXCOLLECTION<int>& contour, int n);
    void RunPolygonSearch();
    void DrawPolygon(kxgdi::HDC dc, const std::uint8_t* genome, const CONTROLMAP& map) const;

    // A section of the header's size on the control's window holding a copy of size bytes
    // of pixels; null when it cannot be had.
    kxgdi::HBITMAP CopyIntoSection(const kxgdi::BITMAPINFOHEADER& header,
                                   const std::uint8_t* pixels, std::size_t size);
    // The section of the converted picture: over its pixels when it holds every pixel of
    // its size, else a copy of those it holds.
    kxgdi::HBITMAP SectionOfPicture(const kxgdi::BITMAPINFOHEADER& header);
    // Whether the section may be read: it has pixels of its own, or the picture still
    // holds the pixels it lies over, at the size and depth it was made for.
    bool SectionReadable() const;
    // The conversion and the section of BuildDIB.
    bool BuildSection();
    // Whether the picture may show as it was read, and the colours its indices take.
    bool CanShowIndicesFirst() const;
    bool KeepIndexColours();
    // The blit of the shown picture onto the control, from the section or the indices.
    void BlitPicture(kxgdi::HDC dc, int cw, int ch, const kxgdi::RECT& source,
                     bool fromIndices);
    // Once the picture shown by its indices is on the screen, its conversion waits for the
    // window's next turn.
    void QueueFinishDisplayForm();
    // The paint of the status display modes.
    void DrawStatus(kxgdi::HDC dc, const kxgdi::RECT& parentClient);
    // The part of the picture shown, its origin in left and top and its extent in right and
    // bottom: the zoom rectangle scaled to the picture, or all of it.
    kxgdi::RECT SourceRect(int cw, int ch) const;
    void GrowSelection(int x, int y);
    bool IsInside(int x, int y) const;
    // The client rectangle of the window the control sits in.
    kxgdi::RECT ParentClientRect() const;

    KXWINDOWWIDGET* m_widget = nullptr;
    kxgdi::HWND m_hWnd = nullptr;
    // The picture's pixels the section lies over, and the size it was made for; null
    // while the section has pixels of its own or there is none.
    const std::uint8_t* m_pSharedPixels = nullptr;
    std::uint32_t m_sharedWidth = 0;
    std::uint32_t m_sharedHeight = 0;
    // An 8-bit picture shown by its indices until it is converted: the surface pixel of
    // each index, as the conversion makes it.
    bool m_bShowsIndices = false;
    bool m_bFinishQueued = false;
    std::uint32_t m_indexColours[256] = {};
};
