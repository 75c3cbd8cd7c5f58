// ObjectTool: the editor's objects mode. The pointer chooses an object and
// drags its parts (the figure, a crate, the slot, a path point), places a
// new object of the type chosen in the palette, and adds legs to a path;
// keys remove the object or a path's last leg and edit its keys in the
// panel. Every change goes through the edit model, so it undoes.
#pragma once

#include "editor/ObjectLayer.h"
#include "editor/ObjectPanel.h"
#include "editor/TextEntry.h"

#include <SDL.h>

#include <cstdint>
#include <string>

namespace zorbin {

class TEditModel;

class TObjectTool final {
 public:
  explicit TObjectTool(TEditModel& model) : model_(model) {}

  // Reads the objects again when the object file changed.
  void Refresh(const TObjectLayer::TSizeOf& sizeOf);

  // The pointer, in screen pixels; fine (Shift held) moves by pixels
  // instead of cells.
  void ButtonDown(int x, int y, bool right, bool fine);
  void Motion(int x, int y, bool fine);
  void ButtonUp();
  // A key of the objects mode; false when it is none (the editor's own).
  bool Key(const SDL_keysym& key);

  // The palette of types to place; -1 for none.
  int ChosenKind() const { return chosenKind_; }
  void ChooseKind(int index);
  void ChooseNextKind(int step);

  const TObjectLayer& Layer() const { return layer_; }
  // The chosen object in the layer, or -1.
  int Selected() const { return selected_; }
  const TObjectPanel& Panel() const { return panel_; }
  bool Typing() const { return entry_.Active(); }
  const TTextEntry& Entry() const { return entry_; }
  // What the status line says in this mode.
  std::string Status() const;
  // The last thing the tool has to say, once; empty for nothing.
  std::string TakeMessage();

 private:
  void Select(int object);
  void Place(int x, int y, bool fine);
  void StartDrag(int object, int part, int x, int y);
  void TypeKey(const SDL_keysym& key);
  void RemoveSelected();
  void EditPath(bool add, int x, int y, bool fine);

  TEditModel& model_;
  TObjectLayer layer_;
  uint64_t revision_ = 0;  // of the object file the layer was read from
  int chosenKind_ = -1;
  int selected_ = -1;
  std::string selectedSection_;
  TObjectPanel panel_;
  TTextEntry entry_;
  bool dragging_ = false;
  TShownObject dragObject_;
  TShownPart dragPart_;
  int grabX_ = 0;  // the pointer's place in the dragged part
  int grabY_ = 0;
  std::string message_;
};

}  // namespace zorbin
