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

// A picture holding one known pixel, to show that a refused file leaves it as it was.
void MakeSentinel(KXPICTURE& picture)
{
    picture.Create(1, 1, 24);
    picture.SetPixelPacked(0, 0x123456);
}

bool IsSentinel(const KXPICTURE& picture)
{
    return picture.GetWidth() == 1 && picture.GetHeight() == 1 && picture.GetDepth() == 24 &&
           picture.GetPixelPacked(0) == 0x123456;
}

std::map<std::string, bool> ReadEach(const std::filesystem::path& folder)
{
    std::map<std::string, bool> outcomes;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        KXPICTURE picture;
        MakeSentinel(picture);
        const bool read = picture.GetLoaderSet().LoadFile(entry.path().c_str());
        if (!read)
            EXPECT_TRUE(IsSentinel(picture))
                << entry.path() << " was refused but touched the picture";
        else
            Displayed(picture); // every pixel is read once more, under the sanitizers
        outcomes[entry.path().filename().string()] = read;
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
    const std::map<std::string, bool> expected = {
        {"badbitcount.bmp", false},   {"badbitssize.bmp", true}, {"baddens1.bmp", true},
        {"baddens2.bmp", true},       {"badfilesize.bmp", true}, {"badheadersize.bmp", false},
        {"badpalettesize.bmp", true}, {"badplanes.bmp", true},   {"badrle.bmp", false},
        {"badrle4.bmp", false},       {"badrle4bis.bmp", false}, {"badrle4ter.bmp", false},
        {"badrlebis.bmp", false},     {"badrleter.bmp", false},  {"badwidth.bmp", false},
        {"pal8badindex.bmp", true},   {"reallybig.bmp", false},  {"rgb16-880.bmp", true},
        {"rletopdown.bmp", false},    {"shortfile.bmp", false},
    };
    EXPECT_EQ(ReadEach(corpus / "b"), expected);
}

// Questionable files are read where the format allows them (odd masks, short palettes,
// cut run-length data, the old headers); refused are depths and compressions the
// reader does not take (2 bits, 64 bits, Huffman, embedded JPEG and PNG, 24-bit runs,
// alpha bit fields) and the variable-length headers of one old system.
TEST_F(CorpusTest, QuestionableFilesAreReadOrRefusedAsListed)
{
    const std::map<std::string, bool> expected = {
        {"pal1huffmsb.bmp", false},   {"pal1p1.bmp", true},        {"pal2.bmp", false},
        {"pal2color.bmp", false},     {"pal4rlecut.bmp", true},    {"pal4rletrns.bmp", true},
        {"pal8offs.bmp", true},       {"pal8os2-hs.bmp", true},    {"pal8os2-sz.bmp", true},
        {"pal8os2sp.bmp", true},      {"pal8os2v2-16.bmp", false}, {"pal8os2v2-40sz.bmp", true},
        {"pal8os2v2-sz.bmp", false},  {"pal8os2v2.bmp", false},    {"pal8oversizepal.bmp", true},
        {"pal8rlecut.bmp", true},     {"pal8rletrns.bmp", true},   {"rgb16-231.bmp", true},
        {"rgb16-3103.bmp", true},     {"rgb16faketrns.bmp", true}, {"rgb24jpeg.bmp", false},
        {"rgb24largepal.bmp", true},  {"rgb24png.bmp", false},     {"rgb24rle24.bmp", false},
        {"rgb32-111110.bmp", true},   {"rgb32-7187.bmp", true},    {"rgb32-xbgr.bmp", true},
        {"rgb32fakealpha.bmp", true}, {"rgb32h52.bmp", true},      {"rgba16-1924.bmp", true},
        {"rgba16-4444.bmp", true},    {"rgba16-5551.bmp", true},   {"rgba32-1.bmp", true},
        {"rgba32-1010102.bmp", true}, {"rgba32-2.bmp", true},      {"rgba32-61754.bmp", true},
        {"rgba32-81284.bmp", true},   {"rgba32abf.bmp", false},    {"rgba32h56.bmp", true},
        {"rgba64.bmp", false},
    };
    EXPECT_EQ(ReadEach(corpus / "q"), expected);
}

// Whatever the fuzzer ever found goes into the regression folder; each file there must
// be read or refused without a stray access.
TEST_F(CorpusTest, FuzzerFindingsAreHandled)
{
    for (const auto& entry : std::filesystem::directory_iterator(PELISK_REGRESSION_DIR)) {
        if (entry.path().extension() == ".md")
            continue;
        const std::vector<std::uint8_t> bytes = ReadBytes(entry.path());
        KXPICTURE picture;
        if (bmp::Decode(bytes.data(), bytes.size(), picture))
            Displayed(picture);
    }
}

} // namespace
