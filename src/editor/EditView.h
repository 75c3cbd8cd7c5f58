// EditView: draws the editor's frame with the engine's own drawing. The
// play area shows the map as the map set-up paints it (the edited layer,
// then the further layers map01.mpt and on), cells bound to objects carry
// their character, and the objects stand there (see ObjectView). The
// palette strip lies where the air meter is, and below it the status lines
// in bright text on black.
#pragma once

#include "game/ZORBMapLayers.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TEditModel;
class TEditText;
class TImage;
class TImageCollection;
class TObjectTool;
class TObjectView;
class TTileMap;
class TXMap;

// What the editor shows besides the map.
struct TEditViewState {
  int PointerCol = -1;  // the cell under the pointer, or -1
  int PointerRow = -1;
  bool ShowValues = false;  // Tab: the logical values, as in play
  bool ObjectsMode = false;
  std::string Entry;    // a line being typed (name, author, wrap); empty for none
  std::string Message;  // the last thing the editor has to say
};

class TEditView final {
 public:
  // The palette strip: entries of 16 x 16 pixels, this far apart.
  static constexpr int kPaletteLeft = 14;
  static constexpr int kPaletteTop = 424;
  static constexpr int kPalettePitch = 20;
  static constexpr int kPaletteEntries = 30;
  // The status lines: the first says where the pointer is or what the mode
  // offers, the next two the last message.
  static constexpr int kStatusTop = 446;

  // Loads the pictures the map's layers bind, with the stream opener's
  // current folder at the map's folder. Missing pictures are reported in
  // problems and draw nothing.
  TEditView(const TEditModel& model, std::vector<std::string>& problems);
  ~TEditView();
  TEditView(const TEditView&) = delete;
  TEditView& operator=(const TEditView&) = delete;

  void Draw(const TEditModel& model, const TObjectTool& objects, const TEditViewState& state) const;

  // The size of a picture's first frame, loaded once by name; false when
  // the name gives no picture.
  bool PictureSize(const std::string& name, int& width, int& height) const;

  // The cell at screen pixel (x, y), whether or not it lies in the grid.
  static void CellAt(int x, int y, int& col, int& row);
  // The palette entry at screen pixel (x, y), or -1.
  static int PaletteEntryAt(const TEditModel& model, int x, int y);
  // The text of the status line for a cell.
  static std::string CellStatus(const TEditModel& model, int col, int row);

 private:
  // One layer as the set-up paints it: each character's picture.
  struct TLayer {
    TLayerBindings Bindings;
    std::unique_ptr<TImageCollection> Images;
    std::array<TImage*, 256> Pictures{};
    std::unique_ptr<TXMap> Map;  // further layers only; the edited one is the model's
  };

  static void LoadPictures(TLayer& layer, std::vector<std::string>& problems);
  static void DrawLayer(const TLayer& layer, const TTileMap& map);
  void DrawObjectMarks(const TTileMap& map) const;
  void DrawPalette(const TEditModel& model) const;
  void DrawStatus(const TEditModel& model, const TObjectTool& objects, const TEditViewState& state) const;
  static int FirstShownEntry(const TEditModel& model);
  void DrawEntry(int32_t character, int x, int y) const;
  static void DrawValues(const TTileMap& map);
  static void MarkCell(int col, int row, uint8_t r, uint8_t g, uint8_t b);

  std::unique_ptr<TImage> frame_;
  TLayer edited_;
  std::vector<TLayer> further_;
  std::unique_ptr<TEditText> text_;
  std::unique_ptr<TObjectView> objects_;
};

}  // namespace zorbin
