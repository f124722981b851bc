// A renderer inside the test program that records, in order, every call made on it
// with the object it was given, so a test can prove what a scene object asks of its
// renderer and when.
#pragma once

#include "kxmodule.h"

#include <string>
#include <vector>

class RECORDINGRENDERER final : public KXRENDERER {
public:
    struct CALL {
        std::string what;
        const void* object;
        int flag;
        bool operator==(const CALL&) const = default;
    };

    RECORDINGRENDERER() : KXRENDERER("RECORDINGRENDERER") { SetFastFlag(0); }

    // What DrawObject and Render answer.
    bool drawAnswer = true;
    bool renderAnswer = false;
    std::vector<CALL> calls;

    void Release() override { Note("Release"); }
    bool Init(KXHANDLE*, int, int, int, int) override { return Note("Init"); }
    bool SpareCheck() override { return Note("SpareCheck"); }
    bool AttachObject(KXOBJECT3D* o) override { return Note("AttachObject", o); }
    bool AttachWorld(KXWORLD* w) override { return Note("AttachWorld", w); }
    void BeginRender() override { Note("BeginRender"); }
    void EndRender() override { Note("EndRender"); }
    bool Render(KXWORLD* w) override { return Note("Render", w) && renderAnswer; }
    bool SpareBinary(int, int) override { return Note("SpareBinary"); }
    bool DrawObject(KXOBJECT3D* o, int flag) override
    {
        return Note("DrawObject", o, flag) && drawAnswer;
    }
    bool SpareTernary(int, int, int) override { return Note("SpareTernary"); }
    void SetCamera(KXCAMERA* c) override { Note("SetCamera", c); }
    bool DetachObject(KXOBJECT3D* o) override { return Note("DetachObject", o); }
    bool DetachWorld(KXWORLD* w) override { return Note("DetachWorld", w); }
    bool RunDemo(int flag) override { return Note("RunDemo", nullptr, flag); }

private:
    bool Note(const char* what, const void* object = nullptr, int flag = 0)
    {
        calls.push_back({what, object, flag});
        return true;
    }
};
