// Calls across a deliverable's boundary: the exported entry points of a plug-in or of the
// memory manager, the virtual operations of the objects they hand out, and the calls the
// module manager makes into code that a plug-in brought. Each deliverable has its own copy
// of the library with its own exception types, and a plug-in may come from anywhere, so
// an exception that got across could neither be caught by type nor be trusted to end
// anything but the program. Whatever is thrown stops at the boundary and the call counts
// as failed: it gives its failure value (null, false) or, for an operation that returns
// nothing, does nothing more.
#pragma once

#include <utility>

// Runs call and returns what it gives, or failure when it throws.
template <class RESULT, class CALL> RESULT CallContained(RESULT failure, CALL&& call) noexcept
{
    try {
        return std::forward<CALL>(call)();
    } catch (...) {
        return failure;
    }
}

// Runs call; whatever it throws ends there.
template <class CALL> void CallContained(CALL&& call) noexcept
{
    try {
        std::forward<CALL>(call)();
    } catch (...) {
    }
}
