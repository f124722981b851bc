#include "peliskapp.h"

#include "maindlg.h"

#include <QApplication>

#include <cstdio>
#include <new>

namespace {

CPeliskApp theApp;

} // namespace

bool CPeliskApp::InitInstance()
{
    CMainDlg dialog;
    m_pMainWnd = &dialog;
    dialog.RunWithCommandLine(m_lpCmdLine.c_str());
    m_pMainWnd = nullptr;
    return false;
}

std::string JoinCommandLine(int argc, const char* const* argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return line;
}

int PeliskMain(int argc, char** argv)
{
    // Once the window is open, every handler tells the user itself when memory runs out;
    // what reaches here ran out while the program started.
    try {
        QApplication application(argc, argv);
        theApp.m_lpCmdLine = JoinCommandLine(argc, argv);
        theApp.InitInstance();
    } catch (const std::bad_alloc&) {
        std::fputs("Pelisk: there is not enough memory to start.\n", stderr);
        return 1;
    }
    return 0;
}
