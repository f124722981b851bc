// Each deliverable exports its entry points and nothing else: an exported symbol of the
// library would let the dynamic linker merge the copies of two deliverables.
#include "symbols.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace {

const std::filesystem::path fixtures = PELISK_FIXTURE_DIR;
const std::filesystem::path bin = PELISK_BIN_DIR;

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

// The program is linked without exporting its symbols: what its dynamic symbol table
// defines comes from the toolchain (the standard library's weak type information, the
// linker's section marks), never from the core, the viewer or the solver.
TEST(Exports, ProgramExportsNothingOfItsOwn)
{
    const std::filesystem::path program = bin / "Pelisk";
    ASSERT_TRUE(std::filesystem::exists(program));
    const std::string ours[] = {"KX", "CMainDlg", "CPictureCtrl", "CPeliskApp", "Mem", "kxsys"};
    for (const std::string& symbol : DefinedDynamicSymbols(program))
        for (const std::string& name : ours)
            EXPECT_EQ(symbol.find(name), std::string::npos) << symbol;
}

} // namespace
