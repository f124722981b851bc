// The toolkit's message box and file dialogs behind KXSYSDIALOGS.
#pragma once

#include "kxsysdlg.h"

#include <QStringList>

class QFileDialog;

KXSYSDIALOGS& GetQtSysDialogs();

// A filter pair as the toolkit's file dialog shows it: the description followed by its
// patterns in parentheses, unless the description already ends with them.
QString QtNameFilter(const KXFILEFILTER& filter);
QStringList QtNameFilters(const std::vector<KXFILEFILTER>& filters);

// Sets dialog up for request: title, filters with the requested one selected, start
// directory, whether the file must exist, open or save; patterns match any letter case.
void ConfigureFileDialog(QFileDialog& dialog, const KXFILEREQUEST& request);
