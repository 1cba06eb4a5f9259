// Win32 test programs that link the real registry: the process's current-user key is a scratch
// key from before static initialisation (which builds the options) to exit, so no test touches
// the saver's own key by accident.
#ifndef QUILLOMAR_SCRATCH_CURRENT_USER_H
#define QUILLOMAR_SCRATCH_CURRENT_USER_H

#include <windows.h>

#include <string>

// A program started with this environment variable set to a path below the real
// HKEY_CURRENT_USER uses that key (created when missing) and leaves it for the test that chose
// it.
#define CHOSEN_CURRENT_USER_VARIABLE "QUILLOMAR_TEST_CURRENT_USER"

// Below the real HKEY_CURRENT_USER: the scratch key that stands in for it in this process.
const std::string &Process_Scratch_Path();

// Makes the key at path below the real HKEY_CURRENT_USER the process's current-user key;
// an empty path goes back to the process's scratch key.
void Redirect_Current_User(const std::string &path);

// A new key below the real HKEY_CURRENT_USER, unique to this process, for one test; it goes
// with the process's key at exit.
std::string New_Scratch_Path(const char *purpose);

void Delete_Below_Real_Current_User(const std::string &path);

#endif
