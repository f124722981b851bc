// Marks the plain functions that a deliverable exports: everything else of it stays
// hidden, so each deliverable keeps its own copy of the library and its globals.
#pragma once

#define KX_EXPORT extern "C" __attribute__((visibility("default")))
