// KXPICTURE, the library's raster image: width, height, a depth code, one unpadded
// pixel buffer stored bottom row first, an optional palette, four channel masks, and the
// image loaders through which it reads and writes files. Its buffers go through the
// memory manager: an image loader fills them and the viewer frees them.
#pragma once

#include "kxcollection.h"
#include "kxcolor.h"
#include "kxmanager.h"
#include "kxobject.h"

#include <cstdint>

// The depth and masks a picture's owner converts its loaded pictures to; depth 0: none.
struct KXLOADFORM {
    std::uint16_t depth = 0;
    KXMASKS masks;
    // Files of this depth are read as they are, with room for the form: their owner shows
    // them before it converts them (0: every file takes the form).
    std::uint16_t keptDepth = 0;
};

class KXPICTURE : public KXOBJECT {
public:
    KXPICTURE();
    ~KXPICTURE();
    KXPICTURE(const KXPICTURE&) = delete;
    KXPICTURE& operator=(const KXPICTURE&) = delete;

    // Frees the buffers and empties the picture; the resolutions and the load form stay.
    KXPICTURE& Reset();
    // Reset, then a buffer for width × height pixels of the depth. False, with the
    // picture left empty, for more pixels than kLargestPicture or a buffer larger than the
    // memory manager gives.
    bool Create(std::uint32_t newWidth, std::uint32_t newHeight, std::uint16_t newDepth);
    // Create with a palette of paletteEntries entries (none for 0), all or nothing: both
    // buffers are allocated before the picture changes, so false, when either cannot be,
    // leaves the picture as it was. Neither buffer is initialised; a pixel buffer of the
    // new size that the picture already holds is kept rather than made again. With a
    // roomDepth deeper than the new depth, the buffer has room for the pixels at that
    // depth too, so that ConvertDepth to it needs no second buffer.
    bool CreateWithPalette(std::uint32_t newWidth, std::uint32_t newHeight, std::uint16_t newDepth,
                           std::uint32_t paletteEntries, std::uint16_t roomDepth = 0);
    // CreateWithPalette with pixels the caller has already filled, in a buffer made by
    // NewPixelBuffer for that size and depth: a loader reads the pixels first and changes
    // the picture only once they are whole. The picture takes the buffer when it
    // succeeds; false, for a size too large to hold or when the palette cannot be had,
    // leaves the picture as it was and the buffer the caller's. The palette is not
    // initialised. capacity is the buffer's size as NewPixelBuffer gave it (0: just the
    // pixels').
    bool CreateWithPixels(std::uint32_t newWidth, std::uint32_t newHeight, std::uint16_t newDepth,
                          std::uint32_t paletteEntries, std::uint8_t* pixels,
                          std::uint32_t capacity = 0);
    // A new, uninitialised buffer for w × h pixels of the depth, and its size; null for
    // an empty size. False when the size is too large to hold. With a roomDepth deeper
    // than the depth, the buffer is large enough for the pixels at that depth, where it
    // can be had (the size says how large it is). Given back with MemFreeBuffer unless a
    // picture takes it. The caller writes every pixel, so the system is asked to put the
    // pages of the pixels (not of the room) in place at once.
    static bool NewPixelBuffer(std::uint32_t w, std::uint32_t h, std::uint16_t depthCode,
                               std::uint8_t*& buffer, std::uint32_t& bytes,
                               std::uint16_t roomDepth = 0);
    // A new, uninitialised pixel buffer for the current size and depth; the masks take
    // the depth's defaults. False, with the picture left empty, when it is too large.
    bool AllocBuffer();
    // A new, uninitialised work buffer of one entry per pixel; null without pixels.
    std::uint32_t* AllocWorkBuffer();

    // A new, uninitialised palette of n entries of blue, green, red, reserved.
    void SetPaletteSize(std::uint32_t n);
    // The entry's colour (masks untouched); false without that entry.
    bool GetPaletteColor(std::uint32_t index, KXCOLOR& colour) const;
    // The entry as red | green << 8 | blue << 16; false without that entry.
    bool LookupPalette(std::uint32_t index, std::uint32_t& value) const;

    KXPICTURE& SetMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                        std::uint32_t alpha);
    const KXMASKS& GetMasks() const { return masks; }
    std::uint32_t GetRedMask() const { return masks.red; }
    std::uint32_t GetGreenMask() const { return masks.green; }
    std::uint32_t GetBlueMask() const { return masks.blue; }
    std::uint32_t GetAlphaMask() const { return masks.alpha; }

    std::uint32_t GetWidth() const { return width; }
    void SetWidth(std::uint32_t value) { width = value; }
    std::uint32_t GetHeight() const { return height; }
    void SetHeight(std::uint32_t value) { height = value; }
    std::uint16_t GetDepth() const { return depth; }
    std::uint8_t* GetData() { return data; }
    const std::uint8_t* GetData() const { return data; }
    std::uint32_t GetDataSize() const { return dataSize; }
    // The bytes the pixel buffer holds: the data size, or more where the buffer was made
    // with room for deeper pixels.
    std::uint32_t GetDataCapacity() const { return dataCapacity; }
    std::uint8_t* GetPalette() { return palette; }
    const std::uint8_t* GetPalette() const { return palette; }
    std::uint32_t GetPaletteSize() const { return paletteCount; }
    std::int32_t GetXResolution() const { return xResolution; }
    void SetXResolution(std::int32_t value) { xResolution = value; }
    std::int32_t GetYResolution() const { return yResolution; }
    void SetYResolution(std::int32_t value) { yResolution = value; }
    KXLOADERSET& GetLoaderSet() { return loaders; }
    // The form its owner converts every picture loaded into this one to, right after the
    // load (the viewer shows pictures at 32 bits with its section's masks): an image loader
    // may deliver the pixels in that form straight away, exactly as ConvertDepth to it would
    // leave them, or read the file's form into a buffer with room for it, so that the
    // conversion needs no second buffer. Depth 0, the default, asks for nothing: the picture
    // gets the file's depth and no room it does not use. A file of keptDepth bits is read
    // at that depth, with room for the form.
    void SetLoadForm(std::uint16_t depthCode, const KXMASKS& formMasks,
                     std::uint16_t keptDepth = 0)
    {
        loadForm = {depthCode, formMasks, keptDepth};
    }
    const KXLOADFORM& GetLoadForm() const { return loadForm; }

    // Pixel i = x + y × width, row 0 at the bottom; indices are the caller's to keep
    // inside the picture.
    std::uint32_t GetPixelPacked(std::uint32_t i) const;
    // Decodes pixel i through the colour's own masks.
    void GetPixel(std::uint32_t i, KXCOLOR& colour) const;
    void GetPixelXY(std::uint32_t x, std::uint32_t y, KXCOLOR& colour) const;
    // Gives the colour the picture's masks, then writes pixel i (palette depths are not
    // written).
    void SetPixel(std::uint32_t i, KXCOLOR& colour);
    // Writes a value given in the default layout (red in the low byte).
    void SetPixelPacked(std::uint32_t i, std::uint32_t value);

    // Converts every pixel to the depth and masks. True also when the picture already has
    // them, and at its own palette depth whatever the masks; false, with the picture
    // unchanged, for a depth it cannot write, for a buffer that does not hold every pixel
    // of the size, or when the new buffer cannot be had. Pixels that take no fewer bits
    // are converted in the buffer they are in when it has room for them.
    bool ConvertDepth(std::uint16_t newDepth, std::uint32_t red, std::uint32_t green,
                      std::uint32_t blue, std::uint32_t alpha);

    // Operations on the whole picture; a picture without pixels is left as it is.
    // Reverses the order of the rows.
    void VFlip();
    // Nearest-neighbour resampling about the centre; the masks, palette and depth stay.
    // False, with the picture unchanged, for a width or height of 0, or when memory runs
    // out or the new size is too large to hold (refused before anything is allocated).
    bool Resize(std::uint32_t newWidth, std::uint32_t newHeight);
    // Resize to twice the size, then the 5-point pass for filter 5, the 9-point pass for
    // 9 and the 3-point pass for any other value.
    bool DoubleSize(int filter);
    // One in-place averaging pass each, over the pixel, the next one and the one above (3),
    // its four neighbours (5) or its eight (9); the outer pixels that lack neighbours keep
    // their values, and smoothed pixels get alpha 0.
    void Smooth3();
    void Smooth5();
    void Smooth9();
    // Writes the colour into every pixel; the colour takes the picture's masks.
    void Fill(KXCOLOR& colour);
    void SwapRedBlue();
    // Fills list with the boundary pixels of the region similar to pixel (x, y), in the
    // order the walk finds them, and returns their number. Row 0 and column 0 count as
    // outside the picture.
    int TraceRegion(KXCOLLECTION<int>& list, std::uint32_t x, std::uint32_t y, double threshold);
    // The walk from (x, y) heading in direction (0: x + 1, 1: y + 1, 2: x - 1, 3: y - 1):
    // -1 when the pixel is not similar to the seed, else 0, after recording what the walk
    // from there finds. Direction 5 only probes: 1 for a similar pixel not yet reached.
    int TraceStep(KXCOLLECTION<int>& list, std::uint32_t x, std::uint32_t y, const KXCOLOR& seed,
                  double threshold, std::int16_t direction);

    // The most pixels a picture may have (16384 × 8192), whether it is read from a file,
    // created, resized or converted: checked before anything is allocated, so that a small
    // file or a typed size cannot claim gigabytes, and low enough that any picture can
    // still be converted to 32 bits for display.
    static constexpr std::uint64_t kLargestPicture = std::uint64_t{1} << 27;
    // True when the pixel buffer holds every pixel of the current size and depth (also
    // when there are none): the whole-picture operations touch nothing else, so a picture
    // whose size was set without a new buffer is left alone rather than read past its end.
    bool HoldsPixels() const;

    // Whether a picture of that size and depth has no more pixels than kLargestPicture and
    // fits the memory manager's buffers.
    static bool CanHold(std::uint32_t width, std::uint32_t height, std::uint16_t depth);
    // The bits each pixel of a depth takes: the code's low 8 bits.
    static unsigned StorageBits(std::uint16_t depthCode) { return depthCode & 0xFF; }

private:
    // The masks a new pixel buffer of the storage bits gives the picture.
    void SetMasksFor(unsigned bits);
    // The bytes of w × h pixels of the depth, or 0 for a size no picture holds at it.
    static std::uint64_t RoomFor(std::uint32_t w, std::uint32_t h, std::uint16_t depthCode);
    // Frees the pixel buffer and takes the given one in its place: bytes of pixels in a
    // buffer of capacity bytes (0: just the pixels').
    void ReplacePixelBuffer(std::uint8_t* buffer, std::uint32_t bytes, std::uint32_t capacity = 0);
    // HoldsPixels, and there is at least one pixel.
    bool HasPixels() const;

    // The first member after the base: a loader reaches the picture through it.
    KXLOADERSET loaders;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t depth = 0;
    std::uint8_t* data = nullptr;
    std::uint32_t* work = nullptr;
    std::uint32_t workCount = 0;
    std::uint32_t dataSize = 0;
    std::uint8_t* palette = nullptr;
    std::uint32_t paletteCount = 0;
    std::int32_t xResolution = 0;
    std::int32_t yResolution = 0;
    KXMASKS masks;
    std::uint32_t dataCapacity = 0;
    KXLOADFORM loadForm;
};
