// RunnerTest: runners walking floors by row parity, turning at walls, falling and restarting.
#include "objects/ZORBRunnerUnit.h"

#include "ObjectTestSupport.h"

namespace zorbin {
namespace {

constexpr int32_t kRunFloor = 0x02;

class RunnerTest : public test::TObjectTest {
 protected:
  void SetUp() override {
    TObjectTest::SetUp();
    left_ = Plain("left.tga", 32, 32, 0xFF0000);
    right_ = Plain("right.tga", 32, 32, 0x0000FF);
  }
  std::unique_ptr<TRunner> Make(const std::string& keys) {
    ini_ = Ini("[R]\nType=Runner\nImageLeft=" + left_ + "\nImageRight=" + right_ + "\n" + keys);
    return std::make_unique<TRunner>(*ini_, "R");
  }
  static void Run(TRunner& r, int frames) {
    for (int i = 0; i < frames; ++i) r.Move();
  }
  bool FacesLeft(const TRunner& r) const { return r.Image == r.ImageLeft.get(); }

  std::string left_, right_;
  std::unique_ptr<TIniFile> ini_;
};

TEST_F(RunnerTest, OriginalModeStartsRelativeToTheOriginAndWalksByRowParity) {
  Hand(std::make_unique<TZorbSprite>(176, 64, nullptr), "Dispenser");
  const std::string keys =
      "PositionX=16\nPositionY=16\nSpeedX=4\nSpeedY=16\nPositioning=relative\nOrigin=dispenser\nMode=Original\n";
  test::TCapturedLog log;
  Row(5, kRunFloor);
  auto odd = Make(keys);
  EXPECT_TRUE(log.Contains("< Trace > Reinit start."));
  EXPECT_TRUE(log.Contains("< Trace > fsX=128"));
  EXPECT_TRUE(log.Contains("< Trace > fsY=16"));
  EXPECT_TRUE(log.Contains("< Trace > Original!"));
  EXPECT_EQ(odd->X, 192);
  EXPECT_EQ(odd->Y, 80);
  EXPECT_EQ(odd->Col, 8);
  EXPECT_EQ(odd->Row, 1);
  EXPECT_FALSE(odd->Walking);
  EXPECT_EQ(odd->StepLeft, 4);
  // Falls a tile per 4 frames onto the floor of row 5, landing on row 3 (odd): left.
  Run(*odd, 7);
  EXPECT_FALSE(odd->Walking);
  EXPECT_EQ(odd->Y, 80 + 28);
  odd->Move();
  EXPECT_TRUE(odd->Walking);
  EXPECT_EQ(odd->Row, 3);
  EXPECT_EQ(odd->SpeedX, -4);
  EXPECT_TRUE(FacesLeft(*odd));
  EXPECT_EQ(odd->StepLeft, 16);
  Run(*odd, 16);
  EXPECT_EQ(odd->Col, 7);
  EXPECT_EQ(odd->X, 176);

  // Landing on an even row turns it right, whatever the sign of SpeedX.
  Row(5, 0);
  Row(6, kRunFloor);
  auto even = Make(
      "PositionX=16\nPositionY=16\nSpeedX=-4\nSpeedY=16\nPositioning=RELATIVE\nOrigin=Dispenser\n"
      "Mode=ORIGINAL\n");
  EXPECT_EQ(even->SpeedX, -4);  // row 1 at the start: odd
  EXPECT_TRUE(FacesLeft(*even));
  Run(*even, 12);
  EXPECT_EQ(even->Row, 4);
  EXPECT_EQ(even->SpeedX, 4);
  EXPECT_FALSE(FacesLeft(*even));

  // Mode New keeps the sign of SpeedX after landing.
  auto keep = Make("PositionX=16\nPositionY=16\nSpeedX=-4\nSpeedY=16\nPositioning=Relative\nOrigin=Dispenser\n");
  Run(*keep, 12);
  EXPECT_TRUE(keep->Walking);
  EXPECT_EQ(keep->SpeedX, -4);
  EXPECT_TRUE(FacesLeft(*keep));
}

TEST_F(RunnerTest, OriginalModeOnAnOddStartRowWalksLeftAtOnce) {
  Row(5, kRunFloor);
  auto r = Make("PositionX=64\nPositionY=48\nSpeedX=4\nMode=original\n");
  EXPECT_TRUE(r->Walking);
  EXPECT_EQ(r->SpeedX, -4);
  EXPECT_TRUE(FacesLeft(*r));
}

TEST_F(RunnerTest, WithoutTheOriginTheStartPointIsAbsolute) {
  auto r = Make("PositionX=40\nPositionY=16\nPositioning=Relative\nOrigin=Nobody\n");
  EXPECT_EQ(r->X, 104);
  EXPECT_EQ(r->Col, 2);
  // Absolute positioning ignores a named origin.
  Hand(std::make_unique<TZorbSprite>(300, 300, nullptr), "Somebody");
  auto a = Make("PositionX=40\nPositionY=16\nOrigin=Somebody\n");
  EXPECT_EQ(a->X, 104);
}

TEST_F(RunnerTest, WallTwoColumnsAheadRestartsAtTheStart) {
  Row(12, kRunFloor);
  map_.SetLogic(9, 10, 0x08);
  auto r = Make("PositionX=64\nPositionY=160\nSpeedX=8\nLifeCycle=1000\n");
  EXPECT_TRUE(r->Walking);
  EXPECT_FALSE(FacesLeft(*r));
  Run(*r, 16);
  EXPECT_EQ(r->Col, 6);
  EXPECT_FALSE(r->Killed);
  Run(*r, 7);
  EXPECT_EQ(r->X, 64 + 64 + 46);
  r->Move();  // Col 7: the wall at (9, 10) is ahead
  EXPECT_TRUE(r->Killed);
  EXPECT_EQ(r->Col, 4);
  EXPECT_EQ(r->X, 128);
  EXPECT_EQ(r->LifeLeft, 1000);

  // Looped: the same restart without being killed; bit 0x10 is a wall too, walking left.
  map_.SetLogic(9, 10, 0);
  map_.SetLogic(1, 10, 0x10);
  auto looped = Make("PositionX=64\nPositionY=160\nSpeedX=-8\nLooped=true\n");
  Run(*looped, 15);
  EXPECT_EQ(looped->Col, 3);
  EXPECT_EQ(looped->X, 128 - 30);
  looped->Move();  // Col 2: the lift bit at (1, 10) is ahead
  EXPECT_EQ(looped->Col, 4);
  EXPECT_EQ(looped->X, 128);
  EXPECT_FALSE(looped->Killed);
}

TEST_F(RunnerTest, WalkingOffAFloorStartsAFall) {
  Row(12, kRunFloor, 0, 6);
  Row(15, kRunFloor);
  auto r = Make("PositionX=64\nPositionY=160\nSpeedX=8\n");
  Run(*r, 16);  // Col 6: the floor is still under column 6
  EXPECT_TRUE(r->Walking);
  Run(*r, 8);  // Col 7: nothing under columns 7 and 8
  EXPECT_FALSE(r->Walking);
  EXPECT_EQ(r->StepLeft, 8);
  Run(*r, 24);
  EXPECT_TRUE(r->Walking);
  EXPECT_EQ(r->Row, 13);
  EXPECT_EQ(r->Y, 64 + 208);
}

TEST_F(RunnerTest, LifeCycleKillsAndRestarts) {
  Row(12, kRunFloor);
  auto r = Make("PositionX=64\nPositionY=160\nLifeCycle=100\n");
  Run(*r, 99);
  EXPECT_FALSE(r->Killed);
  EXPECT_EQ(r->X, 128 + 49);
  r->Move();
  EXPECT_TRUE(r->Killed);
  EXPECT_EQ(r->X, 128);
  EXPECT_EQ(r->LifeLeft, 100);
}

TEST_F(RunnerTest, ASpeedOfZeroIsRefusedWithTheDefault) {
  test::TCapturedLog log;
  auto r = Make("SpeedX=0\nSpeedY=0\n");
  EXPECT_TRUE(log.Contains("{ZORBRunnerUnit, TRunner.Create} SpeedX must not be 0, using 2. (Object: R)"));
  EXPECT_TRUE(log.Contains("{ZORBRunnerUnit, TRunner.Create} SpeedY must not be 0, using 8. (Object: R)"));
  EXPECT_EQ(r->BaseSpeedX, 2);
  EXPECT_EQ(r->SpeedY, 8);
  EXPECT_EQ(r->StepLeft, 8);
}

TEST_F(RunnerTest, OffTheGridNothingCarriesAndNothingStops) {
  Row(21, kRunFloor);
  auto r = Make("PositionX=464\nPositionY=304\nSpeedX=64\nSpeedY=64\n");
  EXPECT_TRUE(r->Walking);
  Run(*r, 3);  // columns 30, 31, 32: off the right edge
  EXPECT_EQ(r->Col, 32);
  EXPECT_FALSE(r->Walking);
  Run(*r, 1000);
  EXPECT_FALSE(r->Walking);
  EXPECT_GT(r->Row, 1000);
  EXPECT_FALSE(r->Killed);

  auto left = Make("PositionX=16\nPositionY=304\nSpeedX=-64\nSpeedY=64\n");
  Run(*left, 4);
  EXPECT_LT(left->Col, 0);
  EXPECT_FALSE(left->Walking);
}

TEST_F(RunnerTest, ReviveRestartsFromTheOriginsCurrentPlace) {
  TZorbSprite& origin = *Hand(std::make_unique<TZorbSprite>(64, 64, nullptr), "Origin");
  auto r = Make("PositionX=0\nPositionY=0\nPositioning=Relative\nOrigin=origin\n");
  EXPECT_EQ(r->X, 64);  // (64 div 16 - 4) * 16 = 0 play-area pixels
  origin.MoveTo(64 + 50, 64 + 33);
  r->Kill();
  r->Revive();
  EXPECT_FALSE(r->Killed);
  EXPECT_EQ(r->X, 64 + 48);
  EXPECT_EQ(r->Y, 64 + 32);
  EXPECT_EQ(r->Col, 3);
  EXPECT_EQ(r->Row, 2);
}

TEST_F(RunnerTest, MoveByShiftsButTheStartPointStays) {
  Row(12, kRunFloor);
  auto r = Make("PositionX=64\nPositionY=160\nLifeCycle=10\n");
  r->MoveBy(40, -20);
  EXPECT_EQ(r->X, 128 + 40);
  EXPECT_EQ(r->Y, 224 - 20);
  EXPECT_EQ(r->Col, 6);
  EXPECT_EQ(r->Row, 8);
  Run(*r, 10);
  EXPECT_EQ(r->X, 128);
  EXPECT_EQ(r->Row, 10);
}

}  // namespace
}  // namespace zorbin
