#include "peliskapp.h"

#include "maindlg.h"

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
