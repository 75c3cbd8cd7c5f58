// SpriteEngineTest: the depth-ordered sprite engine, sprite animation timing and the placeholder picture.
#include "pictures/ImageUnit.h"
#include "sprites/ZORBSpriteUnit.h"
#include "util/QXToolbox.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

// Records the order of Move and Draw calls; kills itself when asked to.
class Probe : public TZorbSprite {
 public:
  Probe(const std::string& tag, int z, std::vector<std::string>* journal, bool* destroyed = nullptr)
      : TZorbSprite(0, 0, nullptr), tag_(tag), journal_(journal), destroyed_(destroyed) {
    ZOrder = z;
  }
  ~Probe() override {
    if (destroyed_) *destroyed_ = true;
  }
  void Move() override {
    journal_->push_back("move " + tag_);
    if (spawnInto) spawnInto->AddSprite(std::make_unique<Probe>(tag_ + "'", ZOrder - 1, journal_), "");
    if (killOnMove) Kill();
  }
  void Draw() override { journal_->push_back("draw " + tag_); }
  bool IsCompleted() const override { return completed; }
  bool killOnMove = false;
  bool completed = false;
  TSpriteEngine* spawnInto = nullptr;  // adds a sprite before itself on Move

 private:
  std::string tag_;
  std::vector<std::string>* journal_;
  bool* destroyed_;
};

TEST(SpriteEngine, SortedInsertionAndDrawOrder) {
  std::vector<std::string> journal;
  TZorbSpriteEngine engine;
  engine.AddSprite(std::make_unique<Probe>("A", 5, &journal), "");
  engine.AddSprite(std::make_unique<Probe>("B", 0, &journal), "Volcano1");
  engine.AddSprite(std::make_unique<Probe>("C", 5, &journal), "");
  engine.DrawAll();
  EXPECT_EQ(journal, (std::vector<std::string>{"draw A", "draw C", "draw B"}));
  EXPECT_EQ(engine.IndexOfName("volcano1"), 0);
  EXPECT_EQ(engine.IndexOfName("nothing"), -1);
  EXPECT_EQ(engine.Items(3), nullptr);
  engine.FreeAll();
  EXPECT_EQ(engine.Count(), 0);
}

TEST(SpriteEngine, KilledSpriteLeavesInTheSameMoveAllAndIsFreedLater) {
  std::vector<std::string> journal;
  bool destroyed = false;
  TZorbSpriteEngine engine;
  auto victimOwned = std::make_unique<Probe>("V", 1, &journal, &destroyed);
  auto* victim = victimOwned.get();
  victim->killOnMove = true;
  engine.AddSprite(std::make_unique<Probe>("K", 0, &journal), "");
  engine.AddSprite(std::move(victimOwned), "");
  engine.MoveAll();
  EXPECT_EQ(journal, (std::vector<std::string>{"move V", "move K"}));
  EXPECT_EQ(engine.Count(), 1);
  EXPECT_FALSE(destroyed);
  EXPECT_TRUE(victim->Killed);
  engine.FreeAll();
  EXPECT_TRUE(destroyed);
}

TEST(SpriteEngine, KilledSpriteThatAddedOneBeforeItselfIsTheOneRemoved) {
  std::vector<std::string> journal;
  bool victimDestroyed = false, keeperDestroyed = false;
  TZorbSpriteEngine engine;
  auto keeperOwned = std::make_unique<Probe>("K", 0, &journal, &keeperDestroyed);
  auto* keeper = keeperOwned.get();
  auto victimOwned = std::make_unique<Probe>("V", 5, &journal, &victimDestroyed);
  auto* victim = victimOwned.get();
  victim->killOnMove = true;
  victim->spawnInto = &engine;  // V' (ZOrder 4) goes in before V
  engine.AddSprite(std::move(keeperOwned), "");
  engine.AddSprite(std::move(victimOwned), "");
  engine.MoveAll();
  ASSERT_EQ(engine.Count(), 2);
  EXPECT_EQ(engine.Items(0), keeper);
  EXPECT_NE(engine.Items(1), victim);
  engine.DrawAll();
  EXPECT_EQ(journal.back(), "draw K");
  EXPECT_EQ(journal[journal.size() - 2], "draw V'");
  EXPECT_FALSE(victimDestroyed);
  engine.FreeAll();
  EXPECT_TRUE(victimDestroyed);
  EXPECT_TRUE(keeperDestroyed);
}

TEST(SpriteEngine, ReleaseAllHandsOverTheListAndTheEngineFreesTheKilledAtItsEnd) {
  std::vector<std::string> journal;
  bool victimDestroyed = false, keptDestroyed = false;
  std::vector<std::unique_ptr<TSprite>> released;
  {
    TZorbSpriteEngine engine;
    auto victim = std::make_unique<Probe>("V", 1, &journal, &victimDestroyed);
    victim->killOnMove = true;
    engine.AddSprite(std::make_unique<Probe>("A", 0, &journal, &keptDestroyed), "First");
    engine.AddSprite(std::move(victim), "");
    engine.AddSprite(std::make_unique<Probe>("B", 2, &journal), "Second");
    engine.MoveAll();
    released = engine.ReleaseAll();
    EXPECT_EQ(engine.Count(), 0);
    EXPECT_FALSE(victimDestroyed);
  }
  EXPECT_TRUE(victimDestroyed);  // the killed sprite stayed with the engine
  EXPECT_FALSE(keptDestroyed);
  ASSERT_EQ(released.size(), 2u);
  EXPECT_EQ(released[0]->Name, "First");
  EXPECT_EQ(released[1]->Name, "Second");
}

TEST(SpriteEngine, AnyCompletedAsksEverySprite) {
  std::vector<std::string> journal;
  TZorbSpriteEngine engine;
  auto pOwned = std::make_unique<Probe>("P", 0, &journal);
  auto* p = pOwned.get();
  engine.AddSprite(std::make_unique<Probe>("Q", 0, &journal), "");
  engine.AddSprite(std::move(pOwned), "");
  EXPECT_FALSE(engine.AnyCompleted());
  p->completed = true;
  EXPECT_TRUE(engine.AnyCompleted());
  engine.FreeAll();
}

class SpriteAnimation : public ::testing::Test {
 protected:
  void SetUp() override {
    SetImageDepth(32);
    strip = std::make_unique<TImage>(40, 8);  // four frames of 10 x 8
    strip->Animated = true;
    strip->FrameCount = 4;
    target = std::make_unique<TImage>(40, 8);
    DefaultTarget = target.get();
  }
  void TearDown() override {
    DefaultTarget = nullptr;
    SetImageDepth(24);
  }
  std::unique_ptr<TImage> strip, target;
};

TEST_F(SpriteAnimation, FrameDelayAndNonLoopedEnd) {
  strip->FrameDelay = 2;
  TSprite s(0, 0, strip.get());
  EXPECT_EQ(s.FrameWidth, 10);
  std::vector<int> frames;
  for (int i = 0; i < 12; ++i) {
    frames.push_back(s.Frame);
    s.Draw();
  }
  EXPECT_EQ(frames, (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3}));
  EXPECT_TRUE(s.AnimDone);
  s.Draw();
  EXPECT_EQ(s.Frame, 3);
}

TEST_F(SpriteAnimation, LoopDelayHoldsTheLastFrame) {
  strip->Looped = true;
  strip->LoopDelay = 1;
  TSprite s(0, 0, strip.get());
  std::vector<int> frames;
  for (int i = 0; i < 7; ++i) {
    frames.push_back(s.Frame);
    s.Draw();
  }
  EXPECT_EQ(frames, (std::vector<int>{0, 1, 2, 3, 3, 0, 1}));
  EXPECT_FALSE(s.AnimDone);
}

TEST_F(SpriteAnimation, DrawsTheCurrentFrameAndSetImageResets) {
  strip->FillRect(10, 0, 10, 8, 0, 255, 0);  // frame 1 is green
  strip->StartFrame = 1;
  TSprite s(5, 0, strip.get());
  EXPECT_EQ(s.Frame, 1);
  s.Draw();
  EXPECT_EQ(target->GetPixel(5, 0), target->MapRGB(0, 255, 0));
  EXPECT_EQ(target->GetPixel(15, 0), 0u);
  TImage narrow(20, 8);
  s.Frame = 3;
  s.SetImage(&narrow);
  EXPECT_EQ(s.FrameCount, 2);
  EXPECT_EQ(s.Frame, 0);
  TImage empty;
  s.SetImage(&empty);  // no surface: no frames, no division by zero
  EXPECT_EQ(s.FrameCount, 0);
  s.Draw();
}

TEST_F(SpriteAnimation, RandomStartFrameComesFromTheGenerator) {
  strip->RandomStartFrame = true;
  RandSeed(7);
  TSprite a(0, 0, strip.get());
  RandSeed(7);
  TSprite b(0, 0, strip.get());
  EXPECT_EQ(a.Frame, b.Frame);
  EXPECT_GE(a.Frame, 0);
  EXPECT_LT(a.Frame, 4);
}

TEST(Placeholder, BodyCrossAndLetters) {
  SetImageDepth(32);
  auto img = CreatePlaceholderImage();
  EXPECT_EQ(img->Width(), 32);
  EXPECT_EQ(img->Height(), 16);
  uint32_t white = img->MapRGB(255, 255, 255), red = img->MapRGB(255, 0, 0);
  EXPECT_EQ(img->GetPixel(31, 0), 0u);  // right edge
  EXPECT_EQ(img->GetPixel(0, 15), 0u);  // bottom edge
  EXPECT_EQ(img->GetPixel(0, 0), white);
  EXPECT_EQ(img->GetPixel(1, 1), red);
  EXPECT_EQ(img->GetPixel(4, 4), red);  // centre of the cross
  EXPECT_EQ(img->GetPixel(3, 1), white);
  EXPECT_EQ(img->GetPixel(16, 10), 0u);  // N
  EXPECT_EQ(img->GetPixel(17, 10), white);
  EXPECT_EQ(img->GetPixel(30, 14), 0u);  // A's right leg
  SetImageDepth(24);
}

}  // namespace
}  // namespace zorbin
