// The leak checker's suppressions for the memory tests. When memory runs out in the middle
// of them, three constructors outside the viewer leak what they had made: the drawing
// layer's window surface and pen (the object is made before its registration, which is
// what fails) and the library's matrix (the rows made before the one that fails). They
// are faults of their own parts, reported there; the viewer cannot free what it was never
// given. Nothing else is suppressed.
#pragma once

// The checker finds the function by its name: it is exported, as the build hides the rest.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:kxgdi::CreateWindowSurface\n"
           "leak:kxgdi::CreatePen\n"
           "leak:KXMATRIX::KXMATRIX\n";
}
