// The operations on a whole picture: vertical flip, nearest-neighbour resize, doubling
// with a smoothing pass, fill, red-blue swap and the contour of a region.
#include "kxassert.h"
#include "kxpicture.h"
#include "kxpixels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

using kxpixel::BYTEFIELDS;
using kxpixel::SMOOTHPASS;

namespace {

// Byte-sized pixels of 24 or 32 bits whose masks are whole bytes: the fast passes read and
// write their channels directly. The YCbCr depths encode on writing, so they never qualify.
bool HasByteFields(const KXPICTURE& picture, BYTEFIELDS& fields)
{
    const std::uint16_t depth = picture.GetDepth();
    return (depth == 24 || depth == 32) && fields.From(picture.GetMasks());
}

std::uint32_t ReadFieldPixel(const std::uint8_t* data, unsigned size, std::uint64_t i)
{
    const std::uint8_t* p = data + i * size;
    return size == 4 ? kxpixel::Read32(p) : kxpixel::Read24(p);
}

void WriteFieldPixel(std::uint8_t* data, unsigned size, std::uint64_t i, std::uint32_t v)
{
    std::uint8_t* p = data + i * size;
    if (size == 4)
        kxpixel::Write32(p, v);
    else
        kxpixel::Write24(p, v);
}

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

// For each whole mean m, the least sum of channel units (c / 255.0, added up in doubles as
// the per-pixel pass adds them) that the per-pixel pass turns into m rather than m - 1.
// The division, the scaling and the truncation never decrease as the sum grows, so one
// comparison with this bound gives the per-pixel pass's channel.
class WHOLEMEANS {
public:
    explicit WHOLEMEANS(double divisor)
    {
        least[0] = -HUGE_VAL;
        for (std::uint32_t m = 1; m < 256; ++m) {
            double sum = m * divisor / 255.0;
            while (ChannelOf(sum / divisor) >= m)
                sum = std::nextafter(sum, -HUGE_VAL);
            while (ChannelOf(sum / divisor) < m)
                sum = std::nextafter(sum, HUGE_VAL);
            least[m] = sum;
        }
    }

    // True when units that add up to sum give m - 1 for the whole mean m.
    bool Below(std::uint32_t m, double sum) const { return sum < least[m]; }

private:
    double least[256];
};

const WHOLEMEANS& WholeMeans(int points)
{
    static const WHOLEMEANS three(3.0);
    static const WHOLEMEANS five(5.0);
    static const WHOLEMEANS nine(9.0);
    return points == 5 ? five : points == 9 ? nine : three;
}

// One pass over pixels of byte fields. The per-pixel pass adds up the channels as doubles
// (c / 255.0), divides by the number of points and truncates the mean × 255.0. Carried in
// integers, the mean of a channel is sum / points exactly: where that is not a whole
// number it lies at least 1 / points away from one, far beyond the doubles' rounding, and
// the truncated double is the integer quotient. Only where the sum divides evenly can the
// doubles land just below the whole number (a uniform area may come out one unit darker):
// there the units, added up in the per-pixel pass's order, are held against the bound.
// Whole means are common (every uniform area has them) and come irregularly, so the units
// are added up for every channel and the choice is made without a branch: a mispredicted
// branch costs more than the sum.
//
// Each pixel reads its left neighbour as just smoothed, so a row is one chain of pixels
// that must wait for each other. Two rows go side by side, the lower one two pixels ahead:
// every pixel still finds the row below it smoothed up to one pixel past its own column
// and the row above it not yet touched from one column before its own, as in the
// per-pixel order, and the two chains run at once.
template <unsigned size, int points> class INTEGERSMOOTH {
public:
    INTEGERSMOOTH(KXPICTURE& picture, const SMOOTHPASS& pass, const BYTEFIELDS& fields)
        : data(picture.GetData()), width(picture.GetWidth()), height(picture.GetHeight()),
          first(pass.first), fields(fields), whole(WholeMeans(points))
    {
        for (int k = 0; k < points; ++k) {
            offsets[k] = (pass.dx[k] + std::int64_t{pass.dy[k]} * width) * size;
            if (pass.dx[k] == -1 && pass.dy[k] == 0)
                left = k;
        }
        for (int c = 0; c < 3; ++c)
            place[c] = fields.shift[c] / 8;
    }

    // Every colour channel one of the pixel's bytes (none missing): a field of eight bits
    // that starts inside a byte spans two, and is left to the per-pixel pass.
    static bool Fits(const BYTEFIELDS& fields)
    {
        for (int c = 0; c < 3; ++c) {
            if (fields.keep[c] == 0 || fields.shift[c] % 8 != 0 || fields.shift[c] / 8 >= size)
                return false;
        }
        return true;
    }

    void Run()
    {
        const std::uint32_t end = width - 1;
        const std::uint64_t rowBytes = std::uint64_t{width} * size;
        for (std::uint32_t i = first; i + 1 < height; i += 2) {
            std::uint8_t* lower = data + i * rowBytes;
            std::uint32_t lowerLeft[3];
            Start(lower, lowerLeft);
            if (i + 2 >= height) {
                for (std::uint32_t j = first; j < end; ++j)
                    Pixel(lower, j, lowerLeft);
                break;
            }
            std::uint8_t* upper = lower + rowBytes;
            std::uint32_t upperLeft[3];
            Start(upper, upperLeft);
            for (std::uint32_t j = first; j < end + lead; ++j) {
                if (j < end)
                    Pixel(lower, j, lowerLeft);
                if (j >= first + lead)
                    Pixel(upper, j - lead, upperLeft);
            }
        }
    }

private:
    static constexpr std::uint32_t lead = 2;

    // The channels of the pixel left of the row's first smoothed one.
    void Start(const std::uint8_t* row, std::uint32_t (&chained)[3]) const
    {
        const std::uint32_t v = left >= 0 ? ReadFieldPixel(row, size, first - 1) : 0;
        for (int c = 0; c < 3; ++c)
            chained[c] = fields.Channel(v, c);
    }

    // Smooths pixel j of the row; chained holds the channels of its left neighbour as
    // smoothed, and takes its own.
    void Pixel(std::uint8_t* row, std::uint32_t j, std::uint32_t (&chained)[3]) const
    {
        std::uint8_t* p = row + std::uint64_t{j} * size;
        // Each channel is one byte of the pixel: read as a byte, it needs no shifting.
        std::uint32_t channels[3][points];
        for (int k = 0; k < points; ++k) {
            for (int c = 0; c < 3; ++c)
                channels[c][k] = k == left ? chained[c] : p[offsets[k] + place[c]];
        }
        for (int c = 0; c < 3; ++c) {
            std::uint32_t sum = 0;
            for (int k = 0; k < points; ++k)
                sum += channels[c][k];
            const std::uint32_t mean = sum / points;
            const bool below = whole.Below(mean, UnitSum(channels[c]));
            chained[c] = mean - static_cast<std::uint32_t>((mean * points == sum) & below);
        }
        const std::uint32_t packed = fields.Pack(chained[0], chained[1], chained[2], 0);
        WriteFieldPixel(p, size, 0, packed);
    }

    // The units of the points in the per-pixel pass's order.
    double UnitSum(const std::uint32_t (&channels)[points]) const
    {
        double sum = 0.0;
        for (int k = 0; k < points; ++k)
            sum += units.of[channels[k]];
        return sum;
    }

    std::uint8_t* const data;
    const std::uint32_t width;
    const std::uint32_t height;
    const std::uint32_t first;
    const BYTEFIELDS fields;
    const UNITS& units = Units();
    const WHOLEMEANS& whole;
    std::int64_t offsets[points];
    int left = -1;     // the point that is the left neighbour, if the pass reads it
    unsigned place[3]; // the byte of each colour channel within a pixel
};

template <unsigned size, int points>
bool SmoothIntegers(KXPICTURE& picture, const SMOOTHPASS& pass, const BYTEFIELDS& fields)
{
    if (picture.GetWidth() < pass.first + 2 || picture.GetHeight() < pass.first + 2)
        return true;
    if (!INTEGERSMOOTH<size, points>::Fits(fields))
        return false;
    INTEGERSMOOTH<size, points>(picture, pass, fields).Run();
    return true;
}

template <unsigned size>
bool SmoothIntegersOfSize(KXPICTURE& picture, const SMOOTHPASS& pass, const BYTEFIELDS& fields)
{
    switch (pass.count) {
    case 3:
        return SmoothIntegers<size, 3>(picture, pass, fields);
    case 5:
        return SmoothIntegers<size, 5>(picture, pass, fields);
    case 9:
        return SmoothIntegers<size, 9>(picture, pass, fields);
    default:
        return false;
    }
}

// False for a pass whose divisor is not its number of points: the integer mean would not
// be its mean.
bool SmoothFields(KXPICTURE& picture, const SMOOTHPASS& pass, const BYTEFIELDS& fields)
{
    if (pass.divisor != pass.count)
        return false;
    if (picture.GetDepth() == 32)
        return SmoothIntegersOfSize<4>(picture, pass, fields);
    return SmoothIntegersOfSize<3>(picture, pass, fields);
}

// The picture's palette index order within a byte is kept: pixel by pixel.
void FlipSubByteRows(std::uint8_t* data, unsigned bits, std::uint32_t width, std::uint32_t height)
{
    for (std::uint32_t y = 0; y < height / 2; ++y) {
        const std::uint64_t low = std::uint64_t{y} * width;
        const std::uint64_t high = std::uint64_t{height - 1 - y} * width;
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t a = kxpixel::SubByteValue(data, bits, low + x);
            const std::uint32_t b = kxpixel::SubByteValue(data, bits, high + x);
            kxpixel::SetSubByteValue(data, bits, low + x, b);
            kxpixel::SetSubByteValue(data, bits, high + x, a);
        }
    }
}

// The old row or column that each new one takes, keeping the centres in place:
// old = (from / 2) + (new - (to / 2)) × from / to, the halvings in integers. False when
// there is no memory for them.
bool NearestSources(std::uint32_t from, std::uint32_t to, std::vector<std::uint32_t>& sources)
{
    try {
        sources.resize(to);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const double ratio = static_cast<double>(from) / to;
    const std::int64_t fromHalf = from / 2;
    const std::int64_t toHalf = to / 2;
    for (std::uint32_t j = 0; j < to; ++j) {
        const double s = static_cast<double>(fromHalf) + static_cast<double>(j - toHalf) * ratio;
        // The formula stays inside; the clamp only guards against rounding.
        const std::int64_t index = static_cast<std::int64_t>(s);
        sources[j] = static_cast<std::uint32_t>(std::clamp<std::int64_t>(index, 0, from - 1));
    }
    return true;
}

struct RESAMPLE {
    const std::uint8_t* from;
    std::uint32_t fromWidth;
    std::uint8_t* to;
    std::uint32_t toWidth;
    const std::vector<std::uint32_t>& columns;
    const std::vector<std::uint32_t>& rows;
};

// Whole-byte pixels: a new row that takes the same old row as the one before is a copy.
template <unsigned fixedSize> void CopyNearest(const RESAMPLE& r, unsigned runtimeSize)
{
    const std::size_t size = fixedSize != 0 ? fixedSize : runtimeSize;
    const std::size_t rowBytes = std::size_t{r.toWidth} * size;
    for (std::size_t i = 0; i < r.rows.size(); ++i) {
        std::uint8_t* out = r.to + i * rowBytes;
        if (i > 0 && r.rows[i] == r.rows[i - 1]) {
            std::memcpy(out, out - rowBytes, rowBytes);
            continue;
        }
        const std::uint8_t* in = r.from + std::size_t{r.rows[i]} * r.fromWidth * size;
        for (std::uint32_t j = 0; j < r.toWidth; ++j)
            std::memcpy(out + j * size, in + std::size_t{r.columns[j]} * size, size);
    }
}

void CopyNearestSubByte(const RESAMPLE& r, unsigned bits)
{
    for (std::size_t i = 0; i < r.rows.size(); ++i) {
        const std::uint64_t in = std::uint64_t{r.rows[i]} * r.fromWidth;
        const std::uint64_t out = std::uint64_t{i} * r.toWidth;
        for (std::uint32_t j = 0; j < r.toWidth; ++j) {
            const std::uint32_t v = kxpixel::SubByteValue(r.from, bits, in + r.columns[j]);
            kxpixel::SetSubByteValue(r.to, bits, out + j, v);
        }
    }
}

void Resample(const RESAMPLE& r, unsigned bits, std::uint32_t newSize)
{
    switch (bits) {
    case 1:
    case 2:
    case 4:
        CopyNearestSubByte(r, bits);
        return;
    case 8:
        CopyNearest<1>(r, 1);
        return;
    case 16:
        CopyNearest<2>(r, 2);
        return;
    case 24:
        CopyNearest<3>(r, 3);
        return;
    case 32:
        CopyNearest<4>(r, 4);
        return;
    default:
        if (bits % 8 == 0)
            CopyNearest<0>(r, bits / 8);
        else
            std::memset(r.to, 0, newSize); // no known layout: no uninitialised bytes either
        return;
    }
}

// Directions of the region walk: 0 is x + 1, 1 is y + 1, 2 is x - 1, 3 is y - 1.
constexpr int stepX[4] = {1, 0, -1, 0};
constexpr int stepY[4] = {0, 1, 0, -1};
constexpr std::int16_t probe = 5;

// The region walk: depth first, as a recursion over pixels would go, but with the pending
// pixels on a stack of its own, so that a region of millions of pixels cannot exhaust
// the call stack. Work entries: 0 not reached, 1 in the region, 2 recorded as boundary.
class REGIONWALK {
public:
    REGIONWALK(const KXPICTURE& picture, std::uint32_t* work, KXCOLLECTION<int>& list,
               const KXCOLOR& seed, double threshold)
        : picture(picture), work(work), list(list), seed(seed), threshold(threshold),
          width(picture.GetWidth()), height(picture.GetHeight())
    {}

    int Step(std::uint32_t x, std::uint32_t y, std::int16_t direction)
    {
        const std::uint32_t p = x + y * width;
        const int entry = Test(p);
        if (entry <= 0)
            return entry;
        if (direction == probe)
            return 1;
        Walk(p, static_cast<std::uint8_t>(((direction % 4) + 4) % 4));
        return 0;
    }

    // Whether the walk stopped because the stack or the list could not grow.
    bool Exhausted() const { return exhausted; }

private:
    // A pixel waiting for its next direction k.
    struct FRAME {
        std::uint32_t p;
        std::uint8_t k;
        std::uint8_t d;
    };

    // 0 when p was reached before, -1 when it is not similar to the seed, 1 when it is a
    // new pixel of the region.
    int Test(std::uint32_t p)
    {
        if (work[p] != 0)
            return 0;
        picture.GetPixel(p, scratch);
        const double similarity = seed.Distance(scratch);
        return similarity >= threshold ? 1 : -1;
    }

    // Column 0 and row 0 count as outside.
    bool Inside(std::int64_t x, std::int64_t y) const
    {
        return x > 0 && y > 0 && x < width && y < height;
    }

    void Record(std::uint32_t p)
    {
        if (work[p] != 2) {
            work[p] = 2;
            if (list.Add(static_cast<int>(p)) < 0)
                exhausted = true;
        }
    }

    void Walk(std::uint32_t start, std::uint8_t direction)
    {
        work[start] = 1;
        try {
            pending.push_back({start, 0, direction});
            while (!pending.empty() && !exhausted) {
                FRAME& frame = pending.back();
                if (frame.k == 4) {
                    pending.pop_back();
                    continue;
                }
                const int k = frame.k++;
                Advance(frame, k);
            }
        } catch (const std::bad_alloc&) {
            exhausted = true;
        }
    }

    // Direction k of the frame's pixel: record it at the picture's edge, or turn towards
    // the side that stays in the region and go on to the neighbour.
    void Advance(FRAME& frame, int k)
    {
        const std::int64_t x = frame.p % width;
        const std::int64_t y = frame.p / width;
        const int ahead = (k + frame.d) % 4;
        const std::int64_t nx = x + stepX[ahead];
        const std::int64_t ny = y + stepY[ahead];
        if (!Inside(nx, ny)) {
            Record(frame.p);
            if (y == 0)
                frame.d = 3;
            return;
        }
        const int side = (k + frame.d + 3) % 4;
        const std::int64_t px = x + stepX[side];
        const std::int64_t py = y + stepY[side];
        const bool open = Inside(px, py) && Test(Index(px, py)) >= 0;
        frame.d = static_cast<std::uint8_t>(open ? (frame.d + k) % 4 : (frame.d + k + 3) % 4);
        const std::uint32_t next = Index(nx, ny);
        const int entry = Test(next);
        if (entry < 0) {
            Record(frame.p);
        } else if (entry > 0) {
            work[next] = 1;
            const std::uint8_t d = frame.d; // the push may move the frame
            pending.push_back({next, 0, d});
        }
    }

    std::uint32_t Index(std::int64_t x, std::int64_t y) const
    {
        return static_cast<std::uint32_t>(x + y * width);
    }

    const KXPICTURE& picture;
    std::uint32_t* work;
    KXCOLLECTION<int>& list;
    const KXCOLOR& seed;
    const double threshold;
    const std::uint32_t width;
    const std::uint32_t height;
    // Pixels are read in the default layout, as the seed is.
    KXCOLOR scratch;
    std::vector<FRAME> pending;
    bool exhausted = false;
};

} // namespace

namespace kxpixel {

const SMOOTHPASS& SmoothPass(int points)
{
    static const SMOOTHPASS three{0, 3, {0, 1, 0}, {0, 0, 1}, 3.0};
    static const SMOOTHPASS five{1, 5, {0, 1, -1, 0, 0}, {0, 0, 0, 1, -1}, 5.0};
    static const SMOOTHPASS nine{
        1, 9, {0, 1, -1, 0, 0, 1, -1, 1, -1}, {0, 0, 0, 1, -1, 1, 1, -1, -1}, 9.0};
    return points == 5 ? five : points == 9 ? nine : three;
}

void SmoothPerPixel(KXPICTURE& picture, const SMOOTHPASS& pass)
{
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

void SwapRedBluePerPixel(KXPICTURE& picture)
{
    KXCOLOR colour;
    colour.SetMasks(picture.GetRedMask(), picture.GetGreenMask(), picture.GetBlueMask(),
                    picture.GetAlphaMask());
    const std::uint32_t pixels = picture.GetWidth() * picture.GetHeight();
    for (std::uint32_t i = 0; i < pixels; ++i) {
        picture.GetPixel(i, colour);
        colour.SwapRedBlue();
        picture.SetPixel(i, colour);
    }
}

void Smooth(KXPICTURE& picture, const SMOOTHPASS& pass)
{
    // Pixels of the palette depths are never written, so a pass would change nothing.
    if (IsPaletteDepth(picture.GetDepth()))
        return;
    BYTEFIELDS fields{};
    if (!HasByteFields(picture, fields) || !SmoothFields(picture, pass, fields))
        SmoothPerPixel(picture, pass);
}

void SwapRedBlue(KXPICTURE& picture)
{
    if (IsPaletteDepth(picture.GetDepth()))
        return;
    BYTEFIELDS fields{};
    if (!HasByteFields(picture, fields)) {
        SwapRedBluePerPixel(picture);
        return;
    }
    std::uint8_t* data = picture.GetData();
    const unsigned size = KXPICTURE::StorageBits(picture.GetDepth()) / 8;
    const std::uint64_t pixels = std::uint64_t{picture.GetWidth()} * picture.GetHeight();
    for (std::uint64_t i = 0; i < pixels; ++i) {
        const std::uint32_t v = ReadFieldPixel(data, size, i);
        WriteFieldPixel(data, size, i,
                        fields.Pack(fields.Channel(v, 2), fields.Channel(v, 1),
                                    fields.Channel(v, 0), fields.Channel(v, 3)));
    }
}

} // namespace kxpixel

void KXPICTURE::VFlip()
{
    if (!HasPixels() || height < 2)
        return;
    const unsigned bits = StorageBits(depth);
    const std::uint64_t rowBits = std::uint64_t{width} * bits;
    if (rowBits % 8 == 0) {
        const std::size_t row = rowBits / 8;
        std::uint8_t* low = data;
        std::uint8_t* high = data + row * (height - 1);
        for (std::uint32_t i = 0; i < height / 2; ++i, low += row, high -= row)
            std::swap_ranges(low, low + row, high);
    } else if (bits == 1 || bits == 2 || bits == 4) {
        FlipSubByteRows(data, bits, width, height);
    }
}

bool KXPICTURE::Resize(std::uint32_t newWidth, std::uint32_t newHeight)
{
    if (newWidth == width && newHeight == height)
        return true;
    if (newWidth == 0 || newHeight == 0)
        return false;
    if (!HasPixels())
        return true;
    std::vector<std::uint32_t> columns;
    std::vector<std::uint32_t> rows;
    if (!NearestSources(width, newWidth, columns) || !NearestSources(height, newHeight, rows))
        return false;
    // The sources grow with the new rows and columns: the last ones are the largest.
    KX_CHECK(columns.back() < width && rows.back() < height, columns.back(), width, rows.back(),
             height);
    std::uint8_t* resized = nullptr;
    std::uint32_t bytes = 0;
    if (!NewPixelBuffer(newWidth, newHeight, depth, resized, bytes))
        return false;
    Resample({data, width, resized, newWidth, columns, rows}, StorageBits(depth), bytes);
    // The masks stay: the pixels were copied, not re-encoded.
    ReplacePixelBuffer(resized, bytes);
    width = newWidth;
    height = newHeight;
    return true;
}

bool KXPICTURE::DoubleSize(int filter)
{
    if (!HasPixels())
        return true;
    if (width > UINT32_MAX / 2 || height > UINT32_MAX / 2 || !Resize(2 * width, 2 * height))
        return false;
    if (filter == 5)
        Smooth5();
    else if (filter == 9)
        Smooth9();
    else
        Smooth3();
    return true;
}

void KXPICTURE::Smooth3()
{
    if (HasPixels())
        kxpixel::Smooth(*this, kxpixel::SmoothPass(3));
}

void KXPICTURE::Smooth5()
{
    if (HasPixels())
        kxpixel::Smooth(*this, kxpixel::SmoothPass(5));
}

void KXPICTURE::Smooth9()
{
    if (HasPixels())
        kxpixel::Smooth(*this, kxpixel::SmoothPass(9));
}

void KXPICTURE::Fill(KXCOLOR& colour)
{
    if (!HasPixels())
        return;
    // Every pixel takes the same bytes: write the first, then repeat it.
    SetPixel(0, colour);
    if (!kxpixel::IsWritableDepth(depth))
        return;
    const std::size_t size = StorageBits(depth) / 8;
    const std::size_t pixels = std::size_t{width} * height;
    for (std::size_t i = 1; i < pixels; ++i)
        std::memcpy(data + i * size, data, size);
}

void KXPICTURE::SwapRedBlue()
{
    if (HasPixels())
        kxpixel::SwapRedBlue(*this);
}

int KXPICTURE::TraceRegion(KXCOLLECTION<int>& list, std::uint32_t x, std::uint32_t y,
                           double threshold)
{
    list.RemoveAll();
    if (x >= width || y >= height || !HasPixels())
        return 0;
    const std::uint32_t pixels = width * height;
    if ((work == nullptr || workCount != pixels) && AllocWorkBuffer() == nullptr)
        return 0;
    std::fill(work, work + pixels, 0u);
    KXCOLOR seed;
    GetPixelXY(x, y, seed);
    TraceStep(list, x, y, seed, threshold, 0);
    return list.GetCount();
}

int KXPICTURE::TraceStep(KXCOLLECTION<int>& list, std::uint32_t x, std::uint32_t y,
                         const KXCOLOR& seed, double threshold, std::int16_t direction)
{
    // The walk needs the work buffer that TraceRegion prepares for the current size.
    if (x >= width || y >= height || !HasPixels() || work == nullptr || workCount != width * height)
        return 0;
    REGIONWALK walk(*this, work, list, seed, threshold);
    const int result = walk.Step(x, y, direction);
    if (walk.Exhausted()) {
        // Part of a contour is no contour: out of memory, the caller gets none.
        list.RemoveAll();
        return 0;
    }
    return result;
}
