// VolcanoTest: the volcano's lift cells, its spray cycle, the thrown player and the shared fire animation.
#include "objects/ZORBVolcanoUnit.h"

#include "ObjectTestSupport.h"
#include "game/ZORBPlayerUnit.h"
#include "shell/QX_SDL.h"

namespace zorbin {
namespace {

using test::kSolid;

class VolcanoTest : public test::TObjectTest {
 protected:
  void SetUp() override {
    TObjectTest::SetUp();
    // A crater of 64 x 32 in orange with a black (transparent) top-left pixel.
    crater_ =
        Picture("crater.tga", test::TgaOf(64, 32, [](int x, int y) { return x == 0 && y == 0 ? 0u : 0xC06020u; }));
  }
  std::unique_ptr<TVolcano> Make(int position) {
    ini_ = Ini("[V]\nType=Volcano\nImage=" + crater_ + "\nPosition=" + std::to_string(position) + "\n");
    return std::make_unique<TVolcano>(*ini_, "V");
  }
  std::unique_ptr<TPlayer> MakePlayer(int px, int py) {
    std::string figure = Plain("figure.tga", 64, 64, 0x80C0F0);
    playerIni_ = Ini("[Hero]\nType=Player\nImage=" + figure + "\nPositionX=" + std::to_string(px) +
                     "\nPositionY=" + std::to_string(py) + "\n");
    return std::make_unique<TPlayer>(*playerIni_, "Hero");
  }
  bool Lift(int col) const { return (Cell(col, 19) & 0x20) != 0; }
  std::string crater_;
  std::unique_ptr<TIniFile> ini_, playerIni_;
};

TEST_F(VolcanoTest, ThrowsUpAPlayerStandingOnItsCellsAtTick140) {
  Row(19, kSolid);
  Row(8, kSolid);  // where the figure comes to stand
  auto madeVolcano = Make(16);
  auto madePlayer = MakePlayer(32, 272);  // column 2, feet on row 19
  Hand(std::move(madeVolcano), "V");
  TPlayer* player = Hand(std::move(madePlayer), "Hero");
  for (int frame = 1; frame <= 139; ++frame) {
    engine_.MoveAll();
    ASSERT_FALSE(Lift(2) || Lift(3)) << frame;
    ASSERT_EQ(player->State, TPlayer::kStanding) << frame;
  }
  EXPECT_EQ(player->Y, 64 + 272);
  engine_.MoveAll();  // frame 140
  EXPECT_EQ(Cell(2, 19), kSolid | 0x20);
  EXPECT_EQ(Cell(3, 19), kSolid | 0x20);
  EXPECT_EQ(Cell(1, 19), kSolid);
  EXPECT_EQ(Cell(4, 19), kSolid);
  EXPECT_EQ(player->State, TPlayer::kStrongLift);
  engine_.MoveAll();
  EXPECT_EQ(player->Y, 64 + 272 - 4);
  for (int frame = 142; frame <= 199; ++frame) {
    engine_.MoveAll();
    ASSERT_TRUE(Lift(2) && Lift(3)) << frame;
  }
  engine_.MoveAll();  // frame 200: tick 20 of the next cycle
  EXPECT_EQ(Cell(2, 19), kSolid);
  EXPECT_EQ(Cell(3, 19), kSolid);
  // Thrown up 4 pixels a frame until it stands on the floor of row 8.
  EXPECT_EQ(player->State, TPlayer::kStanding);
  EXPECT_EQ(player->TileY, 6);
  EXPECT_EQ(player->Y, 64 + 96);
  // The next eruption sets the bits again at frame 320.
  for (int frame = 201; frame <= 319; ++frame) engine_.MoveAll();
  EXPECT_FALSE(Lift(2));
  engine_.MoveAll();
  EXPECT_TRUE(Lift(2) && Lift(3));
}

TEST_F(VolcanoTest, LiftCellsAndCraterFollowThePosition) {
  auto a = Make(16);
  auto b = Make(400);
  for (int f = 0; f < 140; ++f) {
    a->Move();
    b->Move();
  }
  for (int col = 0; col < 32; ++col) EXPECT_EQ(Lift(col), col == 2 || col == 3 || col == 26 || col == 27) << col;
  back_->FillRect(0, 0, 640, 480, 0, 0, 255);
  a->Draw();
  EXPECT_EQ(Pixel(80, 384), Rgb(0x0000FF));  // black is transparent
  EXPECT_EQ(Pixel(81, 384), Rgb(0xC06020));
  EXPECT_EQ(Pixel(143, 415), Rgb(0xC06020));
  EXPECT_EQ(Pixel(144, 400), Rgb(0x0000FF));
  EXPECT_EQ(Pixel(100, 383), Rgb(0x0000FF));
}

TEST_F(VolcanoTest, TheFactoryShiftMovesItSidewaysOnly) {
  auto v = Make(16);
  v->MoveBy(32, 100);
  EXPECT_EQ(v->ScreenX, 112);
  for (int f = 0; f < 140; ++f) v->Move();
  for (int col = 0; col < 32; ++col) EXPECT_EQ(Lift(col), col == 4 || col == 5) << col;
  back_->FillRect(0, 0, 640, 480, 0, 0, 0);
  v->Draw();
  EXPECT_EQ(Pixel(113, 384), Rgb(0xC06020));
}

TEST_F(VolcanoTest, SpraysSixtyFramesOfEveryHundredAndEighty) {
  auto v = Make(100);
  for (int frame = 1; frame <= 360; ++frame) {
    size_t before = ParticleCount();
    v->Move();
    int tick = (frame - 1) % 180 + 1;
    ASSERT_EQ(ParticleCount() - before, tick > 120 ? 1u : 0u) << frame;
    if (tick <= 120) continue;
    const TParticle& p = *particles_->Particles.back();
    EXPECT_TRUE(p.StartX >= 164 + 29 && p.StartX <= 164 + 34) << p.StartX;
    EXPECT_EQ(p.StartY, 406);
    EXPECT_TRUE(p.EndX >= 164 + 16 && p.EndX <= 164 + 47) << p.EndX;
    EXPECT_TRUE(p.EndY >= 358 && p.EndY <= 383) << p.EndY;
    EXPECT_EQ(p.Steps, 32);
    EXPECT_EQ(p.Anim, anims_.GetAnim(v->FireAnim));
  }
  EXPECT_EQ(v->Tick, 0);
}

TEST_F(VolcanoTest, VolcanoesShareOneFireAnimation) {
  auto a = Make(0);
  auto b = Make(200);
  EXPECT_EQ(anims_.Count(), 1);
  EXPECT_EQ(a->FireAnim, b->FireAnim);
  TParticleAnim* fire = anims_.GetAnim(a->FireAnim);
  ASSERT_NE(fire, nullptr);
  EXPECT_EQ(fire->Name, "*Volcano*");
  ASSERT_EQ(fire->Image->Width(), 96);
  ASSERT_EQ(fire->Image->Height(), 3);
  auto colour = [&](int frame) { return fire->Image->GetPixel(3 * frame + 1, 1); };
  EXPECT_EQ(colour(0), Rgb(0xFFFFFF));
  EXPECT_EQ(colour(7), Rgb(0xFFE31F));
  EXPECT_EQ(colour(8), Rgb(0xFFE000));
  EXPECT_EQ(colour(23), Rgb(0xFF0E00));
  EXPECT_EQ(colour(24), Rgb(0xFF0000));
  EXPECT_EQ(colour(31), Rgb(0x1F0000));
  // A plus sign: the corners stay black.
  EXPECT_EQ(fire->Image->GetPixel(3 * 5 + 1, 0), colour(5));
  EXPECT_EQ(fire->Image->GetPixel(3 * 5 + 2, 1), colour(5));
  EXPECT_EQ(fire->Image->GetPixel(3 * 5, 0), 0u);
  EXPECT_EQ(fire->Image->GetPixel(3 * 5 + 2, 2), 0u);
}

TEST_F(VolcanoTest, AMissingCraterIsABlankPicture) {
  test::TCapturedLog log;
  ini_ = Ini("[V]\nImage=nowhere.tga\n");
  TVolcano v(*ini_, "V");
  EXPECT_TRUE(log.Contains("{ZORBVolcanoUnit, TVolcano.Create} Crater image not found. (nowhere.tga)"));
  EXPECT_EQ(v.CraterImage->Width(), 64);
  EXPECT_EQ(v.CraterImage->Height(), 32);
  EXPECT_EQ(v.ScreenX, 64);
  back_->FillRect(0, 0, 640, 480, 0, 0, 255);
  v.Draw();
  EXPECT_EQ(Pixel(70, 390), Rgb(0x0000FF));
}

}  // namespace
}  // namespace zorbin
