// Key settings: the [Keys] and [Joystick] sections become bindings; a bad
// value gives one warning naming its key and leaves the default.
#include "app/KeySettings.h"
#include "formats/QXINIFile.h"
#include "pictures/ImageUnit.h"
#include "shell/ClockUnit.h"
#include "shell/QX_SDL.h"
#include "util/Streams.h"

#include "TestSupport.h"
#include "shell/ShellFixture.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

// Key names need the display's keyboard tables.
class KeySettingsLoad : public test::TShellFixture {
 protected:
  TKeyBindings Load(const std::string& text) {
    TMemoryStream stream(text);
    TIniFile ini(stream);
    TKeyBindings bindings;
    warnings_.clear();
    LoadKeyBindings(ini, bindings, [this](const std::string& message) { warnings_.push_back(message); });
    return bindings;
  }
  std::vector<std::string> warnings_;
};

TEST_F(KeySettingsLoad, ListedKeysAndButtonsReplaceTheDefaults) {
  TKeyBindings b = Load(
      "[Keys]\nLeft=a, Left\nRight=d\nAction=return\nQuit=F10,113\nRestart=f5\nLeave=delete\n"
      "[Joystick]\nEnabled=0\nAction=3\nQuit=9\nMute=5\n");
  EXPECT_EQ(warnings_, std::vector<std::string>{});
  EXPECT_EQ(b.Translate(SDLK_a), SDLK_LEFT);
  EXPECT_EQ(b.Translate(SDLK_LEFT), SDLK_LEFT);
  EXPECT_EQ(b.Translate(SDLK_d), SDLK_RIGHT);
  EXPECT_EQ(b.Translate(SDLK_RIGHT), TKeyBindings::kNoKey);
  EXPECT_EQ(b.Translate(SDLK_RETURN), SDLK_SPACE);
  EXPECT_EQ(b.Translate(SDLK_SPACE), TKeyBindings::kNoKey);
  EXPECT_EQ(b.Translate(SDLK_F10), SDLK_ESCAPE);
  EXPECT_EQ(b.Translate(SDLK_q), SDLK_ESCAPE);  // listed by number, taken from Appear
  EXPECT_EQ(b.Translate(SDLK_TAB), SDLK_TAB);
  EXPECT_FALSE(b.JoystickEnabled);
  EXPECT_EQ(b.ButtonKey(3), SDLK_SPACE);
  EXPECT_EQ(b.ButtonKey(0), TKeyBindings::kNoKey);
  EXPECT_EQ(b.ButtonKey(9), SDLK_ESCAPE);
  EXPECT_EQ(b.ButtonKey(1), SDLK_TAB);
  EXPECT_EQ(b.Translate(SDLK_F5), SDLK_r);
  EXPECT_EQ(b.Translate(SDLK_r), TKeyBindings::kNoKey);
  EXPECT_EQ(b.Translate(SDLK_DELETE), SDLK_BACKSPACE);
  EXPECT_EQ(b.Translate(SDLK_m), SDLK_m);  // Mute keeps its default key
  EXPECT_EQ(b.ButtonKey(5), SDLK_m);
}

TEST_F(KeySettingsLoad, ABadValueWarnsOnceNamingItsKeyAndKeepsTheDefault) {
  TKeyBindings b = Load(
      "[Keys]\nLeft=a,,b\nRight=nokey\nValues=600\n[Joystick]\nEnabled=maybe\nAction=-1\n"
      "Appear=256\nQuit=x\n");
  EXPECT_EQ(warnings_, (std::vector<std::string>{
                           "Bad value \"a,,b\" for Left in [Keys], the default is used",
                           "Bad value \"nokey\" for Right in [Keys], the default is used",
                           "Bad value \"600\" for Values in [Keys], the default is used",
                           "Bad value \"maybe\" for Enabled in [Joystick], the default is used",
                           "Bad value \"-1\" for Action in [Joystick], the default is used",
                           "Bad value \"256\" for Appear in [Joystick], the default is used",
                           "Bad value \"x\" for Quit in [Joystick], the default is used",
                       }));
  for (int key : {SDLK_a, SDLK_LEFT, SDLK_RIGHT, SDLK_TAB}) EXPECT_EQ(b.Translate(key), key);
  EXPECT_TRUE(b.JoystickEnabled);
  EXPECT_EQ(b.ButtonKey(0), SDLK_SPACE);
  EXPECT_EQ(b.ButtonKey(2), SDLK_q);
  EXPECT_EQ(b.ButtonKey(7), SDLK_ESCAPE);
  Load("");
  EXPECT_TRUE(warnings_.empty());
}

}  // namespace
}  // namespace zorbin
