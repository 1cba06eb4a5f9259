// The program's persistent settings, all in the current user's key
// "Software\Tarnwick\Quillomar". Static initialisation constructs them before main, in the
// order declared here, so every start reads each one and writes it straight back.
#ifndef QUILLOMAR_OPTIONS_H
#define QUILLOMAR_OPTIONS_H

#include "twutility/registrybool.h"
#include "twutility/registryint.h"

class COptions
{
public:
    // Yes/no options count as set only when Get_Value() == 1.
    static CRegistryBool ReleaseLogging;       // logging switch of the start-up log; initially 0
    static CRegistryBool ShowFramerate;        // full-screen frame-rate overlay; initially 0
    static CRegistryInt CurrentConfigureSheet; // page last shown: 0 Introduction, 1 Credits
    static CRegistryInt VersionMajor;          // shown as "Version %d.%d"; initially the
    static CRegistryInt VersionMinor;          // release's (version.h)

    static void Dump_To_Logfile();
};

#endif
