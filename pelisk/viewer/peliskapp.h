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

// The program: the application object first, then the toolkit, then the main dialog.
// Returns the program's exit status: 0, or 1 after one line on standard error when memory
// ran out before the window could open.
int PeliskMain(int argc, char** argv);
