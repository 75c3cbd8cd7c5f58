// PathMoverTest: movement along direction paths, looping, overshooting legs and bad values.
#include "objects/ZORBPathMoverUnit.h"

#include "ObjectTestSupport.h"
#include "util/Streams.h"

namespace zorbin {
namespace {

class PathMoverTest : public test::TObjectTest {
 protected:
  std::unique_ptr<TPathMover> Make(const std::string& keys, const std::string& path) {
    std::string image = Plain("bee.tga", 16, 16, 0xE0E000);
    ini_ = Ini("[P]\nType=PathMover\nImage=" + image + "\nPath=Route\n" + keys + "[*Route]\n" + path);
    return std::make_unique<TPathMover>(*ini_, "P");
  }
  static void Run(TPathMover& m, int frames) {
    for (int i = 0; i < frames; ++i) m.Move();
  }
  // Play-area position.
  static std::pair<int, int> At(const TPathMover& m) { return {m.X - 64, m.Y - 64}; }
  std::unique_ptr<TIniFile> ini_;
};

TEST_F(PathMoverTest, JumpsBackToTheStartInThe113thMove) {
  auto m = Make("PositionX=256\nPositionY=0\n", "RELATIVE\nD,80\nUR,32\n");
  EXPECT_EQ(m->Path, (std::vector<int32_t>{5, 320, 2, 128}));
  EXPECT_EQ(m->PathIndex, -2);
  Run(*m, 80);
  EXPECT_EQ(At(*m), std::make_pair(256, 80));
  Run(*m, 32);
  EXPECT_EQ(At(*m), std::make_pair(288, 48));
  EXPECT_FALSE(m->Killed);
  m->Move();
  EXPECT_EQ(At(*m), std::make_pair(256, 1));
  EXPECT_EQ(m->PathIndex, 0);
  EXPECT_TRUE(m->Killed);
  // Revived, it carries on with the first leg.
  m->Revive();
  Run(*m, 79);
  EXPECT_EQ(At(*m), std::make_pair(256, 80));
  EXPECT_EQ(m->PathIndex, 0);
}

TEST_F(PathMoverTest, LoopedPathStartsAgainAlive) {
  auto m = Make("PositionX=10\nPositionY=20\nLooped=true\n", "Relative\nR,4\n");
  Run(*m, 4);
  EXPECT_EQ(At(*m), std::make_pair(14, 20));
  m->Move();
  EXPECT_EQ(At(*m), std::make_pair(11, 20));
  EXPECT_FALSE(m->Killed);
}

TEST_F(PathMoverTest, DirectionTextsIgnoreCaseAndUnknownOnesPause) {
  auto m = Make("PositionX=100\nPositionY=100\n", "relative\ndr,2\nDR,2\nXX,16\nno comma\nul,1\n");
  EXPECT_EQ(m->Path, (std::vector<int32_t>{4, 8, 4, 8, 0, 64, 8, 4}));
  Run(*m, 4);
  EXPECT_EQ(At(*m), std::make_pair(104, 104));
  Run(*m, 16);  // the pause lasts as long as a 16-pixel leg
  EXPECT_EQ(At(*m), std::make_pair(104, 104));
  m->Move();
  EXPECT_EQ(At(*m), std::make_pair(103, 103));
  // Every direction code steps by the table.
  for (const char* text : {"U", "UR", "R", "DR", "D", "DL", "L", "UL"}) EXPECT_NE(PathDirectionCode(text), 0) << text;
  EXPECT_EQ(PathDirectionCode("ur"), 2);
  EXPECT_EQ(PathDirectionCode("UL"), 8);
  EXPECT_EQ(PathDirectionCode(""), 0);
}

TEST_F(PathMoverTest, ALegNotAMultipleOfTheSpeedOvershoots) {
  auto m = Make("Speed=3\n", "RELATIVE\nR,16\nD,16\n");
  Run(*m, 21);
  EXPECT_EQ(m->FineX, 63);
  EXPECT_EQ(m->PathIndex, 0);
  m->Move();  // the 22nd frame still belongs to the first leg
  EXPECT_EQ(m->FineX, 66);
  EXPECT_EQ(m->FineY, 0);
  m->Move();
  EXPECT_EQ(m->PathIndex, 2);
  EXPECT_EQ(m->FineX, 66);
  EXPECT_EQ(m->FineY, 3);
}

TEST_F(PathMoverTest, WithoutAUsablePathItStandsStill) {
  std::string image = Plain("bee.tga", 16, 16, 0xE0E000);
  ini_ = Ini("[A]\nImage=" + image + "\n[B]\nImage=" + image + "\nPath=Absolute\n[C]\nImage=" + image +
             "\nPath=Missing\n[D]\nImage=" + image + "\nPath=Empty\n[*Absolute]\nABSOLUTE\nR,16\n[*Empty]\nRELATIVE\n");
  for (const char* section : {"A", "B", "C", "D"}) {
    TPathMover m(*ini_, section);
    EXPECT_EQ(m.Path, (std::vector<int32_t>{0, 32000})) << section;
    Run(m, 8000);
    EXPECT_FALSE(m.Killed) << section;
    m.Move();
    EXPECT_TRUE(m.Killed) << section;
    EXPECT_EQ(m.X, 64);
  }
}

TEST_F(PathMoverTest, MoveByLastsOnlyUntilTheNextMove) {
  auto m = Make("PositionX=32\nPositionY=48\n", "RELATIVE\nR,10\n");
  m->MoveBy(100, 100);
  EXPECT_EQ(m->X, 196);
  m->Move();
  EXPECT_EQ(At(*m), std::make_pair(33, 48));
}

TEST_F(PathMoverTest, BadValues) {
  test::TCapturedLog log;
  auto m = Make("Speed=-2\nFrameDelay=6\n", "RELATIVE\nR,2000000000\n");
  EXPECT_TRUE(log.Contains("{ZORBPathMoverUnit, TPathMover.Create} Speed must not be negative, using 4. (Object: P)"));
  EXPECT_EQ(m->Speed, 4);
  EXPECT_EQ(m->FrameDelay, 6);
  EXPECT_EQ(m->Path[1], 4 * 1048576);
  m->Move();
  EXPECT_EQ(m->FineX, 4);
  EXPECT_THROW(Make("", "RELATIVE\nR,ten\n"), EConvertError);
  ini_ = Ini("[P]\nImage=gone.tga\n");
  TPathMover missing(*ini_, "P");
  EXPECT_TRUE(log.Contains("{ZORBPathMoverUnit, TPathMover.Create} Image not found. (gone.tga)"));
  EXPECT_EQ(missing.FrameWidth, 32);
}

}  // namespace
}  // namespace zorbin
