#include "kxnomemory.h"

#include "kxsysdlg.h"

#include <cstdio>

namespace {

bool telling = false;

} // namespace

void TellNoMemory()
{
    if (telling)
        return;
    telling = true;
    try {
        ShowError("There is not enough memory to finish that; the picture stays as it was.");
    } catch (const std::bad_alloc&) {
        std::fputs("Pelisk: there is not enough memory to finish that.\n", stderr);
    }
    telling = false;
}
