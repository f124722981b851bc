// KXTEXTURE, a picture under a class name of its own that can read itself from a file
// through its image loaders.
#pragma once

#include "kxpicture.h"

class KXTEXTURE : public KXPICTURE {
public:
    // With a file name, the first image loader that supports it and reads it fills the
    // texture; a file that no loader reads leaves it empty, and nothing reports which.
    explicit KXTEXTURE(const char* fileName = nullptr);
    ~KXTEXTURE() { Release(); }

    // A texture holds nothing beyond its picture, which frees itself.
    void Release() {}
};
