#include "tempdir.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

ScopedTempDir::ScopedTempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "pelisk-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary directory");
    path = pattern;
}

ScopedTempDir::~ScopedTempDir()
{
    std::error_code ignored;
    if (!previous.empty())
        std::filesystem::current_path(previous, ignored);
    std::filesystem::remove_all(path, ignored);
}

void ScopedTempDir::Copy(std::initializer_list<std::filesystem::path> files) const
{
    for (const auto& file : files)
        std::filesystem::copy_file(file, path / file.filename());
}

void ScopedTempDir::CopyAs(const std::filesystem::path& file, const std::string& name) const
{
    std::filesystem::copy_file(file, path / name);
}

std::filesystem::path ScopedTempDir::MakeDeepFolder() const
{
    std::filesystem::path deep = path;
    for (char c : {'p', 'q', 'r'})
        deep /= std::string(120, c);
    std::filesystem::create_directories(deep);
    return deep;
}

void ScopedTempDir::Enter()
{
    if (previous.empty())
        previous = std::filesystem::current_path();
    std::filesystem::current_path(path);
}
