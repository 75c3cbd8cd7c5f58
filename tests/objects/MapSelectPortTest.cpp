// MapSelectPortTest: ports of the map-select map: cell marks, locked ports and the level digits drawn.
#include "objects/ZORBMapSelectPortUnit.h"

#include "ObjectTestSupport.h"

namespace zorbin {
namespace {

constexpr uint32_t kUnlocked = 0x204080, kLocked = 0x802020, kSwirl = 0x40E0E0;

class MapSelectPortTest : public test::TObjectTest {
 protected:
  void SetUp() override {
    TObjectTest::SetUp();
    unlocked_ = Plain("open.tga", 40, 40, kUnlocked);
    locked_ = Plain("shut.tga", 40, 40, kLocked);
    swirl_ = Plain("swirl.tga", 12, 12, kSwirl);
  }
  std::unique_ptr<TMapSelectPort> Make(int level, int px, int py) {
    ini_ = Ini("[Port]\nType=MapSelectPort\nImageUnlocked=" + unlocked_ + "\nImageLocked=" + locked_ +
               "\nImageSwirl=" + swirl_ + "\nLevel=" + std::to_string(level) + "\nPositionX=" + std::to_string(px) +
               "\nPositionY=" + std::to_string(py) + "\n");
    return std::make_unique<TMapSelectPort>(*ini_, "Port");
  }
  // The 3 x 5 glyph printed at (24 + 4i, 3) as "x" and "." rows.
  static std::string Glyph(const TImage& frame, int i) {
    std::string rows;
    uint32_t white = frame.MapRGB(255, 255, 255);
    for (int r = 0; r < 5; ++r) {
      for (int j = 0; j < 3; ++j) rows += frame.GetPixel(24 + 4 * i + j, 3 + r) == white ? 'x' : '.';
      rows += '/';
    }
    return rows;
  }
  std::string unlocked_, locked_, swirl_;
  std::unique_ptr<TIniFile> ini_;
};

TEST_F(MapSelectPortTest, AnOpenPortMarksTheCellBelowIt) {
  map_.SetLogic(4, 3, 15);
  auto port = Make(1, 48, 0);
  EXPECT_EQ(Cell(4, 3), 271);
  EXPECT_EQ(port->X, 48 + 64 + 14);
  EXPECT_EQ(port->Y, 64 + 14);
  EXPECT_EQ(port->FrameImage->GetPixel(0, 0), Rgb(kUnlocked));
  EXPECT_EQ(Glyph(*port->FrameImage, 0), "xxx/x.x/x.x/x.x/xxx/");
  EXPECT_EQ(Glyph(*port->FrameImage, 1), ".x./.x./.x./.x./.x./");
  // A second port over the same cell adds its level as well.
  auto other = Make(6, 48, 0);
  EXPECT_EQ(Cell(4, 3), 15 + 7 * 256);
}

TEST_F(MapSelectPortTest, LockedAndZeroPortsLeaveTheGridAlone) {
  map_.SetLogic(4, 3, 15);
  auto locked = Make(7, 48, 0);
  EXPECT_EQ(Cell(4, 3), 15);
  EXPECT_EQ(locked->FrameImage->GetPixel(0, 0), Rgb(kLocked));
  EXPECT_EQ(Glyph(*locked->FrameImage, 1), "xxx/..x/..x/..x/..x/");
  auto zero = Make(0, 48, 0);
  EXPECT_EQ(Cell(4, 3), 15);
  EXPECT_EQ(zero->FrameImage->GetPixel(0, 0), Rgb(kUnlocked));
  EXPECT_EQ(Glyph(*zero->FrameImage, 0), "xxx/x.x/x.x/x.x/xxx/");
  auto twelve = Make(12, 0, 0);
  EXPECT_EQ(Glyph(*twelve->FrameImage, 0), ".x./.x./.x./.x./.x./");
  EXPECT_EQ(Glyph(*twelve->FrameImage, 1), "xxx/..x/xxx/x../xxx/");
  EXPECT_EQ(twelve->FrameImage->GetPixel(27, 3), Rgb(kLocked));  // the gap between the digits
  EXPECT_EQ(twelve->FrameImage->GetPixel(24, 8), Rgb(kLocked));
}

TEST_F(MapSelectPortTest, TheFrameIsDrawnOverTheSwirl) {
  auto port = Make(3, 100, 50);
  back_->FillRect(0, 0, 640, 480, 0, 0, 0);
  port->Draw();
  EXPECT_EQ(Pixel(164, 114), Rgb(kUnlocked));
  EXPECT_EQ(Pixel(178, 128), Rgb(kUnlocked));  // the swirl lies under the frame
  EXPECT_EQ(Pixel(203, 153), Rgb(kUnlocked));
  EXPECT_EQ(Pixel(204, 154), 0u);
}

TEST_F(MapSelectPortTest, ANegativeLevelPrintsNoGlyphForTheSign) {
  map_.SetLogic(1, 3, 15);
  auto port = Make(-3, 0, 0);
  EXPECT_EQ(Glyph(*port->FrameImage, 0), ".../.../.../.../.../");
  EXPECT_EQ(Glyph(*port->FrameImage, 1), "xxx/..x/.xx/..x/xxx/");
  EXPECT_EQ(Cell(1, 3) & 0xFF, 15);  // the low bits the player reads stay as they were
}

}  // namespace
}  // namespace zorbin
