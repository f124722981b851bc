// The start-up floor: a bare Qt Widgets dialog, built as the viewer is, that shows the
// picture of the file given (small) in a label, and stays open. The benchmark times it
// from outside (first_pixel), as it times the viewer: from its start to its picture on the
// screen.
//
//   first_paint_qt PATH        the bare dialog: no text on it
//   first_paint_qt PATH menu   with a menu bar of one menu, as the viewer has one: the
//                              first text drawn starts the font system
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QVBoxLayout>

#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    int toolkitArgc = 1;
    QApplication application(toolkitArgc, argv);
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
    dialog.exec();
    return 0;
}
