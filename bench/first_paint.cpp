// The viewer in a fresh process from its start to the first paint of the picture given
// on its command line: the viewer's own application object and main dialog, started as
// its entry starts them, under a toolkit application that only watches the paints go by.
// At the end of that paint it prints the monotonic clock's seconds, then those at the end
// of the main dialog's first paint (the window, before the picture is loaded), and ends at
// once: the program that started it knows when it started. The viewer has no hook for this, and
// needs none.
//
//   first_paint PATH          the first paint of the picture
//   first_paint PATH double   then Image > Double size & blur, as its menu item sends it:
//                             prints the command's CPU and wall seconds, from the command
//                             to the end of the window's repaint
#include "clockseconds.h"
#include "maindlg.h"
#include "peliskapp.h"
#include "resource.h"

#include "kxwindowwidget.h"

#include <QApplication>
#include <QMetaObject>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

CPeliskApp theApp;

// The main dialog's first paint queues the file's load; the paint of the picture control
// after that load is the first that shows the picture.
class PAINTWATCH final : public QApplication {
public:
    PAINTWATCH(int& argc, char** argv, bool doubling) : QApplication(argc, argv), doubling(doubling)
    {}

    bool notify(QObject* receiver, QEvent* event) override
    {
        const bool paint = event->type() == QEvent::Paint;
        const bool handled = QApplication::notify(receiver, event);
        if (paint)
            Painted(receiver);
        return handled;
    }

private:
    enum class STAGE { dialog, loading, loaded, command, commanded };

    void Painted(QObject* receiver)
    {
        if (stage == STAGE::dialog && dynamic_cast<CMainDlg*>(receiver) != nullptr) {
            stage = STAGE::loading;
            window = ClockSeconds();
            // Queued after the load that this paint queued, so it runs once the load is done.
            QMetaObject::invokeMethod(
                this, [this] { stage = STAGE::loaded; }, Qt::QueuedConnection);
            return;
        }
        if (dynamic_cast<KXWINDOWWIDGET*>(receiver) == nullptr)
            return;
        switch (stage) {
        case STAGE::loaded:
            std::printf("%.9f %.9f\n", ClockSeconds(), window);
            if (!doubling)
                End();
            stage = STAGE::command;
            QMetaObject::invokeMethod(this, [this] { RunCommand(); }, Qt::QueuedConnection);
            break;
        case STAGE::command:
            paintedInCommand = true;
            break;
        case STAGE::commanded:
            CommandDone();
            break;
        default:
            break;
        }
    }

    void RunCommand()
    {
        cpu = ClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
        wall = ClockSeconds();
        static_cast<CMainDlg*>(theApp.m_pMainWnd)->OnCommand(ID_IMAGE_DOUBLESIZEBLUR);
        // A command that repainted the window itself is done; otherwise its repaint follows.
        if (paintedInCommand)
            CommandDone();
        stage = STAGE::commanded;
    }

    void CommandDone()
    {
        std::printf("%.9f %.9f\n", ClockSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu,
                    ClockSeconds() - wall);
        End();
    }

    // Ends at once: what the viewer does when it closes is not what is measured.
    [[noreturn]] static void End()
    {
        std::fflush(stdout);
        std::_Exit(0);
    }

    bool doubling;
    STAGE stage = STAGE::dialog;
    bool paintedInCommand = false;
    double window = 0.0;
    double cpu = 0.0;
    double wall = 0.0;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const bool doubling = argc > 2 && std::strcmp(argv[2], "double") == 0;
    int toolkitArgc = 1;
    PAINTWATCH application(toolkitArgc, argv, doubling);
    theApp.m_lpCmdLine = argv[1];
    theApp.InitInstance();
    return 1; // the dialog closed before the picture was painted
}
