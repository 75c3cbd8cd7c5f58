// The particle engine: animations, spawning, flight, fading and drawing on its target.
#include "pictures/ImageUnit.h"
#include "sprites/MapGlobals.h"
#include "sprites/ZORBParticleEngineUnit.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

// A 32-bit drawing surface as the sprites' target, and the map-wide
// animation list the engine spawns from.
class Particles : public ::testing::Test {
 protected:
  void SetUp() override {
    SetImageDepth(32);
    back = std::make_unique<TImage>(40, 30);
    DefaultTarget = back.get();
    ParticleAnims = &anims;
  }
  void TearDown() override {
    ParticleAnims = nullptr;
    DefaultTarget = nullptr;
    SetImageDepth(24);
  }
  uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) const { return back->MapRGB(r, g, b); }
  // The pixels of the target that are not blue.
  std::vector<std::pair<int, int>> Drawn() const {
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < back->Height(); ++y)
      for (int x = 0; x < back->Width(); ++x)
        if (back->GetPixel(x, y) != Rgb(0, 0, 255)) out.emplace_back(x, y);
    return out;
  }
  using Points = std::vector<std::pair<int, int>>;

  std::unique_ptr<TImage> back;
  TParticleAnims anims;
};

TEST_F(Particles, FadeIsNamedSharedAndPlusShaped) {
  int a = anims.GetFade(255, 0, 136, 48, 48, 48, 16);
  EXPECT_EQ(anims.GetFade(255, 0, 136, 48, 48, 48, 16), a);
  EXPECT_EQ(anims.Count(), 1);
  TParticleAnim* anim = anims.GetAnim(a);
  ASSERT_NE(anim, nullptr);
  EXPECT_EQ(anim->Name, "255,0,136,48,48,48,16");
  EXPECT_EQ(anim->Image->Width(), 48);
  EXPECT_EQ(anim->Image->Height(), 3);
  EXPECT_TRUE(anim->Image->Surface->flags & SDL_SRCCOLORKEY);

  int w = anims.GetFade(255, 255, 255, 0, 0, 0, 4);
  EXPECT_EQ(w, 1);
  const TImage& img = *anims.GetAnim(w)->Image;
  const uint8_t expected[4] = {255, 192, 128, 64};
  for (int k = 0; k < 4; ++k) {
    uint32_t c = img.MapRGB(expected[k], expected[k], expected[k]);
    int x = 3 * k;
    EXPECT_EQ(img.GetPixel(x + 1, 0), c) << k;
    EXPECT_EQ(img.GetPixel(x, 1), c) << k;
    EXPECT_EQ(img.GetPixel(x + 1, 1), c) << k;
    EXPECT_EQ(img.GetPixel(x + 2, 1), c) << k;
    EXPECT_EQ(img.GetPixel(x + 1, 2), c) << k;
    for (auto [cx, cy] : Points{{0, 0}, {2, 0}, {0, 2}, {2, 2}}) EXPECT_EQ(img.GetPixel(x + cx, cy), 0u) << k;
  }

  // 10 -> 0 in 3 steps: 10 - 10/3 = 7 and 10 - 20/3 = 4 (not 6 and 3).
  const TImage& t = *anims.GetAnim(anims.GetFade(10, 0, 20, 0, 3, 20, 3))->Image;
  EXPECT_EQ(t.GetPixel(4, 1), t.MapRGB(7, 1, 20));
  EXPECT_EQ(t.GetPixel(7, 1), t.MapRGB(4, 2, 20));
}

TEST_F(Particles, AddAnimKeepsTheFirstImageAndIndexesGuardTheTable) {
  auto first = std::make_unique<TImage>(6, 3);
  TImage* kept = first.get();
  EXPECT_EQ(anims.AddAnim(std::move(first), "*Volcano*"), 0);
  EXPECT_EQ(anims.GetFade(1, 2, 3, 4, 5, 6, 2), 1);
  EXPECT_EQ(anims.AddAnim(std::make_unique<TImage>(96, 3), "*volcano*"), 0);
  EXPECT_EQ(anims.Count(), 2);
  EXPECT_EQ(anims.GetAnim(0)->Image.get(), kept);
  EXPECT_EQ(anims.GetAnim(-1), nullptr);
  EXPECT_EQ(anims.GetAnim(2), nullptr);
  anims.Clear();
  EXPECT_EQ(anims.Count(), 0);
  EXPECT_EQ(anims.GetAnim(0), nullptr);
  EXPECT_EQ(anims.GetFade(1, 2, 3, 4, 5, 6, 2), 0);
}

TEST_F(Particles, FlightFromStartToRemoval) {
  int fade = anims.GetFade(255, 255, 255, 0, 0, 0, 16);
  TParticleEngine engine;
  EXPECT_EQ(engine.ZOrder, 0);
  PParticle p = engine.Spawn(100, 406, 120, 380, 32, fade);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->FrameCount, 16);
  EXPECT_EQ(std::make_pair(p->X, p->Y), std::make_pair(100, 406));
  for (int step = 1; step <= 31; ++step) {
    engine.Move();
    ASSERT_EQ(engine.Particles.size(), 1u) << step;
    EXPECT_EQ(p->Step, step);
    EXPECT_EQ(p->X, 100 + 20 * step / 32) << step;
    EXPECT_EQ(p->Y, 406 - 26 * step / 32) << step;
    EXPECT_EQ(p->Frame, step / 2) << step;
  }
  EXPECT_EQ(std::make_pair(p->X, p->Y), std::make_pair(119, 381));
  engine.Move();
  EXPECT_TRUE(engine.Particles.empty());

  // Far-apart points from object files must not overflow on the way.
  p = engine.Spawn(-2000000000, 2000000000, 2000000000, -2000000000, 4, fade);
  engine.Move();
  EXPECT_EQ(std::make_pair(p->X, p->Y), std::make_pair(-1000000000, 1000000000));
}

TEST_F(Particles, RemovalKeepsCreationOrder) {
  int fade = anims.GetFade(255, 255, 255, 0, 0, 0, 4);
  TParticleEngine engine;
  engine.Spawn(1, 0, 1, 0, 3, fade);
  engine.Spawn(2, 0, 2, 0, 1, fade);
  engine.Spawn(3, 0, 3, 0, 3, fade);
  engine.Spawn(4, 0, 4, 0, 0, fade);   // no steps: gone in its first move
  engine.Spawn(5, 0, 5, 0, -7, fade);  // likewise
  engine.Move();
  ASSERT_EQ(engine.Particles.size(), 2u);
  EXPECT_EQ(engine.Particles[0]->StartX, 1);
  EXPECT_EQ(engine.Particles[1]->StartX, 3);
}

TEST_F(Particles, SpawnWithoutAnAnimationAddsNothing) {
  TParticleEngine engine;
  EXPECT_EQ(engine.Spawn(0, 0, 10, 10, 8, 0), nullptr);
  anims.GetFade(1, 1, 1, 0, 0, 0, 2);
  EXPECT_EQ(engine.Spawn(0, 0, 10, 10, 8, 1), nullptr);
  EXPECT_EQ(engine.Spawn(0, 0, 10, 10, 8, -1), nullptr);
  ParticleAnims = nullptr;
  EXPECT_EQ(engine.Spawn(0, 0, 10, 10, 8, 0), nullptr);
  EXPECT_TRUE(engine.Particles.empty());
}

TEST_F(Particles, DrawsThreePixelsOfTheCurrentFrame) {
  back->FillRect(0, 0, 40, 30, 0, 0, 255);
  int fade = anims.GetFade(255, 0, 0, 0, 255, 0, 2);  // frame 0 red, frame 1 (128, 127, 0)
  TParticleEngine engine;
  engine.Spawn(10, 10, 10, 20, 4, fade);
  engine.Draw();
  EXPECT_EQ(Drawn(), (Points{{11, 10}, {10, 11}, {11, 11}}));
  EXPECT_EQ(back->GetPixel(11, 10), Rgb(255, 0, 0));
  EXPECT_EQ(back->GetPixel(10, 11), Rgb(255, 0, 0));

  back->FillRect(0, 0, 40, 30, 0, 0, 255);
  engine.Move();
  engine.Move();  // step 2 of 4: (10, 15), frame 1
  engine.Draw();
  EXPECT_EQ(Drawn(), (Points{{11, 15}, {10, 16}, {11, 16}}));
  EXPECT_EQ(back->GetPixel(11, 16), Rgb(128, 127, 0));
}

TEST_F(Particles, ParticlesOffTheSurfaceAreClipped) {
  back->FillRect(0, 0, 40, 30, 0, 0, 255);
  int fade = anims.GetFade(255, 255, 255, 0, 0, 0, 1);
  TParticleEngine engine;
  engine.Spawn(-1, -1, -1, -1, 2, fade);      // only its (1, 1) lands, at (0, 0)
  engine.Spawn(39, 28, 39, 28, 2, fade);      // only its (0, 1) lands, at (39, 29)
  engine.Spawn(-500, 900, 0, 0, 2, fade);     // wholly outside
  engine.Spawn(65546, 65546, 0, 0, 2, fade);  // beyond 16 bits: must not wrap to (10, 10)
  engine.Draw();
  EXPECT_EQ(Drawn(), (Points{{0, 0}, {39, 29}}));
}

TEST_F(Particles, FadesWithoutFramesDrawNothing) {
  back->FillRect(0, 0, 40, 30, 0, 0, 255);
  int none = anims.GetFade(255, 255, 255, 0, 0, 0, 0);
  int negative = anims.GetFade(255, 255, 255, 0, 0, 0, -3);
  EXPECT_NE(none, negative);
  EXPECT_EQ(anims.GetAnim(none)->Name, "255,255,255,0,0,0,0");
  EXPECT_EQ(anims.GetAnim(negative)->Name, "255,255,255,0,0,0,-3");
  TParticleEngine engine;
  PParticle p = engine.Spawn(5, 5, 25, 25, 10, none);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->FrameCount, 0);
  engine.Spawn(5, 5, 25, 25, 10, negative);
  for (int i = 0; i < 5; ++i) {
    engine.Move();
    engine.Draw();
  }
  EXPECT_EQ(p->Frame, 0);
  EXPECT_TRUE(Drawn().empty());
}

TEST_F(Particles, LongFadesAreSpreadOverTheLargestStrip) {
  int fade = anims.GetFade(255, 255, 255, 0, 0, 0, 1000000);
  const TImage& img = *anims.GetAnim(fade)->Image;
  EXPECT_EQ(img.Width(), kMaxFadeFrames * 3);
  EXPECT_EQ(img.GetPixel(1, 1), img.MapRGB(255, 255, 255));
  int last = kMaxFadeFrames - 1;
  uint8_t c = uint8_t(255 - last * 255 / kMaxFadeFrames);
  EXPECT_EQ(img.GetPixel(3 * last + 1, 1), img.MapRGB(c, c, c));
  TParticleEngine engine;
  PParticle p = engine.Spawn(0, 0, 0, 0, 1000000, fade);
  for (int i = 0; i < 999; ++i) engine.Move();
  EXPECT_EQ(p->Frame, int32_t(int64_t(kMaxFadeFrames) * 999 / 1000000));
}

// Spawns one particle during the objects' moves, after the engine's own Move.
class Spawner : public TZorbSprite {
 public:
  Spawner(TParticleEngine* engine, int anim) : TZorbSprite(0, 0, nullptr), engine_(engine), anim_(anim) {}
  void Move() override {
    if (!done_) engine_->Spawn(20, 5, 20, 25, 4, anim_);
    done_ = true;
  }
  void Draw() override {}

 private:
  TParticleEngine* engine_;
  int anim_;
  bool done_ = false;
};

TEST_F(Particles, ParticleSpawnedInAFrameIsDrawnAtItsStartThatFrame) {
  int fade = anims.GetFade(0, 255, 0, 255, 0, 0, 4);
  TZorbSpriteEngine sprites;
  auto* engine = static_cast<TParticleEngine*>(sprites.AddSprite(std::make_unique<TParticleEngine>(), ""));
  sprites.AddSprite(std::make_unique<Spawner>(engine, fade), "");
  std::vector<Points> frames;
  for (int frame = 0; frame < 5; ++frame) {
    back->FillRect(0, 0, 40, 30, 0, 0, 255);
    sprites.MoveAll();
    sprites.DrawAll();
    frames.push_back(Drawn());
    if (frame == 0) {
      EXPECT_EQ(back->GetPixel(21, 5), Rgb(0, 255, 0));  // animation frame 0
    }
  }
  EXPECT_EQ(frames[0], (Points{{21, 5}, {20, 6}, {21, 6}}));
  EXPECT_EQ(frames[1], (Points{{21, 10}, {20, 11}, {21, 11}}));
  EXPECT_EQ(frames[2], (Points{{21, 15}, {20, 16}, {21, 16}}));
  EXPECT_EQ(frames[3], (Points{{21, 20}, {20, 21}, {21, 21}}));
  EXPECT_TRUE(frames[4].empty());  // never drawn at its end point
  sprites.FreeAll();
}

}  // namespace
}  // namespace zorbin
