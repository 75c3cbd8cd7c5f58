// Whole-game runs of zorbin-demo on broken packs: pictures missing, INI
// values that are garbage, maps cut short. The game logs and plays on, or
// stops with the exit code it gives for that failure; never by a signal,
// and "frames N exit CODE" is always the last line.
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace zorbin::e2e {
namespace {

namespace fs = std::filesystem;

const char* const kArgs = "--seed 11 --input input.txt --max-frames 3000 -mainlog demo.log";

std::vector<std::string> ChainVisits() {
  return {"visit 0 Map_Select", "visit 1 Map_A", "visit 2 Map_B", "visit 3 Map_C", "visit 0 Map_Select"};
}

// The last line names the process's own exit status; a signal fails here.
void ExpectOrderlyEnd(const TRunResult& run, const std::string& what) {
  ASSERT_GE(run.ExitStatus, 0) << what << ": ended by a signal\n" << run.Output << run.Errors;
  std::vector<std::string> lines = run.Lines();
  ASSERT_FALSE(lines.empty()) << what;
  EXPECT_TRUE(std::regex_match(lines.back(), std::regex("frames [0-9]+ exit " + std::to_string(run.ExitStatus))))
      << what << ": " << lines.back() << "\n"
      << run.Errors;
}

std::vector<std::string> Visits(const TRunResult& run) {
  std::vector<std::string> lines = run.Lines();
  if (!lines.empty()) lines.pop_back();
  return lines;
}

class HostilePack : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildChainPack(pack);
    pack.WriteText("input.txt", ChainInput());
  }
  std::string Log() const { return test::ReadFileText(dir.File("demo.log")); }
  bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }
  void Remove(const std::string& relative) { fs::remove(dir.Path() + relative); }
  std::string Read(const std::string& relative) const { return test::ReadFileText(dir.File(relative)); }

  test::TTempDir dir;
  TPackBuilder pack{dir.Path()};
};

TEST_F(HostilePack, SoundPackPlaysTheChainRound) {
  TRunResult run = RunDemo(dir.Path(), kArgs);
  ExpectOrderlyEnd(run, "sound pack");
  EXPECT_EQ(run.ExitStatus, 0);
  EXPECT_EQ(Visits(run), ChainVisits());
  // The only Error: no "Zorbin.data" beside the program, so the program
  // file itself is tried as the archive.
  std::vector<std::string> errors;
  for (const std::string& line : test::SplitLines(Log()))
    if (line.rfind("{", 0) == 0) errors.push_back(line);
  EXPECT_EQ(errors, std::vector<std::string>{"{MAD4LowLevelUnit, TMAD4LowLevel.Mount} Not a MAD4 file!"});
}

TEST_F(HostilePack, EveryPictureMissingStopsBeforeTheFirstFrame) {
  for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
    if (entry.path().extension() == ".tga" || entry.path().extension() == ".qxr") fs::remove(entry.path());
  TRunResult run = RunDemo(dir.Path(), kArgs);
  ExpectOrderlyEnd(run, "no pictures");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(run.Lines(), std::vector<std::string>{"frames 0 exit 1"});
  EXPECT_TRUE(Logged("{Zorbin} OpenStream failed: npi69.qxr"));
  EXPECT_TRUE(Logged("Terminating Application."));
}

TEST_F(HostilePack, MissingShellPicturesStopTheMapWithCodeOne) {
  // The fonts are there, the logo is not: the first map cannot paint its
  // background.
  Remove("logo.tga");
  TRunResult run = RunDemo(dir.Path(), kArgs);
  ExpectOrderlyEnd(run, "no logo");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(run.Lines(), (std::vector<std::string>{"visit 0 Map_Select", "frames 0 exit 1"}));
  EXPECT_TRUE(Logged("OpenStream failed: \\logo.tga"));
}

TEST_F(HostilePack, MissingTilePictureStopsTheMapWithCodeOne) {
  Remove("brick.tga");
  TRunResult run = RunDemo(dir.Path(), kArgs);
  ExpectOrderlyEnd(run, "no tile picture");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(run.Lines(), (std::vector<std::string>{"visit 0 Map_Select", "frames 0 exit 1"}));
  EXPECT_TRUE(Logged("{Zorbin} OpenStream failed: \\brick.tga"));
}

TEST_F(HostilePack, EveryObjectPictureMissingPlaysOnWithPlaceholders) {
  const std::vector<std::string> kept = {"logo.tga",    "air.tga",   "airm.tga", "font.tga",
                                         "lilnums.tga", "floor.tga", "brick.tga"};
  for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
    std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".tga" && std::find(kept.begin(), kept.end(), name) == kept.end())
      fs::remove(entry.path());
  }
  TRunResult run = RunDemo(dir.Path(), kArgs);
  ExpectOrderlyEnd(run, "no object pictures");
  EXPECT_EQ(run.ExitStatus, 0);
  EXPECT_EQ(Visits(run), ChainVisits());
  for (const char* line : {"Player image not found. (\\player.tga)", "Crater image not found. (\\crater.tga)",
                           "Bridge image not found. (\\plank.tga)", "Box image not found. (\\box.tga)",
                           "Image not found. (\\port.tga)", "Image not found! (\\runner.tga)"})
    EXPECT_TRUE(Logged(line)) << line;
}

// Every value of every object file replaced: numbers by letters, names by
// names of nothing.
std::string Garbled(const std::string& ini) {
  std::string out;
  for (const std::string& line : test::SplitLines(ini)) {
    size_t eq = line.find('=');
    if (eq == std::string::npos || line.rfind("Type=", 0) == 0) {
      out += line + "\r\n";
      continue;
    }
    std::string value = line.substr(eq + 1);
    bool number = !value.empty() && value.find_first_not_of("-0123456789") == std::string::npos;
    out += line.substr(0, eq + 1) + (number ? "1x" : "\\nothing\\at\\all.tga") + "\r\n";
  }
  return out;
}

TEST_F(HostilePack, GarbageNumbersStopWithCodeOne) {
  pack.WriteText("Map_A/objects.ini", Garbled(Read("Map_A/objects.ini")));
  TRunResult run = RunDemo(dir.Path(), kArgs);
  ExpectOrderlyEnd(run, "garbage numbers");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(Visits(run), (std::vector<std::string>{"visit 0 Map_Select", "visit 1 Map_A"}));
  EXPECT_TRUE(Logged("{Zorbin} '1x' is not a valid integer value"));
}

TEST_F(HostilePack, GarbageNamesAndTypesPlayOn) {
  // Names of nothing: images, paths, lists, colours, directions, types.
  pack.WriteText("Map_B/objects.ini",
                 "[*Objects]\r\nPlayer\r\nPort\r\nGoal\r\nOdd\r\nSpin\r\nRow\r\nPath\r\nSparks\r\nRunner\r\n\r\n"
                 "[Player]\r\nType=Player\r\nPositionX=112\r\nPositionY=272\r\nImage=\\player.tga\r\n\r\n"
                 "[Port]\r\nType=MapSelectPort\r\nPositionX=96\r\nPositionY=256\r\nLevel=3\r\nImageUnlocked=??\r\n"
                 "ImageSwirl=\x01\x02\r\n\r\n"
                 "[Goal]\r\nType=Boxes\r\nTargetX=320\r\nPosition1X=320\r\nPosition1Y=272\r\nPosition2X=352\r\n"
                 "Position2Y=272\r\nPosition3X=384\r\nPosition3Y=272\r\n\r\n"
                 "[Odd]\r\nType=Teleporter\r\n\r\n[Spin]\r\nType=Rotator\r\nList=Nowhere\r\n\r\n"
                 "[Row]\r\nType=Repeater\r\nRepeatObject=Nobody\r\nTimes=3\r\n\r\n"
                 "[Path]\r\nType=PathMover\r\nPath=Nowhere\r\nImage=*\r\n\r\n"
                 "[Sparks]\r\nType=ParticleBox\r\nDirection=Sideways\r\nColors=Nowhere\r\n\r\n"
                 "[Runner]\r\nType=Runner\r\nPositioning=Relative\r\nOrigin=Nobody\r\nMode=Whatever\r\n");
  TRunResult run = RunDemo(dir.Path(), kArgs);
  ExpectOrderlyEnd(run, "garbage names");
  EXPECT_EQ(run.ExitStatus, 0);
  EXPECT_EQ(Visits(run), ChainVisits());
  EXPECT_TRUE(Logged("Unknown object type (Object=Odd, Type=TELEPORTER)"));
  EXPECT_TRUE(Logged("Invalid direction. (Object: Sparks ,Data: Sideways)"));
}

TEST_F(HostilePack, RepeatersAskingForBillionsEndTheSetUp) {
  // A repeater of repeaters: 100000 x 100000 bees, and a rotator listing
  // itself. The rotator stops at the nesting limit; the repeater is more
  // than any map may hold, so the set-up ends with exit code 1 before it
  // builds a bee. A second "[*Objects]" header adds its items after the
  // first's.
  pack.WriteText("Map_A/objects.ini",
                 Read("Map_A/objects.ini") +
                     "\r\n[*Objects]\r\nSelf\r\nSwarm\r\n\r\n[Swarm]\r\nType=Repeater\r\nRepeatObject=Swarm2\r\n"
                     "Times=100000\r\n\r\n[Swarm2]\r\nType=Repeater\r\nRepeatObject=Bee\r\nTimes=100000\r\n"
                     "DeltaX=1\r\n\r\n[Self]\r\nType=Rotator\r\nList=Selves\r\n\r\n[*Selves]\r\nSelf\r\n");
  TRunResult run = RunDemo(dir.Path(), kArgs);
  ExpectOrderlyEnd(run, "billions of bees");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(Visits(run), (std::vector<std::string>{"visit 0 Map_Select", "visit 1 Map_A"}));
  EXPECT_TRUE(Logged("{ZORBPlay1MapUnit, TPlay1Map.CreateObject} Too many objects (Object=Swarm)"));
  EXPECT_TRUE(Logged("{ZORBPlay1MapUnit, TPlay1Map.CreateObject} Objects nested too deeply (Object=Self)"));
}

TEST_F(HostilePack, MacroFilledInBeyondAllSizeIsRefused) {
  // 200000 placeholders times a value of 100000 characters: 20 GB.
  std::string objects = Read("Map_C/objects.ini");
  size_t at = objects.find("Values=64,96,-1");
  ASSERT_NE(at, std::string::npos);
  pack.WriteText("Map_C/objects.ini", objects.replace(at, 15, "Values=" + std::string(100000, '7')));
  std::string placeholders;
  for (int i = 0; i < 200000; ++i) placeholders += "%1";
  pack.WriteText("Map_C/bees.ini",
                 "[*Objects]\r\nA\r\n\r\n[A]\r\nType=LinearMover\r\nPositionX=" + placeholders + "\r\n");
  TRunResult run = RunDemo(dir.Path(), kArgs);
  ExpectOrderlyEnd(run, "huge macro");
  EXPECT_EQ(run.ExitStatus, 0);
  EXPECT_EQ(Visits(run), ChainVisits());
  EXPECT_TRUE(Logged("Macro too large when filled in (Object=Swarm, Name=bees.ini)"));
}

TEST_F(HostilePack, MissingMacroFileStopsWithCodeOne) {
  Remove("Map_C/bees.ini");
  TRunResult run = RunDemo(dir.Path(), kArgs);
  ExpectOrderlyEnd(run, "no macro file");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(Visits(run).back(), "visit 3 Map_C");
  EXPECT_TRUE(Logged("OpenStream failed: bees.ini"));
}

TEST_F(HostilePack, ObjectFilesOfBinaryJunkPlayOnUntilTheWindowCloses) {
  std::string junk;
  for (int i = 0; i < 3000; ++i) junk += char((i * 7919 + i / 13) & 0xFF);
  for (const char* map : {"Map_Select", "Map_A", "Map_B", "Map_C"})
    pack.WriteText(std::string(map) + "/objects.ini", junk);
  pack.WriteText("$main$.ini", Read("$main$.ini") + junk);
  TRunResult run = RunDemo(dir.Path(), "--seed 11 --input input.txt --max-frames 400 -mainlog demo.log");
  ExpectOrderlyEnd(run, "junk object files");
  // No player, no port: the map-select map never ends.
  EXPECT_EQ(run.ExitStatus, 2);
  EXPECT_EQ(Visits(run), std::vector<std::string>{"visit 0 Map_Select"});
}

TEST_F(HostilePack, IndexOfJunkIsAnUnknownMapZero) {
  pack.WriteText("$main$.ini", std::string("\x7f"
                                           "ELF\x02\x01[*M\r\n\0\xff=]",
                                           15));
  TRunResult run = RunDemo(dir.Path(), kArgs);
  ExpectOrderlyEnd(run, "junk index");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_TRUE(Logged("Unknown map number! (0)"));
  pack.WriteText("$main$.ini", "[*Maps]\r\nNo_Such_Map\r\n");
  run = RunDemo(dir.Path(), kArgs);
  ExpectOrderlyEnd(run, "missing map folder");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_TRUE(Logged("No tile map file found! (map00.mpt)"));
}

TEST_F(HostilePack, TruncatedMapsEndInOrder) {
  std::string map = Read("Map_Select/map00.mpt");
  // Cut in the magic, in the header lines, inside the rows, in the extra
  // lines: each is refused with code 1, played, or left waiting for a
  // player that fell off (code 2).
  for (size_t cut : {size_t(0), size_t(3), size_t(4), size_t(9), size_t(30), size_t(60), size_t(200), map.size() / 2,
                     map.size() - 30, map.size() - 5}) {
    pack.WriteText("Map_Select/map00.mpt", map.substr(0, cut));
    TRunResult run = RunDemo(dir.Path(), "--seed 11 --input input.txt --max-frames 600 -mainlog demo.log");
    ExpectOrderlyEnd(run, "map cut at " + std::to_string(cut));
    EXPECT_TRUE(run.ExitStatus == 0 || run.ExitStatus == 1 || run.ExitStatus == 2) << cut;
    if (cut < 10) {  // no width and height yet
      EXPECT_EQ(run.ExitStatus, 1) << cut;
      EXPECT_TRUE(Logged("No tile map file found! (map00.mpt)")) << cut;
    }
  }
  pack.WriteText("Map_Select/map00.mpt", map);
  // A later map cut short: the chain reaches it and stops there or plays on.
  std::string mapB = Read("Map_B/map00.mpt");
  pack.WriteText("Map_B/map00.mpt", mapB.substr(0, mapB.size() / 3));
  TRunResult run = RunDemo(dir.Path(), kArgs);
  ExpectOrderlyEnd(run, "Map_B cut");
  EXPECT_EQ(Visits(run).size() >= 3 ? Visits(run)[2] : "", "visit 2 Map_B");
}

TEST_F(HostilePack, TruncatedBinaryMapsStopWithCodeOne) {
  // The tool saves a map without extra lines (which only the text formats
  // hold) as MAPW and MAPB; cut, each is a short binary file, which the map
  // reader reports by an exception.
  pack.WriteText("plain.mpt", std::string("MAPT\r\nWI32\r\nHE22\r\nMNPlain\r\nAUTests\r\nLW 000#015\r\n") + "MP" +
                                  std::string(32, '#') + "\r\nXX\r\n");
  for (const char* mode : {"W", "B"}) {
    std::string command = "cd '" + dir.Path() + "' && '" + ZORBIN_BIN_DIR +
                          "/zorbin-tool' map plain.mpt --save bin.mp " + mode + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << mode;
    std::string binary = Read("bin.mp");
    ASSERT_EQ(binary.substr(0, 4), std::string("MAP") + mode);
    for (size_t cut : {size_t(5), size_t(12), binary.size() / 2, binary.size() - 1}) {
      pack.WriteText("Map_Select/map00.mpt", binary.substr(0, cut));
      TRunResult run = RunDemo(dir.Path(), "--seed 11 --input input.txt --max-frames 600 -mainlog demo.log");
      ExpectOrderlyEnd(run, std::string("MAP") + mode + " cut at " + std::to_string(cut));
      EXPECT_EQ(run.ExitStatus, 1) << mode << cut;
    }
  }
}

}  // namespace
}  // namespace zorbin::e2e

namespace zorbin::e2e {
namespace {

// The chain pack packed into "Zorbin.data" beside a copy of zorbin-demo:
// nothing is loose, everything comes out of the archive.
class HostileArchive : public ::testing::Test {
 protected:
  void SetUp() override {
    TPackBuilder pack(dir.Path() + "pack/");
    BuildChainPack(pack);
    ASSERT_EQ(RunTool(dir.Path(), "pack Zorbin.data pack"), 0);
    fs::remove_all(dir.Path() + "pack");
    archive = test::ReadFileText(dir.File("Zorbin.data"));
    test::WriteFileText(dir.File("input.txt"), ChainInput());
  }

  test::TTempDir dir;
  std::string archive;
};

TEST_F(HostileArchive, IntactArchivePlaysTheChain) {
  TRunResult run = RunDemo(dir.Path(), kArgs);
  ExpectOrderlyEnd(run, "intact archive");
  EXPECT_EQ(run.ExitStatus, 0);
  EXPECT_EQ(Visits(run), ChainVisits());
}

TEST_F(HostileArchive, CutOrScribbledArchivesEndInOrder) {
  std::vector<std::pair<std::string, std::string>> cases;
  for (size_t cut :
       {size_t(0), size_t(10), archive.size() / 3, archive.size() / 2, archive.size() - 12, archive.size() - 1})
    cases.emplace_back("cut at " + std::to_string(cut), archive.substr(0, cut));
  for (size_t at : {archive.size() / 5, archive.size() / 4, archive.size() / 2, archive.size() * 3 / 4}) {
    std::string scribbled = archive;
    for (size_t i = at; i < at + 16 && i < scribbled.size(); ++i) scribbled[i] = char(scribbled[i] ^ 0x5A);
    cases.emplace_back("scribbled at " + std::to_string(at), scribbled);
  }
  for (const auto& [what, bytes] : cases) {
    test::WriteFileText(dir.File("Zorbin.data"), bytes);
    TRunResult run = RunDemo(dir.Path(), kArgs);
    ExpectOrderlyEnd(run, what);
    EXPECT_TRUE(run.ExitStatus == 0 || run.ExitStatus == 1 || run.ExitStatus == 2) << what;
  }
}

}  // namespace
}  // namespace zorbin::e2e
