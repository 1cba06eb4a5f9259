// The private configuration directory that the program's static initialisation used, and the
// file helpers of the programs that look into it.
#ifndef QUILLOMAR_PRIVATE_SETTINGS_HOME_H
#define QUILLOMAR_PRIVATE_SETTINGS_HOME_H

#include <string>

const char *Private_Settings_Home();

bool Remove_Tree(const char *path); // rm -rf, without following symbolic links

std::string Read_File(const std::string &path); // the whole file; empty when it cannot be read

#endif
