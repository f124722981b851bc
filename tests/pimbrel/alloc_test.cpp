// The bitmap loader when memory runs out: the 1st, 2nd, ... allocation of a load or a
// save fails in turn, and each time the result is a refusal with the picture as it was
// (or the file as it was), never a crash, a half-filled picture or an exception that
// leaves the plug-in. Also the current directory, which every plug-in scan and the
// memory-manager client ask for, when its buffer cannot be had.
#include "bmptest.h"
#include "failnth.h"
#include "tempdir.h"

#include "bmpcodec.h"
#include "bmplayout.h"
#include "kxdirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <utility>

#include <sys/xattr.h>

namespace {

// Files of each road through the reader: a palette and runs, a palette and packed rows,
// plain rows.
std::vector<std::uint8_t> FileOfDepth(std::uint16_t depth)
{
    KXPICTURE picture;
    picture.Create(5, 3, depth);
    for (std::uint32_t i = 0; i < picture.GetDataSize(); ++i)
        picture.GetData()[i] = static_cast<std::uint8_t>(i * 37);
    std::vector<std::uint8_t> file;
    bmp::Encode(picture, file);
    return file;
}

const std::vector<std::uint8_t>& RunLengthFile()
{
    static const std::vector<std::uint8_t> file = [] {
        std::vector<std::uint8_t> bytes = FileOfDepth(8);
        const std::uint8_t runs[] = {3, 7, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1};
        bytes.resize(bmp::layout::kInfoHeaderEnd + 1024); // the headers and the palette
        bytes.insert(bytes.end(), std::begin(runs), std::end(runs));
        Put32(bytes, bmp::layout::kCompression, bmp::layout::kRle8);
        Put32(bytes, bmp::layout::kImageSize, sizeof runs);
        return bytes;
    }();
    return file;
}

TEST(AllocationFailure, EveryFailedAllocationOfADecodeIsACleanRefusal)
{
    const std::vector<std::uint8_t> files[] = {RunLengthFile(), FileOfDepth(1), FileOfDepth(8),
                                               FileOfDepth(16), FileOfDepth(24)};
    for (const std::vector<std::uint8_t>& file : files) {
        KXPICTURE unbroken;
        ASSERT_EQ(Read(file, unbroken), bmp::REFUSAL::NONE);
        int failures = 0;
        for (int n = 1;; ++n) {
            KXPICTURE picture;
            MakeSentinel(picture);
            bmp::REFUSAL result;
            bool reached = false;
            {
                FAILNTH failing(n);
                result = Read(file, picture);
                reached = FAILNTH::Reached();
            }
            if (!reached) {
                EXPECT_EQ(result, bmp::REFUSAL::NONE);
                break;
            }
            ++failures;
            EXPECT_EQ(result, bmp::REFUSAL::NOMEMORY) << "allocation " << n;
            EXPECT_TRUE(IsSentinel(picture)) << "allocation " << n << " touched the picture";
        }
        // Paletted pictures allocate their pixels and palette, the others their pixels.
        EXPECT_GE(failures, 1);
    }
}

// The current directory's buffer grows until the path fits; when memory runs out on the
// way, the path is empty, and the call returns.
TEST(AllocationFailure, CurrentDirectoryIsEmptyWhenItsBufferCannotBeHad)
{
    ScopedTempDir dir;
    const std::filesystem::path deep = dir.MakeDeepFolder(); // longer than the first buffer
    dir.Enter();
    std::filesystem::current_path(deep);
    for (int n : {1, 2}) {
        KXSTRING path("left over");
        {
            FAILNTH failing(n, true);
            GetCurrentDir(path);
        }
        EXPECT_TRUE(path.GetText() == nullptr || path.GetLength() == 0) << "from allocation " << n;
    }
    KXSTRING path;
    GetCurrentDir(path);
    EXPECT_EQ(std::string(path.GetText()), deep.string());
}

// A current directory holding the bitmap loader, as the viewer's bin directory does.
class PluginAllocationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Copy({std::filesystem::path(PELISK_BIN_DIR) / "pimbrel.dll"});
        dir.Enter();
    }

    ScopedTempDir dir;
};

// Through the plug-in, also its own buffers (the encoded file, the names of a safe save,
// the attributes it carries over) fail: loads are refused, saves fail or succeed whole, and
// nothing is thrown across the plug-in's entry points.
TEST_F(PluginAllocationTest, LoadsAndSavesFailCleanly)
{
    const std::vector<std::uint8_t> source = FileOfDepth(24);
    {
        KXPICTURE writer;
        ASSERT_EQ(Read(source, writer), bmp::REFUSAL::NONE);
        ASSERT_TRUE(writer.GetLoaderSet().SaveFile("source.bmp"));
    }
    // Each road a file takes from its path: plain rows, runs and a palette, packed rows and
    // a palette (whose failure gives back the pixels already read).
    const std::pair<const char*, std::vector<std::uint8_t>> loads[] = {
        {"plain.bmp", source}, {"runs.bmp", RunLengthFile()}, {"packed.bmp", FileOfDepth(1)}};
    for (const auto& [name, bytes] : loads) {
        std::ofstream(name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        int failedLoads = 0;
        for (int n = 1;; ++n) {
            KXPICTURE picture;
            MakeSentinel(picture);
            bool loaded = false;
            bool reached = false;
            {
                FAILNTH failing(n);
                loaded = picture.GetLoaderSet().LoadFile(name);
                reached = FAILNTH::Reached();
            }
            if (!reached) {
                EXPECT_TRUE(loaded) << name;
                break;
            }
            if (!loaded) {
                ++failedLoads;
                EXPECT_TRUE(IsSentinel(picture))
                    << name << ": allocation " << n << " touched the picture";
            }
        }
        // The pixels at least, and the palette: the file's bytes are never held whole.
        EXPECT_GE(failedLoads, name == loads[0].first ? 1 : 2) << name;
        std::filesystem::remove(name);
    }

    for (int n = 1;; ++n) {
        std::ofstream("source.bmp", std::ios::binary)
            .write(reinterpret_cast<const char*>(source.data()),
                   static_cast<std::streamsize>(source.size()));
        // An attribute the save carries over, so that reading it fails too.
        const bool attribute = setxattr("source.bmp", "user.comment", "kept", 4, 0) == 0;
        KXPICTURE picture;
        ASSERT_EQ(Read(FileOfDepth(8), picture), bmp::REFUSAL::NONE);
        bool saved = false;
        bool reached = false;
        {
            FAILNTH failing(n);
            saved = picture.GetLoaderSet().SaveFile("source.bmp");
            reached = FAILNTH::Reached();
        }
        const std::vector<std::uint8_t> now = ReadBytes("source.bmp");
        if (saved) {
            KXPICTURE back;
            EXPECT_EQ(Read(now, back), bmp::REFUSAL::NONE);
            EXPECT_EQ(back.GetDepth(), 8) << "allocation " << n;
            char value[8] = {};
            EXPECT_TRUE(!attribute || getxattr("source.bmp", "user.comment", value, 8) == 4)
                << "allocation " << n << " lost an attribute";
        } else {
            EXPECT_EQ(now, source) << "allocation " << n << " damaged the file it was to replace";
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."),
                                std::filesystem::directory_iterator()),
                  2)
            << "allocation " << n << " left a file behind";
        if (!reached) {
            EXPECT_TRUE(saved);
            break;
        }
    }
}

} // namespace
