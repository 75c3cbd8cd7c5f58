// LoggerTest: the log's switches, file naming, levels and context filter, and the parameter list.
#include "log/Logger.h"
#include "log/ParametersUnit.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

using test::ReadFileText;
using test::SplitLines;
using test::TTempDir;

// Builds a fresh log for the given program path and switches; restores the
// test runner's log afterwards.
class LoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedLog_ = std::move(Log);
    savedParams_ = std::move(Parameters);
  }
  void TearDown() override {
    Log = std::move(savedLog_);
    Parameters = std::move(savedParams_);
  }
  void Open(std::vector<std::string> args, const std::string& fileName = "", bool append = false) {
    Log.reset();
    Parameters = std::make_unique<TParameters>(std::move(args));
    Log = std::make_unique<TLogger>(fileName, append);
  }
  std::unique_ptr<TLogger> savedLog_;
  std::unique_ptr<TParameters> savedParams_;
  TTempDir dir_;
};

TEST_F(LoggerTest, NologRemovesTheSwitchAndWritesNoFile) {
  Open({dir_.File("game.exe"), "/NOLOG", "x"});
  Log->Status("hello", "ctx");
  EXPECT_FALSE(Log->Active());
  EXPECT_FALSE(test::FileExists(dir_.File("game.log")));
  EXPECT_EQ(Parameters->Count(), 2);
  EXPECT_EQ(Parameters->Get(1), "x");
}

TEST_F(LoggerTest, FileNameStopsAtTheFirstDot) {
  Open({dir_.File("demo.final.exe")});
  Log->Status("line", "ctx");
  Log.reset();
  EXPECT_EQ(ReadFileText(dir_.File("demo.log")), "(ctx) line\r\n");
}

TEST_F(LoggerTest, MainlogAndSafelog) {
  std::string named = dir_.File("x.log");
  Open({dir_.File("game"), "-mainlog", named});
  Log->Status("a", "c");
  Log.reset();
  EXPECT_EQ(ReadFileText(named), "(c) a\r\n");
  // The mainlog switch and its value stay in the list.
  EXPECT_EQ(Parameters->Count(), 3);

  Open({dir_.File("game"), "-mainlog", dir_.File("y.log"), "-SafeLog"});
  Log->Status("b", "c");
  Log.reset();
  EXPECT_FALSE(test::FileExists(dir_.File("y.log")));
  EXPECT_EQ(ReadFileText(dir_.File("run.log")), "(c) b\r\n");
  EXPECT_EQ(Parameters->IndexOf("safelog", false), 3);
}

TEST_F(LoggerTest, InstalledProgramLogsInTheStateFolderUnlessMainlogNamesAFile) {
  test::TEnvScope state("XDG_STATE_HOME", dir_.Path().c_str());
  Open({"/usr/zorbin-absent/zorbin"});
  Log->Status("a", "c");
  EXPECT_EQ(Log->FileName(), dir_.File("zorbin/zorbin.log"));
  Log.reset();
  EXPECT_EQ(ReadFileText(dir_.File("zorbin/zorbin.log")), "(c) a\r\n");
  std::string named = dir_.File("named.log");
  Open({"/usr/zorbin-absent/zorbin", "-mainlog", named});
  Log->Status("b", "c");
  Log.reset();
  EXPECT_EQ(ReadFileText(named), "(c) b\r\n");
  // The safe log too stays out of the program's folder.
  Open({"/usr/zorbin-absent/zorbin", "-safelog"});
  Log->Status("c", "c");
  Log.reset();
  EXPECT_EQ(ReadFileText(dir_.File("zorbin/run.log")), "(c) c\r\n");
}

TEST_F(LoggerTest, AppendKeepsOldLinesOtherwiseReplaced) {
  test::WriteFileText(dir_.File("g.log"), "old\r\n");
  Open({dir_.File("g"), "-appendlog"});
  EXPECT_EQ(Parameters->Count(), 1);
  Log->WriteLn("new");
  Log.reset();
  EXPECT_EQ(ReadFileText(dir_.File("g.log")), "old\r\nnew\r\n");
  Open({dir_.File("g")});
  Log->WriteLn("only");
  Log.reset();
  EXPECT_EQ(ReadFileText(dir_.File("g.log")), "only\r\n");
}

TEST_F(LoggerTest, LevelsBracketsHeaderAndTrace) {
  Open({dir_.File("p")});
  Log->Status("s", "C");
  Log->Warning("w", "C");
  Log->Error("e", "C");
  Log->Debug("d", "C");
  Log->Header("Zorbin V0.00 Build 0899", "Zorbin");
  Log->Trace("t");
  Log->Trace(42);
  Log->Write("no end");
  Log->WriteLn("!");
  Log->SetLevels("e");
  Log->Status("hidden", "C");
  Log->Warning("hidden", "C");
  Log->Error("shown", "C");
  Log.reset();
  std::string dashes(std::string("<Zorbin> Zorbin V0.00 Build 0899").size(), '-');
  EXPECT_EQ(SplitLines(ReadFileText(dir_.File("p.log"))),
            (std::vector<std::string>{"(C) s", "[C] w", "{C} e", "<C> d", dashes, "<Zorbin> Zorbin V0.00 Build 0899",
                                      dashes, "< Trace > t", "< Trace > 42", "no end!", "{C} shown"}));
}

TEST_F(LoggerTest, ContextFilter) {
  Open({dir_.File("p")});
  Log->AddFilter("XMap*");
  Log->AddFilter("-*LoadMAPT");
  EXPECT_TRUE(Log->ContextPasses("XMapUnit, TXMap.Load"));
  EXPECT_FALSE(Log->ContextPasses("XMapUnit, TXMap.LoadMAPT"));
  EXPECT_FALSE(Log->ContextPasses("Other"));
  Log->Status("rejected", "Other");
  Log->Error("errors pass any filter", "Other");
  Log->Status("passes", "xmapunit, x");
  Log.reset();
  EXPECT_EQ(SplitLines(ReadFileText(dir_.File("p.log"))),
            (std::vector<std::string>{"{Other} errors pass any filter", "(xmapunit, x) passes"}));
}

TEST(LogPattern, StarAndLengthRules) {
  EXPECT_TRUE(LogPatternMatches("*", ""));
  EXPECT_TRUE(LogPatternMatches("*mapt", "LoadMAPT"));
  EXPECT_TRUE(LogPatternMatches("load*", "LoadMAPT"));
  EXPECT_FALSE(LogPatternMatches("LoadMAPT*", "LoadMAPT"));  // longer than the context
  EXPECT_TRUE(LogPatternMatches("loadmapt", "LoadMAPT"));
  EXPECT_FALSE(LogPatternMatches("load", "LoadMAPT"));
}

TEST(ParametersTest, IndexOfPrefersDashAndGetValueRemovesBoth) {
  TParameters p({"prog", "/x", "-X", "-mainlog", "f.log", "tail"});
  EXPECT_EQ(p.IndexOf("x", false), 2);
  EXPECT_EQ(p.IndexOf("missing", true), -1);
  std::string v;
  p.GetValue("MAINLOG", true, v);
  EXPECT_EQ(v, "f.log");
  EXPECT_EQ(p.Count(), 4);
  EXPECT_EQ(p.Get(3), "tail");
  p.GetValue("tail", false, v);
  EXPECT_EQ(v, "");
}

}  // namespace
}  // namespace zorbin
