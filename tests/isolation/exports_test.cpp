// Each deliverable exports its entry points and nothing else: an exported symbol of the
// library would let the dynamic linker merge the copies of two deliverables.
#include "symbols.h"
#include "tempdir.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
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

// The file the reader is given; a global, because a statement checked for the failures it
// reports cannot reach the test's locals.
std::filesystem::path unreadable;

// A 64-bit ELF header of a shared object with no sections: the tool reads it and finds
// no symbol, without failing.
constexpr std::uint8_t kBareElfHeader[64] = {
    0x7F, 'E', 'L', 'F', 2, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, // class, order, version
    3, 0, 62, 0, 1, 0, 0, 0,                                  // shared object, x86-64
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // no tables
    0, 0, 0, 0, 64, 0, 56, 0, 0, 0, 64, 0, 0, 0, 0, 0,       // header and entry sizes
};

// The checks above compare the lists read: a reader that read nothing fails the test
// rather than hand over an empty list that every "exports nothing" check would pass.
TEST(Exports, SymbolReaderFailsOnAFileItReadsNothingFrom)
{
    ScopedTempDir dir;
    std::ofstream(dir.Path() / "notes.dll") << "not a library";
    std::ofstream(dir.Path() / "bare.dll", std::ios::binary)
        .write(reinterpret_cast<const char*>(kBareElfHeader), sizeof kBareElfHeader);
    const char* const cases[] = {"missing.dll", "notes.dll", "bare.dll"};
    for (const char* name : cases) {
        SCOPED_TRACE(name);
        unreadable = dir.Path() / name;
        EXPECT_NONFATAL_FAILURE(DefinedDynamicSymbols(unreadable), unreadable.string());
    }
}

} // namespace
