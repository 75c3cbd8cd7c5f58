// The display shell: frame pacing, the average line, keys, mouse objects and drawing to the back buffer.
#include "app/Units.h"
#include "log/Logger.h"
#include "pictures/ImageUnit.h"
#include "shell/ClockUnit.h"
#include "shell/QX_SDL.h"
#include "util/Streams.h"

#include "TestSupport.h"
#include "shell/ShellFixture.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

// Opens a small display on a virtual clock.
class ShellTest : public test::TShellFixture {
 protected:
  ShellTest() : TShellFixture(64, 48) {}
};

TEST_F(ShellTest, FlipPacesWithoutCatchingUp) {
  QX_SDL::SetFrameRate(100);
  EXPECT_EQ(QX_SDL::FramePeriod(), 10u);
  uint32_t start = clock_.Ticks();
  QX_SDL::Flip();  // first call starts the schedule: late, waits a full period
  EXPECT_EQ(clock_.Ticks() - start, 10u);
  EXPECT_EQ(QX_SDL::RemainingSum(), 0u);
  clock_.Advance(4);  // drawing took 4 ms: 6 remain
  QX_SDL::Flip();
  EXPECT_EQ(QX_SDL::RemainingSum(), 6u);
  EXPECT_EQ(clock_.Ticks() - start, 20u);
  clock_.Advance(25);  // a late frame adds 0 and then waits a whole period
  QX_SDL::Flip();
  EXPECT_EQ(QX_SDL::RemainingSum(), 6u);
  EXPECT_EQ(clock_.Ticks() - start, 55u);
  EXPECT_EQ(QX_SDL::FrameCount(), 3u);
  QX_SDL::Finalize();
  EXPECT_TRUE(log_.Contains("(QX_SDL, Finalize) QX_SDL: Average ms remaining in each frame: 2"));
}

TEST_F(ShellTest, FrameRateThirtyAndNoAverageWithoutFrames) {
  QX_SDL::SetFrameRate(30);
  EXPECT_EQ(QX_SDL::FramePeriod(), 33u);
  QX_SDL::Finalize();
  for (const std::string& line : log_.Lines()) EXPECT_EQ(line.find("Average"), std::string::npos) << line;
  EXPECT_TRUE(log_.Contains("(QX_SDL, Init_Audio) BASS V2.4 loaded."));
}

static void PushKey(uint8_t type, SDLKey key) {
  SDL_Event e;
  e.type = type;
  e.key.type = type;
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.sym = key;
  e.key.keysym.mod = KMOD_NONE;
  e.key.keysym.scancode = 0;
  e.key.keysym.unicode = 0;
  SDL_PushEvent(&e);
}

TEST_F(ShellTest, KeysFollowEventsAndNotHandledTrace) {
  PushKey(SDL_KEYDOWN, SDLK_LEFT);
  QX_SDL::PollEvents();
  EXPECT_TRUE(QX_SDL::Keys[SDLK_LEFT]);
  PushKey(SDL_KEYDOWN, SDLK_SPACE);
  PushKey(SDL_KEYUP, SDLK_SPACE);
  QX_SDL::PollEvents();
  EXPECT_FALSE(QX_SDL::Keys[SDLK_SPACE]);
  EXPECT_TRUE(QX_SDL::Keys[SDLK_LEFT]);
  QX_SDL::ClearKeys();
  EXPECT_FALSE(QX_SDL::Keys[SDLK_LEFT]);
  EXPECT_TRUE(log_.Contains("< Trace > Event not handled by any objects."));
}

TEST_F(ShellTest, FrameAndKeyObserversAreToldInTurnUntilTheyLeave) {
  std::vector<std::string> told;
  TSubscription first = QX_SDL::Display().AfterFlip().Add([&] { told.push_back("first"); });
  TSubscription second = QX_SDL::Display().AfterFlip().Add([&] { told.push_back("second"); });
  TSubscription keys = QX_SDL::Input().KeyChange().Add(
      [&](int key, bool down) { told.push_back(SDL_GetKeyName(SDLKey(key)) + std::string(down ? " down" : " up")); });
  QX_SDL::Flip();
  first.Cancel();
  QX_SDL::Flip();
  PushKey(SDL_KEYDOWN, SDLK_q);
  QX_SDL::PollEvents();
  keys.Cancel();
  QX_SDL::SetKey(SDLK_q, false);
  EXPECT_EQ(told, (std::vector<std::string>{"first", "second", "second", "q down"}));
  EXPECT_FALSE(QX_SDL::Keys[SDLK_q]);
}

class Catcher : public TMouseObject {
 public:
  Catcher() : TMouseObject("catcher") {}
  bool HandleEvent(const SDL_Event&) override { return true; }
};

TEST_F(ShellTest, MouseObjectConsumesEvent) {
  QX_SDL::MouseObjects()->Add(std::make_unique<Catcher>());
  PushKey(SDL_KEYDOWN, SDLK_q);
  QX_SDL::PollEvents();
  EXPECT_FALSE(QX_SDL::Keys[SDLK_q]);
  EXPECT_TRUE(log_.Contains("< Trace > Event handled by object number 0 (catcher)"));
}

TEST_F(ShellTest, ClearAndDrawImageRectGoToTheBackBuffer) {
  QX_SDL::Clear(0, 0, 255);
  TImage src(4, 4);
  src.FillRect(1, 1, 2, 2, 255, 0, 0);
  QX_SDL::DrawImageRect(10, 10, 1, 1, 2, 2, &src);
  EXPECT_EQ(QX_SDL::BackImage()->GetPixel(10, 10), QX_SDL::BackImage()->MapRGB(255, 0, 0));
  EXPECT_EQ(QX_SDL::BackImage()->GetPixel(11, 11), QX_SDL::BackImage()->MapRGB(255, 0, 0));
  EXPECT_EQ(QX_SDL::BackImage()->GetPixel(12, 12), QX_SDL::BackImage()->MapRGB(0, 0, 255));
  auto grey = QX_SDL::ImageToGrayStream(&src);
  EXPECT_EQ(grey->Size(), 4 + 16);
  EXPECT_EQ(grey->Data()[4 + 5], uint8_t(30 * 255 / 100));
}

TEST(ShellDeathTest, ClosingTheWindowEndsWithCodeTwoAndTheClosingLine) {
  test::TTempDir dir;
  std::string program = dir.File("deathgame");
  EXPECT_EXIT(
      {
        Log.reset();
        InitializeUnits({program});
        QX_SDL::Initialize(32, 32, 32, QX_SDL::kBackBufferOption);
        SDL_Event quit;
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
        QX_SDL::PollEvents();
      },
      ::testing::ExitedWithCode(2), "");
  auto lines = test::SplitLines(test::ReadFileText(dir.File("deathgame.log")));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("(..system..) Terminating Application. ", 0), 0u);
}

}  // namespace
}  // namespace zorbin
