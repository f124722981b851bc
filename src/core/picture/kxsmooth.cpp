// The smoothing passes: the per-pixel definition through a colour, and the direct road
// through the bytes that gives the same pixels.
#include "kxsmooth.h"

#include "kxassert.h"
#include "kxpicture.h"
#include "kxsmoothwide.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

using kxpixel::SMOOTHPASS;

namespace {

constexpr SMOOTHPASS threePoints{0, 3, {0, 1, 0}, {0, 0, 1}, 3.0};
constexpr SMOOTHPASS fivePoints{1, 5, {0, 1, -1, 0, 0}, {0, 0, 0, 1, -1}, 5.0};
constexpr SMOOTHPASS ninePoints{
    1, 9, {0, 1, -1, 0, 0, 1, -1, 1, -1}, {0, 0, 0, 1, -1, 1, 1, -1, -1}, 9.0};

template <int points> constexpr const SMOOTHPASS& Shape()
{
    static_assert(points == 3 || points == 5 || points == 9);
    if constexpr (points == 3)
        return threePoints;
    else if constexpr (points == 5)
        return fivePoints;
    else
        return ninePoints;
}

// Calls f(std::integral_constant<int, k>) for k from 0 to n - 1: the direct road's loops
// over points and channels are written out, so that every offset is a constant.
template <int n, class F> void Unrolled(F f)
{
    [&]<int... k>(std::integer_sequence<int, k...>)
    {
        (f(std::integral_constant<int, k>{}), ...);
    }
    (std::make_integer_sequence<int, n>{});
}

// --- the per-pixel passes

// Calls smooth(a) for every pixel a of the pass's rows and columns, in index order.
template <class F> void ForEachSmoothed(const KXPICTURE& picture, const SMOOTHPASS& pass, F smooth)
{
    const std::uint32_t width = picture.GetWidth();
    const std::uint32_t height = picture.GetHeight();
    if (width < pass.first + 2 || height < pass.first + 2)
        return;
    for (std::uint32_t i = pass.first; i + 1 < height; ++i) {
        for (std::uint32_t j = pass.first; j + 1 < width; ++j)
            smooth(i * width + j);
    }
}

// The pass's pixels as offsets from the pixel smoothed; a pass needs no memory of its own.
struct OFFSETS {
    OFFSETS(const SMOOTHPASS& pass, std::uint32_t width) : count(pass.count)
    {
        for (int k = 0; k < count; ++k)
            of[k] = pass.dx[k] + std::int64_t{pass.dy[k]} * width;
    }
    const std::int64_t* begin() const { return of; }
    const std::int64_t* end() const { return of + count; }

    int count;
    std::int64_t of[9];
};

// --- the direct road

// The channel values as the per-pixel pass adds them up (KXCOLOR::GetRf and the others).
struct UNITS {
    double of[256];
    UNITS()
    {
        for (int c = 0; c < 256; ++c)
            of[c] = c / 255.0;
    }
};

const UNITS& Units()
{
    static const UNITS units;
    return units;
}

// The channel KXCOLOR::SetFromDoubles makes of a mean of channel values (0..1).
std::uint32_t ChannelOf(double mean)
{
    const double scaled = mean * 255.0;
    if (!(scaled > 0.0))
        return 0;
    return scaled >= 255.0 ? 255 : static_cast<std::uint32_t>(scaled);
}

// The channel the per-pixel pass makes of the points' channel values, from their sum and
// their units (c / 255.0, added up in the pass's order). The pass divides the units by the
// number of points and truncates the mean × 255.0. Where the sum is not a multiple of the
// points, the mean lies at least 1 / points away from a whole number, far beyond the
// doubles' rounding, and the channel is the integer quotient. Only where it divides evenly
// can the doubles land just below the whole number (a uniform area may come out one unit
// darker): there the units are held against the least that gives the whole mean. The
// division, the scaling and the truncation never decrease as the units grow, so one
// comparison decides. Both are looked up by the sum, so a channel costs no division, and
// the choice is made without a branch: whole means come irregularly, and a mispredicted
// branch costs more than the comparison.
template <int points> class MEANS {
public:
    MEANS()
    {
        for (std::uint32_t sum = 0; sum < sums; ++sum) {
            const std::uint32_t m = sum / points;
            mean[sum] = static_cast<std::uint8_t>(m);
            least[sum] = m > 0 && m * points == sum ? LeastFor(m) : -HUGE_VAL;
        }
    }

    // On x86-64 the comparison's carry is subtracted as it stands: the compiler would
    // clear a register, set a byte of it from the flag and subtract that, two
    // instructions more per channel, and the pass's time goes with its instruction
    // count. Elsewhere the same comparison in C++.
    std::uint32_t Of(std::size_t sum, double units) const
    {
        std::uint32_t m = mean[sum];
#if defined(__x86_64__) && defined(__GNUC__)
        asm("comisd %[least], %[units]\n\tsbb $0, %[m]"
            : [m] "+r"(m)
            : [units] "x"(units), [least] "m"(least[sum])
            : "cc");
        return m;
#else
        return m - static_cast<std::uint32_t>(units < least[sum]);
#endif
    }

private:
    static constexpr std::uint32_t sums = 255 * points + 1;

    // The least units that the per-pixel pass turns into m rather than m - 1.
    static double LeastFor(std::uint32_t m)
    {
        double units = m * static_cast<double>(points) / 255.0;
        while (ChannelOf(units / points) >= m)
            units = std::nextafter(units, -HUGE_VAL);
        while (ChannelOf(units / points) < m)
            units = std::nextafter(units, HUGE_VAL);
        return units;
    }

    std::uint8_t mean[sums];
    double least[sums];
};

template <int points> const MEANS<points>& Means()
{
    static const MEANS<points> means;
    return means;
}

// Where a pixel's channels are: every byte of a 3-byte pixel is a colour channel; a 4-byte
// pixel has one spare byte (alpha or unused), which a smoothed pixel clears.
template <unsigned size, unsigned spare> struct PLACES {
    static_assert((size == 3 && spare == 3) || (size == 4 && spare < 4));
    static constexpr unsigned colour[3] = {spare == 0 ? 1u : 0u, spare <= 1 ? 2u : 1u,
                                           spare <= 2 ? 3u : 2u};
};

// One pass over pixels whose colour channels are whole bytes. Each channel is one byte of
// the pixel: read as a byte it needs no shifting, and every channel is worked out alike.
//
// Each pixel reads its left neighbour as just smoothed, so a row is one chain of pixels
// that must wait for each other. Two rows go side by side, the upper one two pixels
// behind: every pixel still finds the row below it smoothed up to one pixel past its own
// column and the row above it not yet touched from one column before its own, as in the
// per-pixel order, and the two chains run at once.
template <unsigned size, int points, unsigned spare> class DIRECTPASS {
public:
    explicit DIRECTPASS(const kxpixel::SMOOTHTARGET& target)
        : data(target.data), width(target.width), height(target.height),
          rowBytes(std::ptrdiff_t{target.width} * size)
    {}

    void Run(kxpixel::ROWFEED& feed) const
    {
        std::uint32_t i = shape.first;
        if (GoesWide()) {
            for (; i + wideRows + 1 < height; i += wideRows) {
                feed.Ready(i + wideRows);
                WideRows(i);
            }
        }
        for (; i + 1 < height; i += 2) {
            if (i + 2 >= height) {
                feed.Ready(i + 1);
                OneRow(i);
                break;
            }
            feed.Ready(i + 2);
            TwoRows(i);
        }
        feed.Ready(height - 1);
    }

private:
    static constexpr const SMOOTHPASS& shape = Shape<points>();
    static constexpr std::uint32_t lead = 2;
    static constexpr std::uint32_t wideRows = kxpixel::wideRows;
    // The steps a wide block leaves to its rows' ends on either side: two columns a row.
    static constexpr std::uint32_t wideStaircase = 2 * (wideRows - 1);
    using CHANNELS = std::uint32_t[3];

    std::uint8_t* Row(std::uint32_t i) const { return data + i * rowBytes; }
    // The pixels smoothed in each row: all but the first ones and the last.
    std::uint32_t Count() const { return width - 1 - shape.first; }

    // The rows are written out whole, every pixel's unrolled loops included: a call per
    // pixel would cost more than its sums.
    [[gnu::flatten]] void OneRow(std::uint32_t i) const
    {
        // The row and those below and above it that its pixels read lie in the picture.
        KX_CHECK(i >= shape.first && i + 1 < height, i, height);
        Pixels(Row(i) + shape.first * size, Count());
    }

    [[gnu::flatten]] void TwoRows(std::uint32_t i) const
    {
        // The two rows and those below and above them that their pixels read lie in the
        // picture.
        KX_CHECK(i >= shape.first && i + 2 < height, i, height);
        std::uint8_t* lower = Row(i) + shape.first * size;
        std::uint8_t* upper = lower + rowBytes;
        CHANNELS lowerChained;
        CHANNELS upperChained;
        Start(lower, lowerChained);
        Start(upper, upperChained);
        const std::uint32_t count = Count();
        const std::uint32_t ahead = std::min(lead, count);
        for (std::uint32_t n = 0; n < ahead; ++n, lower += size)
            Pixel(lower, lowerChained);
        for (std::uint32_t n = ahead; n < count; ++n, lower += size, upper += size) {
            Pixel(lower, lowerChained);
            Pixel(upper, upperChained);
        }
        for (std::uint32_t n = 0; n < ahead; ++n, upper += size)
            Pixel(upper, upperChained);
    }

    // The 5-point pass over 32-bit pixels goes sixteen rows at a time where the processor
    // has the vectors for it and the rows are long enough for the block's steps to
    // outweigh its ends, which are smoothed a pixel at a time.
    bool GoesWide() const
    {
        if constexpr (size == 4 && points == 5) {
            return Count() >= 2 * wideStaircase &&
                   rowBytes <= INT32_MAX / static_cast<std::ptrdiff_t>(wideRows) &&
                   kxpixel::SmoothsWide();
        }
        return false;
    }

    // Rows i to i + 15: each row's first pixels, the lowest row's most, a pixel at a
    // time, up to where the rows go two columns apart; then the wide steps; then each
    // row's last pixels, the lowest row's first.
    [[gnu::flatten]] void WideRows(std::uint32_t i) const
    {
        KX_CHECK(i >= shape.first && i + wideRows + 1 < height, i, height);
        for (std::uint32_t k = 0; k < wideRows; ++k)
            Pixels(Row(i + k) + shape.first * size, 2 * (wideRows - 1 - k));
        const std::uint32_t steps = Count() - wideStaircase;
        kxpixel::SmoothWide({Row(i) + (shape.first + wideStaircase) * size,
                             rowBytes,
                             steps,
                             {PLACES<size, spare>::colour[0], PLACES<size, spare>::colour[1],
                              PLACES<size, spare>::colour[2]},
                             unit.of});
        for (std::uint32_t k = 0; k < wideRows; ++k)
            Pixels(Row(i + k) + (shape.first + wideStaircase - 2 * k + steps) * size, 2 * k);
    }

    // Smooths count pixels of a row from p on.
    void Pixels(std::uint8_t* p, std::uint32_t count) const
    {
        if (count == 0)
            return;
        CHANNELS chained;
        Start(p, chained);
        for (std::uint32_t n = 0; n < count; ++n, p += size)
            Pixel(p, chained);
    }

    // The channels of the pixel left of the row's first smoothed one, p.
    static void Start(const std::uint8_t* p, CHANNELS& chained)
    {
        if constexpr (shape.first == 0) {
            Unrolled<3>([&](auto c) { chained[c] = 0; }); // the pass reads no left neighbour
        } else {
            const std::uint8_t* left = p - size;
            Unrolled<3>([&](auto c) { chained[c] = left[PLACES<size, spare>::colour[c]]; });
        }
    }

    // Smooths pixel p; chained holds the channels of its left neighbour as smoothed, and
    // takes its own.
    void Pixel(std::uint8_t* p, CHANNELS& chained) const
    {
        // The pixel and the ones below and above it, each named once; the 3-point pass
        // reads nothing below, where row 0 has no row.
        const ROWS rows{shape.first > 0 ? p - rowBytes : p, p, p + rowBytes};
        CHANNELS smoothed;
        Unrolled<3>([&](auto c) {
            smoothed[c] = Channel<PLACES<size, spare>::colour[c]>(rows, chained[c]);
        });
        Unrolled<3>([&](auto c) {
            chained[c] = smoothed[c];
            p[PLACES<size, spare>::colour[c]] = static_cast<std::uint8_t>(smoothed[c]);
        });
        if constexpr (spare < size)
            p[spare] = 0;
    }

    struct ROWS {
        const std::uint8_t* of[3]; // by dy + 1
    };

    // The channel in byte place of the pixel, from the points in the per-pixel pass's order.
    template <unsigned place> std::uint32_t Channel(const ROWS& rows, std::uint32_t left) const
    {
        std::size_t sum = 0;
        double units = 0.0;
        Unrolled<points>([&](auto k) {
            const std::uint32_t c = Point<k, place>(rows, left);
            sum += c;
            units = k == 0 ? unit.of[c] : units + unit.of[c];
        });
        return means.Of(sum, units);
    }

    template <int k, unsigned place>
    static std::uint32_t Point(const ROWS& rows, std::uint32_t left)
    {
        constexpr int dx = shape.dx[k];
        constexpr int dy = shape.dy[k];
        if constexpr (dx == -1 && dy == 0)
            return left;
        return rows.of[dy + 1][dx * static_cast<int>(size) + static_cast<int>(place)];
    }

    std::uint8_t* const data;
    const std::uint32_t width;
    const std::uint32_t height;
    const std::ptrdiff_t rowBytes;
    const UNITS& unit = Units();
    const MEANS<points>& means = Means<points>();
};

// The byte that holds no colour channel of a pixel of size bytes (size for none); false
// when a colour channel is missing or not a whole byte of the pixel.
bool SpareByte(const kxpixel::SMOOTHTARGET& target, unsigned size, unsigned& spare)
{
    kxpixel::BYTEFIELDS fields{};
    if (!fields.From(target.masks))
        return false;
    unsigned taken = 0;
    for (int c = 0; c < 3; ++c) {
        if (fields.keep[c] == 0 || fields.shift[c] % 8 != 0 || fields.shift[c] / 8 >= size)
            return false;
        taken |= 1u << (fields.shift[c] / 8);
    }
    spare = size;
    for (unsigned b = 0; b < size; ++b) {
        if ((taken & (1u << b)) == 0)
            spare = b;
    }
    return true;
}

template <unsigned size, unsigned spare>
void RunOfSize(const kxpixel::SMOOTHTARGET& target, int points, kxpixel::ROWFEED& feed)
{
    if (points == 3)
        DIRECTPASS<size, 3, spare>(target).Run(feed);
    else if (points == 5)
        DIRECTPASS<size, 5, spare>(target).Run(feed);
    else
        DIRECTPASS<size, 9, spare>(target).Run(feed);
}

// The pass asks for no row of a picture it does not smooth: every row is ready as it is.
struct NOFEED : kxpixel::ROWFEED {
    void Ready(std::uint32_t) override {}
};

} // namespace

namespace kxpixel {

const SMOOTHPASS& SmoothPass(int points)
{
    return points == 5 ? fivePoints : points == 9 ? ninePoints : threePoints;
}

bool SmoothsDirectly(const SMOOTHTARGET& target, const SMOOTHPASS& pass)
{
    unsigned spare = 0;
    return (target.depth == 24 || target.depth == 32) && &pass == &SmoothPass(pass.count) &&
           SpareByte(target, target.depth / 8, spare);
}

void SmoothDirectly(const SMOOTHTARGET& target, const SMOOTHPASS& pass, ROWFEED& feed)
{
    const unsigned size = target.depth / 8;
    unsigned spare = 0;
    SpareByte(target, size, spare);
    if (target.width < pass.first + 2 || target.height < pass.first + 2) {
        if (target.height > 0)
            feed.Ready(target.height - 1);
        return;
    }
    // A row's walk reads from the column before its first smoothed pixel to the last
    // column: the pass smooths only pictures wide enough for it.
    KX_CHECK(size >= 3 && size <= 4 && target.width >= pass.first + 2, size, target.width);
    switch (size == 3 ? 4 : spare) {
    case 0:
        return RunOfSize<4, 0>(target, pass.count, feed);
    case 1:
        return RunOfSize<4, 1>(target, pass.count, feed);
    case 2:
        return RunOfSize<4, 2>(target, pass.count, feed);
    case 3:
        return RunOfSize<4, 3>(target, pass.count, feed);
    default:
        return RunOfSize<3, 3>(target, pass.count, feed);
    }
}

void SmoothPerPixel(KXPICTURE& picture, const SMOOTHPASS& pass)
{
    KX_CHECK(picture.HoldsPixels(), picture.GetWidth(), picture.GetHeight(), picture.GetDataSize());
    KXCOLOR colour;
    colour.SetMasks(picture.GetRedMask(), picture.GetGreenMask(), picture.GetBlueMask(),
                    picture.GetAlphaMask());
    const OFFSETS offsets(pass, picture.GetWidth());
    ForEachSmoothed(picture, pass, [&](std::uint32_t a) {
        double r = 0.0;
        double g = 0.0;
        double b = 0.0;
        for (const std::int64_t offset : offsets) {
            picture.GetPixel(static_cast<std::uint32_t>(a + offset), colour);
            r += colour.GetRf();
            g += colour.GetGf();
            b += colour.GetBf();
        }
        colour.SetFromDoubles(r / pass.divisor, g / pass.divisor, b / pass.divisor, 0.0);
        picture.SetPixel(a, colour);
    });
}

void Smooth(KXPICTURE& picture, const SMOOTHPASS& pass)
{
    // Pixels of the palette depths are never written, so a pass would change nothing.
    if (IsPaletteDepth(picture.GetDepth()))
        return;
    KX_CHECK(picture.HoldsPixels(), picture.GetWidth(), picture.GetHeight(), picture.GetDataSize());
    const SMOOTHTARGET target{picture.GetData(), picture.GetWidth(), picture.GetHeight(),
                              picture.GetDepth(), picture.GetMasks()};
    if (!SmoothsDirectly(target, pass)) {
        SmoothPerPixel(picture, pass);
        return;
    }
    NOFEED feed;
    SmoothDirectly(target, pass, feed);
}

} // namespace kxpixel
