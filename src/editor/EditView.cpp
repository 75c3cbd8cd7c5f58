// EditView: the editor's frame: map, palette, status lines.
#include "editor/EditView.h"

#include "editor/EditModel.h"
#include "editor/EditPaint.h"
#include "editor/ObjectTool.h"
#include "editor/ObjectView.h"
#include "formats/XMapUnit.h"
#include "game/ZORBPlay1MapUnit.h"
#include "pictures/ImageCollectionUnit.h"
#include "pictures/ImageUnit.h"
#include "pictures/QXFonts.h"
#include "shell/QX_SDL.h"
#include "storage/QXStream.h"
#include "util/QXToolbox.h"

#include <algorithm>
#include <exception>

namespace zorbin {

namespace {

constexpr int kCell = 16;
constexpr int kLeft = TPlay1Map::kPlayLeft;
constexpr int kTop = TPlay1Map::kPlayTop;
constexpr int kAlignCentre = 1;
// The status lines: a black band, text from this left edge.
constexpr int kBandTop = TEditView::kStatusTop - 3;
constexpr int kTextLeft = 10;
constexpr int kTextWidth = 620;

}  // namespace

TEditView::TEditView(const TEditModel& model, std::vector<std::string>& problems) {
  frame_ = std::make_unique<TImage>(640, 480);
  PaintMapFrame(*frame_);
  text_ = std::make_unique<TEditText>();
  objects_ = std::make_unique<TObjectView>(*text_);
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

bool TEditView::PictureSize(const std::string& name, int& width, int& height) const {
  return objects_->PictureSize(name, width, height);
}

void TEditView::Draw(const TEditModel& model, const TObjectTool& objects, const TEditViewState& state) const {
  QX_SDL::DrawImage(0, 0, frame_.get());
  DrawLayer(edited_, model.Map());
  for (const TLayer& layer : further_) DrawLayer(layer, *layer.Map);
  DrawObjectMarks(model.Map());
  objects_->DrawObjects(objects);
  if (state.ShowValues) DrawValues(model.Map());
  if (!state.ObjectsMode) {
    MarkCell(model.CursorCol(), model.CursorRow(), 255, 220, 0);
    if (model.InGrid(state.PointerCol, state.PointerRow)) MarkCell(state.PointerCol, state.PointerRow, 255, 255, 255);
    DrawPalette(model);
  } else {
    objects_->DrawPanel(objects);
    objects_->DrawTypePalette(objects);
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
      EditOutline(kLeft + kCell * x, kTop + kCell * y, kCell, kCell, 255, 160, 0);
      text_->White(std::string(1, c), kLeft + kCell * x + kCell / 2, kTop + kCell * y + 3, true);
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
  EditOutline(kLeft + kCell * col, kTop + kCell * row, kCell, kCell, r, g, b);
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
      EditOutline(x - 2, kPaletteTop - 2, kCell + 4, kCell + 4, 255, 220, 0);
    else
      EditOutline(x - 1, kPaletteTop - 1, kCell + 2, kCell + 2, 96, 90, 84);
  }
}

void TEditView::DrawStatus(const TEditModel& model, const TObjectTool& tool, const TEditViewState& state) const {
  EditFill(kPaletteLeft - 8, kBandTop, 640 - 2 * (kPaletteLeft - 8), 480 - kBandTop - 2, 0, 0, 0);
  std::string line = state.Entry;
  if (line.empty() && state.ObjectsMode) line = tool.Status();
  if (line.empty()) {
    int col = state.PointerCol, row = state.PointerRow;
    if (!model.InGrid(col, row)) col = model.CursorCol(), row = model.CursorRow();
    line = "CELLS  " + CellStatus(model, col, row) + "   O: objects";
  }
  size_t perLine = size_t(kTextWidth / text_->CharWidth());
  text_->White(line.substr(0, perLine), kTextLeft, kStatusTop);
  std::vector<std::string> message = WrapWords(state.Message, perLine);
  // Two lines: what does not fit them ends in "...".
  if (message.size() > 2) message[1] = message[1].substr(0, perLine - 3) + "...";
  for (size_t i = 0; i < message.size() && i < 2; ++i)
    text_->Yellow(message[i], kTextLeft, kStatusTop + TEditText::kLineHeight * int(i + 1));
}

void TEditView::DrawEntry(int32_t character, int x, int y) const {
  EditFill(x, y, kCell, kCell, 0, 0, 0);
  char c = char(character & 0xFF);
  if (const TImage* picture = edited_.Pictures[uint8_t(c)])
    QX_SDL::DrawImagePart(int16_t(x), int16_t(y), 0, 0, kCell, kCell, picture);
  else if (edited_.Bindings.ObjectFor(c))
    text_->White(std::string(1, c), x + kCell / 2, y + 3, true);
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

std::string TEditView::CellStatus(const TEditModel& model, int col, int row) {
  if (!model.InGrid(col, row)) return "";
  int32_t raw = model.Map().GetRaw(col, row);
  std::string shown = raw >= 32 && raw < 127 ? "'" + std::string(1, char(raw)) + "'" : "#" + IntToStr(raw);
  return "col " + IntToStr(col) + " row " + IntToStr(row) + " char " + shown + " raw " + IntToStr(raw) + " logic " +
         IntToStr(model.Map().GetLogic(col, row));
}

}  // namespace zorbin
