// A test fixture that sets the library's clock, and gives the system clock back after
// each test, whatever happens in it.
#pragma once

#include "kxclock.h"

#include <gtest/gtest.h>

#include <cstdint>

class FakeClockTest : public ::testing::Test {
protected:
    void SetNow(std::int64_t seconds)
    {
        now = seconds;
        SetClockSource(&Now);
    }

    void TearDown() override { SetClockSource(nullptr); }

private:
    static std::int64_t Now() { return now; }
    static inline std::int64_t now = 0;
};
