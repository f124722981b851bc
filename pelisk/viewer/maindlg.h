// CMainDlg, the viewer's main window: a dialog with the menu bar, the picture control over
// its whole client area, the renderer modules, the loader filters and the path given on
// the command line. Every menu command goes to the picture control as well as to the
// dialog's own handlers.
#pragma once

#include "picturectrl.h"

#include "kxcollection.h"
#include "kxdialog.h"
#include "kxmanager.h"
#include "kxmenu.h"
#include "kxstring.h"

#include <QDialog>
#include <QIcon>

#include <cstdint>
#include <span>

class KXRENDERER;
class QMenuBar;
class QWidget;

// The table the main menu bar is built from.
std::span<const KXMENUITEM> MainMenuTable();

class CMainDlg : public QDialog {
public:
    explicit CMainDlg(QWidget* parent = nullptr);
    ~CMainDlg() override;
    CMainDlg(const CMainDlg&) = delete;
    CMainDlg& operator=(const CMainDlg&) = delete;

    // Takes the command line, without its surrounding double quotes, as the path to open,
    // and runs the dialog modally. Returns how the dialog ended: IDCANCEL, as Escape, Exit
    // and the close box end it.
    virtual int RunWithCommandLine(const char* commandLine);

    // A command from the menu: the renderer items first, then the picture control, then
    // the dialog's own handlers. True when one of the dialog's handlers ran.
    bool OnCommand(unsigned wParam, long lParam = 0);
    // A system command: the about item (its low four bits aside) opens the about box.
    void OnSysCommand(unsigned id, long lParam = 0);
    // The client area got its new size: the picture control follows it.
    void OnSize(int type, int cx, int cy);
    // Ends the modal loop; Escape, Exit and the close box come here. Enter does not: a
    // stray one, as a small dialog closes, would end the program and lose every edit.
    virtual void OnCancel();

    // The renderer road: the "Installed Renderers" pop-up of the 3-D menu, the choice of
    // the current renderer and its demo.
    void BuildRendererMenu();
    void SelectRenderer(unsigned id);
    void ClearRendererMenu();
    void OnRunRendererDemo();
    KXRENDERER* GetRenderer() const { return m_pRenderer; }
    KXMANAGER& GetRenderers() { return m_renderers; }

    // The file road.
    std::uint16_t AppendLoaderFilters(KXCOLLECTION<KXSTRING>& list, KXSTRING& header,
                                      KXSTRING& modulePairs);
    std::uint16_t BuildOpenFilter(KXSTRING& filter);
    void OnFileOpen();
    void OnFileSaveAs();
    bool LoadFile(const KXSTRING& path);
    // Saves what is shown through the loader set of its kind; on failure tells the user
    // which file was not saved and why, and returns false.
    bool SaveFile(const KXSTRING& path);
    void OnFileExit();

    // The commands on what is shown.
    void OnEditProperties();
    void OnImageVFlip();
    void OnImageResize();
    void OnImageDoubleSizeBlur();
    void OnHelpAbout();

    CPictureCtrl& GetPictureCtrl() { return m_picture; }
    KXMENU& GetMenu() { return m_menu; }
    QMenuBar* GetMenuBar() const { return m_menuBar; }
    const KXSTRING& GetCommandLinePath() const { return m_commandLinePath; }
    KXCOLLECTION<KXSTRING>& GetImageFilters() { return m_imageFilters; }

protected:
    // Runs when the dialog opens: the renderer menu and the filters, then the command-line
    // file.
    virtual bool OnInitDialog();
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    // A command chosen in the menus, run so that memory running out is told.
    void OnMenuCommand(unsigned id);
    // The picture changed: the control shows it anew.
    void PictureChanged();
    // Runs the current renderer's demo; what the renderer throws ends there.
    void RunDemo();
    // Opens the program's shelf of kept blocks and empties it whenever the window waits.
    void KeepSpareBlocksWhileWorking();
    // Whether a menu is open or the menu bar is walked by keyboard.
    bool MenusInUse() const;
    // The keys go back to the picture control once the menus are left, however they were
    // left.
    void GiveKeysBackAfterTheMenus();

    // In the order they are built. The picture control, whose objects may be registered
    // with a renderer, is destroyed before the renderer modules.
    KXMANAGER m_renderers;
    KXRENDERER* m_pRenderer = nullptr;
    std::uint32_t m_firstRendererId = 0;
    std::uint32_t m_nextRendererId = 0;
    KXCOLLECTION<KXSTRING> m_imageFilters;
    KXCOLLECTION<KXSTRING> m_objectFilters;
    KXCOLLECTION<KXSTRING> m_worldFilters;
    KXSTRING m_commandLinePath;
    CPictureCtrl m_picture;
    QIcon m_hIcon;

    QMenuBar* m_menuBar = nullptr;
    KXMENU m_menu;
    QWidget* m_clientArea = nullptr;
};
