#include "maindlg.h"

#include "resource.h"

#include "kxicon.h"
#include "kxmodule.h"
#include "kxspareblocks.h"

#include <QAbstractEventDispatcher>
#include <QKeyEvent>
#include <QMenuBar>
#include <QVBoxLayout>

#include <functional>
#include <utility>

namespace {

using enum KXMENUKIND;

const KXMENUITEM kMainMenu[] = {
    {0, Popup, "&File"},
    {1, Item, "&Open...", ID_FILE_OPEN},
    {1, Item, "&Save as...", ID_FILE_SAVEAS},
    {1, Separator},
    {1, Item, "&Exit", ID_FILE_EXIT},
    {0, Popup, "&Edit"},
    {1, Item, "&Properties...", ID_EDIT_PROPERTIES},
    {0, Popup, "&Image"},
    {1, Item, "&VFlip", ID_IMAGE_VFLIP},
    {1, Item, "&Resize...", ID_IMAGE_RESIZE},
    {1, Item, "&Double size && blur", ID_IMAGE_DOUBLESIZEBLUR},
    {1, Popup, "&Mode"},
    {2, Item, "&Zoom", ID_MODE_ZOOM},
    {1, Item, "&Projet VORN", ID_PROJECT_VORN},
    {0, Popup, "3&D"},
    {1, Popup, "Options"},
    {2, Item, "Antialiasing", ID_3D_ANTIALIASING},
    {2, Popup, "Rendering method"},
    {3, Item, "Wireframe", ID_3D_WIREFRAME},
    {3, Item, "Flat", ID_3D_FLAT},
    {3, Item, "Normal", ID_3D_NORMAL},
    {1, Separator},
    {1, Item, "Run renderer demo", ID_3D_RUNDEMO},
    {0, Item, "&Plugins", ID_PLUGINS},
    {0, Popup, "&Help"},
    {1, Item, "&About", ID_HELP_ABOUT},
};

// The main dialog's template: its client area, and the picture control on it, in dialog
// units of its font.
constexpr int kClientWidth = 320;
constexpr int kClientHeight = 200;
constexpr int kPictureWidth = 319;
constexpr int kPictureHeight = 199;

constexpr int IDCANCEL = KXDIALOG::IDCANCEL;

// The dialog's client area, below the menu bar: it tells the dialog its new size, and the
// dialog places the picture control on it.
class KXCLIENTAREA final : public QWidget {
public:
    KXCLIENTAREA(QWidget* parent, std::function<void(int, int)> onSize)
        : QWidget(parent), onSize(std::move(onSize))
    {}

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        onSize(width(), height());
    }

private:
    std::function<void(int, int)> onSize;
};

} // namespace

std::span<const KXMENUITEM> MainMenuTable()
{
    return kMainMenu;
}

CMainDlg::CMainDlg(QWidget* parent) : QDialog(parent), m_commandLinePath(16), m_hIcon(PeliskIcon())
{
    setWindowTitle("Pelisk");
    setFont(QFont("MS Sans Serif", 8));
    // A main window: it has its minimise and maximise boxes and can be resized.
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);

    m_menuBar = new QMenuBar(this);
    m_menu = BuildMenuBar(m_menuBar, kMainMenu, [this](unsigned id) { OnCommand(id); });
    m_clientArea = new KXCLIENTAREA(this, [this](int cx, int cy) { OnSize(0, cx, cy); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(m_clientArea);

    const QSize baseUnits = DialogBaseUnits(font());
    const QRect client = MapDialogUnits(QRect(0, 0, kClientWidth, kClientHeight), baseUnits);
    m_clientArea->setMinimumSize(0, 0);
    resize(client.width(), client.height() + m_menuBar->sizeHint().height());
    auto* pictureWidget = new KXWINDOWWIDGET(m_clientArea);
    pictureWidget->setGeometry(
        MapDialogUnits(QRect(0, 0, kPictureWidth, kPictureHeight), baseUnits));
    KeepSpareBlocksWhileWorking();
}

void CMainDlg::KeepSpareBlocksWhileWorking()
{
    // A command may free a large block and need one of its size again (a picture resized
    // and smoothed): the shelf keeps it meanwhile. Whenever the window waits for the user,
    // every kept block goes back, so an idle viewer holds only the picture it shows.
    SpareBlocks().Open();
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            [] { SpareBlocks().ReleaseAll(); });
}

CMainDlg::~CMainDlg() = default;

int CMainDlg::RunWithCommandLine(const char* commandLine)
{
    m_commandLinePath = commandLine;
    m_commandLinePath.TrimLeft('"');
    m_commandLinePath.TrimRight('"');
    if (!OnInitDialog())
        return IDCANCEL;
    return exec();
}

bool CMainDlg::OnInitDialog()
{
    // The picture control takes over its window.
    m_picture.SubclassWindow(m_clientArea->findChild<KXWINDOWWIDGET*>());
    BuildRendererMenu();
    // The command-line file opens before the window shows, so that the window's first paint
    // is the picture. A file that nothing loads is told in a box of its own, and the window
    // then shows its empty display.
    if (!(m_commandLinePath == "")) {
        LoadFile(m_commandLinePath);
        m_picture.Invalidate();
    }
    // The window manager owns the system menu: the about item cannot join it, but its
    // command still works when it is sent (OnSysCommand).
    setWindowIcon(m_hIcon);
    // The keys Z, S, Q and D walk the camera: they go to the picture control.
    m_picture.GetWidget()->setFocus();
    return true;
}

bool CMainDlg::OnCommand(unsigned wParam, long)
{
    if (wParam >= m_firstRendererId && wParam < m_nextRendererId)
        SelectRenderer(wParam);
    // Every command reaches the picture control before the dialog's own handlers.
    m_picture.OnCommand(wParam);
    switch (wParam) {
    case ID_FILE_OPEN:
        OnFileOpen();
        return true;
    case ID_FILE_SAVEAS:
        OnFileSaveAs();
        return true;
    case ID_FILE_EXIT:
        OnFileExit();
        return true;
    case ID_EDIT_PROPERTIES:
        OnEditProperties();
        return true;
    case ID_IMAGE_VFLIP:
        OnImageVFlip();
        return true;
    case ID_IMAGE_RESIZE:
        OnImageResize();
        return true;
    case ID_IMAGE_DOUBLESIZEBLUR:
        OnImageDoubleSizeBlur();
        return true;
    case ID_HELP_ABOUT:
        OnHelpAbout();
        return true;
    case ID_3D_RUNDEMO:
        OnRunRendererDemo();
        return true;
    default:
        return false;
    }
}

void CMainDlg::OnSysCommand(unsigned id, long)
{
    // The window manager uses the low four bits of a system command.
    if ((id & ~0xFu) == IDM_ABOUTBOX)
        OnHelpAbout();
}

void CMainDlg::OnSize(int, int cx, int cy)
{
    KXWINDOWWIDGET* window = m_picture.GetWidget();
    if (window == nullptr || !window->isVisible())
        return;
    window->setGeometry(0, 0, cx, cy);
    window->raise();
    m_picture.Invalidate();
}

void CMainDlg::OnCancel()
{
    done(IDCANCEL);
}

void CMainDlg::OnFileExit()
{
    OnCancel();
}

void CMainDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Nothing: the main window has no default button, and Enter never ends it.
        event->accept();
        break;
    case Qt::Key_Escape:
        OnCancel();
        break;
    default:
        QDialog::keyPressEvent(event);
        break;
    }
}

void CMainDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The client area took its size while the control was still hidden: the control
    // covers all of it from the start, not only the template's rectangle.
    OnSize(0, m_clientArea->width(), m_clientArea->height());
}

void CMainDlg::reject()
{
    // The close box.
    OnCancel();
}
