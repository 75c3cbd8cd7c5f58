// Input scripts and recordings: what is read, what is refused and with
// which place, and the recorder's bytes.
#include "pictures/ImageUnit.h"
#include "shell/ClockUnit.h"
#include "shell/InputScript.h"
#include "shell/KeyNames.h"
#include "shell/QX_SDL.h"
#include "util/QXToolbox.h"

#include "TestSupport.h"
#include "shell/ShellFixture.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

std::string ScriptError(const std::string& text) {
  TInputScript script;
  std::string error;
  EXPECT_FALSE(ParseInputScript(text, "in.txt", script, error)) << text;
  return error;
}

TEST(InputScript, ReadsEventsCommentsBlankLinesAndTheRecordingSeed) {
  TInputScript script;
  std::string error;
  ASSERT_TRUE(
      ParseInputScript("# zorbin recording: --seed 4294967295\r\n\n  # only a comment\n64 space down # go\r\n"
                       "65\tSpace\tup\n0 276 down",
                       "in.txt", script, error))
      << error;
  EXPECT_EQ(script.Seed, std::optional<uint32_t>(4294967295u));
  ASSERT_EQ(script.Events.size(), 3u);
  EXPECT_EQ(script.Events[0].Frame, 64u);
  EXPECT_EQ(script.Events[0].Symbol, SDLK_SPACE);
  EXPECT_TRUE(script.Events[0].Down);
  EXPECT_EQ(script.Events[1].Symbol, SDLK_SPACE);
  EXPECT_FALSE(script.Events[1].Down);
  EXPECT_EQ(script.Events[2].Symbol, SDLK_LEFT);

  // A seed line anywhere but first is a comment; a script without one names none.
  TInputScript plain;
  ASSERT_TRUE(ParseInputScript("1 left down\n# zorbin recording: --seed x\n", "in.txt", plain, error));
  EXPECT_FALSE(plain.Seed);
  EXPECT_EQ(plain.Events.size(), 1u);
}

TEST(InputScript, RefusesHostileLinesWithFileLineAndWhatWasExpected) {
  const std::string form = "expected \"FRAME KEY down|up\"";
  EXPECT_EQ(ScriptError("1 left down\n2 left\n"), "in.txt:2: " + form);
  EXPECT_EQ(ScriptError("left 1 down\n"), "in.txt:1: " + form);
  EXPECT_EQ(ScriptError("1 left down up\n"), "in.txt:1: " + form);
  EXPECT_EQ(ScriptError("1 left DOWN\n"), "in.txt:1: " + form);
  EXPECT_EQ(ScriptError("-5 left down\n"), "in.txt:1: " + form);
  EXPECT_EQ(ScriptError("2147483648 left down\n"), "in.txt:1: " + form);
  EXPECT_EQ(ScriptError("1x left down\n"), "in.txt:1: " + form);
  EXPECT_EQ(ScriptError(std::string("1 left\0down\n", 12)), "in.txt:1: " + form);
  EXPECT_EQ(ScriptError("\n\n\n" + std::string(100000, '7') + " left down\n"), "in.txt:4: " + form);
  EXPECT_EQ(ScriptError("1 -1 down\n"), "in.txt:1: expected a key number 0-511");
  EXPECT_EQ(ScriptError("1 512 up\n"), "in.txt:1: expected a key number 0-511");
  const std::string name = "expected a key name such as left, space or escape, or a key number 0-511, not ";
  EXPECT_EQ(ScriptError("64 space down\n65 spcae up\n"), "in.txt:2: " + name + "\"spcae\"");
  EXPECT_EQ(ScriptError("1 page down\n"), "in.txt:1: " + name + "\"page\"");  // "page down" is two words
  EXPECT_EQ(ScriptError("1 unknown down\n"), "in.txt:1: " + name + "\"unknown\"");
  const std::string seedForm = "in.txt:1: expected \"# zorbin recording: --seed N\" with a seed 0-4294967295";
  EXPECT_EQ(ScriptError("# zorbin recording: --seed 4294967296\n"), seedForm);
  EXPECT_EQ(ScriptError("# zorbin recording: --seed -1\n"), seedForm);
  EXPECT_EQ(ScriptError("# zorbin recording: --seed\n"), seedForm);

  TInputScript script;
  std::string error;
  EXPECT_FALSE(ReadInputScript("/nonexistent/in.txt", script, error));
  EXPECT_EQ(error, "cannot read /nonexistent/in.txt");
}

TEST(InputScript, ReadsPointerLinesInFramePixelsAndRefusesMalformedOnes) {
  TInputScript script;
  std::string error;
  ASSERT_TRUE(ParseInputScript("5 motion 0 479\n6 mouse 639 0 down left\n7 mouse 10 20 up right # done\n", "in.txt",
                               script, error))
      << error;
  ASSERT_EQ(script.Events.size(), 3u);
  EXPECT_EQ(script.Events[0].Kind, TInputKind::MouseMotion);
  EXPECT_EQ(script.Events[0].Frame, 5u);
  EXPECT_EQ(script.Events[0].Y, 479);
  EXPECT_EQ(script.Events[1].Kind, TInputKind::MouseButton);
  EXPECT_EQ(script.Events[1].X, 639);
  EXPECT_TRUE(script.Events[1].Down);
  EXPECT_EQ(script.Events[1].Button, TMouseButton::Left);
  EXPECT_FALSE(script.Events[2].Down);
  EXPECT_EQ(script.Events[2].Button, TMouseButton::Right);

  const std::string mouse = "\"FRAME mouse X Y down|up left|right\"";
  const std::string motion = "\"FRAME motion X Y\"";
  const std::string range = "X 0-639 and Y 0-479 in ";
  EXPECT_EQ(ScriptError("1 mouse 10 20 down\n"), "in.txt:1: expected " + mouse);
  EXPECT_EQ(ScriptError("1 mouse 10 20 down middle\n"), "in.txt:1: expected " + mouse);
  EXPECT_EQ(ScriptError("1 mouse 10 20 left down\n"), "in.txt:1: expected " + mouse);
  EXPECT_EQ(ScriptError("x mouse 10 20 down left\n"), "in.txt:1: expected " + mouse);
  EXPECT_EQ(ScriptError("1 mouse 640 20 down left\n"), "in.txt:1: expected " + range + mouse);
  EXPECT_EQ(ScriptError("1 mouse 10 -1 up right\n"), "in.txt:1: expected " + range + mouse);
  EXPECT_EQ(ScriptError("1 motion 10\n"), "in.txt:1: expected " + motion);
  EXPECT_EQ(ScriptError("2 motion 1 2\n1 motion 10 20 30\n"), "in.txt:2: expected " + motion);
  EXPECT_EQ(ScriptError("1 motion 10 480\n"), "in.txt:1: expected " + range + motion);
  EXPECT_EQ(ScriptError("1 motion 1e1 2\n"), "in.txt:1: expected " + range + motion);
  EXPECT_EQ(ScriptError("1 motion 99999999999 2\n"), "in.txt:1: expected " + range + motion);
}

// Scripts and settings are read before the window opens.
TEST(InputScript, KeyNamesAndNumbersReadWithoutTheDisplay) {
  ASSERT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  EXPECT_EQ(KeySymbol("LEFT"), SDLK_LEFT);
  EXPECT_EQ(KeySymbol("[+]"), SDLK_KP_PLUS);
  EXPECT_EQ(KeySymbol("world 95"), SDLK_WORLD_95);
  EXPECT_EQ(KeyText(SDLK_LEFT), "left");
  EXPECT_EQ(KeyText(SDLK_ESCAPE), "escape");
  EXPECT_EQ(KeyText(SDLK_1), "49");        // the name "1" would read as key number 1
  EXPECT_EQ(KeyText(SDLK_HASH), "35");     // "#" starts a comment
  EXPECT_EQ(KeyText(SDLK_RSHIFT), "303");  // "right shift" is two words
  EXPECT_EQ(KeyText(511), "511");
  for (int key = 0; key < 512; ++key) EXPECT_EQ(KeySymbol(KeyText(key)), key) << key;
  for (const char* unknown : {"no such key", "unknown key", ""}) EXPECT_EQ(KeySymbol(unknown), -1) << unknown;
}

class InputScriptKeys : public test::TShellFixture {};

TEST_F(InputScriptKeys, KeyNamesAreTheOnesSdlGivesOnceItsVideoIsUp) {
  for (int key = 0; key < SDLK_LAST; ++key) {
    const std::string& name = KeyName(key);
    EXPECT_EQ(name.empty() ? "unknown key" : name, SDL_GetKeyName(SDLKey(key))) << key;
  }
  EXPECT_EQ(KeyName(SDLK_LAST), "");
  EXPECT_EQ(KeyName(-1), "");
}

TEST_F(InputScriptKeys, RecorderWritesTheSeedLineFirstAndEveryEvent) {
  test::TTempDir dir;
  RandSeed(123);
  {
    TInputRecorder recorder;
    std::string error;
    ASSERT_TRUE(recorder.Open(dir.File("rec.txt"), error)) << error;
    recorder.Record(64, SDLK_SPACE, true);
    recorder.Record(65, SDLK_1, false);
  }
  EXPECT_EQ(test::ReadFileText(dir.File("rec.txt")), "# zorbin recording: --seed 123\n64 space down\n65 49 up\n");
  TInputScript back;
  std::string error;
  ASSERT_TRUE(ReadInputScript(dir.File("rec.txt"), back, error)) << error;
  EXPECT_EQ(back.Seed, std::optional<uint32_t>(123u));
  ASSERT_EQ(back.Events.size(), 2u);
  EXPECT_EQ(back.Events[1].Symbol, SDLK_1);

  TInputRecorder failing;
  EXPECT_FALSE(failing.Open(dir.File("missing/rec.txt"), error));
  EXPECT_EQ(error, "cannot write " + dir.File("missing/rec.txt"));
}

}  // namespace
}  // namespace zorbin
