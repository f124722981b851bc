// The symbols a shared object exports, for the tests that check each deliverable's
// export list.
#pragma once

#include <filesystem>
#include <set>
#include <string>

// The defined dynamic symbols of file, demangled and without parameter lists
// ("CreateMod", "kxgdi::StretchBlt").
std::set<std::string> DefinedDynamicSymbols(const std::filesystem::path& file);
