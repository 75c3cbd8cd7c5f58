// WebPage: the browser build's side of the shell. The page's canvas shows
// each presented frame, and the page hands its key events in as SDL events.
// Only the browser build has it; the desktop build presents through SDL.
#pragma once

#ifdef __EMSCRIPTEN__

#include <SDL.h>

namespace zorbin {

// Chooses SDL's drivers that draw in memory and play nothing: the page shows
// the frames. Called before SDL starts.
void UseWebDrivers();
// Copies the screen surface to the page's canvas (as RGBA).
void ShowOnPage(SDL_Surface* screen);

}  // namespace zorbin

// Called by the page for every key going down (down = 1) or up (0); key is
// the SDL 1.2 key symbol the page chose for it.
extern "C" void zorbin_web_key(int key, int down);

#endif
