// SpriteEngine: the depth-ordered list of sprites that runs their
// behaviour and draws them once per frame. The list holds references: a
// sprite that kills itself leaves the list in that MoveAll without being
// freed; FreeAll frees every sprite still held and those taken out.
#pragma once

#include <string>
#include <vector>

namespace zorbin {

class TSprite;

class TSpriteEngine {
 public:
  TSpriteEngine() = default;
  virtual ~TSpriteEngine() = default;
  TSpriteEngine(const TSpriteEngine&) = delete;
  TSpriteEngine& operator=(const TSpriteEngine&) = delete;

  // Inserted before the first sprite whose ZOrder is >= its own.
  void AddSprite(TSprite* sprite, const std::string& name);
  void MoveAll();
  void DrawAll();
  // Frees every sprite in the list, and those MoveAll took out that nobody
  // claimed (see Release), then empties the list.
  void FreeAll();
  // Empties the list without freeing anything; the caller takes the sprites.
  void ReleaseAll();
  int IndexOfName(const std::string& name) const;
  TSprite* Items(int index) const;
  int Count() const { return int(list_.size()); }

 private:
  std::vector<TSprite*> list_;
  // Killed sprites taken out of the list. Nobody else refers to them, so
  // they are freed with the engine's sprites instead of leaking.
  std::vector<TSprite*> removed_;
};

}  // namespace zorbin
