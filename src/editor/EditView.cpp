// EditView: the editor's frame: map, objects, panel, palette, status lines.
#include "editor/EditView.h"

#include "editor/EditModel.h"
#include "editor/ObjectKinds.h"
#include "editor/ObjectTool.h"
#include "formats/XMapUnit.h"
#include "game/ZORBPlay1MapUnit.h"
#include "pictures/ImageCollectionUnit.h"
#include "pictures/ImageUnit.h"
#include "pictures/QXFonts.h"
#include "shell/QX_SDL.h"
#include "sprites/ZORBSpriteUnit.h"
#include "storage/QXStream.h"
#include "util/QXToolbox.h"

#include <algorithm>
#include <cstdlib>
#include <exception>

namespace zorbin {

namespace {

constexpr int kCell = 16;
constexpr int kLeft = TPlay1Map::kPlayLeft;
constexpr int kTop = TPlay1Map::kPlayTop;
constexpr int kAlignLeft = 0;
constexpr int kAlignCentre = 1;
// Where the game draws the lamps of the slot, in play-area pixels.
constexpr int kLampsTop = 336;
constexpr int kLampPitch = 32;
// The swirl sits this far inside a port's frame.
constexpr int kSwirlInset = 14;
// The status lines: a black band, text from this left edge.
constexpr int kBandTop = TEditView::kStatusTop - 3;
constexpr int kTextLeft = 10;
constexpr int kTextWidth = 620;

// All drawing goes to the shell's drawing surface.
TImage* Target() { return QX_SDL::BackImage; }

void Outline(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  if (TImage* target = Target()) target->Rectangle(x, y, w, h, r, g, b);
}

void Fill(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  if (TImage* target = Target()) target->FillRect(x, y, w, h, r, g, b);
}

// Objects are drawn on the play area only, as in the game.
class TPlayAreaClip final {
 public:
  TPlayAreaClip() {
    if (!Target() || !Target()->Surface) return;
    surface_ = Target()->Surface;
    SDL_Rect area{int16_t(kLeft), int16_t(kTop), uint16_t(TPlay1Map::kPlayWidth), uint16_t(TPlay1Map::kPlayHeight)};
    SDL_SetClipRect(surface_, &area);
  }
  ~TPlayAreaClip() {
    if (surface_) SDL_SetClipRect(surface_, nullptr);
  }
  TPlayAreaClip(const TPlayAreaClip&) = delete;
  TPlayAreaClip& operator=(const TPlayAreaClip&) = delete;

 private:
  SDL_Surface* surface_ = nullptr;
};

// A text cut to the panel's width, ".." showing the cut.
std::string Shortened(const std::string& text) {
  constexpr size_t kFits = size_t(TObjectPanel::kWidth - 8) / 6;
  return text.size() > kFits ? text.substr(0, kFits - 2) + ".." : text;
}

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

TEditView::TEditView(const TEditModel& model, std::vector<std::string>& problems) {
  frame_ = std::make_unique<TImage>(640, 480);
  PaintMapFrame(*frame_);
  white_ = LoadFont(255, 255, 255);
  yellow_ = LoadFont(255, 224, 64);
  edited_.Bindings = ReadLayerBindings(model.Map().ExtraLines);
  LoadPictures(edited_, problems);
  // The further layers come from the folder as the set-up would read them.
  for (int n = 1;; ++n) {
    std::string name = MapLayerName(n);
    if (!StreamOpener->FileExists(name)) break;
    TLayer layer;
    layer.Map = std::make_unique<TXMap>();
    try {
      layer.Map->Load(name);
    } catch (const std::exception& e) {
      problems.push_back(name + ": " + e.what());
      break;
    }
    layer.Bindings = ReadLayerBindings(layer.Map->ExtraLines);
    LoadPictures(layer, problems);
    further_.push_back(std::move(layer));
  }
}

TEditView::~TEditView() = default;

void TEditView::LoadPictures(TLayer& layer, std::vector<std::string>& problems) {
  layer.Images = std::make_unique<TImageCollection>();
  for (const TLayerBinding& binding : layer.Bindings.Pictures) {
    try {
      layer.Images->Add(binding.Name, std::string(1, binding.Tile), nullptr);
    } catch (const std::exception& e) {
      problems.push_back(e.what());
    }
  }
  // The first binding of a character is the one the set-up finds.
  for (int c = 0; c < 256; ++c) {
    bool bound = std::any_of(layer.Bindings.Pictures.begin(), layer.Bindings.Pictures.end(),
                             [c](const TLayerBinding& binding) { return uint8_t(binding.Tile) == c; });
    if (bound && layer.Bindings.NeverDrawn.find(char(c)) == std::string::npos)
      layer.Pictures[size_t(c)] = layer.Images->FindImage(std::string(1, char(c)));
  }
}

const TImage* TEditView::Picture(const std::string& name) const {
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

bool TEditView::PictureSize(const std::string& name, int& width, int& height) const {
  const TImage* picture = Picture(name);
  if (!picture || picture->FrameWidth() <= 0) return false;
  width = picture->FrameWidth();
  height = picture->Height();
  return true;
}

void TEditView::Draw(const TEditModel& model, const TObjectTool& objects, const TEditViewState& state) const {
  QX_SDL::DrawImage(0, 0, frame_.get());
  DrawLayer(edited_, model.Map());
  for (const TLayer& layer : further_) DrawLayer(layer, *layer.Map);
  DrawObjectMarks(model.Map());
  DrawObjects(objects);
  if (state.ShowValues) DrawValues(model.Map());
  if (!state.ObjectsMode) {
    MarkCell(model.CursorCol(), model.CursorRow(), 255, 220, 0);
    if (model.InGrid(state.PointerCol, state.PointerRow)) MarkCell(state.PointerCol, state.PointerRow, 255, 255, 255);
    DrawPalette(model);
  } else {
    DrawPanel(objects);
    DrawTypePalette(objects);
  }
  DrawStatus(model, objects, state);
}

void TEditView::DrawLayer(const TLayer& layer, const TTileMap& map) {
  for (int x = 0; x < TPlay1Map::kColumns; ++x)
    for (int y = 0; y < TPlay1Map::kRows; ++y)
      if (const TImage* picture = layer.Pictures[size_t(map.GetRaw(x, y) & 0xFF)])
        QX_SDL::DrawImage(int16_t(kLeft + kCell * x), int16_t(kTop + kCell * y), picture);
}

void TEditView::DrawObjectMarks(const TTileMap& map) const {
  for (int x = 0; x < TPlay1Map::kColumns; ++x)
    for (int y = 0; y < TPlay1Map::kRows; ++y) {
      char c = char(map.GetRaw(x, y) & 0xFF);
      if (!edited_.Bindings.ObjectFor(c)) continue;
      Outline(kLeft + kCell * x, kTop + kCell * y, kCell, kCell, 255, 160, 0);
      if (white_)
        white_->TextOutOn(Target(), std::string(1, c), kLeft + kCell * x + kCell / 2, kTop + kCell * y + 3,
                          kAlignCentre);
    }
}

// Whether a part's rectangle reaches into the play area: one far outside
// is not drawn at all (its corner would not fit the drawing's 16 bits).
static bool PartOnPlayArea(const TShownPart& part) {
  return part.X < TPlay1Map::kPlayWidth && part.Y < TPlay1Map::kPlayHeight && part.X + part.Width > 0 &&
         part.Y + part.Height > 0;
}

void TEditView::DrawObjects(const TObjectTool& tool) const {
  TPlayAreaClip clip;
  const std::vector<TShownObject>& objects = tool.Layer().Objects();
  for (const TShownObject& object : objects) {
    for (const TShownPart& part : object.Parts)
      if (part.Part >= 0 && PartOnPlayArea(part)) DrawPart(object, part);
    DrawPath(object);
  }
  if (tool.Selected() < 0) return;
  const TShownObject& chosen = objects[size_t(tool.Selected())];
  for (const TShownPart& part : chosen.Parts)
    if (PartOnPlayArea(part))
      Outline(kLeft + part.X - 1, kTop + part.Y - 1, part.Width + 2, part.Height + 2, 255, 220, 0);
  const TShownPart& first = chosen.Parts.front();
  if (PartOnPlayArea(first))
    Label(Shortened("[" + chosen.Section + "]"), kLeft + first.X, kTop + first.Y - kLineHeight - 1);
}

void TEditView::DrawPart(const TShownObject& object, const TShownPart& part) const {
  int x = kLeft + part.X, y = kTop + part.Y;
  TPartShape shape = object.Kind ? object.Kind->Parts[size_t(part.Part)].Shape : TPartShape::Frame;
  const TImage* picture = Picture(part.Picture);
  if (shape == TPartShape::Slot) {
    Outline(x, y, part.Width, part.Height, 255, 200, 40);
    Outline(x + 1, y + 1, part.Width - 2, part.Height - 2, 255, 200, 40);
    for (int k = 0; picture && k < 3; ++k)
      QX_SDL::DrawImagePart(int16_t(x + kLampPitch * k), int16_t(kTop + kLampsTop), 0, 0,
                            int16_t(picture->FrameWidth()), int16_t(picture->Height()), picture);
    return;
  }
  if (shape == TPartShape::Bounds) {
    Outline(x, y, part.Width, part.Height, 64, 224, 255);
    Label(object.Kind->Label, x + 1, y + 1);
    return;
  }
  if (!picture) {
    Outline(x, y, part.Width, part.Height, 255, 64, 255);
    const std::string& label = object.Kind ? object.Kind->Parts[size_t(part.Part)].Label : std::string();
    Label(label.empty() ? (object.Kind ? object.Kind->Label : object.Type) : label, x + 1, y + 1);
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
      QX_SDL::DrawImagePart(int16_t(x + kSwirlInset), int16_t(y + kSwirlInset), 0, 0, int16_t(swirl->FrameWidth()),
                            int16_t(swirl->Height()), swirl);
    QX_SDL::DrawImagePart(int16_t(x), int16_t(y), 0, 0, int16_t(w), int16_t(h), picture);
    // The game prints a port's level into its frame; the editor labels it.
    if (shape == TPartShape::Port) Label(IntToStr(part.Count), x + 2, y + 2);
  }
}

// The legs as dotted lines from the mover's corner, each point a square.
void TEditView::DrawPath(const TShownObject& object) const {
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
        Fill(kLeft + int(x), kTop + int(y), 2, 2, 64, 224, 255);
    }
    if (PartOnPlayArea(point)) Outline(kLeft + point.X, kTop + point.Y, point.Width, point.Height, 64, 224, 255);
    px = qx, py = qy;
  }
}

void TEditView::DrawPanel(const TObjectTool& tool) const {
  const TObjectPanel& panel = tool.Panel();
  if (!panel.Visible() || !white_ || !yellow_) return;
  int x = panel.Left(), y = panel.Top();
  Fill(x, y, TObjectPanel::kWidth, panel.Height(), 0, 0, 0);
  Outline(x, y, TObjectPanel::kWidth, panel.Height(), 255, 220, 0);
  white_->TextOutOn(Target(), Shortened(panel.Title()), x + 4, y + 3, kAlignLeft);
  for (size_t i = 0; i < panel.Rows().size(); ++i) {
    const TObjectPanel::TRow& row = panel.Rows()[i];
    int rowY = y + 3 + TObjectPanel::kRowHeight * int(i + 1);
    bool chosen = int(i) == panel.Chosen();
    std::string text = row.Key + "=" + (row.Value.empty() ? "(default)" : row.Value);
    if (chosen && tool.Typing()) text = row.Key + "=" + tool.Entry().Text() + "_";
    (chosen ? yellow_ : white_)->TextOutOn(Target(), Shortened((chosen ? "> " : "  ") + text), x + 4, rowY, kAlignLeft);
  }
}

void TEditView::DrawValues(const TTileMap& map) {
  if (!DigitsFont) return;
  for (int c = 0; c < TPlay1Map::kColumns; ++c)
    for (int r = 0; r < TPlay1Map::kRows; ++r)
      DigitsFont->TextOut(std::to_string(map.GetLogic(c, r)), 72 + kCell * c, 70 + kCell * r, kAlignCentre);
}

void TEditView::MarkCell(int col, int row, uint8_t r, uint8_t g, uint8_t b) {
  if (col < 0 || row < 0 || col >= TPlay1Map::kColumns || row >= TPlay1Map::kRows) return;
  Outline(kLeft + kCell * col, kTop + kCell * row, kCell, kCell, r, g, b);
}

void TEditView::Label(const std::string& text, int x, int y) const {
  if (!white_ || text.empty()) return;
  Fill(x - 1, y - 1, white_->TextWidth(text) + 3, kLineHeight, 0, 0, 0);
  white_->TextOutOn(Target(), text, x, y, kAlignLeft);
}

int TEditView::FirstShownEntry(const TEditModel& model) {
  // The strip scrolls so that the chosen character stays in view.
  return std::max(0, model.Chosen() - (kPaletteEntries - 1));
}

void TEditView::DrawPalette(const TEditModel& model) const {
  const std::vector<int32_t>& palette = model.Palette();
  int first = FirstShownEntry(model);
  for (int i = first; i < int(palette.size()) && i < first + kPaletteEntries; ++i) {
    int x = kPaletteLeft + kPalettePitch * (i - first);
    DrawEntry(palette[size_t(i)], x, kPaletteTop);
    if (i == model.Chosen())
      Outline(x - 2, kPaletteTop - 2, kCell + 4, kCell + 4, 255, 220, 0);
    else
      Outline(x - 1, kPaletteTop - 1, kCell + 2, kCell + 2, 96, 90, 84);
  }
}

void TEditView::DrawTypePalette(const TObjectTool& tool) const {
  const std::vector<const TEditorKind*>& kinds = PlaceableKinds();
  for (size_t i = 0; i < kinds.size(); ++i) {
    int x = kPaletteLeft + kTypePitch * int(i);
    Fill(x, kPaletteTop, kTypeWidth, kCell, 0, 0, 0);
    if (int(i) == tool.ChosenKind())
      Outline(x - 2, kPaletteTop - 2, kTypeWidth + 4, kCell + 4, 255, 220, 0);
    else
      Outline(x - 1, kPaletteTop - 1, kTypeWidth + 2, kCell + 2, 96, 90, 84);
    if (white_) white_->TextOutOn(Target(), kinds[i]->Label, x + kTypeWidth / 2, kPaletteTop + 4, kAlignCentre);
  }
}

void TEditView::DrawStatus(const TEditModel& model, const TObjectTool& tool, const TEditViewState& state) const {
  Fill(kPaletteLeft - 8, kBandTop, 640 - 2 * (kPaletteLeft - 8), 480 - kBandTop - 2, 0, 0, 0);
  if (!white_ || !yellow_) return;
  std::string line = state.Entry;
  if (line.empty() && state.ObjectsMode) line = tool.Status();
  if (line.empty()) {
    int col = state.PointerCol, row = state.PointerRow;
    if (!model.InGrid(col, row)) col = model.CursorCol(), row = model.CursorRow();
    line = "CELLS  " + CellStatus(model, col, row) + "   O: objects";
  }
  size_t perLine = size_t(kTextWidth / std::max(1, white_->TextWidth("MM") - white_->TextWidth("M")));
  white_->TextOutOn(Target(), line.substr(0, perLine), kTextLeft, kStatusTop, kAlignLeft);
  std::vector<std::string> message = WrapWords(state.Message, perLine);
  // Two lines: what does not fit them ends in "...".
  if (message.size() > 2) message[1] = message[1].substr(0, perLine - 3) + "...";
  for (size_t i = 0; i < message.size() && i < 2; ++i)
    yellow_->TextOutOn(Target(), message[i], kTextLeft, kStatusTop + kLineHeight * int(i + 1), kAlignLeft);
}

void TEditView::DrawEntry(int32_t character, int x, int y) const {
  Fill(x, y, kCell, kCell, 0, 0, 0);
  char c = char(character & 0xFF);
  if (const TImage* picture = edited_.Pictures[uint8_t(c)])
    QX_SDL::DrawImagePart(int16_t(x), int16_t(y), 0, 0, kCell, kCell, picture);
  else if (edited_.Bindings.ObjectFor(c) && white_)
    white_->TextOutOn(Target(), std::string(1, c), x + kCell / 2, y + 3, kAlignCentre);
}

void TEditView::CellAt(int x, int y, int& col, int& row) {
  // Rounded down on both sides of the play area's corner.
  col = (x - kLeft + 64 * kCell) / kCell - 64;
  row = (y - kTop + 64 * kCell) / kCell - 64;
}

int TEditView::PaletteEntryAt(const TEditModel& model, int x, int y) {
  if (y < kPaletteTop || y >= kPaletteTop + kCell || x < kPaletteLeft) return -1;
  int slot = (x - kPaletteLeft) / kPalettePitch;
  if ((x - kPaletteLeft) % kPalettePitch >= kCell || slot >= kPaletteEntries) return -1;
  int index = FirstShownEntry(model) + slot;
  return index < int(model.Palette().size()) ? index : -1;
}

int TEditView::TypeEntryAt(int x, int y) {
  if (y < kPaletteTop || y >= kPaletteTop + kCell || x < kPaletteLeft) return -1;
  int slot = (x - kPaletteLeft) / kTypePitch;
  if ((x - kPaletteLeft) % kTypePitch >= kTypeWidth) return -1;
  return slot < int(PlaceableKinds().size()) ? slot : -1;
}

std::string TEditView::CellStatus(const TEditModel& model, int col, int row) {
  if (!model.InGrid(col, row)) return "";
  int32_t raw = model.Map().GetRaw(col, row);
  std::string shown = raw >= 32 && raw < 127 ? "'" + std::string(1, char(raw)) + "'" : "#" + IntToStr(raw);
  return "col " + IntToStr(col) + " row " + IntToStr(row) + " char " + shown + " raw " + IntToStr(raw) + " logic " +
         IntToStr(model.Map().GetLogic(col, row));
}

}  // namespace zorbin
