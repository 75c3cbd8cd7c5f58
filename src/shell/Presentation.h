// Presentation: how the fixed-size frame the game draws is shown on a
// bigger screen. Whole-number scales only, nearest neighbour, so pixels
// stay sharp; the frame is centred and the rest of the screen stays black.
#pragma once

#include <SDL.h>

namespace zorbin {

// How the player wants the frame shown. The default shows the frame 1:1 in
// a window of its size, without player keys.
struct TPresentation {
  int Scale = 1;  // 0 picks the largest that fits the desktop
  bool Fullscreen = false;
  // Alt+Enter and F11 (fullscreen), F12 (screenshot), P (pause).
  bool PlayerKeys = false;
  // With PlayerKeys: losing the window's focus, after having had it, pauses.
  bool PauseOnFocusLoss = true;
};

// Where the frame goes on the screen: the screen's size, the scale, and the
// frame's top-left corner on it.
struct TLayout {
  int ScreenWidth = 0;
  int ScreenHeight = 0;
  int Scale = 1;
  int OffsetX = 0;
  int OffsetY = 0;
};

// Room a desktop keeps for window borders, title bar and panels.
constexpr int kBorderRoomX = 32;
constexpr int kBorderRoomY = 96;
constexpr int kMaxWindowScale = 4;

// A window of scale x the frame (scale below 1 counts as 1).
TLayout WindowLayout(int scale, int frameWidth, int frameHeight);
// The largest window scale, up to kMaxWindowScale, whose window and its
// borders fit the desktop; 1 when none does or the desktop is unknown (0).
int AutoScale(int desktopWidth, int desktopHeight, int frameWidth, int frameHeight);
// A screen of the desktop's size with the largest whole scale that fits,
// centred; a desktop smaller than the frame (or unknown) gets the frame's size.
TLayout FullscreenLayout(int desktopWidth, int desktopHeight, int frameWidth, int frameHeight);
// A screen position as a frame position, clamped to the frame.
void ScreenToFrame(const TLayout& layout, int frameWidth, int frameHeight, int& x, int& y);

// Copies frame into screen at layout's place and scale. Both surfaces must
// share one pixel format; false (nothing drawn) when they do not.
bool PresentScaled(SDL_Surface* frame, SDL_Surface* screen, const TLayout& layout);
// Halves every colour channel of a 32-bit surface in place.
void DimSurface(SDL_Surface* surface);
// Writes "Paused" in big block letters, centred, in white.
void DrawPausedLabel(SDL_Surface* surface);

}  // namespace zorbin
