// SpriteEngine: sorted insertion, moving, drawing and freeing.
#include "sprites/SpriteEngine.h"

#include "sprites/SpriteUnit.h"
#include "util/QXToolbox.h"

#include <algorithm>

namespace zorbin {

TSpriteEngine::TSpriteEngine() = default;

TSpriteEngine::~TSpriteEngine() { FreeAll(); }

TSprite* TSpriteEngine::AddSprite(std::unique_ptr<TSprite> sprite, const std::string& name) {
  if (!sprite) return nullptr;
  if (!name.empty()) sprite->Name = name;
  auto it = std::find_if(list_.begin(), list_.end(), [&](const auto& s) { return s->ZOrder >= sprite->ZOrder; });
  return list_.insert(it, std::move(sprite))->get();
}

void TSpriteEngine::MoveAll() {
  for (int i = int(list_.size()) - 1; i >= 0; --i) {
    if (i >= int(list_.size())) continue;  // a Move may have emptied the list
    TSprite* sprite = list_[size_t(i)].get();
    sprite->Move();
    if (sprite->Killed) {
      // The sprite that moved goes, wherever its Move left it in the list
      // (a sprite it added before itself moves it up one place).
      auto at = std::find_if(list_.begin(), list_.end(), [&](const auto& s) { return s.get() == sprite; });
      if (at != list_.end()) {
        removed_.push_back(std::move(*at));
        list_.erase(at);
      }
    }
  }
}

void TSpriteEngine::DrawAll() {
  for (int i = int(list_.size()) - 1; i >= 0; --i) list_[size_t(i)]->Draw();
}

void TSpriteEngine::FreeAll() {
  // Taken out of the engine first: a sprite's destructor finds the engine
  // empty rather than half freed.
  std::vector<std::unique_ptr<TSprite>> all = std::move(list_);
  all.insert(all.end(), std::make_move_iterator(removed_.begin()), std::make_move_iterator(removed_.end()));
  list_.clear();
  removed_.clear();
  for (auto& s : all) s.reset();
}

std::vector<std::unique_ptr<TSprite>> TSpriteEngine::ReleaseAll() {
  std::vector<std::unique_ptr<TSprite>> released = std::move(list_);
  list_.clear();
  return released;
}

int TSpriteEngine::IndexOfName(const std::string& name) const {
  for (size_t i = 0; i < list_.size(); ++i)
    if (SameText(list_[i]->Name, name)) return int(i);
  return -1;
}

TSprite* TSpriteEngine::Items(int index) const {
  if (index < 0 || index >= int(list_.size())) return nullptr;
  return list_[size_t(index)].get();
}

}  // namespace zorbin
