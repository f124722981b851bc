// The system dialogs of the viewer: message boxes and the open and save file dialogs.
// They all go through one KXSYSDIALOGS, the toolkit's own dialogs unless a test installs
// a script that answers in place of a person.
#pragma once

#include <string>
#include <vector>

// One pair of a filter text: what the user reads, and the patterns (";"-separated) it
// stands for.
struct KXFILEFILTER {
    std::string description;
    std::string patterns;
};

// The pairs of a filter text: NUL-terminated description and pattern, again and again,
// ended by an empty string. Reading stops at the first empty description or pattern.
std::vector<KXFILEFILTER> ParseFilterText(const char* filter);

// What a file dialog is asked.
struct KXFILEREQUEST {
    bool save = false;
    std::string title;
    std::vector<KXFILEFILTER> filters;
    int filterIndex = 1; // the pair selected at first, counted from 1
    std::string initialDirectory;
    bool mustExist = false; // only an existing file can be chosen
    // Ask before a save replaces an existing file; a "no" saves nothing.
    bool confirmOverwrite = false;
};

// What the user answered: the chosen path and the pair selected at the end.
struct KXFILEANSWER {
    bool confirmed = false;
    std::string path;
    int filterIndex = 1;
};

// The extension, with its dot, that a save with filter selected gives a name typed
// without one: that of the filter's first pattern (".bmp" for "*.bmp;*.jpg"), none for
// a pattern with wildcards in its extension ("*.*").
std::string FilterExtension(const KXFILEFILTER& filter);
// The path a save dialog ends with: path, with the extension of the selected filter
// (counted from 1) when its name has none.
std::string WithFilterExtension(const std::string& path, const std::vector<KXFILEFILTER>& filters,
                                int filterIndex);

class KXSYSDIALOGS {
public:
    // A modal box with the text, the caption and an OK button; returns when it is closed.
    virtual void MessageBox(const char* text, const char* caption) = 0;
    virtual KXFILEANSWER ChooseFile(const KXFILEREQUEST& request) = 0;

protected:
    ~KXSYSDIALOGS() = default;
};

// The dialogs in use; the toolkit's own until SetSysDialogs installs others.
KXSYSDIALOGS& GetSysDialogs();
// Null puts the toolkit's dialogs back.
void SetSysDialogs(KXSYSDIALOGS* dialogs);

// A message box with the caption "Message".
void ShowMessage(const char* text);
// A message box with the caption "Pelisk error".
void ShowError(const char* text);
// Why the system cannot open or create a file by the path: too long, or a name in it too
// long; empty when it can.
std::string PathRefusal(const std::string& path);

// Both empty path first, then set it to the chosen file, of any length the system takes,
// and return true. A cancelled dialog leaves it empty and returns false; so does a path
// the system cannot use, after a message box ("Pelisk error") has told the user why. The
// dialogs start in the current directory with the first filter pair selected, and both
// are titled "Open...".
bool ChooseFileToOpen(std::string& path, const char* filter);
// A name typed without an extension gets the one of the selected filter's first pattern.
bool ChooseFileToSave(std::string& path, const char* filter);
