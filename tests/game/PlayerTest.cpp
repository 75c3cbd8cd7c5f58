// PlayerTest: the player's walking, falling, lifts, ports, the appear effect and its drawing.
#include "game/ZORBPlayerUnit.h"

#include "TestSupport.h"
#include "formats/QXINIFile.h"
#include "formats/TileMapUnit.h"
#include "pictures/ImageUnit.h"
#include "shell/QX_SDL.h"
#include "sprites/MapGlobals.h"
#include "storage/QXStream.h"
#include "util/SoundEvents.h"
#include "util/Streams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace zorbin {
namespace {

constexpr int32_t kFloor = 15;

// The figure's frame column k of row r is (40 + 50k, 100 + 100r, 60), with a
// black (transparent) top-left pixel in every frame.
uint8_t FigureRed(int column) { return uint8_t(40 + 50 * column); }
uint8_t FigureGreen(int row) { return uint8_t(100 + 100 * row); }

std::string FigureTga() {
  std::string tga(18, '\0');
  tga[2] = 2;  // true colour
  tga[12] = 64;
  tga[14] = 64;
  tga[16] = 24;
  tga[17] = 0x20;  // rows top to bottom
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      bool black = x % 16 == 0 && y % 32 == 0;
      tga += black ? '\0' : char(60);
      tga += black ? '\0' : char(FigureGreen(y / 32));
      tga += black ? '\0' : char(FigureRed(x / 16));
    }
  return tga;
}

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetImageDepth(32);
    std::fill(std::begin(QX_SDL::Keys), std::end(QX_SDL::Keys), false);
    std::filesystem::create_directories(dir_.File("Data"));
    test::WriteFileText(dir_.File("Data/figure.tga"), FigureTga());
    test::WriteFileText(dir_.File("Data/junk.xyz"), "not a picture");
    savedOpener_ = std::move(StreamOpener);
    StreamOpener = std::make_unique<TQXStreamOpener>(dir_.Path(), nullptr);
    map_.SetSize(32, 22);
    TileMap = &map_;
    back_ = std::make_unique<TImage>(640, 480);
    QX_SDL::Display().SetDrawTarget(back_.get());
  }
  void TearDown() override {
    QX_SDL::Display().SetDrawTarget(nullptr);
    TileMap = nullptr;
    StreamOpener = std::move(savedOpener_);
    std::fill(std::begin(QX_SDL::Keys), std::end(QX_SDL::Keys), false);
    SetImageDepth(24);
  }

  std::unique_ptr<TPlayer> Make(int px, int py, const std::string& image = "figure.tga") {
    TMemoryStream text("[Hero]\nType=Player\nPositionX=" + std::to_string(px) + "\nPositionY=" + std::to_string(py) +
                       "\nImage=" + image + "\n");
    TIniFile ini(text);
    return std::make_unique<TPlayer>(ini, "Hero");
  }
  void Row(int row, int32_t value) {
    for (int x = 0; x < 32; ++x) map_.SetLogic(x, row, value);
  }
  static void Run(TPlayer& p, int frames) {
    for (int i = 0; i < frames; ++i) p.Move();
  }
  bool Occupied(int x, int y) const { return (map_.GetLogic(x, y) & 0x40) != 0; }
  uint32_t Pixel(int x, int y) const { return back_->GetPixel(x, y); }
  uint32_t Rgb(int r, int g, int b) const { return back_->MapRGB(uint8_t(r), uint8_t(g), uint8_t(b)); }
  int Channel(int x, int y, int shift) const { return int((Pixel(x, y) >> shift) & 0xFF); }

  test::TTempDir dir_;
  std::unique_ptr<TQXStreamOpener> savedOpener_;
  TTileMap map_;
  std::unique_ptr<TImage> back_;
};

TEST_F(PlayerTest, CreatedStandingOnAFloorStaysPut) {
  Row(4, kFloor);
  auto p = Make(48, 32);
  EXPECT_EQ(p->TileX, 3);
  EXPECT_EQ(p->TileY, 2);
  EXPECT_EQ(p->X, 112);
  EXPECT_EQ(p->Y, 96);
  EXPECT_EQ(p->FineX, 448);
  EXPECT_EQ(p->FineY, 384);
  EXPECT_EQ(p->WalkFrames, 32);
  EXPECT_EQ(p->Direction, 32);
  EXPECT_EQ(p->State, TPlayer::kStanding);
  EXPECT_EQ(map_.GetLogic(3, 2), 0x40);
  EXPECT_EQ(map_.GetLogic(3, 3), 0x40);
  Run(*p, 50);
  EXPECT_EQ(p->State, TPlayer::kStanding);
  EXPECT_EQ(p->Timer, 0);
  EXPECT_EQ(p->Y, 96);
  EXPECT_EQ(map_.GetLogic(3, 2), 0x40);
  EXPECT_FALSE(p->IsCompleted());
}

TEST_F(PlayerTest, MissingImageIsLoggedAndReplacedByThePlaceholder) {
  Row(4, kFloor);
  // "*", the default, and an unknown extension name no picture at all: as
  // missing as an absent file, never an invisible figure.
  for (const char* name : {"nothing.tga", "*", "junk.xyz"}) {
    test::TCapturedLog log;
    auto p = Make(0, 32, name);
    EXPECT_TRUE(log.Contains("{ZORBPlayerUnit, TPlayer.Create} Player image not found. (" + std::string(name) + ")"))
        << name;
    EXPECT_EQ(p->WalkFrames, 16) << name;  // the placeholder is 32 wide
    EXPECT_EQ(p->Silhouette->Width(), 32) << name;
  }
}

TEST_F(PlayerTest, WalkingRightTakesSixteenFramesAndMovesTheMarks) {
  Row(4, kFloor);
  map_.SetLogic(3, 2, 0x380);  // a port value and a foreign bit in a body cell stay
  auto p = Make(48, 32);
  QX_SDL::Keys[TPlayer::kKeyRight] = true;
  p->Move();  // decision only
  EXPECT_EQ(p->State, TPlayer::kWalking);
  EXPECT_EQ(p->X, 112);
  QX_SDL::Keys[TPlayer::kKeyRight] = false;
  p->Move();
  EXPECT_EQ(map_.GetLogic(3, 2), 0x380);
  EXPECT_FALSE(Occupied(3, 3));
  EXPECT_FALSE(Occupied(4, 2));
  Run(*p, 14);
  EXPECT_EQ(p->X, 127);
  EXPECT_EQ(p->TileX, 3);
  p->Move();
  EXPECT_EQ(p->X, 128);
  EXPECT_EQ(p->FineX, 512);
  EXPECT_EQ(p->TileX, 4);
  EXPECT_EQ(p->Frame, 16);
  EXPECT_EQ(p->State, TPlayer::kStanding);
  EXPECT_TRUE(Occupied(4, 2) && Occupied(4, 3));
  EXPECT_EQ(map_.GetLogic(3, 2), 0x380);
  EXPECT_EQ(map_.GetLogic(3, 3), 0);
}

TEST_F(PlayerTest, HeldKeyWalksOnWithoutPauseAndTheCycleWraps) {
  Row(4, kFloor);
  auto p = Make(160, 32);
  QX_SDL::Keys[TPlayer::kKeyLeft] = true;
  p->Move();
  p->Move();
  EXPECT_EQ(p->Frame, 31);  // leftwards the cycle runs down from its end
  Run(*p, 31);
  EXPECT_EQ(p->X, 224 - 32);
  EXPECT_EQ(p->TileX, 8);
  EXPECT_EQ(p->State, TPlayer::kWalking);  // the next step started in the same frame
  EXPECT_EQ(p->Frame, 0);
  EXPECT_EQ(p->Direction, 0);
}

TEST_F(PlayerTest, WallsAndGridEdgesStopWalking) {
  Row(4, kFloor);
  auto atEdge = Make(496, 32);
  QX_SDL::Keys[TPlayer::kKeyRight] = true;
  Run(*atEdge, 20);
  EXPECT_EQ(atEdge->X, 560);
  EXPECT_EQ(atEdge->State, TPlayer::kStanding);

  auto walled = Make(64, 32);
  map_.SetLogic(5, 3, 4);  // wall on the left side of the lower cell ahead
  map_.SetLogic(3, 2, 4);  // a left-side wall behind does not stop walking left
  Run(*walled, 20);
  EXPECT_EQ(walled->X, 128);
  QX_SDL::Keys[TPlayer::kKeyRight] = false;
  QX_SDL::Keys[TPlayer::kKeyLeft] = true;
  map_.SetLogic(2, 2, 8);  // wall on the right side of the upper cell beyond the first step
  Run(*walled, 17);
  EXPECT_EQ(walled->TileX, 3);
  Run(*walled, 20);
  EXPECT_EQ(walled->TileX, 3);

  auto leftEdge = Make(0, 32);
  Run(*leftEdge, 20);
  EXPECT_EQ(leftEdge->X, 64);
}

TEST_F(PlayerTest, FallsTwoPixelsAFrameUntilAFloorIsUnderTheFeet) {
  Row(10, kFloor);
  map_.SetLogic(7, 6, 0x10);  // a lift passed in the fall does not stop it
  auto p = Make(112, 32);
  p->Move();
  EXPECT_EQ(p->State, TPlayer::kFalling);
  p->Move();
  EXPECT_EQ(p->Y, 98);
  EXPECT_FALSE(Occupied(7, 2));
  Run(*p, 7);
  EXPECT_EQ(p->TileY, 3);
  EXPECT_EQ(p->State, TPlayer::kFalling);
  EXPECT_FALSE(Occupied(7, 3) || Occupied(7, 4));
  Run(*p, 40);
  EXPECT_EQ(p->TileY, 8);
  EXPECT_EQ(p->Y, 192);
  EXPECT_EQ(p->State, TPlayer::kStanding);
  EXPECT_TRUE(Occupied(7, 8) && Occupied(7, 9));
  EXPECT_EQ(map_.GetLogic(7, 6), 0x10);
}

TEST_F(PlayerTest, LiftCarriesAndRidesWithoutEatingThePortMark) {
  Row(10, kFloor);
  for (int y = 3; y <= 9; ++y) map_.SetLogic(5, y, 0x10);
  map_.SetLogic(5, 6, 0x0510);  // a port inside the shaft
  auto p = Make(80, 128);       // body in rows 8 and 9
  p->Move();
  EXPECT_EQ(p->State, TPlayer::kLifting);
  Run(*p, 16);
  EXPECT_EQ(p->TileY, 7);
  EXPECT_EQ(p->Y, 176);
  Run(*p, 16 * 6);
  EXPECT_EQ(p->TileY, 1);  // body in rows 1 and 2, the lift cell of row 3 carries it
  EXPECT_EQ(p->State, TPlayer::kStanding);
  Run(*p, 30);
  EXPECT_EQ(p->TileY, 1);
  EXPECT_EQ(map_.GetLogic(5, 6), 0x0510);
  for (int y = 3; y <= 9; ++y) EXPECT_FALSE(Occupied(5, y)) << y;
  EXPECT_TRUE(Occupied(5, 1) && Occupied(5, 2));
}

TEST_F(PlayerTest, StrongLiftRisesFourPixelsAFrameToTheNextFloor) {
  Row(10, kFloor);
  map_.SetLogic(5, 10, 0x32);
  map_.SetLogic(5, 5, 2);
  auto p = Make(80, 128);
  p->Move();
  EXPECT_EQ(p->State, TPlayer::kStrongLift);
  p->Move();
  EXPECT_EQ(p->Y, 188);
  Run(*p, 19);
  EXPECT_EQ(p->TileY, 3);
  EXPECT_EQ(p->Y, 112);
  EXPECT_EQ(p->State, TPlayer::kStanding);
  EXPECT_TRUE(Occupied(5, 3) && Occupied(5, 4));
  EXPECT_FALSE(Occupied(5, 8) || Occupied(5, 9));
}

TEST_F(PlayerTest, SpaceOnAPortEntersItAndCompletesTheMap) {
  Row(4, kFloor);
  map_.SetLogic(3, 4, 0x050F);
  map_.SetLogic(4, 4, 0x00CF);
  auto p = Make(48, 32);
  auto plain = Make(64, 32);
  EXPECT_EQ(p->PortBelow(), 5);
  EXPECT_EQ(plain->PortBelow(), 0);
  QX_SDL::Keys[TPlayer::kKeySpace] = true;
  plain->Move();
  EXPECT_EQ(plain->State, TPlayer::kStanding);
  p->Move();
  EXPECT_EQ(p->State, TPlayer::kEnteringPort);
  QX_SDL::Keys[TPlayer::kKeySpace] = false;
  QX_SDL::Keys[TPlayer::kKeyRight] = true;
  Run(*p, 127);
  EXPECT_FALSE(p->IsCompleted());
  p->Move();
  EXPECT_TRUE(p->IsCompleted());
  Run(*p, 10);
  EXPECT_EQ(p->State, TPlayer::kGone);
  EXPECT_EQ(p->X, 112);
  EXPECT_EQ(p->PortBelow(), 5);
}

TEST_F(PlayerTest, AppearDuringAWalkAbandonsIt) {
  Row(4, kFloor);
  auto p = Make(48, 32);
  QX_SDL::Keys[TPlayer::kKeyRight] = true;
  Run(*p, 6);
  QX_SDL::Keys[TPlayer::kKeyRight] = false;
  p->Appear();
  EXPECT_EQ(p->State, TPlayer::kAppearing);
  Run(*p, 128);
  EXPECT_EQ(p->State, TPlayer::kStanding);
  EXPECT_EQ(p->X, 117);
  EXPECT_EQ(p->TileX, 3);
  EXPECT_FALSE(Occupied(3, 2) || Occupied(4, 2));
  Run(*p, 5);
  EXPECT_FALSE(Occupied(3, 2) || Occupied(3, 3));
}

TEST_F(PlayerTest, MoveToAndMoveByGoThroughTheQuarterPixels) {
  Row(4, kFloor);
  auto p = Make(48, 32);
  p->MoveTo(200, 100);
  EXPECT_EQ(p->FineX, 800);
  EXPECT_EQ(p->FineY, 400);
  EXPECT_EQ(p->TileX, 8);
  EXPECT_EQ(p->TileY, 2);
  p->MoveBy(-16, 32);
  EXPECT_EQ(p->X, 184);
  EXPECT_EQ(p->Y, 132);
  EXPECT_EQ(p->TileX, 7);
  EXPECT_EQ(p->TileY, 4);
  EXPECT_TRUE(Occupied(3, 2) && Occupied(3, 3));  // marks untouched
  EXPECT_FALSE(Occupied(7, 4));
  p->MoveTo(INT32_MAX, INT32_MIN);  // absurd positions wrap, nothing outside the grid is touched
  Run(*p, 20);
}

TEST_F(PlayerTest, DrawsTheFrameOfItsDirectionAndWalkPosition) {
  Row(4, kFloor);
  auto p = Make(48, 32);
  p->Draw();
  EXPECT_EQ(Pixel(112 + 8, 96 + 8), Rgb(FigureRed(0), FigureGreen(1), 60));
  EXPECT_EQ(Pixel(112, 96), 0u);  // black is transparent
  QX_SDL::Keys[TPlayer::kKeyRight] = true;
  Run(*p, 9);
  p->Draw();
  EXPECT_EQ(Pixel(120 + 8, 96 + 8), Rgb(FigureRed(1), FigureGreen(1), 60));
  QX_SDL::Keys[TPlayer::kKeyRight] = false;
  QX_SDL::Keys[TPlayer::kKeyLeft] = true;
  Run(*p, 9);
  back_->FillRect(0, 0, 640, 480, 0, 0, 0);
  p->Draw();
  EXPECT_EQ(p->Frame, 15);  // walking left from pixel 16 of the cycle
  EXPECT_EQ(Pixel(p->X + 8, 96 + 8), Rgb(FigureRed(1), FigureGreen(0), 60));
}

TEST_F(PlayerTest, AppearEffectGrowsThenFadesTheSilhouette) {
  Row(4, kFloor);
  auto p = Make(48, 32);
  p->Appear();
  Run(*p, 28);  // timer 100: the top 15 rows of the silhouette
  p->Draw();
  EXPECT_EQ(Pixel(120, 96 + 14), Rgb(128, 192, 240));
  EXPECT_EQ(Pixel(120, 96 + 15), 0u);
  Run(*p, 68);  // timer 32: the image under a silhouette of alpha 127
  p->Draw();
  EXPECT_NEAR(Channel(120, 110, 16), (FigureRed(0) * 128 + 128 * 127) / 255, 3);
  EXPECT_NEAR(Channel(120, 110, 8), (FigureGreen(1) * 128 + 192 * 127) / 255, 3);
  Run(*p, 32);
  EXPECT_EQ(p->State, TPlayer::kStanding);
  p->Draw();
  EXPECT_EQ(Pixel(120, 110), Rgb(FigureRed(0), FigureGreen(1), 60));
}

TEST_F(PlayerTest, PortEffectFadesInThenShrinksToTheFeet) {
  Row(4, 0x030F);
  auto p = Make(48, 32);
  QX_SDL::Keys[TPlayer::kKeySpace] = true;
  Run(*p, 29);  // timer 100: alpha 112
  p->Draw();
  EXPECT_NEAR(Channel(120, 110, 16), (FigureRed(0) * 143 + 128 * 112) / 255, 3);
  Run(*p, 91);  // timer 9: the bottom 5 rows, opaque
  back_->FillRect(0, 0, 640, 480, 0, 0, 0);
  p->Draw();
  EXPECT_EQ(Pixel(120, 96 + 27), Rgb(128, 192, 240));
  EXPECT_EQ(Pixel(120, 96 + 26), 0u);
  Run(*p, 9);
  EXPECT_TRUE(p->IsCompleted());
  back_->FillRect(0, 0, 640, 480, 0, 0, 0);
  p->Draw();
  EXPECT_EQ(Pixel(120, 96 + 31), 0u);
}

TEST_F(PlayerTest, NeverTouchesCellsOutsideTheGrid) {
  auto bottom = Make(80, 336);  // lower body half below the last row
  EXPECT_EQ(map_.GetLogic(5, 21), 0x40);
  Run(*bottom, 200);  // falls out of the grid
  EXPECT_EQ(bottom->State, TPlayer::kFalling);
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 32; ++x) EXPECT_EQ(map_.GetLogic(x, y), 0) << x << "," << y;
}

}  // namespace
}  // namespace zorbin

namespace zorbin {
namespace {

TEST_F(PlayerTest, RaisesItsSoundsWhereItsStepsEnd) {
  std::vector<std::pair<int, TSoundEvent>> heard;
  int frame = 0;
  int id = AddSoundReceiver([&](TSoundEvent event) { heard.emplace_back(frame, event); });
  Row(4, kFloor);
  map_.SetLogic(3, 4, kFloor + 2 * 256);  // a port to map 2 under the landing place
  auto p = Make(48, 0);
  for (; frame < 20; ++frame) p->Move();  // a decision, then two rows of fall, 8 frames each
  QX_SDL::Keys[TPlayer::kKeySpace] = true;
  for (; frame < 22; ++frame) p->Move();
  RemoveSoundReceiver(id);
  p->Move();
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[0], std::make_pair(16, TSoundEvent::Land));
  EXPECT_EQ(heard[1], std::make_pair(20, TSoundEvent::PortEnter));
}

}  // namespace
}  // namespace zorbin
