// SpriteEngine: the depth-ordered list of sprites that runs their
// behaviour and draws them once per frame. The engine owns its sprites: a
// sprite that kills itself leaves the list in that MoveAll and stays with
// the engine, unmoved and undrawn, until FreeAll or the engine's end.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TSprite;

class TSpriteEngine {
 public:
  TSpriteEngine();
  virtual ~TSpriteEngine();
  TSpriteEngine(const TSpriteEngine&) = delete;
  TSpriteEngine& operator=(const TSpriteEngine&) = delete;

  // Inserted before the first sprite whose ZOrder is >= its own; the engine
  // takes the sprite. Returns it, for the caller to keep as a reference.
  TSprite* AddSprite(std::unique_ptr<TSprite> sprite, const std::string& name);
  void MoveAll();
  void DrawAll();
  // Frees every sprite in the list (index 0 upwards), then those MoveAll
  // took out, and empties the list.
  void FreeAll();
  // Hands the sprites of the list to the caller, in list order, and empties
  // the list; the sprites MoveAll took out stay with the engine.
  std::vector<std::unique_ptr<TSprite>> ReleaseAll();
  int IndexOfName(const std::string& name) const;
  TSprite* Items(int index) const;
  int Count() const { return int(list_.size()); }

 private:
  std::vector<std::unique_ptr<TSprite>> list_;
  // Killed sprites taken out of the list, freed with the others.
  std::vector<std::unique_ptr<TSprite>> removed_;
};

}  // namespace zorbin
