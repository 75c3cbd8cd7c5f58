// ZORBSpriteUnit: the game's sprite and engine (the map-completed query
// that ends a map) and the image loader every game object uses.
#pragma once

#include "sprites/SpriteEngine.h"
#include "sprites/SpriteUnit.h"

#include <memory>
#include <string>

namespace zorbin {

class TZorbSprite : public TSprite {
 public:
  using TSprite::TSprite;
  // Objects that can finish a map answer true once they have.
  virtual bool IsCompleted() { return false; }
};

class TZorbSpriteEngine : public TSpriteEngine {
 public:
  // True when a sprite of the list reports IsCompleted.
  bool AnyCompleted() const;
};

// 32 x 16: white body with a black right and bottom edge, a red cross and "N/A".
std::unique_ptr<TImage> CreatePlaceholderImage();

// The image every game object loads by name; a name that cannot be opened
// is logged and gives the placeholder. Never nullptr.
std::unique_ptr<TImage> LoadObjectImage(const std::string& name);

}  // namespace zorbin
