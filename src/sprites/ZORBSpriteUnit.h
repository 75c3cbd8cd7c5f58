// ZORBSpriteUnit: the game's sprite and engine (the map-completed query
// that ends a map) and the image loader every game object uses.
#pragma once

#include "sprites/SpriteEngine.h"
#include "sprites/SpriteUnit.h"

#include <functional>
#include <memory>
#include <string>

namespace zorbin {

class TZorbSprite : public TSprite {
 public:
  using TSprite::TSprite;
  // Objects that can finish a map answer true once they have.
  virtual bool IsCompleted() const { return false; }
};

class TZorbSpriteEngine final : public TSpriteEngine {
 public:
  // True when a sprite of the list reports IsCompleted.
  bool AnyCompleted() const;
};

// 32 x 16: white body with a black right and bottom edge, a red cross and "N/A".
std::unique_ptr<TImage> CreatePlaceholderImage();

// The image named, or nullptr when it cannot be loaded: the file is missing
// (or raises otherwise) or it loaded without a surface (an undecodable
// file, a name such as the default "*" that names no picture). The game
// objects' loaders report nullptr with their own line and use a stand-in.
std::unique_ptr<TImage> TryLoadObjectImage(const std::string& name);

// How an object tells that its picture is missing: the message before
// " (NAME)", the log context, its section.
struct TMissingPicture {
  std::string Message = "Image not found!";
  std::string Context = "ZORBSpriteUnit, LoadObjectImage";
  std::string Object;
};

// The image every game object loads by name. A name that gives no picture
// (see TryLoadObjectImage) is reported as missing and gives the stand-in
// (the placeholder unless the object draws its own). Never nullptr.
std::unique_ptr<TImage> LoadObjectImage(
    const std::string& name, const TMissingPicture& missing = {},
    const std::function<std::unique_ptr<TImage>()>& standIn = CreatePlaceholderImage);

}  // namespace zorbin
