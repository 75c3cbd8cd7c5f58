// The shell with the player's presentation: scaled frames, mouse positions
// in frame pixels, F12, and when the window's focus pauses the game.
#include "log/Logger.h"
#include "pictures/ImageUnit.h"
#include "shell/ClockUnit.h"
#include "shell/QX_SDL.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace zorbin {
namespace {

class PlayerShellTest : public ::testing::Test {
 protected:
  void Open(const QX_SDL::TPresentation& presentation) {
    SetClock(&clock_);
    QX_SDL::SetPresentation(presentation);
    QX_SDL::Initialize(64, 48, 32, QX_SDL::kBackBufferOption);
  }
  void TearDown() override {
    if (QX_SDL::Display().IsOpen()) QX_SDL::Finalize();
    QX_SDL::SetPresentation(QX_SDL::TPresentation{});
    SetClock(nullptr);
    SetImageDepth(24);
  }
  static void Push(SDL_Event event) {
    SDL_PushEvent(&event);
    QX_SDL::PollEvents();
  }
  static SDL_Event Focus(bool gain) {
    SDL_Event e{};
    e.type = SDL_ACTIVEEVENT;
    e.active.gain = gain;
    e.active.state = SDL_APPINPUTFOCUS;
    return e;
  }
  static SDL_Event KeyDown(SDLKey key) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    return e;
  }
  TVirtualClock clock_;
  test::TCapturedLog log_;
};

uint32_t ScreenPixel(int x, int y) {
  return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(QX_SDL::Display().Screen()->pixels) +
                                     y * QX_SDL::Display().Screen()->pitch)[x];
}

// Records where the mouse button went down.
class PointRecorder : public TMouseObject {
 public:
  PointRecorder(int& x, int& y) : TMouseObject("points"), x_(x), y_(y) {}
  bool HandleEvent(const SDL_Event& event) override {
    if (event.type != SDL_MOUSEBUTTONDOWN) return false;
    x_ = event.button.x;
    y_ = event.button.y;
    return true;
  }

 private:
  int& x_;
  int& y_;
};

TEST_F(PlayerShellTest, ScaleThreeShowsEveryFramePixelAsABlockAndMapsTheMouseBack) {
  Open(QX_SDL::TPresentation{3, false, true, true});
  ASSERT_EQ(QX_SDL::Display().Screen()->w, 192);
  ASSERT_EQ(QX_SDL::Display().Screen()->h, 144);
  EXPECT_EQ(QX_SDL::Display().BackBuffer()->w, 64);  // the game still draws 64 x 48
  QX_SDL::BackImage()->FillRect(10, 20, 1, 1, 255, 0, 0);
  QX_SDL::Flip();
  uint32_t red = SDL_MapRGB(QX_SDL::Display().Screen()->format, 255, 0, 0);
  for (int y = 60; y < 63; ++y)
    for (int x = 30; x < 33; ++x) EXPECT_EQ(ScreenPixel(x, y), red) << x << "," << y;
  EXPECT_NE(ScreenPixel(33, 60), red);
  EXPECT_NE(ScreenPixel(30, 63), red);

  int x = -1, y = -1;
  QX_SDL::MouseObjects()->Add(std::make_unique<PointRecorder>(x, y));
  SDL_Event click{};
  click.type = SDL_MOUSEBUTTONDOWN;
  click.button.button = SDL_BUTTON_LEFT;
  click.button.x = 32;
  click.button.y = 191;  // below the screen: clamped to the frame's last row
  Push(click);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 47);
}

TEST_F(PlayerShellTest, FocusPausesOnlyAfterTheWindowHadIt) {
  Open(QX_SDL::TPresentation{1, false, true, true});
  Push(Focus(false));  // never had it: a bare X server, say
  EXPECT_FALSE(QX_SDL::Paused());
  Push(Focus(true));
  Push(Focus(false));
  EXPECT_TRUE(QX_SDL::Paused());
  Push(Focus(true));
  EXPECT_FALSE(QX_SDL::Paused());
  Push(KeyDown(SDLK_p));
  EXPECT_TRUE(QX_SDL::Paused());
  Push(Focus(true));  // regaining focus ends only a pause that losing it began
  EXPECT_TRUE(QX_SDL::Paused());
  Push(KeyDown(SDLK_p));
  EXPECT_FALSE(QX_SDL::Paused());
  EXPECT_FALSE(QX_SDL::Keys[SDLK_p]);
}

TEST_F(PlayerShellTest, SettingsCanTurnFocusPausingOffAndTheDefaultHasNoPlayerKeys) {
  Open(QX_SDL::TPresentation{1, false, true, false});
  Push(Focus(true));
  Push(Focus(false));
  EXPECT_FALSE(QX_SDL::Paused());
  QX_SDL::Finalize();
  Open(QX_SDL::TPresentation{});
  EXPECT_EQ(QX_SDL::Display().Screen()->w, 64);
  Push(Focus(true));
  Push(Focus(false));
  Push(KeyDown(SDLK_p));
  EXPECT_FALSE(QX_SDL::Paused());
  EXPECT_TRUE(QX_SDL::Keys[SDLK_p]);  // an ordinary key, as it always was
}

TEST_F(PlayerShellTest, F12SavesTheNextFrameAndLogsItsPath) {
  test::TTempDir dir;
  std::string saved = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
  setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
  Open(QX_SDL::TPresentation{2, false, true, true});
  Push(KeyDown(SDLK_F12));
  QX_SDL::Flip();
  std::string shot = dir.File("data/zorbin/screenshots/zorbin-0001.png");
  EXPECT_TRUE(std::filesystem::exists(shot));
  EXPECT_TRUE(log_.Contains("(QX_SDL, Screenshot) Screenshot saved: " + shot)) << test::ReadFileText(shot).size();
  std::string png = test::ReadFileText(shot);
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(uint8_t(png[19]), 64);  // the frame's width, not the window's
  if (saved.empty())
    unsetenv("XDG_DATA_HOME");
  else
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
}

// Presses P again once the shell sleeps, as a paused player would.
class UnpausingClock final : public TClock {
 public:
  uint32_t Ticks() override { return now_; }
  void Delay(uint32_t ms) override {
    now_ += ms;
    ++delays_;
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_p;
    SDL_PushEvent(&e);
  }
  int delays_ = 0;

 private:
  uint32_t now_ = 1000;
};

TEST_F(PlayerShellTest, TitleCardWaitsServeScreenshotAndPauseWithoutAFrame) {
  test::TTempDir dir;
  std::string saved = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
  setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
  Open(QX_SDL::TPresentation{1, false, true, true});
  UnpausingClock clock;
  SetClock(&clock);
  SDL_Event f12 = KeyDown(SDLK_F12);
  SDL_PushEvent(&f12);
  QX_SDL::PollEventsWithoutFrames();
  EXPECT_TRUE(std::filesystem::exists(dir.File("data/zorbin/screenshots/zorbin-0001.png")));
  SDL_Event p = KeyDown(SDLK_p);
  SDL_PushEvent(&p);
  QX_SDL::PollEventsWithoutFrames();
  EXPECT_EQ(clock.delays_, 1);  // paused until the clock's P came
  EXPECT_FALSE(QX_SDL::Paused());
  EXPECT_EQ(QX_SDL::FrameCount(), 0u);
  SetClock(&clock_);
  if (saved.empty())
    unsetenv("XDG_DATA_HOME");
  else
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace zorbin
