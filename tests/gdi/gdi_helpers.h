// Helpers of the drawing-layer tests: sections in memory device contexts, and pictures of
// a device context's pixels as rows of letters.
#pragma once

#include "kxgdi.h"

#include <map>
#include <string>
#include <vector>

// Colours the tests draw with, each with the letter its pictures show.
inline const std::map<char, kxgdi::COLORREF>& Palette()
{
    static const std::map<char, kxgdi::COLORREF> palette = {
        {'.', kxgdi::RGB(0, 0, 0)},       {'A', kxgdi::RGB(0xFF, 0, 0)},
        {'B', kxgdi::RGB(0, 0xFF, 0)},    {'C', kxgdi::RGB(0, 0, 0xFF)},
        {'D', kxgdi::RGB(0xFF, 0xFF, 0)}, {'W', kxgdi::RGB(0xFF, 0xFF, 0xFF)},
        {'H', kxgdi::COLOR_3DHILIGHT},    {'L', kxgdi::COLOR_3DLIGHT},
        {'S', kxgdi::COLOR_3DSHADOW},     {'K', kxgdi::COLOR_3DDKSHADOW},
    };
    return palette;
}

// The pixels of dc from (0, 0) to (width, height), '?' for a colour not in the palette.
inline std::vector<std::string> Picture(kxgdi::HDC dc, int width, int height)
{
    std::vector<std::string> rows;
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            char letter = '?';
            for (const auto& [key, colour] : Palette())
                if (kxgdi::GetPixel(dc, x, y) == colour && key != 'W')
                    letter = key;
            row += letter;
        }
        rows.push_back(row);
    }
    return rows;
}

// Draws the rows of letters into dc from (0, 0).
inline void Paint(kxgdi::HDC dc, const std::vector<std::string>& rows)
{
    for (int y = 0; y < static_cast<int>(rows.size()); ++y)
        for (int x = 0; x < static_cast<int>(rows[y].size()); ++x)
            kxgdi::SetPixel(dc, x, y, Palette().at(rows[y][x]));
}

// A 32-bit section selected into its own memory device context; height as in the header
// (positive: bottom-up).
class SECTION {
public:
    SECTION(int width, int height)
    {
        kxgdi::BITMAPINFOHEADER header;
        header.biSize = sizeof(header);
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = 32;
        header.biCompression = kxgdi::BI_RGB;
        void* memory = nullptr;
        bitmap = kxgdi::CreateDIBSection(nullptr, &header, &memory);
        bits = static_cast<std::uint32_t*>(memory);
        dc = kxgdi::CreateCompatibleDC(nullptr);
        stock = kxgdi::SelectObject(dc, bitmap);
    }
    ~SECTION()
    {
        kxgdi::SelectObject(dc, stock);
        kxgdi::DeleteObject(bitmap);
        kxgdi::DeleteDC(dc);
    }
    SECTION(const SECTION&) = delete;
    SECTION& operator=(const SECTION&) = delete;

    kxgdi::HDC dc = nullptr;
    kxgdi::HBITMAP bitmap = nullptr;
    std::uint32_t* bits = nullptr;

private:
    kxgdi::HBITMAP stock = nullptr;
};
