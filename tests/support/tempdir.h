// A temporary directory that becomes the current directory for one test: plug-ins and
// the memory manager are found in the current directory, so each test chooses exactly
// which of them are there.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>

class ScopedTempDir {
public:
    ScopedTempDir();
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

    const std::filesystem::path& Path() const { return path; }

    // Copies each file into the directory, keeping its name.
    void Copy(std::initializer_list<std::filesystem::path> files) const;
    // Copies file into the directory under another name.
    void CopyAs(const std::filesystem::path& file, const std::string& name) const;
    // Creates a folder three levels deep inside, each name of 120 characters, and returns
    // its path: longer than any fixed buffer for a current directory would be.
    std::filesystem::path MakeDeepFolder() const;
    // Makes the directory current; the destructor restores the previous one.
    void Enter();

private:
    std::filesystem::path path;
    std::filesystem::path previous;
};
