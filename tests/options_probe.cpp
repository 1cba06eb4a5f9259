// Starts like the saver does (static initialisation builds the options against the real store)
// and prints the five values it found, one line, for a test to read.
#include "options.h"

#include <cstdio>

int main()
{
    printf("ReleaseLogging=%u ShowFramerate=%u CurrentConfigureSheet=%d VersionMajor=%d "
           "VersionMinor=%d\n",
           unsigned(COptions::ReleaseLogging.Get_Value()),
           unsigned(COptions::ShowFramerate.Get_Value()),
           COptions::CurrentConfigureSheet.Get_Value(), COptions::VersionMajor.Get_Value(),
           COptions::VersionMinor.Get_Value());
    return 0;
}
