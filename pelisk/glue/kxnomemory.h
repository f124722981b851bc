// What the viewer does when memory runs out in its own code: the step that needed it
// stops where it was, the user is told, and the window goes on. The toolkit calls the
// viewer's handlers from code that cannot pass an exception on, so each place where the
// toolkit hands over (an event, a menu command, a button) runs its work contained.
#pragma once

#include <new>
#include <utility>

// Tells the user, in a "Pelisk error" box, that a step was not finished for want of
// memory. While one such box is open no other is shown, so that a window that cannot
// paint does not stack boxes over itself; when even the box cannot be had, one line goes
// to standard error.
void TellNoMemory();

// Runs work; when memory runs out in it, tells the user and returns false.
template <typename WORK> bool RunContained(WORK&& work) noexcept
{
    try {
        std::forward<WORK>(work)();
        return true;
    } catch (const std::bad_alloc&) {
        TellNoMemory();
        return false;
    }
}
