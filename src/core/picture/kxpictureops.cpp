// The operations on a whole picture: vertical flip, nearest-neighbour resize, doubling
// with a smoothing pass, fill, red-blue swap and the contour of a region.
#include "kxassert.h"
#include "kxpicture.h"
#include "kxpixels.h"
#include "kxsmooth.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

using kxpixel::BYTEFIELDS;
using kxpixel::SMOOTHPASS;
using kxpixel::SMOOTHTARGET;

namespace {

// Byte-sized pixels of 24 or 32 bits whose masks are whole bytes: the red-blue swap reads
// and writes their channels directly. The YCbCr depths encode on writing, so they never
// qualify.
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

// New row i of whole-byte pixels, at out: the old row it takes, or null when it takes the
// same old row as the new row before, which it has then copied (that row must still hold
// what it took).
const std::uint8_t* NewRow(const RESAMPLE& r, std::size_t size, std::size_t i, std::uint8_t*& out)
{
    const std::size_t rowBytes = std::size_t{r.toWidth} * size;
    out = r.to + i * rowBytes;
    if (i > 0 && r.rows[i] == r.rows[i - 1]) {
        std::memcpy(out, out - rowBytes, rowBytes);
        return nullptr;
    }
    return r.from + std::size_t{r.rows[i]} * r.fromWidth * size;
}

// Whole-byte pixels, new rows begin to end, each pixel through the table of columns.
template <unsigned fixedSize>
void CopyNearest(const RESAMPLE& r, unsigned runtimeSize, std::size_t begin, std::size_t end)
{
    const std::size_t size = fixedSize != 0 ? fixedSize : runtimeSize;
    for (std::size_t i = begin; i < end; ++i) {
        std::uint8_t* out = nullptr;
        const std::uint8_t* in = NewRow(r, size, i, out);
        if (in == nullptr)
            continue;
        for (std::uint32_t j = 0; j < r.toWidth; ++j)
            std::memcpy(out + j * size, in + std::size_t{r.columns[j]} * size, size);
    }
}

template <unsigned fixedSize> void CopyNearest(const RESAMPLE& r, unsigned runtimeSize)
{
    CopyNearest<fixedSize>(r, runtimeSize, 0, r.rows.size());
}

// Whether every new column takes the old one at half its index, the first new column of
// an odd width the old first column once more: the columns of a doubled width.
bool PairsColumns(const RESAMPLE& r)
{
    if (r.toWidth != 2 * std::uint64_t{r.fromWidth})
        return false;
    const std::uint32_t odd = r.fromWidth % 2;
    for (std::uint32_t j = 0; j < r.toWidth; ++j) {
        const std::uint32_t half = j < odd ? 0 : (j - odd) / 2;
        if (r.columns[j] != half)
            return false;
    }
    return true;
}

// Whole-byte pixels of a doubled width, new rows begin to end, as CopyNearest makes them:
// each old pixel is written twice in a row with no lookup of its column, so the compiler
// can copy a run of pixels at a time.
template <unsigned size>
void CopyPaired(const RESAMPLE& r, std::size_t begin, std::size_t end)
{
    const std::uint32_t odd = r.fromWidth % 2;
    for (std::size_t i = begin; i < end; ++i) {
        std::uint8_t* out = nullptr;
        const std::uint8_t* in = NewRow(r, size, i, out);
        if (in == nullptr)
            continue;
        if (odd != 0) {
            std::memcpy(out, in, size);
            out += size;
        }
        // Offsets in std::size_t, which cannot wrap, and the pixel taken once: the compiler
        // may then copy several pixels a step.
        const std::size_t pairs = r.fromWidth - odd;
        for (std::size_t k = 0; k < pairs; ++k) {
            std::uint8_t pixel[size];
            std::memcpy(pixel, in + k * size, size);
            std::memcpy(out + 2 * k * size, pixel, size);
            std::memcpy(out + (2 * k + 1) * size, pixel, size);
        }
        // An odd width's last old pixel has room for one copy only.
        if (odd != 0)
            std::memcpy(out + 2 * pairs * size, in + pairs * size, size);
    }
}

// Rows of 24- or 32-bit pixels resampled as a smoothing pass asks for them. The pass has
// not yet written the row before the one it asks for, so a copied row is still as taken.
class RESAMPLEDROWS : public kxpixel::ROWFEED {
public:
    RESAMPLEDROWS(const RESAMPLE& resample, unsigned size)
        : resample(resample), size(size), paired(PairsColumns(resample))
    {}

    void Ready(std::uint32_t row) override
    {
        KX_CHECK(row < resample.rows.size(), row, resample.rows.size());
        if (paired && size == 4)
            CopyPaired<4>(resample, made, row + 1);
        else if (paired)
            CopyPaired<3>(resample, made, row + 1);
        else if (size == 4)
            CopyNearest<4>(resample, 4, made, row + 1);
        else
            CopyNearest<3>(resample, 3, made, row + 1);
        made = row + 1;
    }

private:
    const RESAMPLE& resample;
    const unsigned size;
    // The doubling's columns, copied without their table.
    const bool paired;
    std::uint32_t made = 0;
};

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

// Resamples the picture's pixels into a new buffer of the size through fill, and hands
// the buffer over. False when the size is too large to hold or memory runs out.
template <class FILL>
bool Resampled(const KXPICTURE& picture, std::uint32_t newWidth, std::uint32_t newHeight,
               std::uint8_t*& resized, std::uint32_t& bytes, FILL fill)
{
    // The tables of sources grow with the new size: a size no picture holds is refused
    // before they are made, not by the buffer after them.
    if (!KXPICTURE::CanHold(newWidth, newHeight, picture.GetDepth()))
        return false;
    const std::uint32_t width = picture.GetWidth();
    const std::uint32_t height = picture.GetHeight();
    std::vector<std::uint32_t> columns;
    std::vector<std::uint32_t> rows;
    if (!NearestSources(width, newWidth, columns) || !NearestSources(height, newHeight, rows))
        return false;
    // The sources grow with the new rows and columns: the last ones are the largest.
    KX_CHECK(columns.back() < width && rows.back() < height, columns.back(), width, rows.back(),
             height);
    if (!KXPICTURE::NewPixelBuffer(newWidth, newHeight, picture.GetDepth(), resized, bytes))
        return false;
    // The copies read whole old rows and write whole new ones: the old buffer holds every
    // old pixel and the new one every new pixel.
    KX_CHECK(picture.HoldsPixels() &&
                 std::uint64_t{newWidth} * newHeight * KXPICTURE::StorageBits(picture.GetDepth()) <=
                     std::uint64_t{bytes} * 8,
             width, height, picture.GetDataSize(), newWidth, newHeight, bytes);
    fill(RESAMPLE{picture.GetData(), width, resized, newWidth, columns, rows});
    return true;
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

void SwapRedBluePerPixel(KXPICTURE& picture)
{
    KX_CHECK(picture.HoldsPixels(), picture.GetWidth(), picture.GetHeight(), picture.GetDataSize());
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

void SwapRedBlue(KXPICTURE& picture)
{
    if (IsPaletteDepth(picture.GetDepth()))
        return;
    KX_CHECK(picture.HoldsPixels(), picture.GetWidth(), picture.GetHeight(), picture.GetDataSize());
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
    const unsigned bits = StorageBits(depth);
    std::uint8_t* resized = nullptr;
    std::uint32_t bytes = 0;
    const bool made = Resampled(*this, newWidth, newHeight, resized, bytes,
                                [&](const RESAMPLE& r) { Resample(r, bits, bytes); });
    if (!made)
        return false;
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
    if (width > UINT32_MAX / 2 || height > UINT32_MAX / 2)
        return false;
    const SMOOTHPASS& pass = kxpixel::SmoothPass(filter == 5 || filter == 9 ? filter : 3);
    SMOOTHTARGET doubled{nullptr, 2 * width, 2 * height, depth, masks};
    if (!kxpixel::SmoothsDirectly(doubled, pass)) {
        if (!Resize(doubled.width, doubled.height))
            return false;
        kxpixel::Smooth(*this, pass);
        return true;
    }
    // Each row is smoothed right after it is resampled, while it is in the cache, rather
    // than the whole picture resampled first and then read again.
    std::uint32_t bytes = 0;
    const bool made = Resampled(*this, doubled.width, doubled.height, doubled.data, bytes,
                                [&](const RESAMPLE& r) {
                                    RESAMPLEDROWS rows(r, StorageBits(depth) / 8);
                                    kxpixel::SmoothDirectly(doubled, pass, rows);
                                });
    if (!made)
        return false;
    ReplacePixelBuffer(doubled.data, bytes);
    width = doubled.width;
    height = doubled.height;
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
