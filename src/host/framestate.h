// What the GL child's frames depend on besides the scene: whether they are paced, whether there
// is any area to draw into and anybody to see it, and F1's request for the web page. The host
// keeps the rest up to date from the system's notifications; the GL child reads it every paint.
//
// Its wait relies on one rule of the message queue: WM_PAINT is made only while no posted, sent
// or input message is waiting, so a paint may wait for its deadline on new messages alone.
#ifndef QUILLOMAR_FRAMESTATE_H
#define QUILLOMAR_FRAMESTATE_H

#ifndef _WIN32
#error "host/framestate.h is Windows-only"
#endif

#include <windows.h>

class CFrameState
{
public:
    static bool Paced;               // deadlines between frames; off only to measure pacing
    static bool HasArea;             // the GL child is at least one pixel wide and high
    static bool DisplayOff;          // the console's display is powered down
    static bool Locked;              // the session is locked
    static bool Disconnected;        // the session has neither the console nor a remote client
    static bool Rested;              // a rest began since the last frame was drawn
    static bool WebAddressRequested; // F1 full screen: the page opens once the saver has gone

    // Nobody can see a frame: the GL child draws none and waits for nothing but messages.
    static bool Resting();
    // While the saver window lives, the system tells it of the display's state and of the
    // session; on registration, of the display's present state.
    static void Register(HWND window);
    static void Unregister(HWND window);
    // A WM_POWERBROADCAST or WM_WTSSESSION_CHANGE; true when it began or ended a rest.
    static bool Take_Notification(UINT message, WPARAM wparam, LPARAM lparam);
    // Waits up to milliseconds for the next frame's deadline; false when a message came first
    // (input ends the saver at once). A pending WM_TIMER, starved by the paints, never wakes it.
    static bool Wait_For_Deadline(DWORD milliseconds);
    // Timed waits end on the system's timer tick, 15.6 ms unless raised: 1 ms while held.
    static void Hold_Timer_Resolution(bool hold);
};

#endif
