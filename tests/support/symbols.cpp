#include "symbols.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>

std::set<std::string> DefinedDynamicSymbols(const std::filesystem::path& file)
{
    const std::string command = std::string(PELISK_NM) + " -DC --defined-only " + file.string();
    std::set<std::string> symbols;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return symbols;
    std::array<char, 512> line{};
    while (std::fgets(line.data(), line.size(), pipe) != nullptr) {
        // "address type name", where a demangled name holds spaces in its parameter list.
        const std::string text(line.data());
        const auto name = text.find(' ', text.find(' ') + 1);
        if (name != std::string::npos)
            symbols.insert(text.substr(name + 1, text.find_first_of("(\n", name) - name - 1));
    }
    EXPECT_EQ(pclose(pipe), 0) << command;
    return symbols;
}
