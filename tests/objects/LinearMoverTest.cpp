// LinearMoverTest: straight movement with edge wrap or death, life cycles, animation keys and bad values.
#include "objects/ZORBLinearMoverUnit.h"

#include "ObjectTestSupport.h"
#include "util/Streams.h"

namespace zorbin {
namespace {

class LinearMoverTest : public test::TObjectTest {
 protected:
  // A mover with a 16 x 16 picture and the given keys.
  std::unique_ptr<TLinearMover> Make(const std::string& keys) {
    std::string image = Plain("dot.tga", 16, 16, 0x40C040);
    ini_ = Ini("[M]\nType=LinearMover\nImage=" + image + "\n" + keys);
    return std::make_unique<TLinearMover>(*ini_, "M");
  }
  static int MovesUntilKilled(TLinearMover& m, int limit) {
    for (int i = 1; i <= limit; ++i) {
      m.Move();
      if (m.Killed) return i;
    }
    return -1;
  }
  std::unique_ptr<TIniFile> ini_;
};

TEST_F(LinearMoverTest, WrapsAtTheRightEdgeCarriedInByTheOvershoot) {
  auto m = Make("SpeedX=1\nLooped=true\nBounds=0,0,511,15\nPositionX=494\n");
  EXPECT_EQ(m->X, 558);
  EXPECT_EQ(m->BoundRight, 2048);
  // One pixel every four frames: 494 -> 496 after eight moves, the last place
  // where the 16-pixel picture still ends inside x = 511.
  for (int i = 0; i < 8; ++i) m->Move();
  EXPECT_EQ(m->FineX, 1984);
  EXPECT_EQ(m->X, 560);
  m->Move();  // 1985 + 64 > 2048: re-enters on the left, 1 quarter pixel in
  EXPECT_EQ(m->FineX, 1);
  EXPECT_EQ(m->X, 64);
  EXPECT_FALSE(m->Killed);
  for (int i = 0; i < 3; ++i) m->Move();
  EXPECT_EQ(m->X, 65);
}

struct EdgeCase {
  const char* edge;
  const char* keys;
  int frames;            // the Move that kills
  int32_t fineX, fineY;  // after the correction of that Move
};

void PrintTo(const EdgeCase& c, std::ostream* os) { *os << c.edge; }

class LinearMoverEdgeTest : public LinearMoverTest, public ::testing::WithParamInterface<EdgeCase> {};

// Bounds 160,64,223,127 (quarter pixels 640..896 and 256..512), picture 16 x 16.
TEST_P(LinearMoverEdgeTest, DiesOnTheFrameItCrossesAnEdge) {
  const EdgeCase& c = GetParam();
  auto m = Make(std::string("Bounds=160,64,223,127\n") + c.keys);
  EXPECT_EQ(MovesUntilKilled(*m, 1000), c.frames);
  EXPECT_EQ(m->FineX, c.fineX);
  EXPECT_EQ(m->FineY, c.fineY);
  EXPECT_EQ(m->X, c.fineX / 4 + 64);
  EXPECT_EQ(m->Y, c.fineY / 4 + 64);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, LinearMoverEdgeTest,
    ::testing::Values(
        // Left: from x 164 at -4: 160 after 4 moves, 159 < 160 on the 5th; wrapped to 159 + 64 - 16 = 207.
        EdgeCase{"left", "PositionX=164\nPositionY=100\nSpeedX=-4\nSpeedY=0\n", 5, 828, 400},
        // Top: from y 66 at -4.
        EdgeCase{"top", "PositionX=180\nPositionY=66\nSpeedX=0\nSpeedY=-4\n", 3, 720, 444},
        // Both at once: the left edge is passed first (x 161, y 70).
        EdgeCase{"left-first", "PositionX=161\nPositionY=70\nSpeedX=-4\nSpeedY=-4\n", 2, 828, 272},
        // Right: 16-pixel picture at 206 ends at 221; 208 is the last place.
        EdgeCase{"right", "PositionX=206\nPositionY=100\nSpeedX=8\n", 2, 648, 400},
        // Bottom: 110 + 16 = 126; 112 is the last place.
        EdgeCase{"bottom", "PositionX=180\nPositionY=110\nSpeedX=0\nSpeedY=12\n", 1, 720, 256 + 4}));

TEST_F(LinearMoverTest, LifeCycleKillsInItsLastMoveAndReloads) {
  auto m = Make("SpeedX=0\nSpeedY=0\nLifeCycle=8\n");
  EXPECT_EQ(MovesUntilKilled(*m, 100), 8);
  EXPECT_EQ(m->LifeLeft, 8);
  EXPECT_EQ(m->X, 64);
  // Revived (as a group does), it lives another 8 frames.
  m->Revive();
  EXPECT_EQ(MovesUntilKilled(*m, 100), 8);
  // Also after dying at an edge: 3 frames of flight leave 5, a revival restores 8.
  auto bullet = Make("SpeedX=64\nBounds=0,0,47,383\nLifeCycle=8\n");
  EXPECT_EQ(MovesUntilKilled(*bullet, 100), 3);
  EXPECT_EQ(bullet->LifeLeft, 5);
  bullet->Revive();
  EXPECT_EQ(bullet->LifeLeft, 8);

  auto still = Make("SpeedX=0\nSpeedY=0\n");
  EXPECT_EQ(MovesUntilKilled(*still, 40000), 32767);
  // A wrapping mover is killed by the end of its life as well.
  auto wrapping = Make("SpeedX=64\nLooped=1\nLifeCycle=300\n");
  EXPECT_EQ(MovesUntilKilled(*wrapping, 1000), 300);
}

TEST_F(LinearMoverTest, LifeCycleOfZeroOrLessNeverEnds) {
  for (const char* life : {"0", "-5"}) {
    auto m = Make(std::string("SpeedX=0\nLifeCycle=") + life + "\n");
    EXPECT_EQ(MovesUntilKilled(*m, 50000), -1) << life;
  }
}

TEST_F(LinearMoverTest, MoveByShiftsTheQuarterPixelPosition) {
  auto m = Make("PositionX=32\nSpeedX=0\n");
  m->MoveBy(16, 0);
  EXPECT_EQ(m->X, 112);
  EXPECT_EQ(m->FineX, 192);
  m->MoveBy(0, 8);
  EXPECT_EQ(m->Y, 72);
  m->Move();
  EXPECT_EQ(m->X, 112);
  EXPECT_EQ(m->Y, 72);
}

TEST_F(LinearMoverTest, AnimationKeysReplaceThePicturesValues) {
  // Four 8-pixel frames, looped, random start; frame delay 3, loop delay 5.
  std::string id = std::string("\x04\x30\x03\x05", 4) + std::string(12, '\0');
  std::string strip = Picture("strip.tga", test::TgaOf(
                                               32, 8, [](int x, int) { return 0x101010u * uint32_t(x / 8 + 1); }, id));
  ini_ = Ini("[A]\nImage=" + strip + "\n[B]\nImage=" + strip + "\nFrameDelay=7\nLoopDelay=0\nAnimPos=2\n");
  TLinearMover a(*ini_, "A");
  EXPECT_EQ(a.FrameWidth, 8);
  EXPECT_EQ(a.FrameDelay, 3);
  EXPECT_EQ(a.LoopDelay, 5);
  EXPECT_EQ(a.Frame, 0);  // AnimPos defaults to the start frame, not the random one
  TLinearMover b(*ini_, "B");
  EXPECT_EQ(b.FrameDelay, 7);
  EXPECT_EQ(b.LoopDelay, 0);
  EXPECT_EQ(b.Frame, 2);
  ini_ = Ini("[D]\nImage=" + strip + "\nAnimPos=2000000000\n[E]\nImage=" + strip + "\nAnimPos=-1\n");
  EXPECT_EQ(TLinearMover(*ini_, "D").Frame, 3);
  EXPECT_EQ(TLinearMover(*ini_, "E").Frame, 0);
  // The frame width, not the strip, meets the bounds: 8 pixels wide at 500 fits.
  ini_ = Ini("[C]\nImage=" + strip + "\nPositionX=504\nSpeedX=0\n");
  TLinearMover c(*ini_, "C");
  c.Move();
  EXPECT_FALSE(c.Killed);
}

TEST_F(LinearMoverTest, MissingPictureAndBadBounds) {
  test::TCapturedLog log;
  ini_ = Ini("[M]\nImage=nothing.tga\n[N]\n[B]\nBounds=1,2,3\n[C]\nBounds=1,2,x,4\n");
  TLinearMover m(*ini_, "M");
  EXPECT_TRUE(log.Contains("{ZORBLinearMoverUnit, TLinearMover.Create} LinearMover image not found. (nothing.tga)"));
  EXPECT_EQ(m.FrameWidth, 32);  // the placeholder
  TLinearMover n(*ini_, "N");
  EXPECT_EQ(n.SpeedX, 4);
  EXPECT_EQ(n.BoundRight, 2048);
  EXPECT_EQ(n.BoundBottom, 1536);
  EXPECT_THROW(TLinearMover(*ini_, "B"), EConvertError);
  EXPECT_THROW(TLinearMover(*ini_, "C"), EConvertError);
}

TEST_F(LinearMoverTest, AbsurdNumbersAreHeldInRange) {
  test::TCapturedLog log;
  auto m = Make("PositionX=2000000000\nSpeedX=-2147483648\nBounds=-2147483648,0,2147483647,383\n");
  EXPECT_TRUE(
      log.Contains("[ZORBLinearMoverUnit, TLinearMover.Create] Value out of range, using 1048576. (Object: M, "
                   "Key: PositionX)"));
  EXPECT_EQ(m->FineX, 4 * 1048576);
  EXPECT_EQ(m->SpeedX, -1048576);
  EXPECT_EQ(m->BoundLeft, -4 * 1048576);
  EXPECT_EQ(m->BoundRight, 4 * 1048576 + 4);
  m->Move();
  EXPECT_EQ(m->FineX, 3 * 1048576);
}

}  // namespace
}  // namespace zorbin
