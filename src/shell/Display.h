// Display: the window and the frame the game draws. It owns the back buffer
// that all drawing goes to, the images wrapping it and the screen, and the
// clickable screen objects; it presents the frame at the frame timer's pace
// (1:1, or scaled for the player) and serves the player's fullscreen,
// screenshot and pause keys. One display per process; it is open between
// Open and Close, and its observers, presentation and timer outlast both.
#pragma once

#include "shell/FrameTimer.h"
#include "shell/MouseObjects.h"
#include "shell/Observers.h"
#include "shell/Presentation.h"

#include <SDL.h>

#include <cstdint>
#include <memory>

namespace zorbin {

class TImage;

class TDisplay final {
 public:
  TDisplay();
  ~TDisplay();
  TDisplay(const TDisplay&) = delete;
  TDisplay& operator=(const TDisplay&) = delete;

  // How the next Open shows the frame.
  void SetPresentation(const TPresentation& presentation) { presentation_ = presentation; }
  // Starts SDL's video, opens the window and creates the back buffer of
  // width x height; logs and ends the process with exit code 1 when any of
  // it fails. Options are SDL's video flags.
  void Open(uint16_t width, uint16_t height, uint16_t depth, uint32_t options);
  // Frees the images and the screen objects. The caller quits SDL after,
  // which frees the screen surface: that one is SDL's own.
  void Close();
  bool IsOpen() const { return screen_ && backImage_; }

  SDL_Surface* Screen() const { return screen_; }
  SDL_Surface* BackBuffer() const;
  TImage* ScreenImage() const { return screenImage_.get(); }
  // The image drawing goes to: the back buffer, or the image SetDrawTarget
  // gave.
  TImage* BackImage() const { return drawTarget_ ? drawTarget_ : backImage_.get(); }
  // Drawing goes to image instead of the back buffer until nullptr is set,
  // so that tests draw without a window. The image is not owned.
  void SetDrawTarget(TImage* image) { drawTarget_ = image; }
  TMouseObjects* MouseObjects() const { return mouseObjects_.get(); }
  // The size of the frame the game draws.
  uint32_t Width() const { return width_; }
  uint32_t Height() const { return height_; }
  TFrameTimer& Timer() { return timer_; }

  // Shows the back buffer once the frame period is over, counts the frame
  // and tells the after-flip observers. Without a window only the pacing
  // and the count remain.
  void Flip();
  // The player's own keys and the window's focus; true when the event is
  // used up here.
  bool HandlePlayerEvent(const SDL_Event& event);
  // Mouse positions on a scaled screen become frame pixels.
  void MapMouseToFrame(SDL_Event& event) const;
  bool Paused() const { return paused_; }
  // Saves the frame when the player asked for it since the last time.
  void ServeScreenshot();
  // The frame dimmed and labelled, for as long as the game is paused.
  void ShowPaused();
  // The frame as it is, again.
  void ShowFrame();

  TObserverList<>& AfterFlip() { return afterFlip_; }
  // Told the new state after the player switched fullscreen.
  TObserverList<bool>& FullscreenChanged() { return fullscreenChanged_; }

 private:
  TLayout ChosenLayout(bool fullscreen) const;
  SDL_Surface* SetMode(const TLayout& layout, bool fullscreen);
  void Present(SDL_Surface* frame);
  void ToggleFullscreen();
  void TakeScreenshot();

  TPresentation presentation_;
  TFrameTimer timer_;
  TImage* drawTarget_ = nullptr;
  TObserverList<> afterFlip_;
  TObserverList<bool> fullscreenChanged_;

  // The open window. The layout says where the frame lies on the screen; it
  // is scaled only when it is not 1:1 at the origin. The desktop's size is
  // the one before the first mode was set.
  SDL_Surface* screen_ = nullptr;
  std::unique_ptr<TImage> screenImage_;
  std::unique_ptr<TImage> backImage_;  // owns the back buffer
  std::unique_ptr<TMouseObjects> mouseObjects_;
  uint32_t width_ = 0;
  uint32_t height_ = 0;
  uint32_t depth_ = 0;
  uint32_t videoOptions_ = 0;
  int desktopWidth_ = 0;
  int desktopHeight_ = 0;
  TLayout layout_;
  bool scaled_ = false;
  bool fullscreen_ = false;
  // The player's state and requests that wait for the next Flip.
  bool hadFocus_ = false;
  bool paused_ = false;
  bool pausedByFocus_ = false;
  bool screenshotWanted_ = false;
};

}  // namespace zorbin
