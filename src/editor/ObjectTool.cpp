// ObjectTool: choosing, dragging, placing and removing objects, path legs
// and the panel's keys.
#include "editor/ObjectTool.h"

#include "editor/EditModel.h"
#include "editor/ObjectEdits.h"
#include "editor/ObjectKinds.h"
#include "game/ZORBMapLayers.h"
#include "game/ZORBPlay1MapUnit.h"
#include "util/QXToolbox.h"

namespace zorbin {

namespace {

constexpr int kCell = 16;
// A key's value is typed as at most this many characters.
constexpr size_t kMaxValueLength = 200;

int PlayX(int x) { return x - TPlay1Map::kPlayLeft; }
int PlayY(int y) { return y - TPlay1Map::kPlayTop; }

bool OnPlayArea(int x, int y) {
  return PlayX(x) >= 0 && PlayY(y) >= 0 && PlayX(x) < TPlay1Map::kPlayWidth && PlayY(y) < TPlay1Map::kPlayHeight;
}

}  // namespace

void TObjectTool::Refresh(const TObjectLayer::TSizeOf& sizeOf) {
  if (revision_ == model_.ObjectsRevision()) return;
  revision_ = model_.ObjectsRevision();
  layer_.Build(model_.Objects(), sizeOf);
  // The chosen object is found again by its section (an undo may have
  // taken it away, a new one is not read yet when it is placed).
  const auto& objects = layer_.Objects();
  if (!selectedSection_.empty() &&
      (selected_ < 0 || size_t(selected_) >= objects.size() || objects[size_t(selected_)].Section != selectedSection_))
    selected_ = layer_.Find(selectedSection_);
  if (selected_ < 0) selectedSection_.clear();
  if (selected_ >= 0)
    panel_.Show(model_.Objects(), objects[size_t(selected_)]);
  else
    panel_.Hide();
}

void TObjectTool::Select(int object) {
  selected_ = object;
  selectedSection_ = object >= 0 ? layer_.Objects()[size_t(object)].Section : std::string();
  if (object >= 0)
    panel_.Show(model_.Objects(), layer_.Objects()[size_t(object)]);
  else
    panel_.Hide();
}

void TObjectTool::ButtonDown(int x, int y, bool right, bool fine) {
  if (entry_.Active()) return;
  if (panel_.Contains(x, y)) {
    if (int row = panel_.RowAt(x, y); row >= 0 && !right) {
      panel_.Choose(row);
      const TObjectPanel::TRow& r = panel_.Rows()[size_t(row)];
      entry_.Start(r.Key + "=", r.Value, kMaxValueLength);
    }
    return;
  }
  if (!OnPlayArea(x, y)) return;
  if (right) {
    EditPath(true, x, y, fine);
    return;
  }
  int object = -1, part = -1;
  if (layer_.PartAt(PlayX(x), PlayY(y), object, part)) {
    Select(object);
    StartDrag(object, part, x, y);
  } else if (chosenKind_ >= 0) {
    Place(x, y, fine);
  } else {
    Select(-1);
  }
}

void TObjectTool::StartDrag(int object, int part, int x, int y) {
  const TShownObject& shown = layer_.Objects()[size_t(object)];
  if (!shown.Movable) {
    if (!shown.Kind)
      message_ = "[" + shown.Section + "]: the game knows no type '" + shown.Type + "'";
    else if (shown.PanelSection != shown.Section)
      message_ =
          "[" + shown.Section + "] comes from the macro [" + shown.PanelSection + "]: the panel edits its values";
    else
      message_ = "a copy made by [" + shown.Entry + "]: drag the first one";
    return;
  }
  dragging_ = true;
  dragObject_ = shown;
  dragPart_ = shown.Parts[size_t(part)];
  grabX_ = PlayX(x) - dragPart_.X;
  grabY_ = PlayY(y) - dragPart_.Y;
  model_.BeginObjectChange();
}

void TObjectTool::Motion(int x, int y, bool fine) {
  if (!dragging_) return;
  int px = PlayX(x) - grabX_, py = PlayY(y) - grabY_;
  model_.ChangeObjects([&](TObjectFile& file) { MovePart(file, dragObject_, dragPart_, px, py, fine ? 1 : kCell); });
}

void TObjectTool::ButtonUp() {
  if (!dragging_) return;
  dragging_ = false;
  model_.EndObjectChange();
}

void TObjectTool::Place(int x, int y, bool fine) {
  const TEditorKind& kind = *PlaceableKinds()[size_t(chosenKind_)];
  int grid = fine ? 1 : kCell;
  int px = PlayX(x) - ((PlayX(x) % grid) + grid) % grid, py = PlayY(y) - ((PlayY(y) % grid) + grid) % grid;
  std::string name;
  model_.ChangeObjects([&](TObjectFile& file) { name = PlaceObject(file, kind, px, py); });
  chosenKind_ = -1;
  revision_ = 0;
  selectedSection_ = name;
  selected_ = -1;
  message_ = "placed [" + name + "], a " + kind.TypeText;
}

void TObjectTool::EditPath(bool add, int x, int y, bool fine) {
  if (selected_ < 0) {
    message_ = "choose a path mover first: the right button adds a leg to its path";
    return;
  }
  const TShownObject object = layer_.Objects()[size_t(selected_)];
  std::string why;
  bool done = false;
  model_.ChangeObjects([&](TObjectFile& file) {
    done = add ? AddPathLeg(file, object, PlayX(x), PlayY(y), fine ? 1 : kCell, why) : RemovePathLeg(file, object, why);
  });
  message_ = done ? (add ? "leg added to the path" : "last leg taken away") : why;
}

void TObjectTool::RemoveSelected() {
  const TShownObject object = layer_.Objects()[size_t(selected_)];
  std::vector<std::string> placed;
  for (const TLayerBinding& binding : ReadLayerBindings(model_.Map().ExtraLines).Objects)
    placed.push_back(binding.Name);
  model_.ChangeObjects([&](TObjectFile& file) { RemoveEntry(file, object.Entry, placed); });
  message_ = "removed [" + object.Entry + "]";
  Select(-1);
}

bool TObjectTool::Key(const SDL_keysym& key) {
  if (entry_.Active()) {
    TypeKey(key);
    return true;
  }
  switch (key.sym) {
    case SDLK_LEFTBRACKET: ChooseNextKind(-1); return true;
    case SDLK_RIGHTBRACKET: ChooseNextKind(1); return true;
    default: break;
  }
  if (selected_ < 0) return false;
  switch (key.sym) {
    case SDLK_ESCAPE: Select(-1); return true;
    case SDLK_DELETE: RemoveSelected(); return true;
    case SDLK_BACKSPACE: EditPath(false, 0, 0, false); return true;
    case SDLK_UP: panel_.ChooseNext(-1); return true;
    case SDLK_DOWN: panel_.ChooseNext(1); return true;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      if (!panel_.Rows().empty()) {
        const TObjectPanel::TRow& r = panel_.Rows()[size_t(panel_.Chosen())];
        entry_.Start(r.Key + "=", r.Value, kMaxValueLength);
      }
      return true;
    default: return false;
  }
}

void TObjectTool::TypeKey(const SDL_keysym& key) {
  TTextEntry::TResult result = entry_.Key(key);
  if (result == TTextEntry::TResult::Cancelled) message_ = "not changed";
  if (result != TTextEntry::TResult::Done) return;
  const TObjectPanel::TRow& row = panel_.Rows()[size_t(panel_.Chosen())];
  std::string value = Trim(entry_.Text());
  int32_t number = 0;
  if (row.Number && !value.empty() && !TryStrToInt(value, number)) {
    message_ = row.Key + " takes a whole number, not '" + value + "': not changed";
    return;
  }
  std::string section = panel_.Section();
  model_.ChangeObjects([&](TObjectFile& file) { file.SetValue(section, row.Key, value); });
  message_ = value.empty() ? row.Key + " removed: the game takes its default" : row.Key + "=" + value;
}

void TObjectTool::ChooseKind(int index) {
  chosenKind_ = index >= 0 && size_t(index) < PlaceableKinds().size() ? index : -1;
  if (chosenKind_ >= 0) Select(-1);
}

void TObjectTool::ChooseNextKind(int step) {
  int n = int(PlaceableKinds().size());
  ChooseKind(chosenKind_ < 0 ? (step > 0 ? 0 : n - 1) : ((chosenKind_ + step) % n + n) % n);
}

std::string TObjectTool::Status() const {
  if (entry_.Active()) return "[" + panel_.Section() + "] " + entry_.Line() + "   Enter sets, Escape cancels";
  if (selected_ >= 0) {
    const TShownObject& o = layer_.Objects()[size_t(selected_)];
    const TShownPart& p = o.Parts.front();
    std::string status = "[" + o.Section + "] at " + IntToStr(p.X) + "," + IntToStr(p.Y) +
                         ": drag moves, Del removes, Up/Down and Enter edit a key";
    if (o.Kind && o.Kind->HasPath) status += ", right button adds a leg, Backspace takes one";
    return status;
  }
  if (chosenKind_ >= 0) return "click on the map to place a new " + PlaceableKinds()[size_t(chosenKind_)]->TypeText;
  return "OBJECTS: click one to choose it; a type in the palette, then the map, places one; O: cells";
}

std::string TObjectTool::TakeMessage() {
  std::string message;
  message.swap(message_);
  return message;
}

}  // namespace zorbin
