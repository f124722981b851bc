#include "picture_bench.h"

#include "bmpcodec.h"
#include "tempdir.h"

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

void WriteBenchFile(const KXPICTURE& picture, const std::filesystem::path& path)
{
    std::vector<std::uint8_t> bytes;
    if (!bmp::Encode(picture, bytes) || !bmp::WriteFile(path.c_str(), bytes))
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
    static ScopedTempDir folder;
    static const bool ready = [] {
        folder.Copy({std::filesystem::path(PELISK_BIN_DIR) / "pimbrel.dll"});
        folder.Enter();
        return true;
    }();
    (void)ready;
    return folder.Path();
}
