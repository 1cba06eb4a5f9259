// Calls Exit_If_Failed the way the saver's window set-up does, with the value given on the
// command line, and exits with 42 if it returned.
#include "twutility/twutility.h"

#include <cstdlib>

int main(int argc, char **argv)
{
    const int value = argc > 1 ? atoi(argv[1]) : 0;
    Exit_If_Failed(value, 0, "CreateWindow");
    return 42;
}
