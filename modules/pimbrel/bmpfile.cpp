// Reading and writing whole files for the bitmap loader.
#include "bmpcodec.h"

#include <cstdio>

#include <sys/stat.h>

namespace bmp {

bool ReadFile(const char* path, std::vector<std::uint8_t>& bytes)
{
    struct stat status {};
    if (path == nullptr || stat(path, &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::uint64_t>(status.st_size) > (std::uint64_t{1} << 31))
        return false;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return false;
    bytes.resize(static_cast<std::size_t>(status.st_size));
    const std::size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return read == bytes.size();
}

bool WriteFile(const char* path, const std::vector<std::uint8_t>& bytes)
{
    std::FILE* file = path != nullptr ? std::fopen(path, "wb") : nullptr;
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (written && closed)
        return true;
    std::remove(path);
    return false;
}

} // namespace bmp
