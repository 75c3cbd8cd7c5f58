// SpriteUnit: TSprite, the base of every moving or animated thing on a
// map — a screen position, an image (possibly a strip of animation frames)
// and a per-frame behaviour.
#pragma once

#include <cstdint>
#include <string>

namespace zorbin {

class TImage;

// Where sprites draw when nothing else is given; nullptr means the shell's
// back buffer.
extern TImage* DefaultTarget;

class TSprite {
 public:
  // The sprite does not own image.
  TSprite(int32_t x, int32_t y, TImage* image);
  virtual ~TSprite() = default;
  TSprite(const TSprite&) = delete;
  TSprite& operator=(const TSprite&) = delete;

  virtual void Move() {}
  virtual void Draw();
  virtual void Erase();
  virtual void MoveTo(int32_t x, int32_t y);
  virtual void MoveBy(int32_t dx, int32_t dy);
  virtual void Kill() { Killed = true; }
  virtual void Revive() { Killed = false; }
  // Replaces the image, keeping FrameWidth.
  void SetImage(TImage* image);
  // The constructor's set-up (target, position, frames, random start
  // frame), for objects that read their keys and load their image before
  // the sprite part can be set up.
  void SetupSprite(int32_t x, int32_t y, TImage* image);

  int32_t X = 0;
  int32_t Y = 0;
  int32_t BackX = 0;
  int32_t BackY = 0;
  int32_t FrameWidth = 0;
  int32_t FrameCount = 0;
  int32_t Frame = 0;
  int32_t FrameTick = -1;
  int32_t LoopTick = -1;
  int32_t FrameDelay = 0;
  int32_t LoopDelay = 0;
  int32_t ZOrder = 0;
  TImage* Image = nullptr;
  TImage* Background = nullptr;
  TImage* Target = nullptr;
  bool Killed = false;
  bool Animated = false;
  bool Looped = false;
  bool Paused = false;
  bool Visible = true;
  bool AnimDone = false;
  bool Backwards = false;
  std::string Name;

 private:
  void AdvanceFrame();
};

}  // namespace zorbin
