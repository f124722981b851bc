// CPeliskApp, the viewer's application object: it runs the main dialog with the command
// line and ends the program when the dialog closes.
#pragma once

#include <string>

class QWidget;

class CPeliskApp {
public:
    CPeliskApp() = default;

    // Runs the main dialog modally with the command line; false, so that the program ends
    // when the dialog has closed.
    bool InitInstance();

    // The command line after the program's name: its arguments joined by single spaces,
    // as the program was given them.
    std::string m_lpCmdLine;
    // The main dialog while it runs.
    QWidget* m_pMainWnd = nullptr;
};

// The arguments after the program's name as one command line.
std::string JoinCommandLine(int argc, const char* const* argv);
