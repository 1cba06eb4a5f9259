#include "options.h"

#include "twutility/twutility.h"
#include "version.h"

#define OPTIONS_LOCATION "Software\\Tarnwick\\Quillomar"

// Construction order is definition order within this file: it is also the order of the first
// writes to the store.
CRegistryBool COptions::ReleaseLogging(OPTIONS_LOCATION, "ReleaseLogging", false);
CRegistryBool COptions::ShowFramerate(OPTIONS_LOCATION, "ShowFramerate", false);
CRegistryInt COptions::CurrentConfigureSheet(OPTIONS_LOCATION, "CurrentConfigureSheet", 0);
CRegistryInt COptions::VersionMajor(OPTIONS_LOCATION, "VersionMajor", QUILLOMAR_VERSION_MAJOR);
CRegistryInt COptions::VersionMinor(OPTIONS_LOCATION, "VersionMinor", QUILLOMAR_VERSION_MINOR);

void COptions::Dump_To_Logfile()
{
    Log_Printf("COptions::Dump_To_Logfile:\n");
    Log_Printf("  ReleaseLogging:             %d\n", ReleaseLogging.Get_Value() == 1 ? 1 : 0);
    Log_Printf("  ShowFramerate:              %d\n", ShowFramerate.Get_Value() == 1 ? 1 : 0);
    Log_Printf("  CurrentConfigureSheet:      %d\n", CurrentConfigureSheet.Get_Value());
    Log_Printf("  VersionMajor:               %d\n", VersionMajor.Get_Value());
    Log_Printf("  VersionMinor:               %d\n", VersionMinor.Get_Value());
}
