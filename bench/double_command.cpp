// The viewer's Image > Double size & blur command in a fresh process, as its menu item
// sends it: the viewer's own application object and main dialog, started as its entry
// starts them with the picture given on the command line, under a toolkit application
// that watches the paints go by. Once the picture control's first paint has shown the
// picture, the command runs; the program prints its CPU and wall seconds, from the
// command to the end of the window's repaint, and ends at once. The viewer has no hook for
// this, and needs none.
//
//   double_command PATH
#include "clockseconds.h"
#include "maindlg.h"
#include "peliskapp.h"
#include "resource.h"

#include "kxwindowwidget.h"

#include <QApplication>
#include <QMetaObject>

#include <cstdio>
#include <cstdlib>

namespace {

CPeliskApp theApp;

class PAINTWATCH final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        const bool paint = event->type() == QEvent::Paint;
        const bool handled = QApplication::notify(receiver, event);
        if (paint && dynamic_cast<KXWINDOWWIDGET*>(receiver) != nullptr)
            Painted();
        return handled;
    }

private:
    enum class STAGE { picture, command, commanded };

    void Painted()
    {
        switch (stage) {
        case STAGE::picture:
            // The file opened before the window showed: its first paint is the picture.
            stage = STAGE::command;
            QMetaObject::invokeMethod(this, [this] { RunCommand(); }, Qt::QueuedConnection);
            break;
        case STAGE::command:
            paintedInCommand = true;
            break;
        case STAGE::commanded:
            CommandDone();
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
        // Ends at once: what the viewer does when it closes is not what is measured.
        std::fflush(stdout);
        std::_Exit(0);
    }

    STAGE stage = STAGE::picture;
    bool paintedInCommand = false;
    double cpu = 0.0;
    double wall = 0.0;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    int toolkitArgc = 1;
    PAINTWATCH application(toolkitArgc, argv);
    theApp.m_lpCmdLine = argv[1];
    theApp.InitInstance();
    return 1; // the dialog closed before the command ran
}
