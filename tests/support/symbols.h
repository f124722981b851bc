// The symbols a shared object exports, for the tests that check each deliverable's
// export list.
#pragma once

#include <filesystem>
#include <set>
#include <string>

// The defined dynamic symbols of file, demangled and without parameter lists
// ("CreateMod", "kxgdi::StretchBlt"). The calling test fails when none can be read: the
// tool does not run, fails on the file, or finds no symbol in it.
std::set<std::string> DefinedDynamicSymbols(const std::filesystem::path& file);
