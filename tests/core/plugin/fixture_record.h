// The fixture plug-ins' side of the recorder: one per library, null until the test sets it.
#pragma once

#include "recorder.h"

#include "kxexport.h"
#include "kxstring.h"

inline KXRECORDER* recorder = nullptr;

KX_EXPORT void SetRecorder(KXRECORDER* newRecorder)
{
    recorder = newRecorder;
}

// Records "<module> <what>[ <detail>]".
inline void Record(const char* module, const char* what, const char* detail = nullptr)
{
    if (recorder == nullptr)
        return;
    KXSTRING event(module);
    event += ' ';
    event += what;
    if (detail != nullptr) {
        event += ' ';
        event += detail;
    }
    recorder->Record(event.GetText());
}
