// Drawing through device contexts: blits, single pixels, lines, fills, edges and text.
#include "kxgdi_internal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace kxgdi {

namespace {

// One axis of a blit's rectangle with its extent made positive.
struct SPAN {
    int origin;
    int length;
    bool negative;
};

SPAN Normalise(int origin, int extent)
{
    return extent < 0 ? SPAN{origin + extent, -extent, true} : SPAN{origin, extent, false};
}

// For each destination offset along one axis, the source pixel whose centre is nearest to
// the destination pixel's centre; mirrored when the extents' signs differ.
std::vector<int> Samples(const SPAN& dest, const SPAN& source)
{
    std::vector<int> samples(dest.length);
    const bool mirror = dest.negative != source.negative;
    for (int i = 0; i < dest.length; ++i) {
        const std::int64_t k = mirror ? dest.length - 1 - i : i;
        samples[i] =
            source.origin + int((2 * k + 1) * source.length / (2 * std::int64_t{dest.length}));
    }
    return samples;
}

// A copy of the pixels, for a blit whose source and destination are the same surface.
struct SNAPSHOT {
    std::vector<std::uint32_t> rows;
    PIXELS pixels;

    explicit SNAPSHOT(const PIXELS& from) : rows(std::size_t(from.width) * from.height)
    {
        pixels = {rows.data(), from.width, from.height, from.width};
        for (int y = 0; y < from.height; ++y)
            std::memcpy(&pixels.At(0, y), &from.At(0, y), sizeof(std::uint32_t) * from.width);
    }
};

void Plot(HDC dc, const PIXELS& pixels, int x, int y, std::uint32_t pixel)
{
    if (!pixels.Contains(x, y))
        return;
    pixels.At(x, y) = pixel;
    dc->drew = true;
}

void Fill(HDC dc, const PIXELS& pixels, const RECT& rect, std::uint32_t pixel)
{
    const int left = std::max(rect.left, 0);
    const int right = std::min(rect.right, pixels.width);
    const int top = std::max(rect.top, 0);
    const int bottom = std::min(rect.bottom, pixels.height);
    for (int y = top; y < bottom; ++y)
        std::fill_n(&pixels.At(left, y), std::max(0, right - left), pixel);
    if (left < right && top < bottom)
        dc->drew = true;
}

// One ring of an edge along the border of rect.
void Ring(HDC dc, const PIXELS& pixels, const RECT& rect, COLORREF topLeft, COLORREF bottomRight,
          unsigned sides)
{
    const std::uint32_t light = ToPixel(topLeft);
    const std::uint32_t dark = ToPixel(bottomRight);
    if (sides & BF_TOP)
        Fill(dc, pixels, {rect.left, rect.top, rect.right, rect.top + 1}, light);
    if (sides & BF_LEFT)
        Fill(dc, pixels, {rect.left, rect.top, rect.left + 1, rect.bottom}, light);
    if (sides & BF_BOTTOM)
        Fill(dc, pixels, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, dark);
    if (sides & BF_RIGHT)
        Fill(dc, pixels, {rect.right - 1, rect.top, rect.right, rect.bottom}, dark);
}

// A blit's rectangle: origin and extent, the extents signed.
struct BLITRECT {
    int x, y, width, height;
};

// The copy of every blit: each destination pixel of to within the destination rectangle
// gets the pixel at(column, row) of the source sample nearest its centre, where that lies
// within the source's width × height.
template <class AT>
void Stretch(HDC dest, const PIXELS& to, const BLITRECT& into, const BLITRECT& from,
             int sourceWidth, int sourceHeight, AT at)
{
    if (into.width == 0 || into.height == 0 || from.width == 0 || from.height == 0)
        return;
    const SPAN destX = Normalise(into.x, into.width), destY = Normalise(into.y, into.height);
    const std::vector<int> columns = Samples(destX, Normalise(from.x, from.width));
    const std::vector<int> rows = Samples(destY, Normalise(from.y, from.height));
    for (int j = 0; j < destY.length; ++j) {
        const int ty = destY.origin + j, fy = rows[j];
        if (ty < 0 || ty >= to.height || fy < 0 || fy >= sourceHeight)
            continue;
        for (int i = 0; i < destX.length; ++i)
            if (columns[i] >= 0 && columns[i] < sourceWidth)
                Plot(dest, to, destX.origin + i, ty, at(columns[i], fy));
    }
}

} // namespace

bool StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy,
                int sourceWidth, int sourceHeight, ROP rop)
{
    if (!IsLive(dest) || !IsLive(source) || rop != SRCCOPY)
        return false;
    const PIXELS to = PixelsOf(dest);
    PIXELS from = PixelsOf(source);
    if (to.top == nullptr || from.top == nullptr)
        return true;
    std::unique_ptr<SNAPSHOT> snapshot;
    if (from.top == to.top) {
        snapshot = std::make_unique<SNAPSHOT>(from);
        from = snapshot->pixels;
    }
    Stretch(dest, to, {x, y, width, height}, {sx, sy, sourceWidth, sourceHeight}, from.width,
            from.height, [&from](int column, int row) { return from.At(column, row); });
    return true;
}

bool StretchIndexed(HDC dest, int x, int y, int width, int height, const INDEXEDROWS& source,
                    int sx, int sy, int sourceWidth, int sourceHeight)
{
    if (!IsLive(dest) || source.rows == nullptr || source.colours == nullptr ||
        source.width < 0 || source.height < 0)
        return false;
    const PIXELS to = PixelsOf(dest);
    if (to.top == nullptr)
        return true;
    // Row 0 of the blit is the top row, the last of the rows held.
    const std::uint8_t* top = source.rows + std::ptrdiff_t{source.height - 1} * source.width;
    Stretch(dest, to, {x, y, width, height}, {sx, sy, sourceWidth, sourceHeight}, source.width,
            source.height, [&](int column, int row) {
                return source.colours[top[column - std::ptrdiff_t{row} * source.width]];
            });
    return true;
}

bool BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, ROP rop)
{
    if (width <= 0 || height <= 0)
        return IsLive(dest) && IsLive(source) && rop == SRCCOPY;
    return StretchBlt(dest, x, y, width, height, source, sx, sy, width, height, rop);
}

COLORREF GetPixel(HDC dc, int x, int y)
{
    if (!IsLive(dc))
        return CLR_INVALID;
    const PIXELS pixels = PixelsOf(dc);
    return pixels.Contains(x, y) ? FromPixel(pixels.At(x, y)) : CLR_INVALID;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour)
{
    if (!IsLive(dc))
        return CLR_INVALID;
    const PIXELS pixels = PixelsOf(dc);
    if (!pixels.Contains(x, y))
        return CLR_INVALID;
    Plot(dc, pixels, x, y, ToPixel(colour));
    return colour & 0xFFFFFF;
}

bool MoveTo(HDC dc, int x, int y, POINT* previous)
{
    if (!IsLive(dc))
        return false;
    if (previous != nullptr)
        *previous = dc->position;
    dc->position = {x, y};
    return true;
}

bool LineTo(HDC dc, int x, int y)
{
    if (!IsLive(dc))
        return false;
    const PIXELS pixels = PixelsOf(dc);
    const std::uint32_t pixel = ToPixel(dc->pen->colour);
    // Bresenham's walk from the current position; the end point itself is not drawn.
    int px = dc->position.x, py = dc->position.y;
    const int dx = std::abs(x - px), dy = -std::abs(y - py);
    const int stepX = px < x ? 1 : -1, stepY = py < y ? 1 : -1;
    int error = dx + dy;
    while (px != x || py != y) {
        Plot(dc, pixels, px, py, pixel);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            px += stepX;
        }
        if (twice <= dx) {
            error += dx;
            py += stepY;
        }
    }
    dc->position = {x, y};
    return true;
}

void FillSolidRect(HDC dc, const RECT& rect, COLORREF colour)
{
    if (!IsLive(dc))
        return;
    dc->bkColour = colour & 0xFFFFFF;
    Fill(dc, PixelsOf(dc), rect, ToPixel(colour));
}

bool DrawEdge(HDC dc, const RECT* rect, unsigned edge, unsigned sides)
{
    if (!IsLive(dc) || rect == nullptr)
        return false;
    const PIXELS pixels = PixelsOf(dc);
    if (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) {
        const bool raised = edge & BDR_RAISEDOUTER;
        Ring(dc, pixels, *rect, raised ? COLOR_3DLIGHT : COLOR_3DSHADOW,
             raised ? COLOR_3DDKSHADOW : COLOR_3DHILIGHT, sides);
    }
    if (edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) {
        const bool raised = edge & BDR_RAISEDINNER;
        const RECT inner{rect->left + 1, rect->top + 1, rect->right - 1, rect->bottom - 1};
        Ring(dc, pixels, inner, raised ? COLOR_3DHILIGHT : COLOR_3DDKSHADOW,
             raised ? COLOR_3DSHADOW : COLOR_3DLIGHT, sides);
    }
    return true;
}

int DrawText(HDC dc, const char* text, int length, const RECT* rect, unsigned format)
{
    const KXTEXTHOOK hook = Registry().textHook;
    if (!IsLive(dc) || text == nullptr || rect == nullptr || hook == nullptr)
        return 0;
    const PIXELS pixels = PixelsOf(dc);
    // The renderer draws on top-down rows only.
    if (pixels.top == nullptr || pixels.step < 0)
        return 0;
    KXTEXTJOB job;
    job.pixels = pixels.top;
    job.width = pixels.width;
    job.height = pixels.height;
    job.stride = static_cast<int>(pixels.step);
    job.layout = *rect;
    job.clip = {std::max(rect->left, 0), std::max(rect->top, 0), std::min(rect->right, job.width),
                std::min(rect->bottom, job.height)};
    job.text = text;
    job.length = length < 0 ? static_cast<int>(std::strlen(text)) : length;
    job.textColour = dc->textColour;
    job.bkColour = dc->bkColour;
    job.format = format;
    if (job.clip.left >= job.clip.right || job.clip.top >= job.clip.bottom)
        return 0;
    dc->drew = true;
    return hook(job);
}

void SetTextHook(KXTEXTHOOK hook)
{
    Registry().textHook = hook;
}

} // namespace kxgdi
