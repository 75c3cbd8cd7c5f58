// The settings file: values, bad values, hostile files, writing Fullscreen
// back.
#include "app/Settings.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zorbin {
namespace {

using test::TCapturedLog;
using test::TTempDir;

TSettings SettingsOf(const TTempDir& dir, const std::string& text) {
  test::WriteFileText(dir.File("zorbin.ini"), text);
  return TSettings(dir.File("zorbin.ini"));
}

int WarningCount(const TCapturedLog& log) {
  int n = 0;
  for (const std::string& line : log.Lines())
    if (line.find("[Warning]") != std::string::npos || line.find("Settings:") != std::string::npos) ++n;
  return n;
}

TEST(Settings, AMissingFileGivesTheDefaultsWithoutALogLine) {
  TCapturedLog log;
  TTempDir dir;
  TSettings settings(dir.File("nothing/zorbin.ini"));
  EXPECT_FALSE(settings.Loaded());
  EXPECT_EQ(settings.Scale(), 1);
  EXPECT_FALSE(settings.Fullscreen());
  EXPECT_TRUE(settings.PauseOnFocusLoss());
  EXPECT_EQ(settings.Volume(), 80);
  EXPECT_EQ(settings.Music(), 60);
  EXPECT_TRUE(log.Lines().empty());
}

TEST(Settings, AudioLevelsAreZeroToHundredElseTheirDefault) {
  TCapturedLog log;
  TTempDir dir;
  TSettings quiet = SettingsOf(dir, "[Audio]\nVolume = 0\nMusic=100\n");
  EXPECT_EQ(quiet.Volume(), 0);
  EXPECT_EQ(quiet.Music(), 100);
  EXPECT_EQ(WarningCount(log), 0);
  TSettings bad = SettingsOf(dir, "[Audio]\nVolume=101\nMusic=loud\n");
  EXPECT_EQ(bad.Volume(), 80);
  EXPECT_EQ(bad.Music(), 60);
  std::vector<std::string> lines = log.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("[Audio] Volume = \"101\" is not 0 to 100; the default 80 is used"), std::string::npos)
      << lines[0];
}

TEST(Settings, ReadsVideoValuesWithBlanksCommentsAndAnyCase) {
  TCapturedLog log;
  TTempDir dir;
  TSettings settings = SettingsOf(dir,
                                  "; my settings\r\n[video]\r\n  scale = AUTO \r\nFullscreen=1\r\n"
                                  "PauseOnFocusLoss = 0\r\n[Keys]\r\nLeft = a, left\r\n");
  EXPECT_TRUE(settings.Loaded());
  EXPECT_EQ(settings.Scale(), TSettings::kAutoScale);
  EXPECT_TRUE(settings.Fullscreen());
  EXPECT_FALSE(settings.PauseOnFocusLoss());
  EXPECT_EQ(settings.Ini().ReadString("Keys", "Left", ""), "a, left");
  EXPECT_EQ(WarningCount(log), 0);
  EXPECT_EQ(SettingsOf(dir, "[Video]\nScale=3\n").Scale(), 3);
}

TEST(Settings, EachBadValueGivesOneWarningNamingItsKeyAndTheDefault) {
  TCapturedLog log;
  TTempDir dir;
  TSettings settings = SettingsOf(dir, "[Video]\nScale=5\nFullscreen=yes\nPauseOnFocusLoss=-1\n");
  EXPECT_EQ(settings.Scale(), 1);
  EXPECT_FALSE(settings.Fullscreen());
  EXPECT_TRUE(settings.PauseOnFocusLoss());
  std::vector<std::string> lines = log.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find("Scale = \"5\""), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("default 1"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("Fullscreen = \"yes\""), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find("PauseOnFocusLoss"), std::string::npos) << lines[2];
  int value = 7;
  for (const char* scale : {"0", "12", "2.0", "-1", "autox", " "}) EXPECT_FALSE(ParseScale(scale, value)) << scale;
  EXPECT_EQ(value, 7);
}

TEST(Settings, HostileFilesNeverStopTheGame) {
  TCapturedLog log;
  TTempDir dir;
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += char((i * 131 + 7) % 256);
  EXPECT_EQ(SettingsOf(dir, garbage).Scale(), 1);
  EXPECT_EQ(SettingsOf(dir, std::string("[Video]\nScale=2\0\nFullscreen=1", 29)).Fullscreen(), true);
  EXPECT_EQ(SettingsOf(dir, "[Video\n=\n==\n[]\n[*Video]\nScale\n[Video]\nScale=\n").Scale(), 1);
  EXPECT_EQ(SettingsOf(dir, std::string(200000, '[')).Scale(), 1);  // too big: not read at all
  // A folder and a device are no settings files: defaults, one warning each,
  // and they are never written over.
  std::filesystem::create_directories(dir.File("folder.ini"));
  TSettings folder(dir.File("folder.ini"));
  EXPECT_EQ(folder.Scale(), 1);
  EXPECT_FALSE(folder.SaveFullscreen(true));
  TSettings device("/dev/zero");
  EXPECT_FALSE(device.Fullscreen());
  EXPECT_GE(WarningCount(log), 3);
}

TEST(Settings, SetIniValueKeepsEveryOtherLine) {
  EXPECT_EQ(SetIniValue("; c\n[Video]\nScale = 2\n fullscreen = 0\n[Other]\nX=1\n", "Video", "Fullscreen", "1"),
            "; c\n[Video]\nScale = 2\nfullscreen=1\n[Other]\nX=1\n");
  EXPECT_EQ(SetIniValue("[Video]\r\nScale=2\r\n\r\n; tail\r\n[Keys]\r\n", "Video", "Fullscreen", "1"),
            "[Video]\r\nScale=2\r\nFullscreen=1\r\n\r\n; tail\r\n[Keys]\r\n");
  EXPECT_EQ(SetIniValue("[Keys]\nLeft=a", "Video", "Fullscreen", "0"), "[Keys]\nLeft=a\n[Video]\nFullscreen=0\n");
  EXPECT_EQ(SetIniValue("", "Video", "Fullscreen", "1"), "[Video]\nFullscreen=1\n");
  EXPECT_EQ(SetIniValue("[Video]\n;Fullscreen=0\n", "Video", "Fullscreen", "1"),
            "[Video]\nFullscreen=1\n;Fullscreen=0\n");
}

TEST(Settings, SaveFullscreenWritesTheFileAndKeepsCommentsAndUnknownKeys) {
  TCapturedLog log;
  TTempDir dir;
  TSettings settings = SettingsOf(dir, "; mine\n[Video]\nScale=2\nFancy=yes\n");
  ASSERT_TRUE(settings.SaveFullscreen(true));
  EXPECT_EQ(test::ReadFileText(dir.File("zorbin.ini")), "; mine\n[Video]\nScale=2\nFancy=yes\nFullscreen=1\n");
  ASSERT_TRUE(settings.SaveFullscreen(false));
  EXPECT_EQ(test::ReadFileText(dir.File("zorbin.ini")), "; mine\n[Video]\nScale=2\nFancy=yes\nFullscreen=0\n");
  TSettings fresh(dir.File("new/zorbin/zorbin.ini"));
  ASSERT_TRUE(fresh.SaveFullscreen(true));
  EXPECT_TRUE(TSettings(dir.File("new/zorbin/zorbin.ini")).Fullscreen());
  EXPECT_FALSE(TSettings("").SaveFullscreen(true));
}

// The settings fuzzer's inputs are kept in fuzz-findings/ and fed back here.
TEST(Settings, FullscreenSavedReadsBackElseNothingIsSaved) {
  TCapturedLog log;
  TTempDir dir;
  // Blanks, tabs or NULs after a header leave it the header, for the reader too.
  TSettings found = SettingsOf(dir, test::ReadFileText(std::string(ZORBIN_SOURCE_DIR) +
                                                       "/tests/app/fuzz-findings/fuzz_settings-nul-after-header"));
  ASSERT_TRUE(found.SaveFullscreen(true));
  EXPECT_TRUE(TSettings(dir.File("zorbin.ini")).Fullscreen());
  EXPECT_EQ(SettingsOf(dir, "[Video]\t\nScale=3\n").Scale(), 3);
  // A list section of that name hides [Video] from the reader: saving refuses.
  const std::string hidden = "[*Video]\n[Video]\nFullscreen=0\n";
  TSettings listed = SettingsOf(dir, hidden);
  EXPECT_FALSE(listed.SaveFullscreen(true));
  EXPECT_EQ(test::ReadFileText(dir.File("zorbin.ini")), hidden);
}

TEST(Settings, TheDefaultPlaceFollowsXdgConfigHome) {
  std::string saved = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  setenv("XDG_CONFIG_HOME", "/x/cfg", 1);
  EXPECT_EQ(TSettings::DefaultFileName(), "/x/cfg/zorbin/zorbin.ini");
  setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: as if unset
  EXPECT_EQ(TSettings::DefaultFileName(), std::string(std::getenv("HOME")) + "/.config/zorbin/zorbin.ini");
  if (saved.empty())
    unsetenv("XDG_CONFIG_HOME");
  else
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace zorbin
