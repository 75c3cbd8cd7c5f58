// zorbin-tool check on packs the tests build: the chain pack checks clean,
// each planted fault is named with its file and line, and the game meets
// the errors the check reports (and none on a pack it passes).
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace zorbin::e2e {
namespace {

namespace fs = std::filesystem;

// The 1-based line of text that is exactly line; 0 when there is none.
int LineIn(const std::string& text, const std::string& line) {
  std::vector<std::string> lines = test::SplitLines(text);
  auto at = std::find(lines.begin(), lines.end(), line);
  return at == lines.end() ? 0 : int(at - lines.begin()) + 1;
}

class PackCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildChainPack(pack);
    pack.WriteText("input.txt", ChainInput());
    // The character placing the stars has no picture: the game would log
    // that it finds none for it.
    Edit("Map_C/map00.mpt", "EX \r\n", "EX s\r\n");
  }

  std::string Read(const std::string& relative) const { return test::ReadFileText(dir.File(relative)); }
  // Replaces the first occurrence of from in a file of the pack.
  void Edit(const std::string& relative, const std::string& from, const std::string& to) {
    std::string text = Read(relative);
    size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    pack.WriteText(relative, text.replace(at, from.size(), to));
  }
  // "PLACE:LINE" of a line of a file of the pack.
  std::string At(const std::string& relative, const std::string& line) const {
    std::string place = relative;
    std::replace(place.begin(), place.end(), '/', '\\');
    return place + ":" + std::to_string(LineIn(Read(relative), line));
  }

  // A copy of the tool in the pack's folder finds no game data beside it:
  // it sees the files of the pack alone, as the demo copied there does.
  test::TRun Check() {
    fs::copy_file(std::string(ZORBIN_BIN_DIR) + "/zorbin-tool", dir.File("zorbin-tool"),
                  fs::copy_options::overwrite_existing);
    test::TRun run =
        test::RunCommand("cd '" + dir.Path() + "' && ./zorbin-tool check . 2>'" + dir.File("stderr") + "'");
    run.err = Read("stderr");
    return run;
  }
  // Every finding expected is printed, and the check fails.
  void ExpectFindings(const std::vector<std::string>& expected) {
    test::TRun run = Check();
    std::vector<std::string> lines = test::SplitLines(run.out);
    for (const std::string& line : expected)
      EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line << "\nnot in:\n" << run.out;
    EXPECT_EQ(run.code, 1) << run.out;
  }
  std::string DemoLog() const { return Read("demo.log"); }

  test::TTempDir dir;
  TPackBuilder pack{dir.Path()};
};

TEST(PackCheckDefault, TheDefaultPackChecksClean) {
  test::TTempDir dir;
  test::TRun run =
      test::RunCommand("'" + std::string(ZORBIN_BIN_DIR) + "/zorbin-tool' check 2>'" + dir.File("stderr") + "'");
  EXPECT_EQ(run.out, "0 errors, 0 warnings\n");
  EXPECT_EQ(run.code, 0);
  // Not a terminal: no progress line.
  EXPECT_EQ(test::ReadFileText(dir.File("stderr")), "");
}

TEST_F(PackCheck, ASoundPackChecksCleanAndPlaysWithoutAnError) {
  test::TRun run = Check();
  EXPECT_EQ(run.out, "0 errors, 0 warnings\n");
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.err, "");
  TRunResult game = RunDemo(dir.Path(), "--seed 11 --input input.txt --max-frames 3000 -mainlog demo.log");
  EXPECT_EQ(game.ExitStatus, 0);
  // Only the program file itself, tried as the game data archive, is not one.
  for (const std::string& line : test::SplitLines(DemoLog())) {
    EXPECT_TRUE(line.rfind("{", 0) != 0 || line == "{MAD4LowLevelUnit, TMAD4LowLevel.Mount} Not a MAD4 file!") << line;
    EXPECT_EQ(line.find("not found"), std::string::npos) << line;
  }
}

TEST_F(PackCheck, ProgressIsShownOnATerminal) {
  fs::copy_file(std::string(ZORBIN_BIN_DIR) + "/zorbin-tool", dir.File("zorbin-tool"));
  test::TRun run = test::RunCommand("cd '" + dir.Path() + "' && script -qec './zorbin-tool check .' /dev/null");
  EXPECT_NE(run.out.find("checking Map_B (3/4)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("0 errors, 0 warnings"), std::string::npos) << run.out;
}

TEST_F(PackCheck, MapsWithoutFolderOrMapFile) {
  pack.WriteIndex({"Map_Select", "Map_A", "Map_B", "Map_C", "Map_Gone"});
  fs::remove(dir.File("Map_B/map00.mpt"));
  ExpectFindings(
      {At("$main$.ini", "Map_B,0") + ": error: map 'Map_B': no map00.mpt (the folder or its map file is missing)",
       At("$main$.ini", "Map_Gone,0") +
           ": error: map 'Map_Gone': no map00.mpt (the folder or its map file is missing)"});
}

TEST_F(PackCheck, TileMapsThatFailOrWarn) {
  Edit("Map_A/map00.mpt", "EX", "MPone row too many\r\nEX");
  Edit("Map_B/map00.mpt", "HE22", "HE2x");
  ExpectFindings({At("Map_A/map00.mpt", "MPone row too many") + ": warning: Too many map lines in MAPT mode.",
                  At("Map_B/map00.mpt", "HE2x") + ": error: '2x' is not a valid integer value"});
}

TEST_F(PackCheck, ObjectSectionsMissingOrOfUnknownType) {
  Edit("Map_A/objects.ini", "[*Objects]\r\n", "[*Objects]\r\nGhost\r\nOdd\r\n");
  Edit("Map_A/objects.ini", "[Lift]", "[Odd]\r\nType=Teleporter\r\n\r\n[Lift]");
  ExpectFindings(
      {At("Map_A/objects.ini", "Ghost") + ": error: object section [Ghost] is missing",
       At("Map_A/objects.ini", "Type=Teleporter") + ": error: Unknown object type (Object=Odd, Type=TELEPORTER)"});
}

TEST_F(PackCheck, NumbersThatAreNot) {
  Edit("Map_A/objects.ini", "PositionY=160", "PositionY=1G0");
  Edit("Map_C/objects.ini", "Times=4", "Times=four");
  Edit("Map_C/objects.ini", "Values=64,96,-1", "Values=6x,96,-1");
  ExpectFindings(
      {At("Map_A/objects.ini", "PositionY=1G0") + ": error: '1G0' is not a valid integer value (PositionY of [Lift])",
       At("Map_C/objects.ini", "Times=four") + ": error: 'four' is not a valid integer value (Times of [Row])",
       At("Map_C/bees.ini", "PositionX=%1") +
           ": error: '6x' is not a valid integer value (PositionX of [A]) (through [Swarm], " +
           At("Map_C/objects.ini", "[Swarm]") + ")"});
}

TEST_F(PackCheck, PicturesThatDoNotLoad) {
  Edit("Map_A/objects.ini", "Image=\\lift.tga", "Image=\\lifts.tga");
  Edit("Map_A/objects.ini", "Image=\\bee.tga", "Image=\\bee.tga[2..9]");
  Edit("Map_A/objects.ini", "ImageLeft=\\runner.tga\r\n", "");
  Edit("Map_B/objects.ini", "Image=\\plank.tga", "Image=\\plank.tga:Z");
  Edit("Map_C/map00.mpt", "EX#\\floor.tga", "EX#\\floors.tga");
  Edit("Map_B/objects.ini", "Image=\\player.tga\r\n", "");
  ExpectFindings({At("Map_A/objects.ini", "Image=\\lifts.tga") +
                      ": error: LinearMover image not found. (\\lifts.tga) (Image of [Lift])",
                  At("Map_A/objects.ini", "Image=\\bee.tga[2..9]") +
                      ": warning: frames beyond the strip of 4 show black (\\bee.tga[2..9]) (Image of [Bee])",
                  At("Map_A/objects.ini", "[Walker]") + ": warning: no picture named: Image not found! (*)",
                  At("Map_B/objects.ini", "[Player]") + ": warning: no picture named: Player image not found. (*)",
                  At("Map_B/objects.ini", "Image=\\plank.tga:Z") +
                      ": warning: Unknown transformation command (Z) (Image of [Plank])",
                  At("Map_C/map00.mpt", "EX#\\floors.tga") + ": error: OpenStream failed: \\floors.tga"});
}

TEST_F(PackCheck, MacrosAndGroupsMissingOrNestingThemselves) {
  Edit("Map_C/objects.ini", "Name=bees.ini", "Name=wasps.ini");
  Edit("Map_B/objects.ini", "[*Members]\r\nM1\r\n", "[*Members]\r\nM1\r\nDice\r\n");
  Edit("Map_B/objects.ini", "List=Members\r\n\r\n[Dice]", "List=Member\r\n\r\n[Dice]");
  Edit("Map_C/objects.ini", "RepeatObject=Star", "RepeatObject=Row");
  Edit("Map_C/objects.ini", "Times=4", "Times=1");
  const std::string diceItem =
      "Map_B\\objects.ini:" + std::to_string(LineIn(Read("Map_B/objects.ini"), "[*Members]") + 2);
  ExpectFindings({At("Map_C/objects.ini", "Name=wasps.ini") + ": error: OpenStream failed: wasps.ini (Name of [Swarm])",
                  diceItem + ": error: [Dice] contains itself (Dice > Dice)",
                  At("Map_B/objects.ini", "List=Member") + ": warning: Section not found! (Member) (List of [Spin])",
                  At("Map_C/objects.ini", "RepeatObject=Row") + ": error: [Row] contains itself (Row > Row)"});
}

TEST_F(PackCheck, RepeatersAskingForMoreThanAMapHolds) {
  Edit("Map_C/objects.ini", "Times=4", "Times=70000");
  ExpectFindings({At("Map_C/objects.ini", "Times=70000") +
                  ": error: Too many objects (Object=Row): a map holds at most 65536 object entries"});
}

TEST_F(PackCheck, PortsPastTheMapList) {
  pack.WriteIndex({"Map_Select", "Map_A", "Map_B"});
  ExpectFindings({At("Map_B/objects.ini", "Level=3") +
                  ": error: the port leads to map 3, past the map list (3 maps): the game stops with \"Unknown map "
                  "number!\""});
}

TEST_F(PackCheck, MapCharactersBoundToMissingSections) {
  Edit("Map_C/map00.mpt", "EXsStar", "EXsStars");
  ExpectFindings({At("Map_C/map00.mpt", "EXsStars") +
                  ": error: the map character 's' places the section [Stars], which Map_C\\objects.ini does not have"});
}

// An input the fuzzer found: two groups each listing both. The check tells
// each cycle once instead of making the groups down to the nesting limit,
// over and over.
TEST_F(PackCheck, GroupsListingEachOtherAreToldOnce) {
  std::string input = test::ReadFileText(std::string(ZORBIN_SOURCE_DIR) +
                                         "/tests/e2e/fuzz-findings/fuzz_pack_check-groups-listing-each-other");
  const std::string separator = "\n====\n";
  size_t at = input.find(separator);
  ASSERT_NE(at, std::string::npos);
  test::TTempDir world;
  TPackBuilder fuzzed(world.Path());
  WriteMapSetupResources(fuzzed);
  fuzzed.WriteText("$main$.ini", input.substr(0, at));
  WriteMapSetupInput(fuzzed, input.substr(at + separator.size()));
  test::TRun run = test::RunCommand("'" + std::string(ZORBIN_BIN_DIR) + "/zorbin-tool' check '" + world.Path() + "'");
  std::vector<std::string> lines = test::SplitLines(run.out);
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(
      std::count(lines.begin(), lines.end(), "Map\\objects.ini:89: error: [Spin] contains itself (Spin > Dice > Spin)"),
      1)
      << run.out;
}

// The game meets each error the check reports: the demo logs the same
// failure, and stops (exit code 1) where the check says it would.
TEST_F(PackCheck, TheGameMeetsTheErrorsReported) {
  struct TFault {
    std::string File, From, To, Finding, Logged;
    int Exit;
  };
  const std::vector<TFault> faults = {
      {"Map_A/objects.ini", "PositionY=160", "PositionY=1G0", "'1G0' is not a valid integer value",
       "{Zorbin} '1G0' is not a valid integer value", 1},
      {"Map_C/map00.mpt", "EXsStar", "EXsStars", "places the section [Stars]",
       "Unknown object type (Object=$temp$0, Type=UNKNOWN)", 0},
      {"Map_C/objects.ini", "Times=4", "Times=70000", "Too many objects (Object=Row)",
       "{ZORBPlay1MapUnit, TPlay1Map.CreateObject} Too many objects (Object=Row)", 1},
      {"$main$.ini", "Map_C,0", "", "the port leads to map 3", "Unknown map number! (3)", 1},
  };
  for (const TFault& fault : faults) {
    std::string original = Read(fault.File);
    Edit(fault.File, fault.From, fault.To);
    test::TRun check = Check();
    EXPECT_EQ(check.code, 1) << fault.To;
    EXPECT_NE(check.out.find(fault.Finding), std::string::npos) << check.out;
    TRunResult game = RunDemo(dir.Path(), "--seed 11 --input input.txt --max-frames 3000 -mainlog demo.log");
    EXPECT_EQ(game.ExitStatus, fault.Exit) << fault.To;
    EXPECT_NE(DemoLog().find(fault.Logged), std::string::npos) << fault.Logged;
    pack.WriteText(fault.File, original);
  }
}

}  // namespace
}  // namespace zorbin::e2e
