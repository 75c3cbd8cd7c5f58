// ObjectView: objects, paths, the chosen object's outline and panel, and
// the palette of types.
#include "editor/ObjectView.h"

#include "editor/EditPaint.h"
#include "editor/EditView.h"
#include "editor/ObjectKinds.h"
#include "editor/ObjectTool.h"
#include "game/ZORBPlay1MapUnit.h"
#include "pictures/ImageUnit.h"
#include "shell/QX_SDL.h"
#include "sprites/ZORBSpriteUnit.h"
#include "util/QXToolbox.h"

#include <algorithm>
#include <cstdlib>

namespace zorbin {

namespace {

constexpr int kCell = 16;
constexpr int kLeft = TPlay1Map::kPlayLeft;
constexpr int kTop = TPlay1Map::kPlayTop;
// Where the game draws the lamps of the slot, in play-area pixels.
constexpr int kLampsTop = 336;
constexpr int kLampPitch = 32;
// The swirl sits this far inside a port's frame.
constexpr int kSwirlInset = 14;

// A text cut to the panel's width, ".." showing the cut.
std::string Shortened(const std::string& text) {
  constexpr size_t kFits = size_t(TObjectPanel::kWidth - 8) / 6;
  return text.size() > kFits ? text.substr(0, kFits - 2) + ".." : text;
}

// Whether a part's rectangle reaches into the play area: one far outside
// is not drawn at all (its corner would not fit the drawing's 16 bits).
bool OnPlayArea(const TShownPart& part) {
  return part.X < TPlay1Map::kPlayWidth && part.Y < TPlay1Map::kPlayHeight && part.X + part.Width > 0 &&
         part.Y + part.Height > 0;
}

void DrawFrame(const TImage* picture, int x, int y) {
  QX_SDL::DrawImagePart(int16_t(x), int16_t(y), 0, 0, int16_t(picture->FrameWidth()), int16_t(picture->Height()),
                        picture);
}

}  // namespace

TObjectView::TObjectView(const TEditText& text) : text_(text) {}

TObjectView::~TObjectView() = default;

const TImage* TObjectView::Picture(const std::string& name) const {
  if (name.empty()) return nullptr;
  auto at = pictures_.find(name);
  if (at != pictures_.end()) return at->second.get();
  std::unique_ptr<TImage> picture = TryLoadObjectImage(name);
  // Black is transparent in every object's picture.
  if (picture) {
    picture->ColorKeyed = true;
    picture->ApplyColorKey();
  }
  return (pictures_[name] = std::move(picture)).get();
}

bool TObjectView::PictureSize(const std::string& name, int& width, int& height) const {
  const TImage* picture = Picture(name);
  if (!picture || picture->FrameWidth() <= 0) return false;
  width = picture->FrameWidth();
  height = picture->Height();
  return true;
}

void TObjectView::DrawObjects(const TObjectTool& tool) const {
  TPlayAreaClip clip;
  const std::vector<TShownObject>& objects = tool.Layer().Objects();
  for (const TShownObject& object : objects) {
    for (const TShownPart& part : object.Parts)
      if (part.Part >= 0 && OnPlayArea(part)) DrawPart(object, part);
    DrawPath(object);
  }
  if (tool.Selected() < 0) return;
  const TShownObject& chosen = objects[size_t(tool.Selected())];
  for (const TShownPart& part : chosen.Parts)
    if (OnPlayArea(part))
      EditOutline(kLeft + part.X - 1, kTop + part.Y - 1, part.Width + 2, part.Height + 2, 255, 220, 0);
  const TShownPart& first = chosen.Parts.front();
  if (OnPlayArea(first))
    text_.Label(Shortened("[" + chosen.Section + "]"), kLeft + first.X, kTop + first.Y - TEditText::kLineHeight - 1);
}

void TObjectView::DrawPart(const TShownObject& object, const TShownPart& part) const {
  int x = kLeft + part.X, y = kTop + part.Y;
  TPartShape shape = object.Kind ? object.Kind->Parts[size_t(part.Part)].Shape : TPartShape::Frame;
  const TImage* picture = Picture(part.Picture);
  if (shape == TPartShape::Slot) {
    EditOutline(x, y, part.Width, part.Height, 255, 255, 96);
    EditOutline(x + 1, y + 1, part.Width - 2, part.Height - 2, 255, 255, 96);
    for (int k = 0; picture && k < 3; ++k) DrawFrame(picture, x + kLampPitch * k, kTop + kLampsTop);
    return;
  }
  if (shape == TPartShape::Bounds) {
    EditOutline(x, y, part.Width, part.Height, 64, 224, 255);
    text_.Label(object.Kind->Label, x + 1, y + 1);
    return;
  }
  if (!picture) {
    EditOutline(x, y, part.Width, part.Height, 255, 64, 255);
    const std::string& label = object.Kind ? object.Kind->Parts[size_t(part.Part)].Label : std::string();
    text_.Label(label.empty() ? (object.Kind ? object.Kind->Label : object.Type) : label, x + 1, y + 1);
    return;
  }
  int w = picture->FrameWidth(), h = picture->Height();
  if (shape == TPartShape::Figure) {
    // The figure facing right: the second row of its pictures.
    QX_SDL::DrawImagePart(int16_t(x), int16_t(y), 0, int16_t(h >= 64 ? 32 : 0), 16, int16_t(std::min(h, 32)), picture);
  } else if (shape == TPartShape::Bridge) {
    for (int left = 0; left < part.Count * kCell; left += w)
      QX_SDL::DrawImagePart(int16_t(x + left), int16_t(y), 0, 0, int16_t(std::min(w, part.Count * kCell - left)),
                            int16_t(h), picture);
  } else {
    if (const TImage* swirl = shape == TPartShape::Port ? Picture(part.Extra) : nullptr)
      DrawFrame(swirl, x + kSwirlInset, y + kSwirlInset);
    DrawFrame(picture, x, y);
    // The game prints a port's level into its frame; the editor labels it.
    if (shape == TPartShape::Port) text_.Label(IntToStr(part.Count), x + 2, y + 2);
  }
}

// The legs as dotted lines from the mover's corner, each point a square.
void TObjectView::DrawPath(const TShownObject& object) const {
  if (!object.Kind || !object.Kind->HasPath || object.Parts.empty()) return;
  constexpr int r = TObjectLayer::kPointReach;
  // A dot every few pixels, at most this many on a leg.
  constexpr int64_t kMaxDots = 1024;
  int64_t px = object.Parts.front().X, py = object.Parts.front().Y;
  for (const TShownPart& point : object.Parts) {
    if (point.Part >= 0) continue;
    int64_t qx = point.X + r, qy = point.Y + r;
    int64_t dots = std::min(kMaxDots, std::max(std::abs(qx - px), std::abs(qy - py)) / 3);
    for (int64_t i = 0; i < dots; ++i) {
      int64_t x = px + (qx - px) * i / dots, y = py + (qy - py) * i / dots;
      if (x >= 0 && y >= 0 && x < TPlay1Map::kPlayWidth && y < TPlay1Map::kPlayHeight)
        EditFill(kLeft + int(x), kTop + int(y), 2, 2, 64, 224, 255);
    }
    if (OnPlayArea(point)) EditOutline(kLeft + point.X, kTop + point.Y, point.Width, point.Height, 64, 224, 255);
    px = qx, py = qy;
  }
}

void TObjectView::DrawPanel(const TObjectTool& tool) const {
  const TObjectPanel& panel = tool.Panel();
  if (!panel.Visible()) return;
  int x = panel.Left(), y = panel.Top();
  EditFill(x, y, TObjectPanel::kWidth, panel.Height(), 0, 0, 0);
  EditOutline(x, y, TObjectPanel::kWidth, panel.Height(), 255, 220, 0);
  text_.White(Shortened(panel.Title()), x + 4, y + 3);
  for (size_t i = 0; i < panel.Rows().size(); ++i) {
    const TObjectPanel::TRow& row = panel.Rows()[i];
    int rowY = y + 3 + TObjectPanel::kRowHeight * int(i + 1);
    if (int(i) != panel.Chosen()) {
      text_.White(Shortened("  " + row.Key + "=" + (row.Value.empty() ? "(default)" : row.Value)), x + 4, rowY);
      continue;
    }
    std::string value = tool.Typing() ? tool.Entry().Text() + "_" : row.Value;
    text_.Yellow(Shortened("> " + row.Key + "=" + value), x + 4, rowY);
  }
}

void TObjectView::DrawTypePalette(const TObjectTool& tool) const {
  const std::vector<const TEditorKind*>& kinds = PlaceableKinds();
  for (size_t i = 0; i < kinds.size(); ++i) {
    int x = TEditView::kPaletteLeft + kTypePitch * int(i), y = TEditView::kPaletteTop;
    EditFill(x, y, kTypeWidth, kCell, 0, 0, 0);
    if (int(i) == tool.ChosenKind())
      EditOutline(x - 2, y - 2, kTypeWidth + 4, kCell + 4, 255, 220, 0);
    else
      EditOutline(x - 1, y - 1, kTypeWidth + 2, kCell + 2, 96, 90, 84);
    text_.White(kinds[i]->Label, x + kTypeWidth / 2, y + 4, true);
  }
}

int TObjectView::TypeEntryAt(int x, int y) {
  int left = TEditView::kPaletteLeft, top = TEditView::kPaletteTop;
  if (y < top || y >= top + kCell || x < left) return -1;
  int slot = (x - left) / kTypePitch;
  if ((x - left) % kTypePitch >= kTypeWidth) return -1;
  return slot < int(PlaceableKinds().size()) ? slot : -1;
}

}  // namespace zorbin
