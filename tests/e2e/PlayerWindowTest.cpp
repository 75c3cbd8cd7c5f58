// The game program in a real window on a virtual X display: -scale 2 shows
// the 1x frame's pixels doubled, Alt+Enter switches fullscreen and back (and
// writes the choice to the settings file), F12 saves a PNG, P pauses; the
// map editor takes clicks and keys. Also -help, which opens no window at all.
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace zorbin::e2e {
namespace player_window {

// Standard output of a shell command.
std::string Shell(const std::string& command) { return test::RunCommand(command).out; }

// A process that runs (a zombie does not).
bool Running(const std::string& pid) { return Shell("ps -o stat= -p " + pid + " 2>/dev/null | grep -v Z").size() > 0; }

bool HaveCommands() {
  for (const char* command : {"Xvfb", "xdotool", "xwd"})
    if (Shell(std::string("command -v ") + command).empty()) return false;
  return true;
}

// Retries check every 100 ms for at most a minute (a loaded machine starts
// the game slowly): the window and the X server answer when they are
// ready, not at a fixed time.
bool Eventually(const std::function<bool()>& check) {
  for (int i = 0; i < 600; ++i) {
    if (check()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return check();
}

// A window's picture as 0xRRGGBB pixels, read from xwd's dump (32-bit
// ZPixmap, which Xvfb at depth 24 gives).
struct TWindowPicture {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;
  uint32_t At(int x, int y) const { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
};

uint32_t BigEndian32(const std::string& d, size_t at) {
  return uint32_t(uint8_t(d[at])) << 24 | uint32_t(uint8_t(d[at + 1])) << 16 | uint32_t(uint8_t(d[at + 2])) << 8 |
         uint32_t(uint8_t(d[at + 3]));
}

TWindowPicture Grab(const std::string& display, const std::string& window) {
  std::string d = Shell("DISPLAY=" + display + " xwd -silent -id " + window + " 2>/dev/null");
  TWindowPicture picture;
  if (d.size() < 100 || BigEndian32(d, 44) != 32) return picture;
  size_t start = BigEndian32(d, 0) + size_t(BigEndian32(d, 76)) * 12;
  size_t perLine = BigEndian32(d, 48);
  bool lsbFirst = BigEndian32(d, 28) == 0;
  int w = int(BigEndian32(d, 16)), h = int(BigEndian32(d, 20));
  if (start + perLine * size_t(h) > d.size()) return picture;
  picture.Width = w;
  picture.Height = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      size_t at = start + size_t(y) * perLine + size_t(x) * 4;
      uint32_t v =
          lsbFirst ? uint32_t(uint8_t(d[at])) | uint32_t(uint8_t(d[at + 1])) << 8 | uint32_t(uint8_t(d[at + 2])) << 16
                   : BigEndian32(d, at) & 0xFFFFFF;
      picture.Pixels.push_back(v & 0xFFFFFF);
    }
  return picture;
}

// A virtual display, and one run of the game on it.
class PlayerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveCommands()) GTEST_SKIP() << "Xvfb, xdotool or xwd is not installed";
    // -noreset: the server must not reset between the two games it shows.
    // A display number of this process's own; when another server has it,
    // Xvfb ends at once and the next number is tried.
    for (int n = 100 + getpid() % 800, tries = 0; tries < 20 && display_.empty(); ++n, ++tries) {
      std::string candidate = ":" + std::to_string(n);
      if (!Shell("DISPLAY=" + candidate + " xdotool getdisplaygeometry 2>/dev/null").empty()) continue;
      xvfb_ = Shell("Xvfb " + candidate + " -screen 0 1600x1200x24 -nolisten tcp -noreset >/dev/null 2>&1 & echo $!");
      xvfb_ = xvfb_.substr(0, xvfb_.find('\n'));
      bool answers = Eventually([&] {
        return !Shell("DISPLAY=" + candidate + " xdotool getdisplaygeometry 2>/dev/null").empty() || !Running(xvfb_);
      });
      if (answers && Running(xvfb_)) display_ = candidate;
    }
    ASSERT_FALSE(display_.empty()) << "Xvfb did not start";
  }
  void TearDown() override {
    StopGame();
    if (!xvfb_.empty()) Shell("kill " + xvfb_);
  }

  std::string X(const std::string& command) { return Shell("DISPLAY=" + display_ + " " + command + " 2>/dev/null"); }

  // Starts the game from the build folder (beside its data), with its own
  // settings and data folders; the id of its window.
  std::string StartGame(const std::string& arguments) {
    std::string env = "env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy DISPLAY=" + display_ +
                      " XDG_CONFIG_HOME=" + dir_.File("config") + " XDG_DATA_HOME=" + dir_.File("data");
    game_ = Shell(env + " '" + std::string(ZORBIN_BIN_DIR) + "/zorbin' -mainlog '" + dir_.File("game.log") + "' " +
                  arguments + " >'" + dir_.File("game.out") + "' 2>&1 & echo $!");
    std::string window;
    Eventually([&] {
      window = X("xdotool search --name Zorbin");
      return !window.empty();
    });
    return window.substr(0, window.find('\n'));
  }
  // Ends the game and waits until it is gone, with its window.
  void StopGame() {
    if (game_.empty()) return;
    std::string pid = game_.substr(0, game_.find('\n'));
    game_.clear();
    Shell("kill " + pid + " 2>/dev/null");
    Eventually([&] { return !Running(pid); });
  }
  void Key(const std::string& window, const std::string& key) {
    // Held for a while: the title card looks at the key's state between polls.
    X("xdotool keydown --window " + window + " " + key);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    X("xdotool keyup --window " + window + " " + key);
  }
  std::string Geometry(const std::string& window) {
    std::string out = X("xdotool getwindowgeometry " + window);
    size_t at = out.find("Geometry: ");
    return at == std::string::npos ? std::string() : out.substr(at + 10, out.find('\n', at) - at - 10);
  }
  // The picture once it has stopped changing and shows something.
  TWindowPicture SettledPicture(const std::string& window) {
    TWindowPicture last;
    Eventually([&] {
      TWindowPicture now = Grab(display_, window);
      bool settled = !now.Pixels.empty() && now.Pixels == last.Pixels &&
                     std::any_of(now.Pixels.begin(), now.Pixels.end(), [](uint32_t p) { return p != 0; });
      last = now;
      return settled;
    });
    return last;
  }

  test::TTempDir dir_;
  std::string display_, xvfb_, game_;
};

// One test, so that one X server and one game run at a time.
TEST_F(PlayerWindow, ScaleTwoFullscreenScreenshotAndPause) {
  std::string window = StartGame("");
  ASSERT_FALSE(window.empty()) << test::ReadFileText(dir_.File("game.out"))
                               << test::ReadFileText(dir_.File("game.log")).size();
  EXPECT_EQ(Geometry(window), "640x480");
  TWindowPicture single = SettledPicture(window);
  StopGame();
  ASSERT_EQ(single.Width, 640);

  window = StartGame("-scale 2");
  ASSERT_FALSE(window.empty()) << test::ReadFileText(dir_.File("game.out"))
                               << test::ReadFileText(dir_.File("game.log")).size();
  EXPECT_EQ(Geometry(window), "1280x960");
  TWindowPicture doubled = SettledPicture(window);
  ASSERT_EQ(doubled.Width, 1280);
  ASSERT_EQ(doubled.Height, 960);
  int wrong = 0;
  for (int y = 0; y < 960; ++y)
    for (int x = 0; x < 1280; ++x) wrong += doubled.At(x, y) != single.At(x / 2, y / 2);
  EXPECT_EQ(wrong, 0);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("config")));  // nothing written without a toggle

  // Playing on in the doubled window.
  SettledPicture(window);  // the title card, waiting for Space
  Key(window, "space");    // past it: frames are presented now

  Key(window, "F12");
  std::string shot = dir_.File("data/zorbin/screenshots/zorbin-0001.png");
  ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(shot); }));
  EXPECT_TRUE(Eventually([&] {
    return test::ReadFileText(dir_.File("game.log")).find("Screenshot saved: " + shot) != std::string::npos;
  }));
  std::string png = test::ReadFileText(shot);
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ((uint8_t(png[18]) << 8) | uint8_t(png[19]), 640);

  // The P of "Paused", its top-left dot, on the doubled screen.
  Key(window, "p");
  EXPECT_TRUE(Eventually([&] {
    TWindowPicture p = Grab(display_, window);
    return p.Width == 1280 && p.At(432, 440) == 0xFFFFFF;
  }));
  Key(window, "p");

  std::string settings = dir_.File("config/zorbin/zorbin.ini");
  Key(window, "alt+Return");
  EXPECT_TRUE(Eventually([&] { return Geometry(window) == "1600x1200"; })) << Geometry(window);
  EXPECT_TRUE(Eventually([&] { return test::ReadFileText(settings) == "[Video]\nFullscreen=1\n"; }));
  Key(window, "alt+Return");
  EXPECT_TRUE(Eventually([&] { return Geometry(window) == "1280x960"; })) << Geometry(window);
  EXPECT_TRUE(Eventually([&] { return test::ReadFileText(settings) == "[Video]\nFullscreen=0\n"; }));
}

// The editor in the real window: a click on the palette and one on a cell,
// a key-driven paint, Ctrl+S, and Escape ends the program.
TEST_F(PlayerWindow, EditorPaintsWithClicksAndKeysAndSaves) {
  std::filesystem::copy(std::string(ZORBIN_SOURCE_DIR) + "/data/pack/Map_C", dir_.File("Map_C"));
  std::string window = StartGame("-edit '" + dir_.File("Map_C") + "'");
  ASSERT_FALSE(window.empty()) << test::ReadFileText(dir_.File("game.out"));
  SettledPicture(window);
  auto click = [&](int x, int y) {
    X("xdotool mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y));
    X("xdotool click 1");
  };
  click(122, 432);  // the palette's sixth entry: 'c'
  click(104, 88);   // cell (2, 1)
  Key(window, "Down");
  Key(window, "space");  // cell (0, 1)
  X("xdotool keydown --window " + window + " Control_L");
  Key(window, "s");
  X("xdotool keyup --window " + window + " Control_L");
  std::string saved = dir_.File("Map_C/map00.mpt");
  ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(saved + ".bak"); }))
      << test::ReadFileText(dir_.File("game.log"));
  EXPECT_TRUE(Eventually([&] { return test::ReadFileText(saved).find("\r\nMPc c     ") != std::string::npos; }))
      << test::ReadFileText(saved);
  Key(window, "Escape");
  std::string pid = game_.substr(0, game_.find('\n'));
  EXPECT_TRUE(Eventually([&] { return !Running(pid); }));
  EXPECT_NE(test::ReadFileText(dir_.File("game.log")).find("Editing "), std::string::npos);
}

TEST(PlayerHelp, HelpListsEverySwitchAndExitsWithoutAWindowOrLog) {
  test::TTempDir dir;
  for (const char* help : {"-help", "--help", "-h"}) {
    TRunResult run = RunGame(dir.Path(), help);
    EXPECT_EQ(run.ExitStatus, 0) << help;
    for (const char* item : {"-version", "-seed N", "-scale N|auto", "-fullscreen", "-config FILE", "-record FILE",
                             "-replay FILE", "-map NAME", "-watch", "-edit FOLDER", "-nolog", "-mainlog FILE",
                             "zorbin.ini", "F12", "Escape", "Backspace", "restart the map"})
      EXPECT_NE(run.Output.find(item), std::string::npos) << help << ": " << item;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("zorbin.log")));
}

TEST(PlayerFailures, AreToldOnTheTerminalInOneLineAndNoDisplayIsNoTextArt) {
  test::TTempDir dir;
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/Zorbin.data", dir.File("Zorbin.data"));
  TRunResult run = RunGame(dir.Path(), "-nolog -bogus -map Map_Z");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_NE(run.Errors.find("zorbin: unknown switch \"-bogus\" is ignored"), std::string::npos) << run.Errors;
  EXPECT_NE(run.Errors.find("zorbin: Map not found! (Map_Z)"), std::string::npos) << run.Errors;

  test::TRun headless = test::RunCommand("cd '" + dir.Path() +
                                         "' && env -u SDL_VIDEODRIVER DISPLAY=:1999 SDL_AUDIODRIVER=dummy ./zorbin "
                                         "-nolog 2>stderr.txt");
  EXPECT_EQ(headless.code, 1);
  EXPECT_EQ(headless.out, "");  // no game drawn as letters in the terminal
  EXPECT_NE(test::ReadFileText(dir.File("stderr.txt"))
                .find("zorbin: Could not initialize SDL : No display (DISPLAY \":1999\" names no X server"),
            std::string::npos);
}

}  // namespace player_window
}  // namespace zorbin::e2e
