// The switch table: every spelling, the log's switches handed on, unknown
// arguments, refused values and the help of each program.
#include "app/Settings.h"
#include "app/Switches.h"

#include <gtest/gtest.h>

#include <tuple>

namespace zorbin {
namespace {

TOptions Read(TProgram program, const std::vector<std::string>& args, std::string& error) {
  TOptions options;
  bool valid = ReadSwitches(program, args, options, error);
  EXPECT_EQ(valid, error.empty());
  return options;
}

TEST(Switches, EverySpellingInAnyCaseIsTakenAndTheLogsSwitchesAreHandedOn) {
  std::string error;
  TOptions game =
      Read(TProgram::Game, {"zorbin",      "/config", "a.ini", "--SEED",  "4000000000", "-Scale", "auto",
                            "/FULLSCREEN", "--map",   "M",     "/Watch",  "-record",    "r.txt",  "--replay",
                            "p.txt",       "/edit",   "F",     "--nolog", "/MAINLOG",   "x.log",  "-WaitLog"},
           error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(game.ConfigFile, "a.ini");
  EXPECT_EQ(game.Seed, 4000000000u);
  EXPECT_EQ(game.Scale, TSettings::kAutoScale);
  EXPECT_TRUE(game.Fullscreen && game.Watch);
  EXPECT_EQ(game.Map + game.RecordFile + game.ReplayFile + game.EditFolder, "Mr.txtp.txtF");
  EXPECT_EQ(game.LogSwitches, (std::vector<std::string>{"-nolog", "/MAINLOG", "x.log", "-WaitLog"}));
  EXPECT_TRUE(game.Unknown.empty());
  EXPECT_TRUE(Read(TProgram::Game, {"zorbin", "/H"}, error).Help);
  // Another program's switch, its value and a bare argument are unknown.
  EXPECT_EQ(Read(TProgram::Game, {"zorbin", "--max-frames", "9", "-", "//seed"}, error).Unknown,
            (std::vector<std::string>{"--max-frames", "9", "-", "//seed"}));

  TOptions demo = Read(TProgram::Demo,
                       {"zorbin-demo", "-seed", "5", "/Input", "i.txt", "--shot", "3:a:b.png", "--SHOT", "9:c.png",
                        "--max-frames", "0", "--rss", "7", "--rss", "8", "--capture", "1:2:c.png", "-mainlog"},
                       error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(demo.Seed, 5u);
  ASSERT_EQ(demo.Shots.size(), 2u);
  EXPECT_EQ(demo.Shots[0].Frame, 3u);
  EXPECT_EQ(demo.Shots[0].Text, "a:b.png");
  EXPECT_EQ(demo.MaxFrames, 0u);
  EXPECT_EQ(demo.RssFrames, (std::vector<uint32_t>{7, 8}));
  EXPECT_EQ(demo.InputFile + demo.Capture, "i.txt1:2:c.png");
  // A log switch without its value is the log's to judge, as it always was.
  EXPECT_EQ(demo.LogSwitches, std::vector<std::string>{"-mainlog"});
  EXPECT_EQ(LogParameters("/bin/zorbin-demo", demo), (std::vector<std::string>{"/bin/zorbin-demo", "-mainlog"}));
}

TEST(Switches, BadValuesAreRefusedInOneLineNamingTheSwitchAsWritten) {
  const std::tuple<TProgram, std::vector<std::string>, const char*> cases[] = {
      {TProgram::Game, {"-seed", "-3"}, "-seed needs a number 0-4294967295, not \"-3\""},
      {TProgram::Game, {"/SEED", "4294967296"}, "/SEED needs a number 0-4294967295, not \"4294967296\""},
      {TProgram::Game, {"--scale", "9"}, "--scale needs 1 to 4 or auto, not \"9\""},
      {TProgram::Game, {"-map", "M", "/config"}, "/config needs a value"},
      {TProgram::Game, {"-watch"}, "-watch needs -map FOLDER"},
      {TProgram::Demo, {"--watch"}, "--watch needs --map FOLDER"},
      {TProgram::Demo, {"--shot", "0:a.png"}, "--shot counts frames from 1, not 0"},
      {TProgram::Demo, {"--shot", "a.png"}, "--shot needs FRAME:FILE"},
      {TProgram::Demo, {"--exec", "x:true"}, "--exec needs a number 0-4294967295, not \"x\""},
      {TProgram::Demo, {"--rss", "0"}, "--rss counts frames from 1, not 0"},
      {TProgram::Demo, {"--capture", "1:2:a.png", "--capture", "3:4:b.png"}, "--capture is given twice"},
      {TProgram::Demo, {"--monkey", "3", "--input", "i.txt"}, "--monkey plays without --input"},
  };
  for (const auto& [program, args, message] : cases) {
    std::vector<std::string> line{"program"};
    line.insert(line.end(), args.begin(), args.end());
    std::string error;
    Read(program, line, error);
    EXPECT_EQ(error, message);
  }
  // Help is still seen after a bad value, and answered first.
  std::string error;
  EXPECT_TRUE(Read(TProgram::Game, {"zorbin", "-seed", "x", "--help"}, error).Help);
  EXPECT_FALSE(error.empty());
}

TEST(Switches, EachProgramsHelpListsItsOwnSwitchesOnly) {
  std::string game = SwitchList(TProgram::Game), demo = SwitchList(TProgram::Demo);
  EXPECT_NE(game.find("\n  -scale N|auto "), std::string::npos);
  EXPECT_NE(demo.find("\n  --shot FRAME:FILE ... "), std::string::npos);
  EXPECT_EQ(game.find("max-frames"), std::string::npos);
  EXPECT_EQ(demo.find("-scale"), std::string::npos);
}

}  // namespace
}  // namespace zorbin
