// ObjectPanel: the chosen object's keys and where the panel stands.
#include "editor/ObjectPanel.h"

#include "editor/ObjectFile.h"
#include "editor/ObjectKinds.h"
#include "editor/ObjectLayer.h"
#include "game/ZORBPlay1MapUnit.h"
#include "util/QXToolbox.h"

#include <algorithm>

namespace zorbin {

namespace {

constexpr int kMargin = 4;

}  // namespace

void TObjectPanel::Show(const TObjectFile& file, const TShownObject& object) {
  section_ = object.PanelSection;
  std::string type = UpperCase(file.Value(section_, "Type"));
  const TEditorKind* kind = FindEditorKind(type);
  title_ = "[" + section_ + "] " + (kind ? kind->TypeText : file.Value(section_, "Type"));
  rows_.clear();
  if (kind)
    for (const TPanelKey& key : kind->Panel) rows_.push_back(TRow{key.Key, file.Value(section_, key.Key), key.Number});
  chosen_ = std::clamp(chosen_, 0, std::max(0, int(rows_.size()) - 1));
  // Away from the object: an object in the left half has the panel right.
  int x = object.Parts.empty() ? 0 : object.Parts.front().X;
  left_ = TPlay1Map::kPlayLeft + (x < TPlay1Map::kPlayWidth / 2 ? TPlay1Map::kPlayWidth - kWidth - kMargin : kMargin);
  top_ = TPlay1Map::kPlayTop + kMargin;
}

void TObjectPanel::ChooseNext(int step) {
  int n = int(rows_.size());
  if (n > 0) chosen_ = ((chosen_ + step) % n + n) % n;
}

void TObjectPanel::Choose(int row) { chosen_ = std::clamp(row, 0, std::max(0, int(rows_.size()) - 1)); }

bool TObjectPanel::Contains(int x, int y) const {
  return Visible() && x >= left_ && y >= top_ && x < left_ + kWidth && y < top_ + Height();
}

int TObjectPanel::RowAt(int x, int y) const {
  if (!Contains(x, y)) return -1;
  // The title takes the first row.
  int row = (y - top_ - 3) / kRowHeight - 1;
  return row >= 0 && row < int(rows_.size()) ? row : -1;
}

}  // namespace zorbin
