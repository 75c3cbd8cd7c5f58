// Helpers for the map object tests: small TGA pictures written into a temp
// folder, INI texts, and a fixture that sets up the map-wide globals (a
// 32 x 22 tile map, a sprite engine holding a particle engine, the particle
// animation list) and a 640 x 480 back buffer, and takes them down again.
#pragma once

#include "TestSupport.h"
#include "formats/QXINIFile.h"
#include "formats/TileMapUnit.h"
#include "pictures/ImageUnit.h"
#include "sprites/ZORBParticleEngineUnit.h"
#include "sprites/ZORBSpriteUnit.h"
#include "storage/QXStream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zorbin::test {

// The logical value of a solid floor cell.
inline constexpr int32_t kSolid = 0x0F;

class TObjectTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the picture into the temp folder and returns its absolute name.
  std::string Picture(const std::string& name, const std::string& tga);
  // A one-colour picture.
  std::string Plain(const std::string& name, int width, int height, uint32_t rgb);
  std::unique_ptr<TIniFile> Ini(const std::string& text);
  // Sets the logical value of every cell of a row (or of columns from..to).
  void Row(int row, int32_t value, int from = 0, int to = 31);
  int32_t Cell(int col, int row) const { return map_.GetLogic(col, row); }
  uint32_t Pixel(int x, int y) const { return back_->GetPixel(x, y); }
  uint32_t Rgb(uint32_t rgb) const { return back_->MapRGB(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)); }
  // The colour of particle animation index at frame f (its plus sign's centre).
  uint32_t FadeColour(int index, int frame) const;
  // Particles spawned and still flying (the engine is not moved unless a
  // test adds it to the sprite engine's run).
  size_t ParticleCount() const { return particles_->Particles.size(); }
  // Hands the sprite to the map's sprite engine, which owns it from then on.
  template <typename T>
  T* Hand(std::unique_ptr<T> sprite, const std::string& name) {
    T* held = sprite.get();
    engine_.AddSprite(std::move(sprite), name);
    return held;
  }

  TTempDir dir_;
  TTileMap map_;
  TZorbSpriteEngine engine_;
  TParticleAnims anims_;
  std::unique_ptr<TParticleEngine> particles_;
  std::unique_ptr<TImage> back_;

 private:
  std::unique_ptr<TQXStreamOpener> savedOpener_;
};

}  // namespace zorbin::test
