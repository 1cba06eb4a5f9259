// The private configuration directory that the program's static initialisation used, and a
// helper to remove a directory tree.
#ifndef QUILLOMAR_PRIVATE_SETTINGS_HOME_H
#define QUILLOMAR_PRIVATE_SETTINGS_HOME_H

const char *Private_Settings_Home();

bool Remove_Tree(const char *path); // rm -rf, without following symbolic links

#endif
