// The directory functions on which plug-in discovery rests.
#pragma once

#include "kxcollection.h"
#include "kxstring.h"

// Empties list, then appends the name of every entry of the current directory that
// matches pattern, files and directories alike, in byte-wise order.
void ListFiles(KXCOLLECTION<KXSTRING>& list, const char* pattern);
// ListFiles, with the current directory and '/' in front of every name.
void ListFilesFullPath(KXCOLLECTION<KXSTRING>& list, const char* pattern);
// Sets dir to the current directory, however long its path.
void GetCurrentDir(KXSTRING& dir);
// Makes dir the current directory.
void ChangeDir(const KXSTRING& dir);
// Runs command through the shell; false only when no shell could be started.
bool RunCommand(const char* command);
