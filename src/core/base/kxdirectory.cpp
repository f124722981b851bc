#include "kxdirectory.h"

#include "kxsys.h"

void ListFiles(KXCOLLECTION<KXSTRING>& list, const char* pattern)
{
    list.RemoveAll();
    for (const std::string& name : kxsys::ListDirectory(pattern))
        list.Add(KXSTRING(name.c_str()));
}

void ListFilesFullPath(KXCOLLECTION<KXSTRING>& list, const char* pattern)
{
    ListFiles(list, pattern);
    KXSTRING dir;
    GetCurrentDir(dir);
    dir += '/';
    for (int i = 0; i < list.GetCount(); ++i)
        list[i].Insert(dir.GetText(), 0);
}

// The buffer starts at 256 bytes and doubles until the whole path fits: a directory
// nested deeply still gives its full path, never a cut one.
void GetCurrentDir(KXSTRING& dir)
{
    int capacity = 256;
    dir.Allocate(capacity);
    while (!kxsys::CurrentDirectory(dir.GetText(), static_cast<std::size_t>(capacity))) {
        capacity *= 2;
        dir.Allocate(capacity);
    }
    dir.UpdateLength();
}

void ChangeDir(const KXSTRING& dir)
{
    kxsys::ChangeDirectory(dir.GetText());
}

bool RunCommand(const char* command)
{
    return kxsys::RunCommand(command) != -1;
}
