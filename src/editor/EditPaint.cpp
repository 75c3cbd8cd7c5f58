// EditPaint: outlines, boxes, the play-area clip and the editor's texts.
#include "editor/EditPaint.h"

#include "game/ZORBPlay1MapUnit.h"
#include "pictures/ImageUnit.h"
#include "pictures/QXFonts.h"
#include "shell/QX_SDL.h"

#include <exception>

namespace zorbin {

namespace {

constexpr int kAlignLeft = 0;
constexpr int kAlignCentre = 1;

std::unique_ptr<TQXRFont> LoadFont(uint8_t r, uint8_t g, uint8_t b) {
  std::unique_ptr<TQXRFont> font;
  try {
    font = std::make_unique<TQXRFont>("\\npi69.qxr");
  } catch (const std::exception&) {
    return nullptr;
  }
  font->SetColorKey(0, 0, 0);
  font->SetColor(r, g, b);
  return font;
}

}  // namespace

TImage* EditTarget() { return QX_SDL::BackImage(); }

void EditOutline(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  if (TImage* target = EditTarget()) target->Rectangle(x, y, w, h, r, g, b);
}

void EditFill(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  if (TImage* target = EditTarget()) target->FillRect(x, y, w, h, r, g, b);
}

TPlayAreaClip::TPlayAreaClip() {
  TImage* target = EditTarget();
  if (!target || !target->Surface) return;
  surface_ = target->Surface;
  SDL_Rect area{int16_t(TPlay1Map::kPlayLeft), int16_t(TPlay1Map::kPlayTop), uint16_t(TPlay1Map::kPlayWidth),
                uint16_t(TPlay1Map::kPlayHeight)};
  SDL_SetClipRect(surface_, &area);
}

TPlayAreaClip::~TPlayAreaClip() {
  if (surface_) SDL_SetClipRect(surface_, nullptr);
}

TEditText::TEditText() : white_(LoadFont(255, 255, 255)), yellow_(LoadFont(255, 224, 64)) {}

TEditText::~TEditText() = default;

void TEditText::White(const std::string& text, int x, int y, bool centred) const {
  if (white_) white_->TextOutOn(EditTarget(), text, x, y, centred ? kAlignCentre : kAlignLeft);
}

void TEditText::Yellow(const std::string& text, int x, int y) const {
  if (yellow_) yellow_->TextOutOn(EditTarget(), text, x, y, kAlignLeft);
}

void TEditText::Label(const std::string& text, int x, int y) const {
  if (!white_ || text.empty()) return;
  EditFill(x - 1, y - 1, white_->TextWidth(text) + 3, kLineHeight, 0, 0, 0);
  White(text, x, y);
}

int TEditText::CharWidth() const { return white_ ? std::max(1, white_->TextWidth("MM") - white_->TextWidth("M")) : 6; }

}  // namespace zorbin
