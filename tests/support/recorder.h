// How the fixture plug-ins report what is done to them: the test hands each library a
// recorder through its extra export "SetRecorder", and the modules write one event per
// call into it.
#pragma once

class KXRECORDER {
public:
    virtual void Record(const char* event) = 0;

protected:
    ~KXRECORDER() = default;
};

using KXSETRECORDERPROC = void (*)(KXRECORDER*);
