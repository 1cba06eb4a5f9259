// The part of the host's state that portable code reads.
#ifndef QUILLOMAR_HOSTSTATE_H
#define QUILLOMAR_HOSTSTATE_H

// True when the saver runs inside the display control panel's preview window; set once before
// the saver window is created.
extern bool PreviewMode;

// True on the Windows 95 family: the saver then verifies the password itself.
extern bool Windows9xPlatform;

#endif
