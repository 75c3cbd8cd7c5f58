// The switch table: every spelling, the log's switches handed on, unknown
// arguments, refused values and the help of each program.
#include "app/Settings.h"
#include "app/Switches.h"

#include <gtest/gtest.h>

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
  EXPECT_FALSE(game.Help || game.Version);
  EXPECT_TRUE(Read(TProgram::Game, {"zorbin", "/H"}, error).Help);
  EXPECT_TRUE(Read(TProgram::Game, {"zorbin", "--VERSION"}, error).Version);

  TOptions demo = Read(TProgram::Demo, {"zorbin-demo", "-seed",       "5",       "/Input",       "i.txt", "--shot",
                                        "3:a:b.png",   "--SHOT",      "9:c.png", "--max-frames", "0",     "--exec",
                                        "2:true",      "--rss",       "7",       "--rss",        "8",     "--capture",
                                        "1:2:c.png",   "--checksums", "k.txt",   "-mainlog"},
                       error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(demo.Seed, 5u);
  EXPECT_EQ(demo.InputFile, "i.txt");
  ASSERT_EQ(demo.Shots.size(), 2u);
  EXPECT_EQ(demo.Shots[0].Frame, 3u);
  EXPECT_EQ(demo.Shots[0].Text, "a:b.png");
  EXPECT_EQ(demo.MaxFrames, 0u);
  ASSERT_EQ(demo.Commands.size(), 1u);
  EXPECT_EQ(demo.Commands[0].Text, "true");
  EXPECT_EQ(demo.RssFrames, (std::vector<uint32_t>{7, 8}));
  EXPECT_EQ(demo.Capture + demo.ChecksumsFile, "1:2:c.pngk.txt");
  // A log switch without its value is the log's to judge, as it always was.
  EXPECT_EQ(demo.LogSwitches, std::vector<std::string>{"-mainlog"});
  EXPECT_EQ(LogParameters("/bin/zorbin-demo", demo), (std::vector<std::string>{"/bin/zorbin-demo", "-mainlog"}));
}

TEST(Switches, AnotherProgramsSwitchesAndOtherArgumentsAreUnknown) {
  std::string error;
  TOptions game = Read(TProgram::Game, {"zorbin", "--max-frames", "9", "-", "//seed", "-seed", "3"}, error);
  EXPECT_EQ(game.Unknown, (std::vector<std::string>{"--max-frames", "9", "-", "//seed"}));
  EXPECT_EQ(game.Seed, 3u);
  TOptions demo = Read(TProgram::Demo, {"zorbin-demo", "-scale", "2", "--version", "-h"}, error);
  EXPECT_EQ(demo.Unknown, (std::vector<std::string>{"-scale", "2", "--version"}));
  EXPECT_TRUE(demo.Help);
}

TEST(Switches, BadValuesAreRefusedInOneLineNamingTheSwitchAsWritten) {
  const std::pair<std::vector<std::string>, const char*> game[] = {
      {{"-seed", "-3"}, "-seed needs a number 0-4294967295, not \"-3\""},
      {{"/SEED", "4294967296"}, "/SEED needs a number 0-4294967295, not \"4294967296\""},
      {{"--scale", "9"}, "--scale needs 1 to 4 or auto, not \"9\""},
      {{"-map", "M", "/config"}, "/config needs a value"},
      {{"-watch"}, "-watch needs -map FOLDER"},
  };
  for (const auto& [args, message] : game) {
    std::vector<std::string> line{"zorbin"};
    line.insert(line.end(), args.begin(), args.end());
    std::string error;
    Read(TProgram::Game, line, error);
    EXPECT_EQ(error, message);
  }
  const std::pair<std::vector<std::string>, const char*> demo[] = {
      {{"--shot", "0:a.png"}, "--shot counts frames from 1, not 0"},
      {{"--shot", "a.png"}, "--shot needs FRAME:FILE"},
      {{"--exec", "x:true"}, "--exec needs a number 0-4294967295, not \"x\""},
      {{"--rss", "0"}, "--rss counts frames from 1, not 0"},
      {{"--capture", "1:2:a.png", "--capture", "3:4:b.png"}, "--capture is given twice"},
      {{"--monkey", "3", "--input", "i.txt"}, "--monkey plays without --input"},
      {{"--watch"}, "--watch needs --map FOLDER"},
  };
  for (const auto& [args, message] : demo) {
    std::vector<std::string> line{"zorbin-demo"};
    line.insert(line.end(), args.begin(), args.end());
    std::string error;
    Read(TProgram::Demo, line, error);
    EXPECT_EQ(error, message);
  }
  // Help is still seen after a bad value, and answered first.
  std::string error;
  EXPECT_TRUE(Read(TProgram::Game, {"zorbin", "-seed", "x", "--help"}, error).Help);
  EXPECT_FALSE(error.empty());
}

TEST(Switches, EachProgramsHelpListsItsOwnSwitchesOnly) {
  std::string game = SwitchList(TProgram::Game), demo = SwitchList(TProgram::Demo);
  for (const char* item : {"-scale N|auto", "-replay FILE", "-version", "-config FILE", "-help, -h", "-safelog"})
    EXPECT_NE(game.find(std::string("\n  ") + item + " "), std::string::npos) << item;
  for (const char* item :
       {"--max-frames N", "--shot FRAME:FILE ...", "--input FILE", "--config FILE", "--help, -h", "--mainlog FILE"})
    EXPECT_NE(demo.find(std::string("\n  ") + item + " "), std::string::npos) << item;
  EXPECT_EQ(game.find("max-frames"), std::string::npos);
  EXPECT_EQ(demo.find("-scale"), std::string::npos);
  EXPECT_EQ(UsageLine(TProgram::Demo).rfind("usage: zorbin-demo [--seed N] [--input FILE] [--record FILE]", 0), 0u);
  EXPECT_EQ(UsageLine(TProgram::Game).find("-help"), std::string::npos);
}

}  // namespace
}  // namespace zorbin
