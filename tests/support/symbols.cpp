#include "symbols.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>

std::set<std::string> DefinedDynamicSymbols(const std::filesystem::path& file)
{
    const std::string command = std::string(PELISK_NM) + " -DC --defined-only " + file.string();
    std::set<std::string> symbols;
    FILE* pipe = popen(command.c_str(), "r");
    // An empty set would pass every check of what a file must not export: a reader that
    // could not read fails the test instead.
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run: " << command;
        return symbols;
    }
    std::array<char, 512> line{};
    while (std::fgets(line.data(), line.size(), pipe) != nullptr) {
        // "address type name", where a demangled name holds spaces in its parameter list.
        const std::string text(line.data());
        const auto name = text.find(' ', text.find(' ') + 1);
        if (name != std::string::npos)
            symbols.insert(text.substr(name + 1, text.find_first_of("(\n", name) - name - 1));
    }
    const int status = pclose(pipe);
    if (status != 0)
        ADD_FAILURE() << "failed (status " << status << "): " << command;
    else if (symbols.empty())
        // Every deliverable defines its entry points or the linker's section marks.
        ADD_FAILURE() << "no defined dynamic symbol read: " << command;
    return symbols;
}
