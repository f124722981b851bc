// Reading a file's bytes for the reader: whole or not at all, and never waiting on, or
// reading from, anything but a regular file.
#include "tempdir.h"

#include "bmpcodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<std::uint8_t> Pattern(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    return bytes;
}

void Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Sizes on both sides of 2 MiB, and none.
TEST(FileBytes, ReadsRegularFilesWhole)
{
    ScopedTempDir dir;
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{54},
                                   (std::size_t{2} << 20) - 1, (std::size_t{2} << 20) + 3}) {
        const std::filesystem::path path = dir.Path() / ("file" + std::to_string(size));
        const std::vector<std::uint8_t> written = Pattern(size);
        Write(path, written);
        bmp::FILEBYTES file;
        ASSERT_TRUE(file.Read(path.c_str())) << size;
        ASSERT_EQ(file.Size(), size);
        EXPECT_TRUE(std::equal(written.begin(), written.end(), file.Data())) << size;
    }
}

// A second read replaces what the first one held; a refused one leaves nothing.
TEST(FileBytes, ReadingAgainReplacesTheBytes)
{
    ScopedTempDir dir;
    const std::filesystem::path big = dir.Path() / "big";
    const std::filesystem::path small = dir.Path() / "small";
    Write(big, Pattern(3 << 20));
    Write(small, {1, 2, 3});
    bmp::FILEBYTES file;
    ASSERT_TRUE(file.Read(big.c_str()));
    ASSERT_TRUE(file.Read(small.c_str()));
    ASSERT_EQ(file.Size(), 3u);
    EXPECT_EQ(file.Data()[2], 3);
    EXPECT_FALSE(file.Read((dir.Path() / "missing").c_str()));
    EXPECT_EQ(file.Size(), 0u);
    EXPECT_EQ(file.Data(), nullptr);
}

TEST(FileBytes, RefusesWhatIsNoRegularFileOrTooLarge)
{
    ScopedTempDir dir;
    const std::filesystem::path fifo = dir.Path() / "pipe.bmp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Larger than any picture the reader accepts; sparse, so it costs no disk.
    const std::filesystem::path huge = dir.Path() / "huge.bmp";
    Write(huge, {'B', 'M'});
    std::filesystem::resize_file(huge, (std::uint64_t{1} << 31) + 1);
    const std::string paths[] = {(dir.Path() / "missing.bmp").string(), dir.Path().string(),
                                 fifo.string(), huge.string()};
    for (const std::string& path : paths) {
        bmp::FILEBYTES file;
        EXPECT_FALSE(file.Read(path.c_str())) << path;
        EXPECT_EQ(file.Size(), 0u) << path;
    }
    bmp::FILEBYTES none;
    EXPECT_FALSE(none.Read(nullptr));
}

} // namespace
