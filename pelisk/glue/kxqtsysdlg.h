// The toolkit's message box and file dialogs behind KXSYSDIALOGS.
#pragma once

#include "kxsysdlg.h"

#include <QStringList>

class QFileDialog;
class QFont;
class QMessageBox;

KXSYSDIALOGS& GetQtSysDialogs();

// The width a window needs so that its title bar shows the whole caption.
int CaptionRoom(const QString& caption, const QFont& font);
// Keeps a message box at least as wide as its caption needs, whatever its text.
void WidenForCaption(QMessageBox& box);

// A filter pair as the toolkit's file dialog shows it: the description followed by its
// patterns in parentheses, unless the description already ends with them.
QString QtNameFilter(const KXFILEFILTER& filter);
QStringList QtNameFilters(const std::vector<KXFILEFILTER>& filters);

// Sets dialog up for request: title, filters with the requested one selected, start
// directory, whether the file must exist, open or save; patterns match any letter case.
void ConfigureFileDialog(QFileDialog& dialog, const KXFILEREQUEST& request);
