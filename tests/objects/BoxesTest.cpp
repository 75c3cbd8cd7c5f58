// BoxesTest: pushing, hopping and falling boxes, their slots and lamps, and the map they complete.
#include "objects/ZORBBoxesUnit.h"

#include "ObjectTestSupport.h"
#include "game/ZORBPlayerUnit.h"
#include "shell/QX_SDL.h"

namespace zorbin {
namespace {

using test::kSolid;
constexpr uint32_t kBoxColour[3] = {0xA06030, 0x30A060, 0x6030A0};

class BoxesTest : public test::TObjectTest {
 protected:
  void SetUp() override {
    TObjectTest::SetUp();
    for (int i = 0; i < 3; ++i) {
      box_[i] = Plain("box" + std::to_string(i + 1) + ".tga", 32, 32, kBoxColour[i]);
      lamp_[i] = Plain("lamp" + std::to_string(i + 1) + ".tga", 24, 16, 0xFF0000u >> (8 * i));
    }
    figure_ = Plain("figure.tga", 64, 64, 0x80C0F0);
    Row(19, 15);
  }
  // Boxes n at (Col, Row) = (cols[n], 17): standing on the floor of row 19.
  TBoxes* Make(int c1, int c2, int c3, int targetX, const std::string& more = "") {
    std::string text = "[Goal]\nType=Boxes\nTargetX=" + std::to_string(targetX) + "\n" + more;
    int cols[3] = {c1, c2, c3};
    for (int i = 0; i < 3; ++i) {
      std::string n = std::to_string(i + 1);
      text += "Position" + n + "X=" + std::to_string(16 * cols[i]) + "\nPosition" + n + "Y=272\nImage" + n + "=" +
              box_[i] + "\nTargetImage" + n + "=" + lamp_[i] + "\n";
    }
    ini_ = Ini(text);
    return Hand(std::make_unique<TBoxes>(*ini_, "Goal"), "Goal");
  }
  // The player standing at column col with its feet on row 19.
  TPlayer* Player(int col) {
    playerIni_ = Ini("[Hero]\nImage=" + figure_ + "\nPositionX=" + std::to_string(16 * col) + "\nPositionY=272\n");
    return Hand(std::make_unique<TPlayer>(*playerIni_, "Hero"), "Hero");
  }
  void Hold(int key, bool down) { QX_SDL::Keys[key] = down; }
  // Runs frames until the condition holds (true) or the limit passes (false).
  bool RunUntil(const std::function<bool()>& done, int limit = 2000) {
    for (int f = 0; f < limit; ++f) {
      if (done()) return true;
      engine_.MoveAll();
      ++frames_;
    }
    return done();
  }
  void Run(int frames) {
    for (int f = 0; f < frames; ++f) engine_.MoveAll();
    frames_ += frames;
  }
  int LampPicture(const TBoxes& b, int i) const {
    for (int p = 0; p < 3; ++p)
      if (b.Lamps[i]->Image == b.TargetImages[p].get()) return p + 1;
    return 0;
  }
  std::string box_[3], lamp_[3], figure_;
  std::unique_ptr<TIniFile> ini_, playerIni_;
  int frames_ = 0;
};

TEST_F(BoxesTest, SetUpMarksTheFirstBoxAndSlotAndPlacesTheLamps) {
  auto b = Make(4, 20, 24, 160);
  EXPECT_EQ(b->TargetCol, 10);
  EXPECT_EQ(b->TargetX, 224);
  EXPECT_EQ(Cell(10, 19), 15 | 0x40);
  EXPECT_EQ(Cell(11, 19), 15 | 0x40);
  EXPECT_EQ(Cell(12, 19), 15);
  EXPECT_EQ(Cell(4, 17), kSolid);
  EXPECT_EQ(Cell(5, 17), kSolid);
  EXPECT_EQ(Cell(4, 18), 0);   // only the top row is marked
  EXPECT_EQ(Cell(20, 17), 0);  // boxes not in play are not in the grid
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(b->Lamps[i]->X, 224 + 32 * i);
    EXPECT_EQ(b->Lamps[i]->Y, 400);
    EXPECT_EQ(b->Lamps[i]->FrameDelay, 4);
  }
  EXPECT_EQ(LampPicture(*b, 0), 2);
  EXPECT_EQ(LampPicture(*b, 1), 1);
  EXPECT_EQ(LampPicture(*b, 2), 1);
  EXPECT_EQ(b->Boxes[0]->X, 64 + 64);
  EXPECT_EQ(b->Boxes[0]->Y, 64 + 272);
  // Only boxes in play are drawn.
  b->Draw();
  EXPECT_EQ(Pixel(130, 340), Rgb(kBoxColour[0]));
  EXPECT_EQ(Pixel(64 + 320 + 2, 340), 0u);
  EXPECT_EQ(Pixel(226, 402), Rgb(0xFF00));  // lamp 0 shows picture 2
  EXPECT_EQ(Pixel(258, 402), Rgb(0xFF0000));
  EXPECT_FALSE(b->IsCompleted());
}

TEST_F(BoxesTest, ABoxOverItsSlotSinksAndTheLampsMoveOn) {
  auto b = Make(10, 4, 24, 160);
  Run(1);
  EXPECT_EQ(b->Boxes[0]->State, TBox::Sinking);
  EXPECT_EQ(Cell(10, 17), 0);
  EXPECT_EQ(Cell(11, 17), 0);
  Run(31);
  EXPECT_EQ(b->Boxes[0]->State, TBox::Sinking);
  Run(1);  // 32 frames of sinking
  EXPECT_TRUE(b->Boxes[0]->IsDelivered());
  EXPECT_EQ(b->Boxes[0]->Y, 64 + 272 + 32);
  EXPECT_EQ(b->Current, 0);
  Run(1);
  EXPECT_EQ(b->Current, 1);
  EXPECT_EQ(LampPicture(*b, 0), 3);
  EXPECT_EQ(LampPicture(*b, 1), 2);
  EXPECT_EQ(LampPicture(*b, 2), 1);
  EXPECT_EQ(Cell(10, 19), 15);
  EXPECT_EQ(Cell(11, 19), 15);
  EXPECT_EQ(Cell(12, 19), 15 | 0x40);
  EXPECT_EQ(Cell(13, 19), 15 | 0x40);
  EXPECT_EQ(Cell(14, 19), 15);
  EXPECT_EQ(Cell(4, 17), kSolid);  // the second box is in play
  back_->FillRect(0, 0, 640, 480, 0, 0, 0);
  b->Draw();
  EXPECT_EQ(Pixel(64 + 160 + 2, 64 + 304 + 2), Rgb(kBoxColour[0]));  // sunk, still drawn
  EXPECT_EQ(Pixel(64 + 64 + 2, 64 + 272 + 2), Rgb(kBoxColour[1]));
}

TEST_F(BoxesTest, PushedFromTheRightItSlidesLeft) {
  auto b = Make(10, 4, 24, 400);
  auto p = Player(14);
  TBox& box = *b->Boxes[0];
  Hold(TPlayer::kKeyLeft, true);
  ASSERT_TRUE(RunUntil([&] { return box.State == TBox::Sliding; }));
  EXPECT_EQ(p->TileX, 12);
  EXPECT_EQ(box.Dir, TBox::Left);
  EXPECT_EQ(Cell(11, 17), 0);  // the cell it leaves loses its solid bits at the start
  EXPECT_EQ(Cell(10, 17), kSolid);
  EXPECT_EQ(Cell(9, 17), 0);
  Hold(TPlayer::kKeyLeft, false);
  Run(15);
  EXPECT_EQ(box.X, 64 + 160 - 15);
  EXPECT_EQ(Cell(9, 17), 0);
  Run(1);
  EXPECT_EQ(box.State, TBox::Idle);
  EXPECT_EQ(box.Col, 9);
  EXPECT_EQ(box.X, 64 + 144);
  EXPECT_EQ(Cell(9, 17), kSolid);  // the new cell gains them at the end
  EXPECT_EQ(Cell(10, 17), kSolid);
  EXPECT_EQ(Cell(11, 17) & kSolid, 0);
  // Held on, the player follows and pushes again.
  Hold(TPlayer::kKeyLeft, true);
  ASSERT_TRUE(RunUntil([&] { return box.Col == 6; }, 200));
  EXPECT_EQ(p->TileX, 8);
}

TEST_F(BoxesTest, PushedFromTheLeftItSlidesRight) {
  auto b = Make(10, 4, 24, 400);
  auto p = Player(6);
  TBox& box = *b->Boxes[0];
  Hold(TPlayer::kKeyRight, true);
  ASSERT_TRUE(RunUntil([&] { return box.State == TBox::Sliding; }));
  EXPECT_EQ(p->TileX, 9);
  EXPECT_EQ(box.Dir, TBox::Right);
  EXPECT_EQ(Cell(10, 17), 0);
  EXPECT_EQ(Cell(11, 17), kSolid);
  Hold(TPlayer::kKeyRight, false);
  Run(16);
  EXPECT_EQ(box.Col, 11);
  EXPECT_EQ(box.X, 64 + 176);
  EXPECT_EQ(Cell(12, 17), kSolid);
  EXPECT_EQ(Cell(11, 17), kSolid);
}

struct HopCase {
  const char* name;
  int boxCol, playerCol, key, wallCol;  // wallCol -1: none
  int landingCol;
};

void PrintTo(const HopCase& c, std::ostream* os) { *os << c.name; }

class BoxesHopTest : public BoxesTest, public ::testing::WithParamInterface<HopCase> {};

TEST_P(BoxesHopTest, AgainstAWallOrTheEdgeItHopsFourTilesOverThePlayer) {
  const HopCase& c = GetParam();
  if (c.wallCol >= 0) {
    map_.SetLogic(c.wallCol, 17, 12);
    map_.SetLogic(c.wallCol, 18, 12);
  }
  auto b = Make(c.boxCol, 4, 24, 400);
  Player(c.playerCol);
  TBox& box = *b->Boxes[0];
  Hold(c.key, true);
  ASSERT_TRUE(RunUntil([&] { return box.State == TBox::Hopping; }));
  Hold(c.key, false);
  EXPECT_EQ(Cell(c.boxCol, 17), 0);  // both top cells are cleared at the start
  EXPECT_EQ(Cell(c.boxCol + 1, 17), 0);
  int step = c.landingCol > c.boxCol ? 4 : -4;
  Run(1);
  EXPECT_EQ(box.X, 64 + 16 * c.boxCol + step);
  Run(15);
  EXPECT_EQ(box.State, TBox::Idle);
  EXPECT_EQ(box.Col, c.landingCol);
  EXPECT_EQ(box.X, 64 + 16 * c.landingCol);
  EXPECT_EQ(Cell(c.landingCol, 17), kSolid);
  EXPECT_EQ(Cell(c.landingCol + 1, 17), kSolid);
}

INSTANTIATE_TEST_SUITE_P(Walls, BoxesHopTest,
                         ::testing::Values(HopCase{"wall-left", 5, 9, TPlayer::kKeyLeft, 4, 9},  // wall on the left
                                           HopCase{"column-0", 0, 4, TPlayer::kKeyLeft, -1, 4},  // column 0
                                           HopCase{"wall-right", 20, 16, TPlayer::kKeyRight, 22,
                                                   16},  // wall on the right
                                           HopCase{"column-30", 30, 26, TPlayer::kKeyRight, -1, 26}));  // column 30

TEST_F(BoxesTest, PushedOverAnEdgeItFallsARowEveryEightFrames) {
  Row(19, 0, 16, 31);
  Row(21, 15);
  auto b = Make(15, 4, 24, 64);
  auto p = Player(12);
  TBox& box = *b->Boxes[0];
  Run(5);
  EXPECT_EQ(box.State, TBox::Idle);  // one column over the floor carries it
  Hold(TPlayer::kKeyRight, true);
  ASSERT_TRUE(RunUntil([&] { return box.State != TBox::Idle; }));
  Hold(TPlayer::kKeyRight, false);
  ASSERT_TRUE(RunUntil([&] { return box.State == TBox::Falling; }, 20));
  EXPECT_EQ(box.Col, 16);
  EXPECT_EQ(box.Row, 17);
  int y = box.Y;
  Run(7);
  EXPECT_EQ(box.Y, y + 14);
  EXPECT_EQ(Cell(16, 17), kSolid);
  Run(1);
  EXPECT_EQ(box.Row, 18);
  EXPECT_EQ(Cell(16, 17), 0);  // the old top cells lose their solid bits row by row
  EXPECT_EQ(Cell(17, 17), 0);
  EXPECT_EQ(Cell(16, 18), 0);  // still falling: not marked
  Run(8);
  EXPECT_EQ(box.Row, 19);
  EXPECT_EQ(box.State, TBox::Idle);
  EXPECT_EQ(box.Y, y + 32);
  EXPECT_EQ(Cell(16, 19), kSolid);
  EXPECT_EQ(Cell(17, 19), kSolid);
  EXPECT_EQ(p->TileX, 15);
}

TEST_F(BoxesTest, ThePlayerDeliversThreeBoxesAndCompletesTheMap) {
  // Slots at columns 10-11, 12-13, 14-15. Box 1 is pushed from column 6 onto
  // slot 0; box 2 appears at column 10, box 3 at column 12, each next to the
  // player, and is pushed one slot further. The player moves first in each
  // frame and is one frame behind the box it pushes: letting go of the key
  // when the box begins to sink stops it beside the slot.
  auto p = Player(3);
  auto b = Make(6, 10, 12, 160);
  std::vector<std::array<int, 3>> lamps;
  auto deliver = [&](int box, int stopAt) {
    Hold(TPlayer::kKeyRight, true);
    ASSERT_TRUE(RunUntil([&] { return b->Boxes[box]->State == TBox::Sinking; })) << box;
    Hold(TPlayer::kKeyRight, false);
    ASSERT_TRUE(RunUntil([&] { return b->Current == box + 1; })) << box;
    EXPECT_EQ(p->TileX, stopAt);
    EXPECT_EQ(b->Boxes[box]->Col, 10 + 2 * box);
    EXPECT_TRUE(b->Boxes[box]->IsDelivered());
    lamps.push_back({LampPicture(*b, 0), LampPicture(*b, 1), LampPicture(*b, 2)});
  };
  deliver(0, 9);
  deliver(1, 11);
  EXPECT_FALSE(b->IsCompleted());
  EXPECT_FALSE(engine_.AnyCompleted());
  deliver(2, 13);
  // Red lamps turn yellow when their box comes into play, green when it is delivered.
  EXPECT_EQ(lamps, (std::vector<std::array<int, 3>>{{3, 2, 1}, {3, 3, 2}, {3, 3, 3}}));
  EXPECT_TRUE(b->IsCompleted());
  EXPECT_TRUE(engine_.AnyCompleted());
  for (int col = 10; col < 16; ++col) EXPECT_EQ(Cell(col, 19) & 0x40, 0) << col;
  // No more sparkles once the goal is reached.
  size_t particles = ParticleCount();
  Run(30);
  EXPECT_EQ(ParticleCount(), particles);
  EXPECT_LT(frames_, 1000);
}

TEST_F(BoxesTest, SparklesFallOverTheCurrentSlotEveryThirdFrame) {
  auto b = Make(4, 20, 24, 160);
  std::vector<int> spawnFrames;
  for (int f = 1; f <= 12; ++f) {
    size_t before = ParticleCount();
    b->Move();
    if (ParticleCount() == before) continue;
    spawnFrames.push_back(f);
    const TParticle& s = *particles_->Particles.back();
    EXPECT_TRUE(s.StartX >= 224 && s.StartX <= 255);
    EXPECT_EQ(s.EndX, s.StartX);
    EXPECT_EQ(s.StartY, 368);
    EXPECT_EQ(s.EndY, 397);
    EXPECT_EQ(s.Steps, 64);
  }
  EXPECT_EQ(spawnFrames, (std::vector<int>{2, 5, 8, 11}));
  EXPECT_EQ(anims_.Count(), 4);
  EXPECT_EQ(anims_.GetAnim(0)->Name, "255,0,136,48,48,48,16");
  EXPECT_EQ(anims_.GetAnim(3)->Name, "0,255,136,48,48,48,16");
}

TEST_F(BoxesTest, MissingPicturesAreLoggedAndReplaced) {
  test::TCapturedLog log;
  ini_ = Ini("[Goal]\nImage2=nobox.tga\nTargetImage3=nolamp.tga\n");
  TBoxes b(*ini_, "Goal");
  EXPECT_TRUE(log.Contains("{ZORBBoxesUnit, TBox.Create} Box image not found. (nobox.tga)"));
  EXPECT_TRUE(log.Contains("{ZORBBoxesUnit, TBoxes.Create} Image not found. (nolamp.tga)"));
  EXPECT_EQ(b.TargetImages[2]->Width(), 32);  // the placeholder
  EXPECT_EQ(b.TargetCol, 17);                 // TargetX 272
}

}  // namespace
}  // namespace zorbin
