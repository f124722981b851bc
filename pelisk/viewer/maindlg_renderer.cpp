// The main dialog's renderer road: the renderer modules of the current directory listed in
// the 3-D menu, the choice of the current renderer, which draws the picture control's
// world into its window, and the renderer's demo.
#include "maindlg.h"

#include "resource.h"

#include "kxboundary.h"
#include "kxmodule.h"

namespace {

// The 3-D menu's position in the menu bar, where the renderer items go.
constexpr int k3DMenuPosition = 3;
// The renderer pop-up's position in the 3-D menu.
constexpr int kRendererPopupPosition = 0;

// The view a renderer asks for: a fast one draws larger.
constexpr int kWidth = 256;
constexpr int kHeight = 256;
constexpr int kFastWidth = 800;
constexpr int kFastHeight = 600;
constexpr int kBitsPerPixel = 32;

} // namespace

void CMainDlg::BuildRendererMenu()
{
    m_firstRendererId = ID_FIRST_RENDERER;
    m_nextRendererId = ID_FIRST_RENDERER;
    m_menu.EnableItemByPosition(k3DMenuPosition, false);
    m_renderers.LoadModules(KXKIND_RENDERER, 0);
    if (m_renderers.GetCount() > 0) {
        m_menu.EnableItemByPosition(k3DMenuPosition, true);
        KXMENU popup = m_menu.GetSubMenu(k3DMenuPosition)
                           .InsertPopup(kRendererPopupPosition, "Installed Renderers");
        for (std::uint16_t i = 0; i < m_renderers.GetCount(); ++i)
            popup.AppendItem(m_renderers[i]->GetDisplayName().GetText(), m_nextRendererId++);
    }
    m_picture.m_picture.GetLoaderSet().GetFilterList(m_imageFilters);
    m_picture.m_object.GetLoaderSet().GetFilterList(m_objectFilters);
    m_picture.m_world.GetLoaderSet().GetFilterList(m_worldFilters);
}

void CMainDlg::SelectRenderer(unsigned id)
{
    const std::uint16_t index = static_cast<std::uint16_t>(id - m_firstRendererId);
    m_picture.m_status = "Loading renderer and (re)initializing world...";
    m_picture.m_nDisplayMode = DISPLAY_STATUS;
    m_picture.RedrawNow();

    // The old renderer lets go of the world and of what its Init made before the new one
    // is set up; the module itself stays loaded in the manager.
    if (m_pRenderer != nullptr) {
        KXRENDERER* old = m_pRenderer;
        CallContained(false, [&] { return old->DetachWorld(&m_picture.m_world); });
        CallContained([&] { old->Release(); });
        ClearRendererMenu();
    }
    m_pRenderer = static_cast<KXRENDERER*>(m_renderers[index]);
    const bool fast = m_pRenderer->GetFastFlag() != 0;
    // A renderer that fails to initialise stays current; it draws nothing.
    KXRENDERER* chosen = m_pRenderer;
    CallContained(false, [&] {
        return chosen->Init(&m_picture.m_view, fast ? kFastWidth : kWidth,
                            fast ? kFastHeight : kHeight, kBitsPerPixel, 0);
    });
    m_picture.SetRenderer(m_pRenderer);
    m_menu.GetSubMenu(k3DMenuPosition)
        .GetSubMenu(kRendererPopupPosition)
        .CheckItemByPosition(index, true);

    // Nothing is rendered now: the world is drawn by the next load or camera move.
    m_picture.m_nDisplayMode = DISPLAY_NOTHING;
    m_picture.RedrawNow();
}

// The pop-up keeps one item per renderer, each still choosing its renderer; the check mark
// of the renderer given up goes, and the one chosen next gets it.
void CMainDlg::ClearRendererMenu()
{
    m_pRenderer = nullptr;
    KXMENU popup = m_menu.GetSubMenu(k3DMenuPosition).GetSubMenu(kRendererPopupPosition);
    const int count = static_cast<int>(m_nextRendererId - m_firstRendererId);
    for (int i = 0; i < count; ++i) {
        const std::uint16_t index = static_cast<std::uint16_t>(i);
        popup.ModifyItem(i, m_renderers[index]->GetDisplayName().GetText(),
                         m_firstRendererId + static_cast<unsigned>(i));
    }
}

// A renderer comes from a plug-in: what it throws fails its demo, not the viewer.
void CMainDlg::RunDemo()
{
    KXRENDERER* renderer = m_pRenderer;
    CallContained(false, [&] { return renderer->RunDemo(0); });
}

void CMainDlg::OnRunRendererDemo()
{
    if (m_pRenderer == nullptr)
        return;
    m_picture.m_nDisplayMode = DISPLAY_WORLD;
    if (m_pRenderer->GetFastFlag() != 0) {
        RunDemo();
        return;
    }
    // The render blocks the window: the text shows first.
    m_picture.m_status = "Rendering in progress...";
    m_picture.m_nDisplayMode = DISPLAY_STATUS;
    m_picture.RedrawNow();
    m_picture.m_nDisplayMode = DISPLAY_WORLD;
    RunDemo();
    // What the renderer drew becomes the displayed picture: it can be saved, flipped or
    // resized like a loaded one.
    m_picture.GrabWindow();
    m_picture.m_nDisplayMode = DISPLAY_PICTURE;
    m_picture.Invalidate();
}
