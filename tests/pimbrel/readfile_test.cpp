// Reading a file from its path: the headers first, then the pixels piece by piece into the
// picture's new buffer; it must give the picture that decoding the same bytes gives, and
// refuse as it does.
#include "bmptest.h"
#include "tempdir.h"

#include "bmpcodec.h"
#include "bmplayout.h"
#include "kxpicture.h"

#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace L = bmp::layout;

void Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// A file of width × 40 pixels, more than the head the reader reads first, with pixels,
// palette and resolutions that differ everywhere.
std::vector<std::uint8_t> FileOf(std::uint16_t depth, std::uint32_t width)
{
    KXPICTURE picture;
    picture.CreateWithPalette(width, 40, depth, depth <= 8 ? 1u << depth : 0);
    for (std::uint32_t i = 0; i < picture.GetDataSize(); ++i)
        picture.GetData()[i] = static_cast<std::uint8_t>(i * 37 + i / 253);
    for (std::uint32_t i = 0; i < picture.GetPaletteSize() * 4; ++i)
        picture.GetPalette()[i] = static_cast<std::uint8_t>(i * 11);
    picture.SetXResolution(2835);
    picture.SetYResolution(3780);
    std::vector<std::uint8_t> file;
    EXPECT_TRUE(bmp::Encode(picture, file));
    return file;
}

std::vector<std::uint8_t> TopDown(std::vector<std::uint8_t> file)
{
    Put32(file, L::kHeight, static_cast<std::uint32_t>(-40));
    return file;
}

// Every row one run of its own index, at 8 bits.
std::vector<std::uint8_t> RunLength(std::uint32_t width)
{
    std::vector<std::uint8_t> file = FileOf(8, width);
    file.resize(L::kInfoHeaderEnd + 1024);
    const std::size_t start = file.size();
    for (std::uint8_t row = 0; row < 40; ++row)
        file.insert(file.end(), {static_cast<std::uint8_t>(width), row, 0, 0});
    file.insert(file.end(), {0, 1});
    Put32(file, L::kCompression, L::kRle8);
    Put32(file, L::kImageSize, static_cast<std::uint32_t>(file.size() - start));
    Put32(file, L::kFileSize, static_cast<std::uint32_t>(file.size()));
    return file;
}

// Whether two pictures hold the same image, byte for byte.
void ExpectSame(const KXPICTURE& ours, const KXPICTURE& decoded, const std::string& name)
{
    ASSERT_EQ(ours.GetWidth(), decoded.GetWidth()) << name;
    ASSERT_EQ(ours.GetHeight(), decoded.GetHeight()) << name;
    ASSERT_EQ(ours.GetDepth(), decoded.GetDepth()) << name;
    ASSERT_EQ(ours.GetDataSize(), decoded.GetDataSize()) << name;
    EXPECT_EQ(std::memcmp(ours.GetData(), decoded.GetData(), ours.GetDataSize()), 0) << name;
    ASSERT_EQ(ours.GetPaletteSize(), decoded.GetPaletteSize()) << name;
    if (ours.GetPaletteSize() > 0) {
        EXPECT_EQ(std::memcmp(ours.GetPalette(), decoded.GetPalette(), ours.GetPaletteSize() * 4),
                  0)
            << name;
    }
    EXPECT_EQ(ours.GetRedMask(), decoded.GetRedMask()) << name;
    EXPECT_EQ(ours.GetGreenMask(), decoded.GetGreenMask()) << name;
    EXPECT_EQ(ours.GetBlueMask(), decoded.GetBlueMask()) << name;
    EXPECT_EQ(ours.GetAlphaMask(), decoded.GetAlphaMask()) << name;
    EXPECT_EQ(ours.GetXResolution(), decoded.GetXResolution()) << name;
    EXPECT_EQ(ours.GetYResolution(), decoded.GetYResolution()) << name;
}

struct FILECASE {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

// Rows of every depth read straight from the file, and files that must not be: padded
// rows, top-down rows, packed pixels and runs.
std::vector<FILECASE> EveryKindOfFile()
{
    std::vector<std::uint8_t> withTail = FileOf(24, 64);
    withTail.insert(withTail.end(), 5, 0xEE);
    return {
        {"plain 8", FileOf(8, 64)},       {"plain 16", FileOf(16, 66)},
        {"plain 24", FileOf(24, 64)},     {"plain 32", FileOf(32, 63)},
        {"plain 24 with a tail", withTail},
        {"padded 8", FileOf(8, 63)},      {"padded 16", FileOf(16, 65)},
        {"padded 24", FileOf(24, 63)},    {"top-down 24", TopDown(FileOf(24, 64))},
        {"top-down 32", TopDown(FileOf(32, 63))},
        {"packed 4", FileOf(4, 64)},      {"packed 1", FileOf(1, 64)},
        {"run-length 8", RunLength(64)},
    };
}

TEST(ReadFile, ReadsEveryFileAsDecodingItsBytesDoes)
{
    ScopedTempDir dir;
    for (const FILECASE& file : EveryKindOfFile()) {
        const std::filesystem::path path = dir.Path() / "picture.bmp";
        Write(path, file.bytes);
        KXPICTURE decoded;
        ASSERT_EQ(Read(file.bytes, decoded), bmp::REFUSAL::NONE) << file.name;
        KXPICTURE ours;
        MakeSentinel(ours);
        ASSERT_EQ(bmp::ReadFile(path.c_str(), ours), bmp::REFUSAL::NONE) << file.name;
        ExpectSame(ours, decoded, file.name);
    }
}

// The files of the public suite (good, questionable and bad) and of the reader's own
// regressions.
std::vector<std::filesystem::path> SuiteFiles()
{
    const std::filesystem::path corpus = PELISK_CORPUS_DIR;
    std::vector<std::filesystem::path> files;
    for (const std::filesystem::path& folder :
         {corpus / "g", corpus / "q", corpus / "b", std::filesystem::path(PELISK_REGRESSION_DIR)}) {
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".bmp")
                files.push_back(entry.path());
    }
    EXPECT_GT(files.size(), 80u);
    return files;
}

// Every file of the suite reads from its path as from its bytes in memory: the same
// refusal, or the same picture byte for byte.
TEST(ReadFile, EveryFileOfTheSuiteReadsFromItsPathAsFromItsBytes)
{
    for (const std::filesystem::path& file : SuiteFiles()) {
        const std::string name = file.filename().string();
        KXPICTURE decoded;
        MakeSentinel(decoded);
        const bmp::REFUSAL expected = Read(ReadBytes(file), decoded);
        KXPICTURE ours;
        MakeSentinel(ours);
        ASSERT_EQ(bmp::ReadFile(file.c_str(), ours), expected) << name;
        if (expected == bmp::REFUSAL::NONE)
            ExpectSame(ours, decoded, name);
        else
            EXPECT_TRUE(IsSentinel(ours)) << name;
    }
}

// Every file of the suite and of the regressions, and every kind of file of the tree, read
// into a picture that asks for a form, is the file read plainly and converted to it.
TEST(ReadFile, EveryFileReadInTheOwnersFormIsTheFileConvertedToIt)
{
    for (const std::filesystem::path& file : SuiteFiles()) {
        for (const KXLOADFORM& form : LoadForms())
            EXPECT_TRUE(ReadsInForm(file, form))
                << file.filename() << ", form of " << form.depth << " bits";
    }
    ScopedTempDir dir;
    const std::filesystem::path path = dir.Path() / "picture.bmp";
    for (const FILECASE& file : EveryKindOfFile()) {
        Write(path, file.bytes);
        for (const KXLOADFORM& form : LoadForms())
            EXPECT_TRUE(ReadsInForm(path, form)) << file.name << ", form of " << form.depth;
    }
}

// A picture that asks for no room (every picture but the viewer's) is read into a buffer
// of its file's depth only: nothing is kept for a conversion that may never come.
TEST(ReadFile, APictureThatAsksForNoRoomGetsABufferOfItsPixelsOnly)
{
    ScopedTempDir dir;
    for (const FILECASE& file : EveryKindOfFile()) {
        const std::filesystem::path path = dir.Path() / "picture.bmp";
        Write(path, file.bytes);
        KXPICTURE ours;
        ASSERT_EQ(bmp::ReadFile(path.c_str(), ours), bmp::REFUSAL::NONE) << file.name;
        EXPECT_EQ(ours.GetDataCapacity(), ours.GetDataSize()) << file.name;
    }
}

// Every file read into a picture that asks for room for its 32-bit form, as the viewer's
// does, converts to it in the buffer it was read into, to the bytes a conversion into a
// buffer of its own gives.
TEST(ReadFile, EveryFileConvertsForDisplayInTheBufferItWasReadInto)
{
    ScopedTempDir dir;
    for (const FILECASE& file : EveryKindOfFile()) {
        const std::filesystem::path path = dir.Path() / "picture.bmp";
        Write(path, file.bytes);
        KXPICTURE ours;
        ours.SetLoadForm(32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000});
        ASSERT_EQ(bmp::ReadFile(path.c_str(), ours), bmp::REFUSAL::NONE) << file.name;
        const std::uint32_t pixels = ours.GetWidth() * ours.GetHeight();
        EXPECT_EQ(ours.GetDataCapacity(), pixels * 4) << file.name;
        KXPICTURE apart; // a buffer of just its pixels
        ASSERT_TRUE(apart.CreateWithPalette(ours.GetWidth(), ours.GetHeight(), ours.GetDepth(),
                                            ours.GetPaletteSize()));
        std::memcpy(apart.GetData(), ours.GetData(), ours.GetDataSize());
        if (ours.GetPaletteSize() > 0)
            std::memcpy(apart.GetPalette(), ours.GetPalette(), ours.GetPaletteSize() * 4);
        apart.SetMasks(ours.GetRedMask(), ours.GetGreenMask(), ours.GetBlueMask(),
                       ours.GetAlphaMask());
        ASSERT_TRUE(apart.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000)) << file.name;

        const std::uint8_t* readInto = ours.GetData();
        ASSERT_TRUE(ours.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000)) << file.name;
        EXPECT_EQ(ours.GetData(), readInto) << file.name;
        ASSERT_EQ(ours.GetDataSize(), pixels * 4) << file.name;
        EXPECT_EQ(std::memcmp(ours.GetData(), apart.GetData(), pixels * 4), 0) << file.name;
    }
}

// The room costs a small file that claims a large picture no more than the picture it
// describes would cost once shown: a few hundred bytes of runs for 4096 × 2048 pixels get
// a buffer of that picture's 32-bit size, no larger.
TEST(ReadFile, ASmallFileCostsNoMoreThanThePictureItDescribes)
{
    constexpr std::uint32_t width = 4096;
    constexpr std::uint32_t height = 2048;
    std::vector<std::uint8_t> file = RunLength(64);
    Put32(file, L::kWidth, width);
    Put32(file, L::kHeight, height);
    ASSERT_LT(file.size(), 2000u);
    ScopedTempDir dir;
    const std::filesystem::path path = dir.Path() / "picture.bmp";
    Write(path, file);
    KXPICTURE picture;
    picture.SetLoadForm(32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000});
    ASSERT_EQ(bmp::ReadFile(path.c_str(), picture), bmp::REFUSAL::NONE);
    ASSERT_EQ(picture.GetWidth(), width);
    EXPECT_EQ(picture.GetDataCapacity(), width * height * 4);
    EXPECT_LE(malloc_usable_size(picture.GetData()), std::size_t{width} * height * 4 + 8192);
}

// A file cut inside its pixel data, or whose headers claim more than it holds, is
// refused as decoding its bytes refuses it, before any pixel is read, with the picture as
// it was.
TEST(ReadFile, RefusesAsDecodingDoesWithThePictureUntouched)
{
    const std::vector<std::uint8_t> plain = FileOf(24, 64);
    const auto cut = [&plain](std::size_t size) {
        return std::vector<std::uint8_t>(plain.begin(),
                                         plain.begin() + static_cast<std::ptrdiff_t>(size));
    };
    std::vector<std::uint8_t> tooLarge = plain;
    Put32(tooLarge, L::kWidth, 1u << 20);
    Put32(tooLarge, L::kHeight, 1u << 10);
    std::vector<std::uint8_t> noSignature = plain;
    noSignature[0] = 'X';
    std::vector<std::uint8_t> noWidth = plain;
    Put32(noWidth, L::kWidth, 0);
    std::vector<std::uint8_t> paddedCut = FileOf(24, 63);
    paddedCut.resize(paddedCut.size() - 4); // the last row needs no padding
    std::vector<std::uint8_t> badDepth = plain;
    Put16(badDepth, L::kBitCount, 12);
    const FILECASE cases[] = {
        {"cut by one byte", cut(plain.size() - 1)},
        {"cut half way", cut(plain.size() / 2)},
        {"cut after the headers", cut(L::kInfoHeaderEnd)},
        {"cut inside the headers", cut(30)},
        {"too large", tooLarge},
        {"no signature", noSignature},
        {"no width", noWidth},
        {"unknown depth", badDepth},
        {"padded and cut", paddedCut},
    };
    ScopedTempDir dir;
    for (const FILECASE& file : cases) {
        const std::filesystem::path path = dir.Path() / "picture.bmp";
        Write(path, file.bytes);
        KXPICTURE decoded;
        const bmp::REFUSAL expected = Read(file.bytes, decoded);
        ASSERT_NE(expected, bmp::REFUSAL::NONE) << file.name;
        KXPICTURE ours;
        MakeSentinel(ours);
        EXPECT_EQ(bmp::ReadFile(path.c_str(), ours), expected) << file.name;
        EXPECT_TRUE(IsSentinel(ours)) << file.name;
    }
}

// Pixels that do not read whole (the file shrank after its headers were read, or the
// disk failed), at the first piece or a later one, and run-length data that change
// between the walk that checks them and the walk that reads them, are a refusal that
// leaves the picture as it was.
TEST(ReadFile, PixelsThatDoNotReadWholeLeaveThePictureAsItWas)
{
    std::vector<std::uint8_t> changed = RunLength(64);
    const std::size_t runs = L::kInfoHeaderEnd + 1024;
    changed[runs + 4 * 7] = 65; // a run one pixel wider than its row
    struct FAILURE {
        std::string name;
        std::vector<std::uint8_t> file;
        int failingRead; // the read that fails, from 1
        bool changes;    // that read gives the changed runs instead
    };
    const FAILURE failures[] = {
        {"plain rows", FileOf(32, 63), 1, false},
        {"padded rows", FileOf(24, 63), 1, false},
        {"packed rows, second piece", FileOf(1, 64 * 8 * 600), 2, false},
        {"top-down rows, second piece", TopDown(FileOf(24, 1000)), 2, false},
        {"runs, first walk", RunLength(64), 1, false},
        {"runs, second walk", RunLength(64), 2, false},
        {"runs changed between the walks", RunLength(64), 2, true},
    };
    for (const FAILURE& failure : failures) {
        const std::vector<std::uint8_t>& file = failure.file;
        const std::size_t headSize = std::min(bmp::kHeadSize, file.size());
        int reads = 0;
        const bmp::READAT failing = [&](std::size_t at, std::uint8_t* buffer, std::size_t count) {
            EXPECT_LE(count, std::size_t{64} << 10) << failure.name;
            if (++reads < failure.failingRead) {
                std::memcpy(buffer, file.data() + at, count);
                return true;
            }
            if (failure.changes) {
                std::memcpy(buffer, changed.data() + at, count);
                return true;
            }
            std::memcpy(buffer, file.data() + at, count / 2);
            return false;
        };
        KXPICTURE picture;
        MakeSentinel(picture);
        EXPECT_EQ(bmp::DecodeFile(file.data(), headSize, file.size(), failing, picture),
                  bmp::REFUSAL::UNREADABLE)
            << failure.name;
        EXPECT_EQ(reads, failure.failingRead) << failure.name;
        EXPECT_TRUE(IsSentinel(picture)) << failure.name;
    }
}

// Nothing but a regular file is read, and none larger than any picture the reader takes;
// a pipe is refused rather than waited on.
TEST(ReadFile, RefusesWhatCannotBeRead)
{
    ScopedTempDir dir;
    const std::filesystem::path fifo = dir.Path() / "pipe.bmp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Sparse, so it costs no disk; its headers are those of a sound file.
    const std::filesystem::path huge = dir.Path() / "huge.bmp";
    Write(huge, FileOf(24, 64));
    std::filesystem::resize_file(huge, (std::uint64_t{1} << 31) + 1);
    const std::string paths[] = {(dir.Path() / "missing.bmp").string(), dir.Path().string(),
                                 fifo.string(), huge.string()};
    KXPICTURE picture;
    MakeSentinel(picture);
    for (const std::string& path : paths)
        EXPECT_EQ(bmp::ReadFile(path.c_str(), picture), bmp::REFUSAL::UNREADABLE) << path;
    EXPECT_EQ(bmp::ReadFile(nullptr, picture), bmp::REFUSAL::UNREADABLE);
    EXPECT_TRUE(IsSentinel(picture));
}

} // namespace
