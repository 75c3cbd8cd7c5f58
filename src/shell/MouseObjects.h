// MouseObjects: clickable screen regions and the dispatch of events to
// them. An object that takes an event keeps it from the key table. The game
// itself registers none; the map editor does.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TMouseObject {
 public:
  explicit TMouseObject(std::string name) : Name(std::move(name)) {}
  virtual ~TMouseObject() = default;
  // True when the event is used up.
  virtual bool HandleEvent(const SDL_Event& event) = 0;
  std::string Name;
};

class TMouseObjects final {
 public:
  void Add(std::unique_ptr<TMouseObject> object);
  // Objects below the base index receive no events.
  void PushBase();
  void PopBase();
  // Offers the event to the objects from the last one down to the base
  // index; traces who took it.
  bool HandleEvent(const SDL_Event& event);
  int Count() const { return int(objects_.size()); }

 private:
  std::vector<std::unique_ptr<TMouseObject>> objects_;
  std::vector<uint16_t> savedBases_;
  uint16_t base_ = 0;
};

}  // namespace zorbin
