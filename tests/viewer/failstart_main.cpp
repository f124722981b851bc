// The viewer program with its own code's allocations failing, for the test of a start that
// runs out of memory: from the one PELISK_FAIL_AT names, counted from the start, on.
#include "failnth.h"

#include "peliskapp.h"

#include <cstdlib>

int main(int argc, char** argv)
{
    const char* at = std::getenv("PELISK_FAIL_AT");
    const FAILNTH failing(at != nullptr ? std::atoi(at) : 0, true, FAILWHERE::OWNCODE);
    return PeliskMain(argc, argv);
}
