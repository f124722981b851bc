// The viewer program. The library's memory-manager client is built while the program
// loads, before any of this runs.
#include "peliskapp.h"

int main(int argc, char** argv)
{
    return PeliskMain(argc, argv);
}
