// Each deliverable exports its entry points and nothing else: an exported symbol of the
// library would let the dynamic linker merge the copies of two deliverables.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

namespace {

const std::filesystem::path fixtures = PELISK_FIXTURE_DIR;
const std::filesystem::path bin = PELISK_BIN_DIR;

std::set<std::string> DefinedDynamicSymbols(const std::filesystem::path& file)
{
    const std::string command = std::string(PELISK_NM) + " -D --defined-only " + file.string();
    std::set<std::string> symbols;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return symbols;
    std::array<char, 512> line{};
    while (std::fgets(line.data(), line.size(), pipe) != nullptr) {
        std::istringstream fields(line.data());
        std::string address, type, name;
        if (fields >> address >> type >> name)
            symbols.insert(name);
    }
    EXPECT_EQ(pclose(pipe), 0) << command;
    return symbols;
}

struct ExportCase {
    std::filesystem::path file;
    std::set<std::string> exports;
};

TEST(Exports, DeliverablesExportOnlyTheirEntryPoints)
{
    const ExportCase cases[] = {
        {bin / "stowel.dll", {"CreateMemMod", "ReleaseMemMod"}},
        {bin / "pimbrel.dll", {"CreateMod", "ReleaseMod"}},
        {fixtures / "probe_a.dll", {"CreateMod", "ReleaseMod"}},
        {fixtures / "probe_b.dll", {"CreateMod", "ReleaseMod"}},
        {fixtures / "fake_stowel" / "stowel.dll", {"CreateMemMod", "LiveBlocks", "ReleaseMemMod"}},
    };
    for (const ExportCase& c : cases) {
        ASSERT_TRUE(std::filesystem::exists(c.file)) << c.file;
        EXPECT_EQ(DefinedDynamicSymbols(c.file), c.exports) << c.file;
    }
}

} // namespace
