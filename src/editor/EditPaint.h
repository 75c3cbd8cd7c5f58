// EditPaint: the editor's drawing on the shell's drawing surface: outlines,
// filled boxes, a clip to the play area, and texts in the game's raster
// font in white and yellow, which read well on black.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct SDL_Surface;

namespace zorbin {

class TImage;
class TQXRFont;

// The shell's drawing surface; nullptr while there is none.
TImage* EditTarget();
void EditOutline(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b);
void EditFill(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b);

// While it lives, drawing reaches the play area only, as in the game.
class TPlayAreaClip final {
 public:
  TPlayAreaClip();
  ~TPlayAreaClip();
  TPlayAreaClip(const TPlayAreaClip&) = delete;
  TPlayAreaClip& operator=(const TPlayAreaClip&) = delete;

 private:
  SDL_Surface* surface_ = nullptr;
};

class TEditText final {
 public:
  static constexpr int kLineHeight = 11;

  // Loads the font from the data root; without it no text is drawn.
  TEditText();
  ~TEditText();
  TEditText(const TEditText&) = delete;
  TEditText& operator=(const TEditText&) = delete;

  void White(const std::string& text, int x, int y, bool centred = false) const;
  void Yellow(const std::string& text, int x, int y) const;
  // White on a black box.
  void Label(const std::string& text, int x, int y) const;
  // The width one more character takes.
  int CharWidth() const;

 private:
  std::unique_ptr<TQXRFont> white_;
  std::unique_ptr<TQXRFont> yellow_;
};

}  // namespace zorbin
