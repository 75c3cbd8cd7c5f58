// RotatorTest: rotator and randomizer groups handing the turn between their members.
#include "objects/ZORBRotatorUnit.h"

#include "ObjectTestSupport.h"
#include "objects/ZORBLinearMoverUnit.h"
#include "objects/ZORBRandomizerUnit.h"

#include <set>

namespace zorbin {
namespace {

class RotatorTest : public test::TObjectTest {
 protected:
  // Linear movers of a 16 x 16 picture, one section each: "M0" ... with the keys given.
  std::unique_ptr<TLinearMover> Member(const std::string& keys) {
    std::string image = Plain("bullet.tga", 16, 16, 0xFFFFFF);
    std::string name = "M" + std::to_string(inis_.size());
    inis_.push_back(Ini("[" + name + "]\nImage=" + image + "\n" + keys));
    return std::make_unique<TLinearMover>(*inis_.back(), name);
  }
  static TLinearMover* At(TRotator& group, int i) { return static_cast<TLinearMover*>(group.Members[size_t(i)].get()); }
  // Play-area rows 20 i .. 20 i + 15 of the back buffer: is anything drawn there?
  bool Drawn(int i) const {
    for (int y = 64 + 20 * i; y < 64 + 20 * i + 16; ++y)
      for (int x = 64; x < 64 + 64; ++x)
        if (Pixel(x, y) != 0) return true;
    return false;
  }
  std::vector<std::unique_ptr<TIniFile>> inis_;
};

TEST_F(RotatorTest, EightBulletsFlyOneAfterAnother) {
  TRotator rotator;
  for (int i = 0; i < 8; ++i)
    rotator.AddMember(Member("PositionY=" + std::to_string(20 * i) + "\nSpeedX=16\nBounds=0,0,63,383\n"));
  EXPECT_EQ(rotator.Active, 0);
  EXPECT_EQ(rotator.Y, 64);
  // A bullet crosses x = 64 in its 13th move (208 + 64 > 256 quarter pixels).
  for (int bullet = 0; bullet < 8; ++bullet) {
    for (int f = 1; f <= 13; ++f) {
      back_->FillRect(0, 0, 640, 480, 0, 0, 0);
      rotator.Move();
      rotator.Draw();
      int acting = f < 13 ? bullet : (bullet + 1) % 8;
      ASSERT_EQ(rotator.Active, acting) << bullet << " " << f;
      for (int i = 0; i < 8; ++i) ASSERT_EQ(Drawn(i), i == acting) << bullet << " " << f << " " << i;
      EXPECT_FALSE(rotator.Killed);
    }
    // The next bullet is revived but has not moved yet; the container mirrors it.
    TLinearMover* next = At(rotator, (bullet + 1) % 8);
    EXPECT_FALSE(next->Killed);
    EXPECT_EQ(rotator.X, next->X);
    EXPECT_EQ(rotator.Y, next->Y);
    if (bullet < 7) {
      EXPECT_EQ(next->FineX, 0);
    }
  }
  // The first flies again from where it was wrapped to: 208 - 256 + 64 = 16.
  EXPECT_EQ(At(rotator, 0)->FineX, 16);
  rotator.Move();
  EXPECT_EQ(At(rotator, 0)->FineX, 32);
  EXPECT_EQ(At(rotator, 1)->FineX, 16);  // the others keep their state
}

TEST_F(RotatorTest, AMemberKeepsTheTurnForItsLifeCycle) {
  TRotator rotator;
  rotator.AddMember(Member("SpeedX=0\nLifeCycle=8\n"));
  rotator.AddMember(Member("SpeedX=0\nLifeCycle=5\n"));
  std::vector<int> turns;
  for (int f = 0; f < 26; ++f) {
    turns.push_back(rotator.Active);
    rotator.Move();
  }
  std::vector<int> expected;
  for (int turn = 0; turn < 4; ++turn) expected.insert(expected.end(), turn % 2 ? 5 : 8, turn % 2);
  EXPECT_EQ(turns, expected);
}

TEST_F(RotatorTest, ARandomizerWithOneMemberRevivesItAtOnce) {
  TRandomizer randomizer;
  std::unique_ptr<TLinearMover> member = Member("SpeedX=4\nLifeCycle=3\n");
  TLinearMover* only = member.get();
  randomizer.AddMember(std::move(member));
  for (int f = 1; f <= 9; ++f) {
    randomizer.Move();
    EXPECT_FALSE(only->Killed) << f;
    EXPECT_EQ(randomizer.Active, 0);
  }
  EXPECT_EQ(only->X, 64 + 9);
}

TEST_F(RotatorTest, ARandomizerHandsOverToAnyMember) {
  TRandomizer randomizer;
  for (int i = 0; i < 3; ++i) randomizer.AddMember(Member("SpeedX=0\nLifeCycle=1\n"));
  std::set<int> chosen;
  int same = 0;
  for (int f = 0; f < 200; ++f) {
    int before = randomizer.Active;
    randomizer.Move();
    chosen.insert(randomizer.Active);
    if (randomizer.Active == before) ++same;
    EXPECT_FALSE(randomizer.Members[size_t(randomizer.Active)]->Killed);
  }
  EXPECT_EQ(chosen, (std::set<int>{0, 1, 2}));
  EXPECT_GT(same, 0);  // the member that just died may be picked again
}

TEST_F(RotatorTest, GroupsWithoutMembersDoNothing) {
  TRotator rotator;
  TRandomizer randomizer;
  for (TRotator* group : {&rotator, static_cast<TRotator*>(&randomizer)}) {
    group->Move();
    group->Draw();
    EXPECT_EQ(group->X, 0);
    EXPECT_FALSE(group->Killed);
  }
  rotator.AddMember(nullptr);
  EXPECT_TRUE(rotator.Members.empty());
}

}  // namespace
}  // namespace zorbin
