// The owner of the map-wide globals: what it sets up for a visit and what
// its end leaves behind.
#include "formats/TileMapUnit.h"
#include "sprites/MapGlobals.h"
#include "sprites/ZORBParticleEngineUnit.h"
#include "sprites/ZORBSpriteUnit.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

// Tells when it is freed.
class GlobalsWatch : public TZorbSprite {
 public:
  explicit GlobalsWatch(bool* freed) : TZorbSprite(0, 0, nullptr), freed_(freed) {}
  ~GlobalsWatch() override { *freed_ = true; }

 private:
  bool* freed_;
};

TEST(MapGlobals, OneOwnerSetsThemForAVisitAndFreesThemAtItsEnd) {
  bool freed = false;
  {
    auto tileMap = std::make_unique<TTileMap>();
    TTileMap* given = tileMap.get();
    TMapGlobals globals(std::move(tileMap));
    EXPECT_EQ(TileMap, given);
    ASSERT_NE(SpriteEngine, nullptr);
    ASSERT_NE(ParticleAnims, nullptr);
    ASSERT_EQ(SpriteEngine->Count(), 1);
    EXPECT_EQ(SpriteEngine->Items(0), ParticleEngine);
    SpriteEngine->AddSprite(std::make_unique<GlobalsWatch>(&freed), "W");
  }
  EXPECT_TRUE(freed);
  EXPECT_EQ(TileMap, nullptr);
  EXPECT_EQ(SpriteEngine, nullptr);
  EXPECT_EQ(ParticleAnims, nullptr);
  EXPECT_EQ(ParticleEngine, nullptr);
}

}  // namespace
}  // namespace zorbin
