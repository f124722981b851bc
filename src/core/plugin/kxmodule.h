// KXMODULE, the root of every plug-in module object, and KXRENDERER, the abstract
// renderer interface. A module is made and destroyed by the code of the plug-in that
// holds it and used by every other deliverable, so all of them are built from these
// declarations: the same fields and the same order of virtual operations.
#pragma once

#include "kxlibrary.h"
#include "kxobject.h"
#include "kxstring.h"

// The four kinds of module, compared byte for byte.
inline constexpr const char* KXKIND_IMAGELOADER = "Image Loader";
inline constexpr const char* KXKIND_OBJECTLOADER = "Object Loader";
inline constexpr const char* KXKIND_WORLDLOADER = "World Loader";
inline constexpr const char* KXKIND_RENDERER = "3D Renderer";

class KXMODULE : public KXOBJECT {
public:
    explicit KXMODULE(const char* className);
    // The one virtual destructor of the library: deleting a module through this class
    // runs the plug-in's own code, which made the object.
    virtual ~KXMODULE();
    KXMODULE(const KXMODULE&) = delete;
    KXMODULE& operator=(const KXMODULE&) = delete;

    // Gives up whatever the module holds; the base holds nothing.
    virtual void Release() {}

    // The display name, shown in the viewer's menus. Hides KXOBJECT::SetName: a module's
    // class name comes only from its constructor.
    void SetName(const KXSTRING& name) { displayName = name; }
    void SetKind(const KXSTRING& text) { kind = text; }
    void SetSupportedFiles(const KXSTRING& text) { supportedFiles = text; }
    const KXSTRING& GetDisplayName() const { return displayName; }
    const KXSTRING& GetKind() const { return kind; }
    const KXSTRING& GetSupportedFiles() const { return supportedFiles; }

    // The library the module came from, stored by the module manager.
    KXLIBRARY* GetHandlePtr() { return &handle; }
    void SetHandle(const KXLIBRARY* library) { handle = *library; }

private:
    KXLIBRARY handle = nullptr;
    KXSTRING displayName;
    KXSTRING kind;
    KXSTRING supportedFiles;
};

class KXHANDLE;
class KXOBJECT3D;
class KXWORLD;
class KXCAMERA;

// The renderer interface. Every renderer keeps exactly this order of operations; the
// world relies on the order in which it calls them (see KXWORLD).
class KXRENDERER : public KXMODULE {
public:
    explicit KXRENDERER(const char* className) : KXMODULE(className) {}

    // Frees everything Init made; safe before any Init and when called twice.
    void Release() override = 0;
    // Takes view as the drawing target, with the size and depth to render at.
    virtual bool Init(KXHANDLE* view, int width, int height, int bitsPerPixel, int flags) = 0;
    virtual bool SpareCheck() = 0;
    virtual bool AttachObject(KXOBJECT3D* object) = 0;
    virtual bool AttachWorld(KXWORLD* world) = 0;
    virtual void BeginRender() = 0;
    virtual void EndRender() = 0;
    // True when the renderer drew the whole world itself: the world then stops there.
    virtual bool Render(KXWORLD* world) = 0;
    virtual bool SpareBinary(int first, int second) = 0;
    virtual bool DrawObject(KXOBJECT3D* object, int flag) = 0;
    virtual bool SpareTernary(int first, int second, int third) = 0;
    virtual void SetCamera(KXCAMERA* camera) = 0;
    virtual bool DetachObject(KXOBJECT3D* object) = 0;
    virtual bool DetachWorld(KXWORLD* world) = 0;
    // Builds a scene of the renderer's own and renders it into the view given to Init.
    virtual bool RunDemo(int flag) = 0;

    // Non-zero asks the viewer for a larger view (800 by 600 instead of 256 by 256).
    void SetFastFlag(int flag) { fastFlag = flag; }
    int GetFastFlag() const { return fastFlag; }

private:
    // Every renderer class sets it in its own constructor.
    int fastFlag = 0;
};

// The exports of every plug-in library.
using KXCREATEMODPROC = KXMODULE* (*)();
using KXRELEASEMODPROC = void (*)(KXMODULE*);
