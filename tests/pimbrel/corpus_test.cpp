// The public suite of BMP test files, read through a picture's image loaders as the
// viewer reads them: good files must match their reference decodings, bad ones must be
// refused (or read without a stray access, which the sanitizer build checks), and the
// questionable ones are read or refused as listed here.
#include "bmptest.h"
#include "tempdir.h"

#include "bmpcodec.h"
#include "kxpicture.h"

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

constexpr bmp::REFUSAL N = bmp::REFUSAL::NONE;

const std::filesystem::path corpus = PELISK_CORPUS_DIR;

// A current directory holding the bitmap loader, as the viewer's bin directory does.
class CorpusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Copy({std::filesystem::path(PELISK_BIN_DIR) / "pimbrel.dll"});
        dir.Enter();
    }

    ScopedTempDir dir;
};

// Each file of a folder read as the viewer reads it, through the picture's image
// loaders, and decoded once more to learn why a refused one was refused.
std::map<std::string, bmp::REFUSAL> ReadEach(const std::filesystem::path& folder)
{
    std::map<std::string, bmp::REFUSAL> outcomes;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        KXPICTURE picture;
        MakeSentinel(picture);
        const bool read = picture.GetLoaderSet().LoadFile(entry.path().c_str());
        if (!read)
            EXPECT_TRUE(IsSentinel(picture))
                << entry.path() << " was refused but touched the picture";
        else
            Displayed(picture); // every pixel is read once more, under the sanitizers
        KXPICTURE again;
        const bmp::REFUSAL reason = Read(ReadBytes(entry.path()), again);
        EXPECT_EQ(read, reason == bmp::REFUSAL::NONE) << entry.path();
        outcomes[entry.path().filename().string()] = reason;
    }
    return outcomes;
}

TEST_F(CorpusTest, GoodFilesMatchTheirReferences)
{
    std::ifstream list(corpus / "good-reference.tsv");
    ASSERT_TRUE(list) << "the suite is missing";
    std::string line;
    int checked = 0;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string file, reference;
        fields >> file >> reference;
        KXPICTURE picture;
        ASSERT_TRUE(picture.GetLoaderSet().LoadFile((corpus / file).c_str())) << file;
        const QImage expected(QString::fromStdString((corpus / reference).string()));
        ASSERT_FALSE(expected.isNull()) << reference;
        const int tolerance = file.find("rgb16") != std::string::npos ? 8 : 0;
        const int difference = LargestDifference(Displayed(picture), expected);
        EXPECT_GE(difference, 0) << file << ": size differs";
        EXPECT_LE(difference, tolerance) << file;
        ++checked;
    }
    EXPECT_EQ(checked, 27);
}

// A bad file is read only where what is wrong with it is a field no reader relies on
// (sizes, densities, planes) or a colour it can still show (an index beyond the palette,
// a channel without bits); every other one is refused.
TEST_F(CorpusTest, BadFilesAreRefusedUnlessHarmless)
{
    const std::map<std::string, bmp::REFUSAL> expected = {
        {"badbitcount.bmp", bmp::REFUSAL::DEPTH},
        {"badbitssize.bmp", N},
        {"baddens1.bmp", N},
        {"baddens2.bmp", N},
        {"badfilesize.bmp", N},
        {"badheadersize.bmp", bmp::REFUSAL::HEADERSIZE},
        {"badpalettesize.bmp", N},
        {"badplanes.bmp", N},
        {"badrle.bmp", bmp::REFUSAL::RUNLENGTH},
        {"badrle4.bmp", bmp::REFUSAL::RUNLENGTH},
        {"badrle4bis.bmp", bmp::REFUSAL::RUNLENGTH},
        {"badrle4ter.bmp", bmp::REFUSAL::RUNLENGTH},
        {"badrlebis.bmp", bmp::REFUSAL::RUNLENGTH},
        {"badrleter.bmp", bmp::REFUSAL::RUNLENGTH},
        {"badwidth.bmp", bmp::REFUSAL::DIMENSIONS},
        {"pal8badindex.bmp", N},
        {"reallybig.bmp", bmp::REFUSAL::TOOLARGE},
        {"rgb16-880.bmp", N},
        {"rletopdown.bmp", bmp::REFUSAL::COMPRESSION},
        {"shortfile.bmp", bmp::REFUSAL::TRUNCATED},
    };
    EXPECT_EQ(ReadEach(corpus / "b"), expected);
}

// Questionable files are read where the format allows them (odd masks, short palettes,
// cut run-length data, the old headers); refused are depths and compressions the
// reader does not take (2 bits, 64 bits, Huffman, embedded JPEG and PNG, 24-bit runs,
// alpha bit fields) and the variable-length headers of one old system.
TEST_F(CorpusTest, QuestionableFilesAreReadOrRefusedAsListed)
{
    const std::map<std::string, bmp::REFUSAL> expected = {
        {"pal1huffmsb.bmp", bmp::REFUSAL::HEADERSIZE},
        {"pal1p1.bmp", N},
        {"pal2.bmp", bmp::REFUSAL::DEPTH},
        {"pal2color.bmp", bmp::REFUSAL::DEPTH},
        {"pal4rlecut.bmp", N},
        {"pal4rletrns.bmp", N},
        {"pal8offs.bmp", N},
        {"pal8os2-hs.bmp", N},
        {"pal8os2-sz.bmp", N},
        {"pal8os2sp.bmp", N},
        {"pal8os2v2-16.bmp", bmp::REFUSAL::HEADERSIZE},
        {"pal8os2v2-40sz.bmp", N},
        {"pal8os2v2-sz.bmp", bmp::REFUSAL::HEADERSIZE},
        {"pal8os2v2.bmp", bmp::REFUSAL::HEADERSIZE},
        {"pal8oversizepal.bmp", N},
        {"pal8rlecut.bmp", N},
        {"pal8rletrns.bmp", N},
        {"rgb16-231.bmp", N},
        {"rgb16-3103.bmp", N},
        {"rgb16faketrns.bmp", N},
        {"rgb24jpeg.bmp", bmp::REFUSAL::COMPRESSION},
        {"rgb24largepal.bmp", N},
        {"rgb24png.bmp", bmp::REFUSAL::COMPRESSION},
        {"rgb24rle24.bmp", bmp::REFUSAL::HEADERSIZE},
        {"rgb32-111110.bmp", N},
        {"rgb32-7187.bmp", N},
        {"rgb32-xbgr.bmp", N},
        {"rgb32fakealpha.bmp", N},
        {"rgb32h52.bmp", N},
        {"rgba16-1924.bmp", N},
        {"rgba16-4444.bmp", N},
        {"rgba16-5551.bmp", N},
        {"rgba32-1.bmp", N},
        {"rgba32-1010102.bmp", N},
        {"rgba32-2.bmp", N},
        {"rgba32-61754.bmp", N},
        {"rgba32-81284.bmp", N},
        {"rgba32abf.bmp", bmp::REFUSAL::COMPRESSION},
        {"rgba32h56.bmp", N},
        {"rgba64.bmp", bmp::REFUSAL::DEPTH},
    };
    EXPECT_EQ(ReadEach(corpus / "q"), expected);
}

// Questionable files the reader takes and the suite has a reference for are read as the
// reference shows them, alpha included where it has alpha. Pixels that run-length data
// skip take palette index 0, as the reference of that choice shows. Channels of fewer
// than 8 bits widen to bytes with another rounding in the suite: within 1.
TEST_F(CorpusTest, QuestionableFilesMatchTheirReferences)
{
    const struct {
        const char* file;
        const char* reference;
        int tolerance;
    } pairs[] = {
        {"pal1p1", "pal1p1", 0},
        {"pal4rlecut", "pal4rlecut-0", 0},
        {"pal4rletrns", "pal4rletrns-0", 0},
        {"pal8rlecut", "pal8rlecut-0", 0},
        {"pal8rletrns", "pal8rletrns-0", 0},
        {"rgb16-231", "rgb16-231", 1},
        {"rgb16-3103", "rgb16-3103", 1},
        {"rgb16faketrns", "rgb16faketrns", 1},
        {"rgb32-7187", "rgb32-7187", 1},
        {"rgba16-1924", "rgba16-1924", 1},
        {"rgba16-4444", "rgba16-4444", 0},
        {"rgba16-5551", "rgba16-5551", 1},
        {"rgba32-1010102", "rgba32-1010102", 1},
        {"rgba32-61754", "rgba32-61754", 1},
        {"rgba32-81284", "rgba32-81284", 1},
    };
    for (const auto& c : pairs) {
        KXPICTURE picture;
        const std::string path = (corpus / "q" / c.file).string() + ".bmp";
        ASSERT_TRUE(picture.GetLoaderSet().LoadFile(path.c_str())) << c.file;
        QImage expected(QString::fromStdString((corpus / "ref" / c.reference).string()) + ".png");
        ASSERT_FALSE(expected.isNull()) << c.reference;
        QImage shown = Displayed(picture);
        // The suite shows the unused top bit of these plain 16-bit pixels as
        // transparency, which the plain layout does not have: the reader shows them
        // opaque, and only the pixels the reference shows are compared.
        if (std::string(c.file) == "rgb16faketrns")
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    if (qAlpha(expected.pixel(x, y)) == 0)
                        shown.setPixel(x, y, 0);
        const int difference = LargestDifference(shown, expected);
        EXPECT_GE(difference, 0) << c.file << ": size differs";
        EXPECT_LE(difference, c.tolerance)
            << c.file << (expected.hasAlphaChannel() ? " (alpha)" : "");
    }
}

// Three variants of the 252-colour picture of g/pal8.bmp: a gap between palette and
// pixels, an old header whose palette the pixel data cut short of 256 entries, and 300
// entries in the file. Each shows the reference's pixels and holds the good file's
// entries, taken from its bytes, with the entries the file does not supply, or that
// would lie in the pixel data, black.
TEST_F(CorpusTest, PalettesEndWhereThePixelsBegin)
{
    const std::vector<std::uint8_t> good = ReadBytes(corpus / "g" / "pal8.bmp");
    ASSERT_GE(good.size(), 54u + 4 * 252);
    const QImage expected(QString::fromStdString((corpus / "ref" / "pal8.png").string()));
    ASSERT_FALSE(expected.isNull());
    for (const char* file : {"pal8offs.bmp", "pal8os2sp.bmp", "pal8oversizepal.bmp"}) {
        SCOPED_TRACE(file);
        KXPICTURE picture;
        ASSERT_TRUE(picture.GetLoaderSet().LoadFile((corpus / "q" / file).c_str()));
        ASSERT_EQ(picture.GetPaletteSize(), 256u);
        for (std::uint32_t i = 0; i < 256; ++i) {
            const std::uint8_t* entry = picture.GetPalette() + 4 * i;
            for (std::uint32_t byte = 0; byte < 3; ++byte) {
                const std::uint8_t value = i < 252 ? good[54 + 4 * i + byte] : 0;
                ASSERT_EQ(entry[byte], value) << "entry " << i << ", byte " << byte;
            }
        }
        EXPECT_EQ(LargestDifference(Displayed(picture), expected), 0);
    }
}

// Whatever the fuzzer ever found goes into the regression folder, with the outcome it
// must have here.
TEST_F(CorpusTest, FuzzerFindingsHaveTheirOutcomes)
{
    const std::map<std::string, bmp::REFUSAL> expected = {
        // 32512 × 16384 pixels claimed by 1 KB of runs.
        {"rle-huge-claim.bmp", bmp::REFUSAL::TOOLARGE},
        // 16-bit fields with red in the low bits, which the writer moves to the standard
        // order: the fuzz target's round trip must compare colours, not bytes.
        {"bitfields16-red-low.bmp", bmp::REFUSAL::NONE},
    };
    std::map<std::string, bmp::REFUSAL> outcomes;
    for (const auto& entry : std::filesystem::directory_iterator(PELISK_REGRESSION_DIR)) {
        if (entry.path().extension() == ".md")
            continue;
        KXPICTURE picture;
        const bmp::REFUSAL reason = Read(ReadBytes(entry.path()), picture);
        if (reason == bmp::REFUSAL::NONE)
            Displayed(picture);
        outcomes[entry.path().filename().string()] = reason;
    }
    EXPECT_EQ(outcomes, expected);
}

} // namespace
