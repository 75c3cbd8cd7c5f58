// The map editor through zorbin-demo --edit: a script paints with keys and
// the pointer, undoes, redoes, sets a wrap and saves, and the file loads
// back as expected; a map saved unchanged loads back the same; F5 plays the
// map as it stands and comes back to the same edit state; a folder whose
// map file is no map is refused.
#include "PackBuilder.h"

#include "TestSupport.h"
#include "editor/NewMap.h"
#include "formats/XMapUnit.h"
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "util/Streams.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin::e2e {
namespace {

const std::string kEditorPack = std::string(ZORBIN_SOURCE_DIR) + "/data/pack/";

// A folder with the default data beside zorbin-demo and a copy of one map.
std::string EditorFolderWith(const test::TTempDir& folder, const std::string& map) {
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/Zorbin.data", folder.File("Zorbin.data"));
  std::filesystem::copy(kEditorPack + map, folder.File(map));
  return folder.Path();
}

// The map reader writes to the log; these tests have none of their own.
void EnsureEditorTestLog() {
  if (!Parameters) Parameters = std::make_unique<TParameters>(std::vector<std::string>{"zorbin_e2e_tests", "-nolog"});
  if (!Log) Log = std::make_unique<TLogger>("", false);
}

std::unique_ptr<TXMap> LoadEditedMap(const std::string& fileName) {
  EnsureEditorTestLog();
  auto map = std::make_unique<TXMap>();
  TFileStream file(fileName, TFileMode::OpenRead);
  map->Load(file);
  return map;
}

std::string RawRows(const TTileMap& map) {
  std::string rows;
  for (int y = 0; y < map.Height(); ++y) {
    for (int x = 0; x < map.Width(); ++x) rows += char(map.GetRaw(x, y));
    rows += '\n';
  }
  return rows;
}

std::string WrapText(const TTileMap& map) {
  std::string text;
  for (const TLogicalWrap& w : map.Wraps()) text += std::to_string(w.Source) + ">" + std::to_string(w.Logical) + " ";
  return text;
}

TEST(MapEditor, AScriptPaintsWithKeysAndPointerUndoesRedoesSetsAWrapAndSaves) {
  test::TTempDir folder;
  std::string dir = EditorFolderWith(folder, "Map_C");
  // Map_C's palette: blank, the stars 1 2 3, then G c g n.
  test::WriteFileText(folder.File("edit.txt"),
                      "1 ] down\n1 ] down\n1 ] down\n1 ] down\n1 ] down\n"
                      "2 right down\n2 right down\n2 down down\n2 space down\n"     // 'c' at (2, 1)
                      "3 right down\n3 space down\n"                                // 'c' at (3, 1) ...
                      "4 306 down\n4 z down\n4 z up\n4 306 up\n"                    // ... undone
                      "5 motion 136 120\n5 mouse 136 120 down left\n"               // a drag over row 3 ...
                      "6 motion 232 120\n6 mouse 232 120 up left\n"                 // ... from column 4 to 10
                      "7 mouse 88 392 down right\n7 mouse 88 392 up right\n"        // pick 'G' at (1, 20)
                      "7 mouse 392 72 down left\n7 mouse 392 72 up left\n"          // 'G' at (20, 0) ...
                      "8 306 down\n8 z down\n8 z up\n8 y down\n8 y up\n8 306 up\n"  // ... undone, redone
                      "8 mouse 20 432 down left\n8 mouse 20 432 up left\n"          // blank from the palette
                      "8 mouse 20 410 down left\n8 mouse 20 410 up left\n"          // left of the grid: nothing
                      "9 mouse 122 432 down left\n9 mouse 122 432 up left\n"        // 'c' from the palette
                      "9 w down\n9 52 down\n9 50 down\n9 return down\n"             // 'c' wraps to 42
                      "10 306 down\n10 s down\n10 s up\n10 306 up\n11 escape down\n");
  TRunResult run = RunDemo(dir, "--edit Map_C --input edit.txt --max-frames 500 -nolog");
  EXPECT_EQ(run.ExitStatus, 0) << run.Output << run.Errors;
  EXPECT_EQ(run.Output, "frames 11 exit 0\n");

  std::unique_ptr<TXMap> before = LoadEditedMap(kEditorPack + "Map_C/map00.mpt");
  std::unique_ptr<TXMap> after = LoadEditedMap(folder.File("Map_C/map00.mpt"));
  EXPECT_EQ(after->LastError, "OK");
  std::string expected = RawRows(*before);
  expected[1 * 33 + 2] = 'c';
  expected[20] = 'G';
  for (int x = 4; x <= 10; ++x) expected[3 * 33 + size_t(x)] = 'c';
  EXPECT_EQ(RawRows(*after), expected);
  std::string wraps = WrapText(*before);
  size_t at = wraps.find("99>15 ");
  ASSERT_NE(at, std::string::npos);
  wraps.replace(at, 6, "99>42 ");
  EXPECT_EQ(WrapText(*after), wraps);
  EXPECT_EQ(after->GetLogic(2, 1), 42);
  EXPECT_EQ(after->ExtraLines, before->ExtraLines);
  EXPECT_EQ(after->MapName, before->MapName);
  EXPECT_EQ(test::ReadFileText(folder.File("Map_C/map00.mpt.bak")),
            test::ReadFileText(kEditorPack + "Map_C/map00.mpt"));
  EXPECT_EQ(test::ReadFileText(folder.File("Map_C/map00.mpt")).substr(0, 6), "MAPT\r\n");
}

TEST(MapEditor, EveryDefaultMapSavedUnchangedLoadsBackTheSame) {
  for (const char* name : {"Map_Select", "Map_A", "Map_B", "Map_C", "Map_D", "Map_E", "Map_F"}) {
    test::TTempDir folder;
    std::string dir = EditorFolderWith(folder, name);
    test::WriteFileText(folder.File("save.txt"), "1 306 down\n1 s down\n1 306 up\n2 escape down\n");
    TRunResult run = RunDemo(dir, std::string("--edit ") + name + " --input save.txt --max-frames 500 -nolog");
    EXPECT_EQ(run.Output, "frames 2 exit 0\n") << name << run.Errors;
    std::unique_ptr<TXMap> before = LoadEditedMap(kEditorPack + name + "/map00.mpt");
    std::unique_ptr<TXMap> after = LoadEditedMap(folder.File(std::string(name) + "/map00.mpt"));
    EXPECT_EQ(RawRows(*after), RawRows(*before)) << name;
    EXPECT_EQ(WrapText(*after), WrapText(*before)) << name;
    EXPECT_EQ(after->ExtraLines, before->ExtraLines) << name;
    EXPECT_EQ(after->MapName + after->Author + after->ThirdText, before->MapName + before->Author + before->ThirdText);
    // The object file is not even written again.
    EXPECT_EQ(test::ReadFileText(folder.File(std::string(name) + "/objects.ini")),
              test::ReadFileText(kEditorPack + name + "/objects.ini"));
    EXPECT_FALSE(std::filesystem::exists(folder.File(std::string(name) + "/objects.ini.bak"))) << name;
  }
}

// In the objects mode a drag moves the player, a drag of crate 3 is undone,
// the panel sets the slot's TargetX; the saved file differs from Map_A's in
// those two lines alone, its comments and order kept.
TEST(MapEditor, ObjectsAreDraggedUndoneAndEditedInThePanelChangingOnlyTheirLines) {
  test::TTempDir folder;
  std::string dir = EditorFolderWith(folder, "Map_A");
  test::WriteFileText(folder.File("objects.txt"),
                      "1 o down\n"
                      "2 mouse 120 352 down left\n2 motion 152 352\n2 mouse 152 352 up left\n"  // the player
                      "3 mouse 150 250 down left\n3 motion 150 218\n3 mouse 150 218 up left\n"  // crate 3 ...
                      "4 306 down\n4 z down\n4 306 up\n"                                        // ... undone
                      "5 mouse 200 344 down left\n5 mouse 200 344 up left\n"  // the crates: TargetX is row 7
                      "6 down down\n6 down down\n6 down down\n6 down down\n6 down down\n6 down down\n"
                      "7 return down\n7 50 down\n7 52 down\n7 48 down\n7 return down\n"
                      "8 306 down\n8 s down\n8 306 up\n9 escape down\n9 escape down\n");
  TRunResult run = RunDemo(dir, "--edit Map_A --input objects.txt --max-frames 500 -nolog");
  EXPECT_EQ(run.Output, "frames 9 exit 0\n") << run.Errors;
  std::string original = test::ReadFileText(kEditorPack + "Map_A/objects.ini");
  std::string expected = original;
  for (auto [from, to] :
       {std::pair<std::string, std::string>{"TargetX=224", "TargetX=240"}, {"PositionX=48", "PositionX=80"}}) {
    size_t at = expected.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    expected.replace(at, from.size(), to);
  }
  EXPECT_EQ(test::ReadFileText(folder.File("Map_A/objects.ini")), expected);
  EXPECT_EQ(test::ReadFileText(folder.File("Map_A/objects.ini.bak")), original);
}

// The guide's walk-through: an empty folder becomes a map with a name and
// an author, a ledge, stars, the player, three crates and their slot, and
// a mover; the pack holding it checks clean, and its kept solution plays
// it to the end.
TEST(MapEditor, AnEmptyFolderBecomesACheckedMapThatItsKeptSolutionCompletes) {
  test::TTempDir folder;
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/Zorbin.data", folder.File("Zorbin.data"));
  std::filesystem::copy_file(std::string(ZORBIN_SOURCE_DIR) + "/docs/editor-new-map.txt", folder.File("walk.txt"));
  std::filesystem::copy_file(std::string(ZORBIN_SOURCE_DIR) + "/docs/editor-new-map-solution.txt",
                             folder.File("solution.txt"));
  TRunResult edit = RunDemo(folder.Path(), "--edit Garden --input walk.txt --max-frames 500 -nolog");
  EXPECT_EQ(edit.Output, "frames 22 exit 0\n") << edit.Errors;

  std::unique_ptr<TXMap> map = LoadEditedMap(folder.File("Garden/map00.mpt"));
  EXPECT_EQ(map->MapName, "Crate Garden");
  EXPECT_EQ(map->Author, "the guide");
  EXPECT_EQ(RawRows(*map).substr(13 * 33, 33),
            std::string(10, ' ') + std::string(10, 'c') + std::string(12, ' ') + "\n");
  std::string objects = test::ReadFileText(folder.File("Garden/objects.ini"));
  EXPECT_NE(objects.find("[*Objects]\r\nCrates\r\nPlayer\r\nComet\r\n"), std::string::npos) << objects;
  EXPECT_NE(objects.find("[Player]\r\nType=Player\r\nPositionX=64\r\n"), std::string::npos) << objects;
  EXPECT_NE(objects.find("\r\n\r\n[Comet]\r\nType=LinearMover\r\nPositionX=32\r\nPositionY=64\r\nSpeedX=6\r\n"),
            std::string::npos)
      << objects;

  test::WriteFileText(folder.File("$main$.ini"), "[*Maps]\r\nGarden\r\n");
  test::TRun check =
      test::RunCommand("'" + std::string(ZORBIN_BIN_DIR) + "/zorbin-tool' check '" + folder.Path() + "'");
  EXPECT_EQ(check.out, "0 errors, 0 warnings\n");
  EXPECT_EQ(check.code, 0);

  // Completed, the map ends the run (exit 0) long before the frame limit.
  TRunResult play = RunDemo(folder.Path(), "--map Garden --input solution.txt --max-frames 4000 -nolog");
  EXPECT_EQ(play.ExitStatus, 0) << play.Output << play.Errors;
  ASSERT_EQ(play.Lines().size(), 2u) << play.Output;
  EXPECT_EQ(play.Lines()[0], "visit 0 Garden");
}

TEST(MapEditor, F5PlaysTheMapAsItStandsAndEscapeComesBackToTheSameEdits) {
  test::TTempDir folder;
  std::string dir = EditorFolderWith(folder, "Map_C");
  // A star at (0, 0), then play: the title card takes Space, Escape ends
  // the play; back in the editor the first Escape only warns.
  test::WriteFileText(folder.File("play.txt"),
                      "1 ] down\n1 space down\n2 f5 down\n3 space down\n"
                      "150 escape down\n151 escape up\n160 escape down\n161 escape up\n170 escape down\n");
  TRunResult run =
      RunDemo(dir, "--edit Map_C --input play.txt --max-frames 500 --shot 140:play.png --shot 165:edit.png -nolog");
  EXPECT_EQ(run.Output, "visit -1 Map_C\nframes 170 exit 0\n") << run.Errors;
  // Nothing was saved: the map file is untouched.
  EXPECT_EQ(test::ReadFileText(folder.File("Map_C/map00.mpt")), test::ReadFileText(kEditorPack + "Map_C/map00.mpt"));
  EXPECT_FALSE(std::filesystem::exists(folder.File("Map_C/map00.mpt.bak")));
  // The play showed the air meter; the editor's palette is there instead.
  std::string played = test::ReadFileText(folder.File("play.png")),
              edited = test::ReadFileText(folder.File("edit.png"));
  EXPECT_GT(played.size(), 0u);
  EXPECT_NE(played, edited);

  // The edit survived the play: saved afterwards, the star is in the file.
  // (Escape at the title card is held until the card is gone: the wait
  // looks at the key's state.)
  test::WriteFileText(folder.File("save.txt"),
                      "1 ] down\n1 space down\n2 f5 down\n3 escape down\n80 escape up\n"
                      "90 306 down\n90 s down\n90 306 up\n91 escape down\n");
  run = RunDemo(dir, "--edit Map_C --input save.txt --max-frames 500 -nolog");
  EXPECT_EQ(run.Output, "visit -1 Map_C\nframes 91 exit 0\n") << run.Errors;
  EXPECT_EQ(LoadEditedMap(folder.File("Map_C/map00.mpt"))->GetRaw(0, 0), '1');
}

TEST(MapEditor, AFolderWithoutAMapStartsANewOneAndOneWithABrokenMapIsRefused) {
  test::TTempDir folder;
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/Zorbin.data", folder.File("Zorbin.data"));
  std::filesystem::create_directories(folder.File("Fresh"));
  test::WriteFileText(folder.File("new.txt"), "1 space down\n1 306 down\n1 s down\n1 306 up\n2 escape down\n");
  TRunResult run = RunDemo(folder.Path(), "--edit Fresh/ --input new.txt --max-frames 500 -nolog");
  EXPECT_EQ(run.Output, "frames 2 exit 0\n") << run.Errors;
  std::unique_ptr<TXMap> fresh = LoadEditedMap(folder.File("Fresh/map00.mpt"));
  EXPECT_EQ(fresh->Width(), 32);
  EXPECT_EQ(fresh->Height(), 22);
  EXPECT_EQ(fresh->MapName, "Fresh");
  // Blanks above a floor with the golden slot, ground below; the player
  // and the crates in an object file of its own.
  std::string rows;
  for (int y = 0; y < 19; ++y) rows += std::string(32, ' ') + "\n";
  rows += "aaaaaaaaaaaaaaggggggaaaaaaaaaaaa\n" + std::string(32, 'G') + "\n" + std::string(32, 'G') + "\n";
  EXPECT_EQ(RawRows(*fresh), rows);
  EXPECT_EQ(fresh->GetLogic(5, 5), 0);
  EXPECT_EQ(fresh->GetLogic(5, 19), 15);
  EXPECT_EQ(test::ReadFileText(folder.File("Fresh/objects.ini")), NewObjectsText());

  for (const char* broken : {"NOTAMAP", "MAPT\r\nWIx\r\n"}) {
    std::filesystem::create_directories(folder.File("Broken"));
    test::WriteFileText(folder.File("Broken/map00.mpt"), broken);
    run = RunDemo(folder.Path(), "--edit Broken --input new.txt -mainlog run.log");
    EXPECT_EQ(run.ExitStatus, 1) << broken;
    EXPECT_EQ(run.Lines().back(), "frames 0 exit 1") << broken;
    EXPECT_NE(test::ReadFileText(folder.File("run.log")).find("map00.mpt"), std::string::npos) << broken;
    EXPECT_EQ(test::ReadFileText(folder.File("Broken/map00.mpt")), broken);
  }
}

// Bad input is normal input: an object file that nests itself without
// end, holds numbers past any screen, pictures that are none and paths
// that are no paths, worked on by a long run of random clicks, drags and
// keys in both modes. The editor draws, edits, saves and ends like any run.
TEST(MapEditor, RandomInputOnAHostileObjectFileEndsLikeAnyRun) {
  test::TTempDir folder;
  std::string dir = EditorFolderWith(folder, "Map_D");
  test::WriteFileText(folder.File("Map_D/objects.ini"),
                      "[*Objects]\nSelf\nFar\nBat\nMac\n\n=\n[Self]\nType=Repeater\nRepeatObject=Self\n"
                      "Times=2000000000\n[Far]\nType=Boxes\nPosition1X=2147483647\nPosition2Y=-2147483648\n"
                      "TargetX=x\nImage1=../../nothing.tga[0..99999]\n[Bat]\nType=PathMover\nPath=P\n"
                      "[*P]\nrelative\nDR,2000000000\nUL,-5\n,\n[Mac]\nType=Macro\nName=objects.ini\nValues=%1\n"
                      "[Glow]\nType=ParticleBox\nBounds=9,9\n");
  std::string script;
  uint32_t seed = 12345;
  auto next = [&seed](uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  const char* keys[] = {"o", "delete", "backspace", "up",  "down",  "return", "49",    "a", "n",  "w",
                        "[", "]",      "escape",    "tab", "space", "left",   "right", "-", "304"};
  for (int frame = 1; frame <= 300; ++frame) {
    std::string f = std::to_string(frame) + " ";
    int x = int(next(640)), y = int(next(480)), x2 = int(next(640)), y2 = int(next(480));
    switch (next(5)) {
      case 0: script += f + keys[next(19)] + " down\n"; break;
      case 1: script += f + "306 down\n" + f + (next(2) ? "z" : "y") + " down\n" + f + "306 up\n"; break;
      case 2: script += f + "mouse " + std::to_string(x) + " " + std::to_string(y) + " down right\n"; break;
      default:
        script += f + "mouse " + std::to_string(x) + " " + std::to_string(y) + " down left\n" + f + "motion " +
                  std::to_string(x2) + " " + std::to_string(y2) + "\n" + f + "mouse " + std::to_string(x2) + " " +
                  std::to_string(y2) + " up left\n";
    }
  }
  script += "301 306 down\n301 s down\n301 306 up\n";
  test::WriteFileText(folder.File("random.txt"), script);
  TRunResult run = RunDemo(dir, "--edit Map_D --input random.txt --max-frames 400 -nolog");
  EXPECT_EQ(run.ExitStatus, 2) << run.Output << run.Errors;
  EXPECT_EQ(run.Output, "frames 400 exit 2\n") << run.Errors;
  EXPECT_EQ(run.Errors, "");
  EXPECT_TRUE(std::filesystem::exists(folder.File("Map_D/objects.ini")));
}

}  // namespace
}  // namespace zorbin::e2e
