#include "picture_bench.h"

#include "bmpcodec.h"
#include "tempdir.h"

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

std::vector<std::uint8_t> WriteBenchFile(const KXPICTURE& picture,
                                         const std::filesystem::path& path)
{
    std::vector<std::uint8_t> bytes;
    if (!bmp::Encode(picture, bytes))
        throw std::runtime_error("cannot write " + path.string());
    SaveBenchFile(bytes, path);
    return bytes;
}

void SaveBenchFile(const std::vector<std::uint8_t>& bytes, const std::filesystem::path& path)
{
    if (!bmp::WriteFile(path.c_str(), bytes))
        throw std::runtime_error("cannot write " + path.string());
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

void DropFromPageCache(const std::filesystem::path& path)
{
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return;
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    close(fd);
}

const std::filesystem::path& BenchFolder()
{
    // As in the viewer, every deliverable binds its memory manager, and every picture finds
    // the bitmap loader, in the folder where the program starts: a picture read by the
    // plug-in and converted by the program lives in one heap.
    for (const char* needed : {"pimbrel.dll", "stowel.dll"}) {
        if (!std::filesystem::exists(needed))
            throw std::runtime_error(std::string("no ") + needed +
                                     " here: start the benchmark in the build's bin folder, "
                                     "as scripts/bench does");
    }
    static ScopedTempDir folder;
    return folder.Path();
}
