// The two builds of every throwing fixture, for the tests that run over both: the plain
// name throws a standard exception, the name with "_foreign" a type that is none.
#pragma once

#include <gtest/gtest.h>

#include <string>

inline auto ThrowVariants()
{
    return ::testing::Values("", "_foreign");
}

inline std::string ThrowVariantName(const ::testing::TestParamInfo<const char*>& info)
{
    return std::string(info.param).empty() ? "standard" : "foreign";
}
