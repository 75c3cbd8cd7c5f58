// The air meter: its strip picture, how it drains and refills, and what it draws.
#include "game/ZORBAirMeterUnit.h"
#include "pictures/ImageUnit.h"
#include "shell/QX_SDL.h"
#include "storage/QXStream.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin {
namespace {

// A 640 x 480 drawing surface in place of the shell's back buffer; the bar
// is green, the label red, the cover segment blue.
class AirMeter : public ::testing::Test {
 protected:
  void SetUp() override {
    SetImageDepth(32);
    back = std::make_unique<TImage>(640, 480);
    QX_SDL::Display().SetDrawTarget(back.get());
    meter = std::make_unique<TAirMeter>(Solid(576, 24, 0, 255, 0), Solid(36, 24, 255, 0, 0), Solid(12, 24, 0, 0, 255));
  }
  void TearDown() override {
    QX_SDL::Display().SetDrawTarget(nullptr);
    SetImageDepth(24);
  }
  static std::unique_ptr<TImage> Solid(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    auto img = std::make_unique<TImage>(w, h);
    img->FillRect(0, 0, w, h, r, g, b);
    return img;
  }
  void Updates(int n) {
    for (int i = 0; i < n; ++i) meter->Update();
  }
  // One letter per 12-pixel segment of the bar row as drawn: G bar, B cover,
  // . nothing, ? anything else.
  std::string Segments() {
    back->FillRect(0, 0, 640, 480, 0, 0, 0);
    meter->Draw();
    std::string out;
    for (int i = 0; i < 48; ++i) {
      uint32_t left = back->GetPixel(50 + 12 * i, 440), right = back->GetPixel(61 + 12 * i, 463);
      char c = left != right                     ? '?'
               : left == back->MapRGB(0, 255, 0) ? 'G'
               : left == back->MapRGB(0, 0, 255) ? 'B'
               : left == 0                       ? '.'
                                                 : '?';
      out += c;
    }
    return out;
  }
  static std::string Bar(int green, int blue) {
    return std::string(size_t(green), 'G') + std::string(size_t(blue), 'B');
  }
  void ExpectState(uint8_t mode, int air, int width, int segments) {
    EXPECT_EQ(meter->Mode, mode);
    EXPECT_EQ(meter->Air, air);
    EXPECT_EQ(meter->BarWidth, width);
    EXPECT_EQ(meter->Segments, segments);
  }

  std::unique_ptr<TImage> back;
  std::unique_ptr<TAirMeter> meter;
};

TEST_F(AirMeter, CreatedIdleAndFullWithEveryCoverDrawn) {
  EXPECT_EQ(meter->Capacity, 9600);
  ExpectState(TAirMeter::kIdle, 9600, 0, 0);
  EXPECT_EQ(Segments(), Bar(0, 48));
  EXPECT_EQ(back->GetPixel(14, 440), back->MapRGB(255, 0, 0));
  EXPECT_EQ(back->GetPixel(49, 463), back->MapRGB(255, 0, 0));
  EXPECT_EQ(back->GetPixel(13, 440), 0u);
  EXPECT_EQ(back->GetPixel(626, 440), 0u);
  EXPECT_EQ(back->GetPixel(50, 439), 0u);
  EXPECT_EQ(back->GetPixel(50, 464), 0u);
  Updates(10);  // idle: nothing moves
  ExpectState(TAirMeter::kIdle, 9600, 0, 0);
}

TEST_F(AirMeter, RefillFillsInSixtyFourFramesThenIdles) {
  meter->Refill();
  ExpectState(TAirMeter::kFilling, 0, 0, 0);
  meter->Update();
  ExpectState(TAirMeter::kFilling, 150, 11, 1);
  EXPECT_EQ(Segments(), Bar(1, 47));
  Updates(62);
  ExpectState(TAirMeter::kFilling, 9450, 47 * 12 + 11, 48);
  meter->Update();
  ExpectState(TAirMeter::kFilling, 9600, 587, 49);
  EXPECT_EQ(Segments(), Bar(48, 0));
  EXPECT_EQ(back->GetPixel(625, 440), back->MapRGB(0, 255, 0));
  EXPECT_EQ(back->GetPixel(626, 440), 0u);  // the bar image ends at 575
  meter->Update();
  ExpectState(TAirMeter::kIdle, 9600, 575, 48);
  EXPECT_EQ(Segments(), Bar(48, 0));
}

TEST_F(AirMeter, RunningLosesASegmentEveryTwoHundredFramesAndStopsEmpty) {
  meter->Start();
  ExpectState(TAirMeter::kRunning, 9600, 575, 48);
  Updates(200);
  ExpectState(TAirMeter::kRunning, 9400, 575, 48);
  meter->Update();
  ExpectState(TAirMeter::kRunning, 9399, 563, 47);
  EXPECT_EQ(Segments(), Bar(47, 1));
  EXPECT_EQ(back->GetPixel(613, 440), back->MapRGB(0, 255, 0));
  EXPECT_EQ(back->GetPixel(614, 440), back->MapRGB(0, 0, 255));
  Updates(200);
  ExpectState(TAirMeter::kRunning, 9199, 551, 46);
  Updates(9199 - 1);
  ExpectState(TAirMeter::kRunning, 1, 11, 1);
  EXPECT_EQ(Segments(), Bar(1, 47));
  meter->Update();
  ExpectState(TAirMeter::kRunning, 0, 0, 0);
  EXPECT_EQ(Segments(), Bar(0, 48));
  Updates(5);
  ExpectState(TAirMeter::kRunning, 0, 0, 0);
}

TEST_F(AirMeter, CountDownRoundsToSeventyFiveAndEmptiesTheBar) {
  meter->Start();
  meter->Air = 1000;
  meter->CountDown();
  ExpectState(TAirMeter::kCountingDown, 975, 4 * 12 + 11, 5);
  EXPECT_EQ(Segments(), Bar(5, 43));
  Updates(13);
  ExpectState(TAirMeter::kCountingDown, 0, 11, 1);  // one segment still shown
  EXPECT_EQ(Segments(), Bar(1, 47));
  meter->Update();
  ExpectState(TAirMeter::kCountingDown, 0, 0, 0);
  EXPECT_EQ(Segments(), Bar(0, 48));
  meter->Update();
  ExpectState(TAirMeter::kCountingDown, 0, 0, 0);
  meter->Start();  // from any mode
  ExpectState(TAirMeter::kRunning, 9600, 575, 48);
}

TEST_F(AirMeter, ImagesWithoutSurfacesDrawNothing) {
  meter = std::make_unique<TAirMeter>(std::make_unique<TImage>(), std::make_unique<TImage>(), nullptr);
  meter->Start();
  meter->Update();
  EXPECT_EQ(Segments(), Bar(0, 0) + std::string(48, '.'));
  EXPECT_EQ(back->GetPixel(14, 440), 0u);
}

// A TGA of frames side by side, frame f in colour(f) (red, green, blue),
// with the two info bytes of an animation strip when frames > 1.
template <typename Colour>
static std::string StripTga(int frameWidth, int height, int frames, Colour colour) {
  const std::string id = frames > 1 ? std::string{char(frames), 0} : std::string();
  auto pixel = [&](int x, int) {
    auto [r, g, b] = colour(x / frameWidth);
    return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
  };
  return test::TgaOf(frameWidth * frames, height, pixel, id);
}

// The pictures lie in the data root; the opener's current directory is a
// map's, which the meter's names must not use.
TEST_F(AirMeter, LoadsItsPicturesFromTheDataRoot) {
  test::TTempDir root;
  std::filesystem::create_directory(root.File("map7"));
  auto segment = [](int f) { return std::tuple<int, int, int>(f == 48 ? 255 : 0, 100 + f, 0); };
  test::WriteFileText(root.File("airm.tga"), StripTga(12, 24, 49, segment));
  test::WriteFileText(root.File("map7/airm.tga"), StripTga(12, 24, 49, [](int) { return std::tuple(9, 9, 9); }));
  test::WriteFileText(root.File("air.tga"), StripTga(36, 24, 1, [](int) { return std::tuple(0, 0, 200); }));
  auto savedOpener = std::move(StreamOpener);
  auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(root.Path());
  StreamOpener = std::make_unique<TQXStreamOpener>(root.Path(), nullptr);
  StreamOpener->SetCurrentDir("map7");
  try {
    meter = std::make_unique<TAirMeter>();
    ExpectState(TAirMeter::kIdle, 9600, 0, 0);
    EXPECT_EQ(meter->BarImage->Width(), 576);
    EXPECT_EQ(meter->CoverImage->Width(), 12);
    EXPECT_EQ(meter->FrameImage->Width(), 36);
    meter->Start();
    Updates(201);
    back->FillRect(0, 0, 640, 480, 0, 0, 0);
    meter->Draw();
    EXPECT_EQ(back->GetPixel(14, 440), back->MapRGB(0, 0, 200));
    EXPECT_EQ(back->GetPixel(49, 463), back->MapRGB(0, 0, 200));
    EXPECT_EQ(back->GetPixel(50, 440), back->MapRGB(0, 100, 0));
    EXPECT_EQ(back->GetPixel(613, 463), back->MapRGB(0, 146, 0));    // frame 46
    EXPECT_EQ(back->GetPixel(614, 440), back->MapRGB(255, 148, 0));  // the cover, frame 48
    EXPECT_EQ(back->GetPixel(625, 463), back->MapRGB(255, 148, 0));
    EXPECT_EQ(back->GetPixel(626, 440), 0u);

    std::filesystem::remove(root.File("air.tga"));
    StreamOpener = std::make_unique<TQXStreamOpener>(root.Path(), nullptr);  // nothing cached
    EXPECT_THROW(TAirMeter(), std::runtime_error);
  } catch (...) {
    ADD_FAILURE() << "unexpected exception";
  }
  StreamOpener = std::move(savedOpener);
  std::filesystem::current_path(cwd);
}

}  // namespace
}  // namespace zorbin
