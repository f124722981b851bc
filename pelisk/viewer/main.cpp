// The viewer program: the application object first, then the toolkit, then the main
// dialog. The library's memory-manager client is built while the program loads, before
// any of this runs.
#include "peliskapp.h"

#include <QApplication>

namespace {

CPeliskApp theApp;

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    theApp.m_lpCmdLine = JoinCommandLine(argc, argv);
    theApp.InitInstance();
    return 0;
}
