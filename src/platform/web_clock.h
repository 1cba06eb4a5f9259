// What the web host may do with the web platform's clocks (platform_web.cpp) beyond
// platform.h: both clocks count the saver's own time, which stands still while the page is
// hidden and, in a still picture's run, moves only by whole frames.
#ifndef QUILLOMAR_PLATFORM_WEB_CLOCK_H
#define QUILLOMAR_PLATFORM_WEB_CLOCK_H

#ifndef __EMSCRIPTEN__
#error "the web clock is for the browser build only"
#endif

namespace Platform
{

// While stopped, Read_Counter and Milliseconds keep the reading they had when it stopped.
void Stop_Clock();
void Start_Clock();

// From now on the clocks read the time of frame number frame at frames_per_second from the
// start, and move only when this is called again: a run of whole frames, as the frame tool's
// fake clocks make one.
void Set_Clock_Frame(long frame, double frames_per_second);

} // namespace Platform

#endif
