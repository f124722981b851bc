// The advice that a buffer is about to be filled: the pages wholly within it come in place,
// no byte changes, and nothing outside it is reached.
#include "kxsys.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace {

const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));

// A fresh private mapping of pages pages, none of them in place yet.
class MAPPING {
public:
    explicit MAPPING(std::size_t pages)
        : bytes(pages * page),
          base(static_cast<std::uint8_t*>(
              mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)))
    {}
    ~MAPPING()
    {
        if (base != MAP_FAILED)
            munmap(base, bytes);
    }
    MAPPING(const MAPPING&) = delete;
    MAPPING& operator=(const MAPPING&) = delete;

    bool IsMapped() const { return base != MAP_FAILED; }
    std::uint8_t* At(std::size_t offset) const { return base + offset; }

    // Which pages are in place, one flag each.
    std::vector<bool> Resident() const
    {
        std::vector<unsigned char> flags(bytes / page);
        EXPECT_EQ(mincore(base, bytes, flags.data()), 0);
        std::vector<bool> resident;
        for (const unsigned char flag : flags)
            resident.push_back((flag & 1) != 0);
        return resident;
    }

private:
    std::size_t bytes;
    std::uint8_t* base;
};

// Whether this system takes the advice at all (older ones refuse it, and then nothing
// comes in place early).
bool SystemTakesTheAdvice()
{
    const MAPPING probe(1);
    return probe.IsMapped() && madvise(probe.At(0), page, 23 /* MADV_POPULATE_WRITE */) == 0;
}

TEST(MemoryAdvice, PagesWhollyWithinAFreshBufferComeInPlaceAndNoneOutside)
{
    if (!SystemTakesTheAdvice())
        GTEST_SKIP() << "this system does not take the advice";
    const std::size_t pages = 2 * (std::size_t{1} << 20) / page + 2;
    const MAPPING mapping(pages);
    ASSERT_TRUE(mapping.IsMapped());
    // A buffer that starts and ends inside a page: those two pages hold other blocks.
    kxsys::PrepareToFill(mapping.At(100), pages * page - 200);
    const std::vector<bool> resident = mapping.Resident();
    EXPECT_FALSE(resident.front());
    EXPECT_FALSE(resident.back());
    std::size_t inPlace = 0;
    for (std::size_t i = 1; i + 1 < pages; ++i)
        inPlace += resident[i] ? 1 : 0;
    EXPECT_EQ(inPlace, pages - 2);
}

TEST(MemoryAdvice, ChangesNoByteOfABufferWhosePagesAreInPlaceOrNot)
{
    const std::size_t pages = 2 * (std::size_t{1} << 20) / page;
    const MAPPING mapping(pages);
    ASSERT_TRUE(mapping.IsMapped());
    // The first half written, as a block the heap hands out again over its old part.
    const std::size_t half = pages / 2 * page;
    for (std::size_t i = 0; i < half; ++i)
        *mapping.At(i) = static_cast<std::uint8_t>(i * 7 + 1);
    kxsys::PrepareToFill(mapping.At(0), pages * page);
    std::size_t changed = 0;
    for (std::size_t i = 0; i < pages * page; ++i)
        changed += *mapping.At(i) != (i < half ? static_cast<std::uint8_t>(i * 7 + 1) : 0) ? 1 : 0;
    EXPECT_EQ(changed, 0u);
    // Small buffers and null are left to the heap.
    kxsys::PrepareToFill(nullptr, pages * page);
    kxsys::PrepareToFill(mapping.At(0), 1000);
}

} // namespace
