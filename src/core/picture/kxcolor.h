// KXCOLOR, the library's colour: four 8-bit channels and four channel masks that say
// where each channel sits in a packed pixel value. Everything that turns a colour into
// pixel bits or back goes through the masks.
#pragma once

#include "kxobject.h"

#include <cstdint>

// Where each channel sits in a packed pixel value: the bits of red, green, blue and
// alpha. The default is the library's own layout, red in the low byte.
struct KXMASKS {
    std::uint32_t red = 0xFF;
    std::uint32_t green = 0xFF00;
    std::uint32_t blue = 0xFF0000;
    std::uint32_t alpha = 0xFF000000;

    bool operator==(const KXMASKS&) const = default;
};

// Depth codes. The low 8 bits are the bits each pixel takes; 0x100 marks YCbCr.
inline constexpr std::uint16_t KXDEPTH_YCBCR24 = 280;
inline constexpr std::uint16_t KXDEPTH_YCBCR32 = 288;

class KXCOLOR : public KXOBJECT {
public:
    KXCOLOR();
    KXCOLOR(const KXCOLOR& other) = default;
    // Copies the four channels only: the target keeps its own masks.
    KXCOLOR& operator=(const KXCOLOR& other);
    ~KXCOLOR() = default;

    KXCOLOR& Set(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);
    KXCOLOR& SetMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                      std::uint32_t alpha);
    // Channels from values nominally 0 to 1, scaled to 0..255; values outside that range
    // give 0 or 255.
    void SetFromDoubles(double r, double g, double b, double a);

    // The channel held in pixel's mask bits, scaled to 0..255.
    static std::uint8_t ExtractChannel(std::uint32_t pixel, std::uint32_t mask);
    // Replaces pixel's mask bits with channel scaled to the field; a zero mask or a zero
    // channel leaves pixel as it was.
    static void PackChannel(std::uint32_t& pixel, std::uint32_t mask, std::uint8_t channel);

    void SetFromPixel(std::uint32_t pixel);
    KXCOLOR& SetFromPacked(std::uint32_t pixel);
    std::uint32_t ToPixel32() const;
    // Red, green and blue only.
    std::uint16_t ToPixel16() const;
    // Red, green and blue from a 16-bit or a three-byte value; alpha stays.
    void SetFrom16(std::uint16_t pixel);
    void SetFrom24(const std::uint8_t* bytes);
    void SwapRedBlue();

    std::uint8_t GetR() const { return red; }
    std::uint8_t GetG() const { return green; }
    std::uint8_t GetB() const { return blue; }
    double GetRf() const { return red / 255.0; }
    double GetGf() const { return green / 255.0; }
    double GetBf() const { return blue / 255.0; }
    void GetRGBf(double& r, double& g, double& b) const;

    // YCbCr: packed as Cr in bits 0-7, Cb in 8-15, Y in 16-23 and alpha in 24-31.
    int GetY() const;
    int GetCb() const;
    int GetCr() const;
    std::uint32_t ToYCbCr() const;
    std::uint32_t ToYCbCrAlpha() const;
    void SetFromYCbCr(std::uint32_t packed);
    void SetYCbCr(std::uint8_t y, std::uint8_t cb, std::uint8_t cr, std::uint8_t a);
    // As SetFromYCbCr, with alpha 0.
    void SetFromYCbCrOpaque(std::uint32_t packed);

    // Red, green and blue times factor, kept within 0..255; alpha stays.
    void Scale(double factor);
    // Channel sums and products, each at most 255.
    KXCOLOR& AddSaturate(const KXCOLOR& other);
    void MultiplySaturate(const KXCOLOR& other);
    // Red, green and blue times other's / 255; alpha stays.
    void Modulate(const KXCOLOR& other);
    // A similarity: 1.0 for equal colours, 0.0 when every channel differs by 255.
    double Distance(const KXCOLOR& other) const;

private:
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 0;
    KXMASKS masks;
};
