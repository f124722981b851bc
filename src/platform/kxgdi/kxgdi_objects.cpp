// Device contexts, bitmap sections and pens, and the registry of live handles.
#include "kxgdi_internal.h"

#include <sys/mman.h>

#include <cstdlib>
#include <memory>

namespace kxgdi {

namespace {

// The largest section made: 2^28 pixels (1 GiB) keeps every byte offset in range.
constexpr std::int64_t maxSectionPixels = std::int64_t{1} << 28;
// From this size on, a section is mapped, in large pages where the system has them.
constexpr std::size_t mappedSectionBytes = std::size_t{2} << 20;

bool IsLive(HBITMAP bitmap)
{
    return bitmap == &Registry().stockBitmap || Registry().bitmaps.contains(bitmap);
}

bool IsLive(HPEN pen)
{
    return pen == &Registry().stockPen || Registry().pens.contains(pen);
}

void Free(HBITMAP bitmap)
{
    Registry().bitmaps.erase(bitmap);
    delete bitmap;
}

void Free(HPEN pen)
{
    Registry().pens.erase(pen);
    delete pen;
}

// Lets go of an object that a device context held; frees it when it was deleted meanwhile.
template <typename Object> void Deselect(Object* object)
{
    --object->selections;
    if (object->deletePending && object->selections == 0)
        Free(object);
}

template <typename Object> bool Delete(Object* object)
{
    if (!IsLive(object) || object->stock)
        return false;
    if (object->selections > 0)
        object->deletePending = true;
    else
        Free(object);
    return true;
}

// The context is registered before anything else changes: when memory runs out on the
// way, nothing is left behind.
HDC NewDC(HWND window)
{
    REGISTRY& registry = Registry();
    auto made = std::make_unique<KXDC>();
    registry.dcs.insert(made.get());
    HDC dc = made.release();
    dc->window = window;
    dc->memory = window == nullptr;
    dc->pen = &registry.stockPen;
    ++dc->pen->selections;
    if (dc->memory) {
        dc->bitmap = &registry.stockBitmap;
        ++dc->bitmap->selections;
    }
    return dc;
}

} // namespace

SECTIONBITS::~SECTIONBITS()
{
    if (borrowed)
        return;
    if (mappedBytes > 0)
        munmap(pixels, mappedBytes);
    else
        std::free(pixels);
}

bool SECTIONBITS::Make(std::size_t count)
{
    const std::size_t bytes = count * sizeof(std::uint32_t);
    if (bytes < mappedSectionBytes) {
        pixels = static_cast<std::uint32_t*>(std::calloc(count, sizeof(std::uint32_t)));
        return pixels != nullptr;
    }
    void* mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return false;
    // Advice only: in small pages the section is the same, just slower to fill.
    madvise(mapped, bytes, MADV_HUGEPAGE);
    pixels = static_cast<std::uint32_t*>(mapped);
    mappedBytes = bytes;
    return true;
}

REGISTRY& Registry()
{
    static REGISTRY* registry = [] {
        auto* made = new REGISTRY;
        made->stockBitmap.stock = true;
        made->stockPen.stock = true;
        return made;
    }();
    return *registry;
}

bool IsLive(HDC dc)
{
    return Registry().dcs.contains(dc);
}

HDC NewWindowDC(HWND window)
{
    return NewDC(window);
}

void FreeDC(HDC dc)
{
    Deselect(dc->pen);
    if (dc->bitmap != nullptr) {
        dc->bitmap->selectedInto = nullptr;
        Deselect(dc->bitmap);
    }
    Registry().dcs.erase(dc);
    delete dc;
}

PIXELS PixelsOf(HDC dc)
{
    PIXELS pixels;
    if (dc->memory) {
        HBITMAP bitmap = dc->bitmap;
        if (bitmap->bits.Pixels() == nullptr)
            return pixels;
        pixels.width = bitmap->width;
        pixels.height = bitmap->height;
        pixels.top = bitmap->bits.Pixels();
        pixels.step = bitmap->width;
        if (bitmap->bottomUp) {
            pixels.top += std::ptrdiff_t{bitmap->height - 1} * bitmap->width;
            pixels.step = -pixels.step;
        }
    } else if (dc->window != nullptr && !dc->window->pixels.empty()) {
        pixels.top = dc->window->pixels.data();
        pixels.width = dc->window->width;
        pixels.height = dc->window->height;
        pixels.step = pixels.width;
    }
    return pixels;
}

HDC CreateCompatibleDC(HDC)
{
    return NewDC(nullptr);
}

bool DeleteDC(HDC dc)
{
    if (!IsLive(dc) || !dc->memory)
        return false;
    FreeDC(dc);
    return true;
}

namespace {

// The pixel count of a section of the header's format; 0 for a format or size no section
// has.
std::int64_t SectionPixels(const BITMAPINFOHEADER* header)
{
    if (header == nullptr || header->biSize < sizeof(BITMAPINFOHEADER) || header->biPlanes != 1 ||
        header->biBitCount != 32 || header->biCompression != BI_RGB || header->biWidth <= 0 ||
        header->biHeight == 0)
        return 0;
    const std::int64_t count = std::int64_t{header->biWidth} * std::llabs(header->biHeight);
    return count <= maxSectionPixels ? count : 0;
}

// A section of the header's size without its pixels yet.
std::unique_ptr<KXBITMAP> NewSection(const BITMAPINFOHEADER& header)
{
    auto bitmap = std::make_unique<KXBITMAP>();
    bitmap->width = header.biWidth;
    bitmap->height = static_cast<int>(std::llabs(header.biHeight));
    bitmap->bottomUp = header.biHeight > 0;
    return bitmap;
}

HBITMAP Register(std::unique_ptr<KXBITMAP> bitmap)
{
    Registry().bitmaps.insert(bitmap.get());
    return bitmap.release();
}

} // namespace

HBITMAP CreateDIBSection(HDC, const BITMAPINFOHEADER* header, void** bits)
{
    if (bits != nullptr)
        *bits = nullptr;
    const std::int64_t count = SectionPixels(header);
    if (count == 0)
        return nullptr;
    auto bitmap = NewSection(*header);
    if (!bitmap->bits.Make(static_cast<std::size_t>(count)))
        return nullptr;
    void* pixels = bitmap->bits.Pixels();
    HBITMAP section = Register(std::move(bitmap));
    if (bits != nullptr)
        *bits = pixels;
    return section;
}

HBITMAP CreateDIBSectionOver(HDC, const BITMAPINFOHEADER* header, void* pixels)
{
    if (pixels == nullptr || SectionPixels(header) == 0)
        return nullptr;
    auto bitmap = NewSection(*header);
    bitmap->bits.Borrow(static_cast<std::uint32_t*>(pixels));
    return Register(std::move(bitmap));
}

HPEN CreatePen(int style, int, COLORREF colour)
{
    if (style != PS_SOLID)
        return nullptr;
    // Held until registered: a registration that runs out of memory frees the pen.
    auto pen = std::make_unique<KXPEN>();
    pen->colour = colour & 0xFFFFFF;
    Registry().pens.insert(pen.get());
    return pen.release();
}

HBITMAP SelectObject(HDC dc, HBITMAP bitmap)
{
    if (!IsLive(dc) || !dc->memory || !IsLive(bitmap) || bitmap->deletePending)
        return nullptr;
    HBITMAP previous = dc->bitmap;
    if (bitmap == previous)
        return previous;
    if (bitmap->selectedInto != nullptr)
        return nullptr;
    ++bitmap->selections;
    if (!bitmap->stock)
        bitmap->selectedInto = dc;
    dc->bitmap = bitmap;
    previous->selectedInto = nullptr;
    Deselect(previous);
    // The caller may hand the previous bitmap back later: a deleted one is gone by now.
    return IsLive(previous) ? previous : &Registry().stockBitmap;
}

HPEN SelectObject(HDC dc, HPEN pen)
{
    if (!IsLive(dc) || !IsLive(pen) || pen->deletePending)
        return nullptr;
    HPEN previous = dc->pen;
    ++pen->selections;
    dc->pen = pen;
    Deselect(previous);
    return IsLive(previous) ? previous : &Registry().stockPen;
}

bool DeleteObject(HBITMAP bitmap)
{
    return Delete(bitmap);
}

bool DeleteObject(HPEN pen)
{
    return Delete(pen);
}

COLORREF SetTextColor(HDC dc, COLORREF colour)
{
    if (!IsLive(dc))
        return CLR_INVALID;
    const COLORREF previous = dc->textColour;
    dc->textColour = colour & 0xFFFFFF;
    return previous;
}

COLORREF SetBkColor(HDC dc, COLORREF colour)
{
    if (!IsLive(dc))
        return CLR_INVALID;
    const COLORREF previous = dc->bkColour;
    dc->bkColour = colour & 0xFFFFFF;
    return previous;
}

int CountGdiObjects()
{
    const REGISTRY& registry = Registry();
    return static_cast<int>(registry.dcs.size() + registry.bitmaps.size() + registry.pens.size());
}

} // namespace kxgdi
