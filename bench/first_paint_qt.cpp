// The start-up floor: a bare Qt Widgets dialog, built as the viewer is, that shows the
// picture of the file given (small) in a label, from the process's start to the end of
// the label's first paint. Prints the monotonic clock's seconds then and ends at once.
//
//   first_paint_qt PATH        the bare dialog: no text on it
//   first_paint_qt PATH menu   with a menu bar of one menu, as the viewer has one: the
//                              first text drawn starts the font system
#include "clockseconds.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

class PAINTWATCH final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        const bool paint = event->type() == QEvent::Paint;
        const bool handled = QApplication::notify(receiver, event);
        if (paint && receiver == shown) {
            std::printf("%.9f\n", ClockSeconds());
            std::fflush(stdout);
            std::_Exit(0);
        }
        return handled;
    }

    QObject* shown = nullptr;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    int toolkitArgc = 1;
    PAINTWATCH application(toolkitArgc, argv);
    QDialog dialog;
    dialog.setWindowTitle("floor");
    auto* label = new QLabel(&dialog);
    label->setPixmap(QPixmap(QString::fromLocal8Bit(argv[1])));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    if (argc > 2 && std::strcmp(argv[2], "menu") == 0) {
        auto* menuBar = new QMenuBar(&dialog);
        menuBar->addMenu("&File")->addAction("&Exit");
        layout->setMenuBar(menuBar);
    }
    application.shown = label;
    dialog.exec();
    return 1;
}
