// ObjectView: draws the objects of the map where they stand: each part's
// picture (the figure facing right, a strip's first frame, a bridge's tiles,
// a port's frame over its swirl) or a labelled marker, the slot with its
// lamps, a particle box's rectangle, a path's points; the chosen object
// outlined, its panel, and the palette of types to place.
#pragma once

#include <map>
#include <memory>
#include <string>

namespace zorbin {

class TEditText;
class TImage;
class TObjectTool;
struct TShownObject;
struct TShownPart;

class TObjectView final {
 public:
  // The palette of types: entries this wide, this far apart.
  static constexpr int kTypeWidth = 60;
  static constexpr int kTypePitch = 66;

  explicit TObjectView(const TEditText& text);
  ~TObjectView();
  TObjectView(const TObjectView&) = delete;
  TObjectView& operator=(const TObjectView&) = delete;

  // The size of a picture's first frame, loaded once by name; false when
  // the name gives no picture.
  bool PictureSize(const std::string& name, int& width, int& height) const;

  void DrawObjects(const TObjectTool& tool) const;
  void DrawPanel(const TObjectTool& tool) const;
  void DrawTypePalette(const TObjectTool& tool) const;
  // The palette entry at screen pixel (x, y), or -1.
  static int TypeEntryAt(int x, int y);

 private:
  void DrawPart(const TShownObject& object, const TShownPart& part) const;
  void DrawPath(const TShownObject& object) const;
  const TImage* Picture(const std::string& name) const;

  const TEditText& text_;
  // Pictures by name; nullptr for a name that gives none.
  mutable std::map<std::string, std::unique_ptr<TImage>> pictures_;
};

}  // namespace zorbin
