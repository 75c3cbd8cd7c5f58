// SpriteEngine: sorted insertion, moving, drawing and freeing.
#include "sprites/SpriteEngine.h"

#include "sprites/SpriteUnit.h"
#include "util/QXToolbox.h"

#include <algorithm>

namespace zorbin {

void TSpriteEngine::AddSprite(TSprite* sprite, const std::string& name) {
  if (!sprite) return;
  if (!name.empty()) sprite->Name = name;
  auto it = std::find_if(list_.begin(), list_.end(), [&](TSprite* s) { return s->ZOrder >= sprite->ZOrder; });
  list_.insert(it, sprite);
  // A sprite added again after it was taken out is held by the list once more.
  removed_.erase(std::remove(removed_.begin(), removed_.end(), sprite), removed_.end());
}

void TSpriteEngine::MoveAll() {
  for (int i = int(list_.size()) - 1; i >= 0; --i) {
    if (i >= int(list_.size())) continue;  // a Move may have emptied the list
    TSprite* sprite = list_[size_t(i)];
    sprite->Move();
    if (sprite->Killed) {
      // The sprite that moved goes, wherever its Move left it in the list
      // (a sprite it added before itself moves it up one place).
      auto at = std::find(list_.begin(), list_.end(), sprite);
      if (at != list_.end()) {
        list_.erase(at);
        removed_.push_back(sprite);
      }
    }
  }
}

void TSpriteEngine::DrawAll() {
  for (int i = int(list_.size()) - 1; i >= 0; --i) list_[size_t(i)]->Draw();
}

void TSpriteEngine::FreeAll() {
  // AddSprite keeps the two lists apart, so nothing is freed twice.
  std::vector<TSprite*> all = list_;
  all.insert(all.end(), removed_.begin(), removed_.end());
  list_.clear();
  removed_.clear();
  for (TSprite* s : all) delete s;
}

void TSpriteEngine::ReleaseAll() {
  list_.clear();
  removed_.clear();
}

int TSpriteEngine::IndexOfName(const std::string& name) const {
  for (size_t i = 0; i < list_.size(); ++i)
    if (SameText(list_[i]->Name, name)) return int(i);
  return -1;
}

TSprite* TSpriteEngine::Items(int index) const {
  if (index < 0 || index >= int(list_.size())) return nullptr;
  return list_[size_t(index)];
}

}  // namespace zorbin
