// ZORBSpriteUnit: completion query, image loading and the placeholder.
#include "sprites/ZORBSpriteUnit.h"

#include "log/Diagnostics.h"
#include "pictures/ImageUnit.h"

#include <exception>

namespace zorbin {

bool TZorbSpriteEngine::AnyCompleted() const {
  for (int i = 0; i < Count(); ++i) {
    const auto* sprite = dynamic_cast<const TZorbSprite*>(Items(i));
    if (sprite && sprite->IsCompleted()) return true;
  }
  return false;
}

std::unique_ptr<TImage> CreatePlaceholderImage() {
  static const char* const kCross[7] = {"xx...xx", ".xx.xx.", "..xxx..", "...x...", "..xxx..", ".xx.xx.", "xx...xx"};
  static const char* const kLetters[5] = {"x...x...x..xxx.", "xx..x...x.x...x", "x.x.x..x..xxxxx", "x..xx..x..x...x",
                                          "x...x.x...x...x"};
  auto image = std::make_unique<TImage>(32, 16);
  image->FillRect(0, 0, 31, 15, 255, 255, 255);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 7; ++x)
      if (kCross[y][x] == 'x') image->PutPixel(1 + x, 1 + y, 255, 0, 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 15; ++x)
      if (kLetters[y][x] == 'x') image->PutPixel(16 + x, 10 + y, 0, 0, 0);
  return image;
}

std::unique_ptr<TImage> TryLoadObjectImage(const std::string& name) {
  std::unique_ptr<TImage> image;
  try {
    image = std::make_unique<TImage>(name);
  } catch (const std::exception&) {
    return nullptr;
  }
  if (!image->Surface) return nullptr;
  return image;
}

std::unique_ptr<TImage> LoadObjectImage(const std::string& name, const TMissingPicture& missing,
                                        const std::function<std::unique_ptr<TImage>()>& standIn) {
  std::unique_ptr<TImage> image = TryLoadObjectImage(name);
  if (image) return image;
  Report({.Kind = TDiagnosticKind::MissingPicture,
          .Message = missing.Message + " (" + name + ")",
          .Context = missing.Context,
          .File = name,
          .Object = missing.Object});
  return standIn();
}

}  // namespace zorbin
