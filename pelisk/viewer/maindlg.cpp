#include "maindlg.h"

#include "resource.h"

#include "kxicon.h"
#include "kxmodule.h"
#include "kxnomemory.h"
#include "kxspareblocks.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
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
        RunContained([this] { onSize(width(), height()); });
    }

private:
    std::function<void(int, int)> onSize;
};

// Runs work so that memory running out in it stops it where it was, told. A status text it
// had put up ("Loading from file...") goes again: the control shows what it showed before.
template <typename WORK> void RunKeepingWhatIsShown(CPictureCtrl& control, WORK&& work)
{
    const std::int32_t shown = control.m_nDisplayMode;
    if (RunContained(std::forward<WORK>(work)))
        return;
    const auto isStatus = [](std::int32_t mode) {
        return mode == DISPLAY_STATUS || mode == DISPLAY_ASKRENDERER;
    };
    if (isStatus(control.m_nDisplayMode))
        control.m_nDisplayMode = isStatus(shown) ? DISPLAY_NOTHING : shown;
    RunContained([&control] { control.Invalidate(); });
}

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
    m_menu = BuildMenuBar(m_menuBar, kMainMenu, [this](unsigned id) { OnMenuCommand(id); });
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
    GiveKeysBackAfterTheMenus();
}

void CMainDlg::OnMenuCommand(unsigned id)
{
    RunKeepingWhatIsShown(m_picture, [this, id] { OnCommand(id); });
}

bool CMainDlg::event(QEvent* event)
{
    // The dialog's own handlers (paint, show, keys, the queued opening of the command-line
    // file) run from here.
    bool handled = true;
    RunKeepingWhatIsShown(m_picture, [&] { handled = QDialog::event(event); });
    return handled;
}

bool CMainDlg::MenusInUse() const
{
    return QApplication::activePopupWidget() != nullptr || m_menuBar->activeAction() != nullptr;
}

void CMainDlg::GiveKeysBackAfterTheMenus()
{
    // The toolkit's menu bar takes the keys while it is walked by keyboard and hands them
    // back to the widget that had them before; a menu opened by its mnemonic while the bar
    // already had them (Alt+I after a sub-menu closed with Escape) hands them back to the
    // bar itself, which then keeps them. Once a command has run, and whenever a key reaches
    // the bar while no menu is in use, the picture control has them again.
    m_menuBar->installEventFilter(this);
    connect(m_menuBar, &QMenuBar::triggered, this, [this] {
        RunContained([this] {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (!MenusInUse() && QApplication::focusWidget() == m_menuBar &&
                        m_picture.GetWidget() != nullptr)
                        m_picture.GetWidget()->setFocus(Qt::OtherFocusReason);
                },
                Qt::QueuedConnection);
        });
    });
}

bool CMainDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_menuBar && event->type() == QEvent::KeyPress && !MenusInUse() &&
        m_picture.GetWidget() != nullptr) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Alt and the mnemonics still open the menus.
        if (key->key() != Qt::Key_Alt && !(key->modifiers() & Qt::AltModifier)) {
            KXWINDOWWIDGET* control = m_picture.GetWidget();
            control->setFocus(Qt::OtherFocusReason);
            QKeyEvent again(key->type(), key->key(), key->modifiers(), key->text(),
                            key->isAutoRepeat(), static_cast<quint16>(key->count()));
            QApplication::sendEvent(control, &again);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
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
    // No command meets a picture still shown as it was read.
    m_picture.FinishDisplayForm();
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
    case Qt::Key_F10:
        // F10 opens the menus, as Alt does.
        if (!m_menuBar->actions().isEmpty())
            m_menuBar->setActiveAction(m_menuBar->actions().first());
        event->accept();
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
