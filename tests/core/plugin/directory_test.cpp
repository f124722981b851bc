#include "tempdir.h"

#include "kxdirectory.h"
#include "kxlibrary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Names(KXCOLLECTION<KXSTRING>& list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.GetCount(); ++i)
        names.emplace_back(list[i].GetText());
    return names;
}

void Touch(const std::filesystem::path& file)
{
    std::ofstream{file};
}

TEST(Directory, ListFilesMatchesThePatternInByteOrder)
{
    ScopedTempDir dir;
    for (const char* name : {"b.dll", "a.dll", "B.dll", "c.txt", "a.dll.txt", "x.DLL"})
        Touch(dir.Path() / name);
    std::filesystem::create_directory(dir.Path() / "sub.dll");
    dir.Enter();

    KXCOLLECTION<KXSTRING> list;
    list.Add(KXSTRING("stale"));
    ListFiles(list, "*.dll");
    EXPECT_EQ(Names(list), (std::vector<std::string>{"B.dll", "a.dll", "b.dll", "sub.dll"}));

    ListFiles(list, "*.none");
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(Directory, ListFilesFullPathPutsTheDirectoryInFront)
{
    ScopedTempDir dir;
    Touch(dir.Path() / "one.dll");
    dir.Enter();
    KXCOLLECTION<KXSTRING> list;
    ListFilesFullPath(list, "*.dll");
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(Names(list), std::vector<std::string>{cwd + "/one.dll"});
}

TEST(Directory, CurrentDirectoryOfAnyLength)
{
    ScopedTempDir dir;
    const std::filesystem::path deep = dir.MakeDeepFolder();
    dir.Enter();

    KXSTRING path;
    ChangeDir(KXSTRING(deep.c_str()));
    GetCurrentDir(path);
    EXPECT_EQ(std::string(path.GetText()), std::filesystem::current_path().string());
    EXPECT_GT(path.GetLength(), 360);
}

TEST(Directory, RunCommandFailsOnlyWithoutAShell)
{
    EXPECT_TRUE(RunCommand("true"));
    EXPECT_TRUE(RunCommand("exit 3"));
}

TEST(Directory, LibraryFunctions)
{
    KXLIBRARY missing = LoadModuleLibrary("/nonexistent/library.dll");
    EXPECT_EQ(missing, nullptr);
    KXLIBRARY library = LoadModuleLibrary(PELISK_FIXTURE_DIR "/loader_a.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_NE(GetModuleProc(library, "CreateMod"), nullptr);
    EXPECT_EQ(GetModuleProc(library, "NoSuchExport"), nullptr);
    FreeModuleLibrary(&library);
    EXPECT_EQ(library, nullptr);
    FreeModuleLibrary(&library);
}

} // namespace
