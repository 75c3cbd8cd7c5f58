// BridgeTest: the bridge's growth tile by tile, its crumbling and fades, and the cells the player stands on.
#include "objects/ZORBBridgeUnit.h"

#include "ObjectTestSupport.h"
#include "game/ZORBPlayerUnit.h"

namespace zorbin {
namespace {

constexpr uint32_t kGreen = 0x00FF00, kBlue = 0x0000FF, kRed = 0xFF0000;

class BridgeTest : public test::TObjectTest {
 protected:
  void SetUp() override {
    TObjectTest::SetUp();
    // Left half green, right half blue.
    tile_ = Picture("plank.tga", test::TgaOf(32, 16, [](int x, int) { return x < 16 ? kGreen : kBlue; }));
  }
  std::unique_ptr<TBridge> Make(const std::string& keys) {
    ini_ = Ini("[B]\nType=Bridge\nImage=" + tile_ + "\n" + keys);
    return std::make_unique<TBridge>(*ini_, "B");
  }
  static void Run(TBridge& b, int frames) {
    for (int i = 0; i < frames; ++i) b.Move();
  }
  int Gone(const TBridge& b, int row) const {
    int n = 0;
    for (int x = 0; x < b.Width * 16; ++x) n += b.DissolveMap[size_t(x + row * b.Width * 16)] == 16;
    return n;
  }
  // Back-buffer pixels of one bridge row that show the (red) background.
  int Holes(int y, int from, int to) const {
    int n = 0;
    for (int x = from; x <= to; ++x) n += Pixel(x, y) == Rgb(kRed);
    return n;
  }
  std::string tile_;
  std::unique_ptr<TIniFile> ini_, playerIni_;
};

TEST_F(BridgeTest, CellsAreBuiltTileByTileAndClearedAtTheRestart) {
  map_.SetLogic(24, 10, 0x4F);
  auto b = Make("PositionX=384\nPositionY=160\nWidth=4\n");
  EXPECT_EQ(b->BuildTime, 256);
  for (int frame = 1; frame <= 1100; ++frame) {
    b->Move();
    int phase = (frame - 1) % 512 + 1;
    for (int k = 0; k < 4; ++k) {
      int32_t expected = phase >= 32 + 64 * k && phase < 512 ? 2 : 0;
      if (frame < 32 && k == 0) expected = 0x4F;  // untouched until built
      ASSERT_EQ(Cell(24 + k, 10), expected) << "frame " << frame << " tile " << k;
    }
    ASSERT_EQ(Cell(23, 10), 0);
    ASSERT_EQ(Cell(28, 10), 0);
  }
}

TEST_F(BridgeTest, ThePlayerFallsThroughOnceItHasCrumbled) {
  Row(20, 15);
  Hand(Make("PositionX=384\nPositionY=160\nWidth=4\n"), "B");
  for (int frame = 1; frame <= 300; ++frame) engine_.MoveAll();
  std::string figure = Plain("figure.tga", 64, 64, 0x80C0F0);
  playerIni_ = Ini("[Hero]\nImage=" + figure + "\nPositionX=400\nPositionY=128\n");
  TPlayer& player = *Hand(std::make_unique<TPlayer>(*playerIni_, "Hero"), "Hero");
  for (int frame = 301; frame <= 511; ++frame) {
    engine_.MoveAll();
    ASSERT_EQ(player.State, TPlayer::kStanding) << frame;
  }
  engine_.MoveAll();  // frame 512
  EXPECT_EQ(player.State, TPlayer::kFalling);
  for (int frame = 513; frame <= 600; ++frame) engine_.MoveAll();
  EXPECT_EQ(player.State, TPlayer::kStanding);
  EXPECT_EQ(player.TileY, 18);
}

TEST_F(BridgeTest, TheGrowingPictureIsDrawnUpToItsColumn) {
  auto b = Make("PositionX=384\nPositionY=160\nWidth=4\n");
  auto drawAfter = [&](int frames) {
    Run(*b, frames);
    back_->FillRect(0, 0, 640, 480, 255, 0, 0);
    b->Draw();
  };
  drawAfter(1);
  EXPECT_EQ(Pixel(448, 224), Rgb(kGreen));
  EXPECT_EQ(Pixel(448, 239), Rgb(kGreen));
  EXPECT_EQ(Pixel(449, 224), Rgb(kRed));
  drawAfter(127);  // frame 128: columns 0..32
  EXPECT_EQ(Pixel(448 + 32, 230), Rgb(kGreen));
  EXPECT_EQ(Pixel(448 + 31, 230), Rgb(kBlue));
  EXPECT_EQ(Pixel(448 + 33, 230), Rgb(kRed));
  drawAfter(127);  // frame 255: columns 0..63
  EXPECT_EQ(Pixel(448 + 63, 230), Rgb(kBlue));
  EXPECT_EQ(Pixel(448 + 64, 230), Rgb(kRed));
  EXPECT_EQ(Pixel(447, 230), Rgb(kRed));
  EXPECT_EQ(Pixel(448, 223), Rgb(kRed));
  EXPECT_EQ(Pixel(448, 240), Rgb(kRed));
}

TEST_F(BridgeTest, CrumblesFromTheBottomRowAndShowsTheHoles) {
  auto b = Make("PositionX=384\nPositionY=160\nWidth=4\n");
  Run(*b, 256);
  back_->FillRect(0, 0, 640, 480, 255, 0, 0);
  b->Draw();  // the whole standing bridge
  EXPECT_EQ(Holes(239, 448, 511), 0);
  for (int frame = 257; frame <= 271; ++frame) {
    size_t before = ParticleCount();
    b->Move();
    ASSERT_EQ(ParticleCount() - before, 4u);
    for (size_t i = before; i < ParticleCount(); ++i) {
      const TParticle& p = *particles_->Particles[i];
      int x = p.StartX - 448 + 1, y = p.StartY - 224 + 1;
      ASSERT_EQ(y, 15);
      EXPECT_EQ(b->DissolveMap[size_t(x + y * 64)], 16);
      EXPECT_EQ(p.EndX, p.StartX);
      EXPECT_TRUE(p.EndY >= p.StartY + 33 && p.EndY <= p.StartY + 64);  // y + 32 + 0..31 from y - 1
      EXPECT_EQ(p.Steps, 32);
      EXPECT_EQ(p.Anim, anims_.GetAnim(b->PixelAnims[(x % 32) * 16 + y]));
    }
  }
  EXPECT_EQ(Gone(*b, 15), 60);
  for (int row = 0; row < 15; ++row) EXPECT_EQ(Gone(*b, row), 0) << row;
  back_->FillRect(0, 0, 640, 480, 255, 0, 0);
  b->Draw();
  EXPECT_EQ(Holes(239, 448, 511), 60);
  EXPECT_EQ(Holes(238, 448, 511), 0);
  b->Move();  // frame 272: row 14 joins
  EXPECT_EQ(Gone(*b, 15) + Gone(*b, 14), 64);
}

TEST_F(BridgeTest, TheLastCrumblingFrameTakesTheLastPixel) {
  auto b = Make("PositionX=0\nPositionY=0\nWidth=2\n");
  Run(*b, 128);
  for (int frame = 129; frame < 128 + 256; ++frame) {
    b->Move();
    int gone = 0;
    for (int row = 0; row < 16; ++row) gone += Gone(*b, row);
    ASSERT_EQ(gone, 2 * (frame - 128)) << frame;
  }
  b->Move();  // the last one, and the restart
  EXPECT_EQ(b->Counter, 0);
  for (int row = 0; row < 16; ++row) EXPECT_EQ(Gone(*b, row), 32);
  EXPECT_EQ(ParticleCount(), 512u);
  back_->FillRect(0, 0, 640, 480, 255, 0, 0);
  Run(*b, 128);
  b->Draw();  // complete again: a new copy of the built picture
  EXPECT_EQ(Holes(64 + 15, 64, 95), 0);
}

TEST_F(BridgeTest, OneFadePerDistinctColour) {
  auto b = Make("Width=4\n");
  EXPECT_EQ(anims_.Count(), 2);
  EXPECT_EQ(b->PixelAnims[0 * 16 + 0], b->PixelAnims[15 * 16 + 15]);
  EXPECT_EQ(anims_.GetAnim(b->PixelAnims[0])->Name, "0,255,0,0,0,0,16");
  EXPECT_EQ(anims_.GetAnim(b->PixelAnims[16 * 16])->Name, "0,0,255,0,0,0,16");
  auto again = Make("Width=1\n");
  EXPECT_EQ(anims_.Count(), 2);
  // A colour-keyed tile picture is read after it has been tiled (blitted).
  std::string keyed =
      Picture("keyed.tga", test::TgaOf(
                               32, 16, [](int x, int) { return x < 8 ? 0u : kRed; }, std::string("\x00\x40", 2)));
  ini_ = Ini("[K]\nImage=" + keyed + "\nWidth=2\n");
  TBridge k(*ini_, "K");
  EXPECT_EQ(anims_.GetAnim(k.PixelAnims[8 * 16])->Name, "255,0,0,0,0,0,16");
  EXPECT_EQ(anims_.GetAnim(k.PixelAnims[0])->Name, "0,0,0,0,0,0,16");
}

TEST_F(BridgeTest, AMissingTilePictureIsDrawnWhiteAndGrey) {
  test::TCapturedLog log;
  ini_ = Ini("[B]\nImage=none.tga\nWidth=1\n");
  TBridge b(*ini_, "B");
  EXPECT_TRUE(log.Contains("{ZORBBridgeUnit, TBridge.Create} Bridge image not found. (none.tga)"));
  const TImage& t = *b.TileImage;
  EXPECT_EQ(t.GetPixel(0, 0), Rgb(0xFFFFFF));
  EXPECT_EQ(t.GetPixel(30, 2), Rgb(0xFFFFFF));
  EXPECT_EQ(t.GetPixel(0, 3), Rgb(0x808080));
  EXPECT_EQ(t.GetPixel(30, 14), Rgb(0x808080));
  EXPECT_EQ(t.GetPixel(31, 0), 0u);
  EXPECT_EQ(t.GetPixel(0, 15), 0u);
  EXPECT_EQ(anims_.Count(), 3);  // white, grey and black
}

TEST_F(BridgeTest, WidthsOutsideTheRangeAreHeld) {
  test::TCapturedLog log;
  auto none = Make("Width=-3\nPositionX=0\nPositionY=0\n");
  EXPECT_TRUE(log.Contains("[ZORBBridgeUnit, TBridge.Create] Bridge width out of range (-3), using 0"));
  EXPECT_EQ(none->Width, 0);
  back_->FillRect(0, 0, 640, 480, 255, 0, 0);
  for (int f = 0; f < 600; ++f) {
    none->Move();
    none->Draw();
  }
  for (int col = 0; col < 32; ++col) EXPECT_EQ(Cell(col, 0), 0);
  EXPECT_EQ(Holes(64, 64, 100), 37);
  auto zero = Make("Width=0\n");
  zero->Draw();
  // Held at 64 tiles, so the pictures stay small however many bridges ask.
  auto wide = Make("Width=100000\n");
  EXPECT_EQ(wide->Width, 64);
  EXPECT_EQ(wide->BuildImage->Width(), 1024);
  EXPECT_EQ(wide->DissolveImage->Width(), 1024);
}

}  // namespace
}  // namespace zorbin
