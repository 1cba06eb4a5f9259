// Win32 test programs that link the real registry: the process's current-user key is a scratch
// key below the real one from before static initialisation (which builds the options) to exit,
// so no test touches the saver's own settings, nor another test program's.
#ifndef QUILLOMAR_SCRATCH_CURRENT_USER_H
#define QUILLOMAR_SCRATCH_CURRENT_USER_H

#include <string>

// Below the real HKEY_CURRENT_USER: the key that stands in for it in this process.
const std::string &Process_Scratch_Path();

#endif
