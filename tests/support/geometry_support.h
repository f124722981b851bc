// Helpers shared by the tests of the geometry and scene classes: reading a vector's
// components, comparing them within rounding, and catching a library exception's text.
#pragma once

#include "kxobject.h"
#include "kxvector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace geometry {

inline std::vector<double> Components(const KXVECTOR& v)
{
    std::vector<double> values;
    for (std::uint32_t i = 0; i < v.GetDimension(); ++i)
        values.push_back(*v.GetItem(i));
    return values;
}

inline KXVECTOR Vector(const std::vector<double>& values)
{
    KXVECTOR v(static_cast<std::uint32_t>(values.size()));
    for (std::uint32_t i = 0; i < v.GetDimension(); ++i)
        *v.GetItem(i) = values[i];
    return v;
}

// Equal dimension and every component within 1e-12 of the expected one.
inline ::testing::AssertionResult Near(const KXVECTOR& v, const std::vector<double>& expected)
{
    const std::vector<double> actual = Components(v);
    bool same = actual.size() == expected.size();
    for (std::size_t i = 0; same && i < actual.size(); ++i)
        same = std::fabs(actual[i] - expected[i]) < 1e-12;
    if (same)
        return ::testing::AssertionSuccess();
    std::string text = "got (";
    for (double value : actual)
        text += std::to_string(value) + " ";
    return ::testing::AssertionFailure() << text << ")";
}

inline bool AllNaN(const KXVECTOR& v)
{
    for (double value : Components(v))
        if (!std::isnan(value))
            return false;
    return true;
}

// The message of the KXEXCEPTION that action throws, or "" when it throws none.
template <class ACTION> std::string MessageOf(ACTION action)
{
    try {
        action();
    } catch (const KXEXCEPTION& e) {
        return e.GetMessage();
    }
    return "";
}

} // namespace geometry
