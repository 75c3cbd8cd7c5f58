// The edit model: strokes undo as one step, wraps change and come back,
// "unsaved" follows undo back to the saved state, saving keeps a .bak, a
// map MAPT cannot carry is saved as the tile map's rules choose with their
// warnings, and a map file that holds no map is refused. Cells, texts and
// objects undo alike; the object file is saved beside the map, and one no
// author wrote is refused or kept byte for byte.
#include "editor/EditModel.h"

#include "TestSupport.h"
#include "editor/NewMap.h"
#include "util/Streams.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin {
namespace {

const char* const kEditModelPictures =
    "MAPT\r\nWI4\r\nHE3\r\nMNSmall\r\nMPab  \r\nMP\r\nMP   a\r\nLW 000a015\r\n"
    "EX \r\nEXaplatf.tga\r\nEXbplatf.tga\r\n";
// Objects are bound after an empty extra line.
const std::string kEditModelMap = std::string(kEditModelPictures) + "EX\r\nEXPplayer\r\nEXaagain\r\nXX\r\n";

TEST(EditModel, StrokesUndoAsOneStepAndWrapsChangeAndComeBack) {
  test::TTempDir dir;
  test::WriteFileText(dir.File("map00.mpt"), kEditModelMap);
  TEditModel model;
  std::string error;
  ASSERT_TRUE(model.Open(dir.Path(), error)) << error;
  EXPECT_EQ(model.Palette(), (std::vector<int32_t>{' ', 'a', 'b', 'P'}));
  EXPECT_FALSE(model.Unsaved());

  model.Choose(1);
  model.BeginStroke();
  model.Paint(0, 1);
  model.Paint(1, 1);
  model.Paint(1, 1);
  model.Paint(9, 9);  // outside: dropped
  model.EndStroke();
  model.Paint(0, 0);  // already 'a': no step
  EXPECT_EQ(model.Map().GetLogic(1, 1), 15);
  EXPECT_TRUE(model.Unsaved());
  ASSERT_TRUE(model.Undo());
  EXPECT_EQ(model.Map().GetRaw(0, 1), ' ');
  EXPECT_EQ(model.Map().GetRaw(1, 1), ' ');
  EXPECT_FALSE(model.Unsaved());  // back where it was opened
  EXPECT_FALSE(model.Undo());
  ASSERT_TRUE(model.Redo());
  EXPECT_EQ(model.Map().GetRaw(1, 1), 'a');

  model.SetWrap(12);  // 'a' wraps to 15 already: changed in place
  ASSERT_EQ(model.Map().Wraps().size(), 2u);
  EXPECT_EQ(model.Map().GetLogic(0, 0), 12);
  model.ChooseNext(1);
  model.SetWrap(300);  // 'b' had none: added
  EXPECT_EQ(model.WrapOf('b'), 300);
  EXPECT_EQ(model.Map().GetLogic(1, 0), 300);
  ASSERT_TRUE(model.Undo());
  ASSERT_TRUE(model.Undo());
  EXPECT_EQ(model.WrapOf('b'), -1);
  EXPECT_EQ(model.Map().GetLogic(0, 0), 15);
  EXPECT_EQ(model.Map().GetLogic(1, 0), 'b');
  // A new change forgets what could be redone.
  model.Paint(3, 2);
  EXPECT_FALSE(model.Redo());

  ASSERT_TRUE(model.Pick(1, 0));
  EXPECT_EQ(model.ChosenCharacter(), 'b');
  EXPECT_FALSE(model.Pick(4, 0));
  model.MoveCursor(-5, 10);
  EXPECT_EQ(model.CursorCol(), 0);
  EXPECT_EQ(model.CursorRow(), 2);
  model.ChooseNext(-3);
  EXPECT_EQ(model.ChosenCharacter(), 'P');
}

TEST(EditModel, SavingKeepsABakAndAMapMaptCannotCarryIsSavedAsTheRulesChoose) {
  test::TTempDir dir;
  test::WriteFileText(dir.File("map00.mpt"), kEditModelMap);
  TEditModel model;
  std::string error;
  ASSERT_TRUE(model.Open(dir.Path(), error)) << error;
  model.Choose(2);
  model.Paint(2, 2);
  std::vector<std::string> warnings;
  ASSERT_TRUE(model.Save(warnings, error)) << error;
  EXPECT_TRUE(warnings.empty());
  EXPECT_FALSE(model.Unsaved());
  EXPECT_EQ(test::ReadFileText(dir.File("map00.mpt.bak")), kEditModelMap);
  std::string saved = test::ReadFileText(dir.File("map00.mpt"));
  EXPECT_NE(saved.find("MP  ba\r\n"), std::string::npos) << saved;

  // A wrap value of four digits does not fit MAPT's three, and MAPW, the
  // rules' choice, cannot hold the empty extra line before the objects:
  // nothing is written, the file and its .bak stay.
  model.SetWrap(1000);
  EXPECT_FALSE(model.Save(warnings, error));
  EXPECT_EQ(error, "not saved: The map cannot be saved in MAPW mode: an empty extra line.");
  EXPECT_EQ(test::ReadFileText(dir.File("map00.mpt")), saved);
  EXPECT_EQ(test::ReadFileText(dir.File("map00.mpt.bak")), kEditModelMap);
  EXPECT_TRUE(model.Unsaved());

  // Without objects MAPW takes it.
  test::TTempDir plain;
  test::WriteFileText(plain.File("map00.mpt"), std::string(kEditModelPictures) + "XX\r\n");
  TEditModel wide;
  ASSERT_TRUE(wide.Open(plain.Path(), error)) << error;
  wide.Choose(2);
  wide.SetWrap(1000);
  ASSERT_TRUE(wide.Save(warnings, error)) << error;
  EXPECT_EQ(warnings, (std::vector<std::string>{"The tile map contains tiles with ID above 255,",
                                                "so cannot use file formats with 8 bit tile size.",
                                                "Using 16 bit binary mode."}));
  EXPECT_EQ(test::ReadFileText(plain.File("map00.mpt")).substr(0, 4), "MAPW");
  TEditModel back;
  ASSERT_TRUE(back.Open(plain.Path(), error)) << error;
  EXPECT_EQ(back.WrapOf('b'), 1000);
  EXPECT_EQ(back.Map().GetLogic(1, 0), 1000);

  // A folder that cannot be made keeps the map in the editor.
  TEditModel lost;
  ASSERT_TRUE(lost.Open(dir.File("map00.mpt.bak/folder"), error));
  lost.Paint(0, 0);
  EXPECT_EQ(lost.Map().MapName, "folder");
  EXPECT_FALSE(lost.Save(warnings, error));
  EXPECT_EQ(error.rfind("not saved: ", 0), 0u) << error;
}

TEST(EditModel, CellsTextsAndObjectsUndoAlikeAndTheObjectFileIsSavedWithABak) {
  test::TTempDir dir;
  test::WriteFileText(dir.File("map00.mpt"), kEditModelMap);
  const std::string objects = "; kept\n[*Objects]\nP\n\n[P]\nType=Player\nPositionX=0\n";
  test::WriteFileText(dir.File("Objects.INI"), objects);  // found in any letter case
  TEditModel model;
  std::string error;
  ASSERT_TRUE(model.Open(dir.Path(), error)) << error;
  model.Choose(1);
  model.Paint(3, 0);
  model.SetTexts("Named", "Someone");
  model.ChangeObjects([](TObjectFile& f) { f.SetValue("P", "PositionX", "16"); });
  model.BeginObjectChange();  // a drag: one step however many moves
  model.ChangeObjects([](TObjectFile& f) { f.SetValue("P", "PositionY", "8"); });
  model.ChangeObjects([](TObjectFile& f) { f.SetValue("P", "PositionY", "32"); });
  model.EndObjectChange();
  model.ChangeObjects([](TObjectFile&) {});  // no change, no step
  ASSERT_TRUE(model.Undo());
  EXPECT_EQ(model.Objects().Value("P", "PositionY"), "");
  EXPECT_EQ(model.Objects().Value("P", "PositionX"), "16");
  ASSERT_TRUE(model.Undo());
  EXPECT_EQ(model.Objects().Text(), objects);
  ASSERT_TRUE(model.Undo());
  EXPECT_EQ(model.Map().MapName, "Small");
  ASSERT_TRUE(model.Undo());
  EXPECT_EQ(model.Map().GetRaw(3, 0), ' ');
  EXPECT_FALSE(model.Unsaved());
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(model.Redo());

  std::vector<std::string> warnings;
  ASSERT_TRUE(model.Save(warnings, error)) << error;
  EXPECT_EQ(test::ReadFileText(dir.File("Objects.INI")),
            "; kept\n[*Objects]\nP\n\n[P]\nType=Player\nPositionX=16\nPositionY=32\n");
  EXPECT_EQ(test::ReadFileText(dir.File("Objects.INI.bak")), objects);
  std::string saved = test::ReadFileText(dir.File("map00.mpt"));
  EXPECT_NE(saved.find("AUSomeone\r\nMNNamed\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("MPab a\r\n"), std::string::npos) << saved;

  // A new map in a folder not yet made: saved with the new map's objects.
  TEditModel fresh;
  ASSERT_TRUE(fresh.Open(dir.File("New/Map"), error)) << error;
  ASSERT_TRUE(fresh.Save(warnings, error)) << error;
  EXPECT_EQ(test::ReadFileText(dir.File("New/Map/objects.ini")), NewObjectsText());
}

TEST(EditModel, AnObjectFileNoAuthorWroteIsRefusedOrKeptByteForByte) {
  test::TTempDir dir;
  test::WriteFileText(dir.File("map00.mpt"), kEditModelMap);
  std::string junk("\xff\0[*Objects\r\n\n[]\r\n=\r\n;", 20);
  test::WriteFileText(dir.File("objects.ini"), junk);
  TEditModel model;
  std::string error;
  ASSERT_TRUE(model.Open(dir.Path(), error)) << error;
  EXPECT_EQ(model.Objects().Text(), junk);
  test::WriteFileText(dir.File("objects.ini"), std::string(TEditModel::kMaxObjectsSize + 1, 'x'));
  EXPECT_FALSE(TEditModel().Open(dir.Path(), error));
  EXPECT_NE(error.find("objects.ini"), std::string::npos) << error;
  std::filesystem::remove(dir.File("objects.ini"));
  // A folder in its place: nothing to read, and nothing written there.
  std::filesystem::create_directories(dir.File("objects.ini"));
  TEditModel blocked;
  ASSERT_TRUE(blocked.Open(dir.Path(), error)) << error;
  blocked.ChangeObjects([](TObjectFile& f) { f.SetValue("P", "Type", "Player"); });
  std::vector<std::string> warnings;
  EXPECT_FALSE(blocked.Save(warnings, error));
  EXPECT_NE(error.find("not saved"), std::string::npos) << error;
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("objects.ini")));
}

TEST(EditModel, AMapFileThatHoldsNoMapIsRefused) {
  test::TTempDir dir;
  for (const char* text : {"", "NOTAMAP", "MAPQ", "MAPT\r\nWI4\r\nHEx\r\n", "MAPB\x02"}) {
    test::WriteFileText(dir.File("map00.mpt"), text);
    TEditModel model;
    std::string error;
    EXPECT_FALSE(model.Open(dir.Path(), error)) << text;
    EXPECT_NE(error.find("map00.mpt"), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace zorbin
