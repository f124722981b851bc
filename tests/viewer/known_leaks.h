// The leak checker's suppressions for the memory tests. When memory runs out in the middle
// of them, two constructors of the drawing layer leak what they had made: the window
// surface and the pen are made before their registration, which is what fails. They are
// faults of the layer, reported there; the viewer cannot free what it was never given.
// Nothing else is suppressed.
#pragma once

// The checker finds the function by its name: it is exported, as the build hides the rest.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:kxgdi::CreateWindowSurface\n"
           "leak:kxgdi::CreatePen\n";
}
