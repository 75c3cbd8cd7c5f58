// SpriteUnit: sprite creation, drawing with frame and loop ticks, erasing.
#include "sprites/SpriteUnit.h"

#include "pictures/ImageUnit.h"
#include "shell/QX_SDL.h"
#include "util/QXToolbox.h"

namespace zorbin {

TImage* DefaultTarget = nullptr;

TSprite::TSprite(int32_t x, int32_t y, TImage* image) { SetupSprite(x, y, image); }

void TSprite::SetupSprite(int32_t x, int32_t y, TImage* image) {
  X = x;
  Y = y;
  Image = image;
  Background = nullptr;
  Paused = false;
  Target = DefaultTarget ? DefaultTarget : QX_SDL::BackImage() ? QX_SDL::BackImage() : QX_SDL::ScreenImage();
  int width = image ? image->Width() : 0;
  if (image && image->Animated && image->FrameCount > 0) {
    Animated = true;
    FrameCount = image->FrameCount;
    FrameWidth = width / FrameCount;
    Frame = image->RandomStartFrame ? Random(FrameCount) : image->StartFrame;
    Looped = image->Looped;
    Paused = image->Paused;
    FrameDelay = image->FrameDelay;
    LoopDelay = image->LoopDelay;
    Backwards = false;
    FrameTick = -1;
    LoopTick = -1;
  } else {
    Animated = false;
    Frame = 0;
    FrameWidth = width;
  }
  Killed = false;
  AnimDone = false;
  Visible = true;
}

void TSprite::Draw() {
  if (Killed || !Visible || !Target) return;
  if (!Animated) {
    Target->Draw(X, Y, Image);
    return;
  }
  Target->DrawPart(X, Y, Frame * FrameWidth, 0, FrameWidth, Image ? Image->Height() : 0, Image);
  AdvanceFrame();
}

void TSprite::AdvanceFrame() {
  if (!Paused) FrameTick += 1;
  if (FrameTick != FrameDelay) return;
  FrameTick = -1;
  bool last = Backwards ? Frame <= 0 : Frame >= FrameCount - 1;
  if (!last) {
    Frame += Backwards ? -1 : 1;
    return;
  }
  if (!Looped) {
    AnimDone = true;
    return;
  }
  LoopTick += 1;
  if (LoopTick == LoopDelay) {
    Frame = Backwards ? FrameCount - 1 : 0;
    LoopTick = -1;
  }
}

void TSprite::Erase() {
  if (Killed || !Visible || !Target) return;
  int w = Animated ? FrameWidth : (Image ? Image->Width() : 0);
  int h = Image ? Image->Height() : 0;
  if (Background)
    Target->DrawPart(X, Y, X - BackX, Y - BackY, w, h, Background);
  else
    Target->FillRect(X, Y, w, h, 0, 0, 0);
}

void TSprite::MoveTo(int32_t x, int32_t y) {
  X = x;
  Y = y;
}

void TSprite::MoveBy(int32_t dx, int32_t dy) {
  X += dx;
  Y += dy;
}

void TSprite::SetImage(TImage* image) {
  Image = image;
  int width = image ? image->Width() : 0;
  // An image without a surface (or a zero frame width) gives no frames.
  FrameCount = FrameWidth > 0 ? width / FrameWidth : 0;
  if (Frame >= FrameCount) Frame = 0;
}

}  // namespace zorbin
