// KXLOADERMODULE, the base of every file loader module: a module that names a file
// filter and an extension, tells whether it supports a file, and loads or saves the
// object that owns a loader set.
#pragma once

#include "kxmodule.h"

class KXLOADERSET;

class KXLOADERMODULE : public KXMODULE {
public:
    explicit KXLOADERMODULE(const char* className) : KXMODULE(className) {}
    ~KXLOADERMODULE() override = default;

    // True when the path's last extension, lower-cased, is the module's extension. A '.'
    // that begins the path does not start an extension.
    virtual bool SupportsExtension(const char* path);
    // Reads the file at path into the object that owns target (a picture for an image
    // loader); true when it did.
    virtual bool Load(KXLOADERSET* target, const char* path) = 0;
    // Writes the object that owns target into the file at path; true when it did.
    virtual bool Save(KXLOADERSET* target, const char* path) = 0;

    void SetFilterName(const char* text) { filterName = text; }
    // Kept in lower case, so that it matches extensions of any case.
    void SetExtension(const char* text);
    const KXSTRING& GetFilterName() const { return filterName; }
    const KXSTRING& GetExtension() const { return extension; }

private:
    KXSTRING filterName;
    KXSTRING extension;
};
