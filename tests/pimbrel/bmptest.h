// What the bitmap loader's tests share: reading a picture the way the viewer shows it,
// and comparing it with an independent decoding.
#pragma once

#include "kxpicture.h"

#include <QImage>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file);

// The picture converted as the viewer converts it after every load (blue, green, red,
// alpha bytes), as an image with its top row first.
QImage Displayed(KXPICTURE& picture);

// The largest difference of any red, green or blue channel between the two images; -1
// when their sizes differ.
int LargestDifference(const QImage& ours, const QImage& reference);
