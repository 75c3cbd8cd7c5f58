// ZORBObjectGroup: a map object that owns a group of other objects (its
// members, handed over by the object factory) and lets them act in turn.
#pragma once

#include "sprites/ZORBSpriteUnit.h"

#include <memory>

namespace zorbin {

class TObjectGroup : public TZorbSprite {
 public:
  TObjectGroup() : TZorbSprite(0, 0, nullptr) {}
  virtual void AddMember(std::unique_ptr<TSprite> member) = 0;
};

}  // namespace zorbin
