// Objects as the editor shows and changes them: the layer finds every
// object the factory would make (group members, repeater copies, a macro's
// objects, a path's points) where it stands, stays bounded on a file that
// nests itself, and the edits write the keys an author would write.
#include "editor/ObjectEdits.h"
#include "editor/ObjectFile.h"
#include "editor/ObjectKinds.h"
#include "editor/ObjectLayer.h"

#include "TestSupport.h"
#include "storage/QXStream.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

const TObjectLayer::TSizeOf kNoPictures = [](const std::string&, int&, int&) { return false; };

TEST(ObjectLayer, ShowsWhatTheFactoryMakesWhereItStandsAndStaysBounded) {
  test::TTempDir dir;
  test::WriteFileText(dir.File("port.ini"),
                      "[*Objects]\r\nPort%1\r\n[Port%1]\r\nType=MapSelectPort\r\n"
                      "PositionX=%2\r\nPositionY=%3\r\nLevel=%1\r\nImageLocked=lock.tga\r\n");
  std::unique_ptr<TQXStreamOpener> saved = std::move(StreamOpener);
  StreamOpener = std::make_unique<TQXStreamOpener>(dir.Path(), nullptr);
  StreamOpener->SetBaseDir(dir.Path());
  TObjectFile file(
      "[*Objects]\nCrates\nTurn\nRows\nPorts\nBat\nOdd\nSelf\n"
      "[Crates]\nType=boxes\nPosition2X=16\nPosition2Y=32\nTargetX=100\n"
      "[Turn]\nType=Rotator\nList=Members\n[*Members]\nComet\n"
      "[Comet]\nType=LinearMover\nPositionX=5\nPositionY=6\nImage=none.tga\n"
      "[Rows]\nType=Repeater\nRepeatObject=Comet\nTimes=3\nDeltaX=32\n"
      "[Ports]\nType=Macro\nName=port.ini\nValues=7,48,16\n"
      "[Bat]\nType=PathMover\nPositionX=100\nPositionY=100\nPath=BatPath\n"
      "[*BatPath]\nrelative\nR,32\ndl,16\nWait,8\nno comma\nUR,x\nD,99\n"
      "[Odd]\nType=Teapot\nPositionX=3\n"
      "[Self]\nType=Repeater\nRepeatObject=Self\nTimes=2000000000\n");
  TObjectLayer layer;
  layer.Build(file, kNoPictures);
  StreamOpener = std::move(saved);
  const std::vector<TShownObject>& o = layer.Objects();
  ASSERT_EQ(o.size(), 8u);
  ASSERT_EQ(o[0].Parts.size(), 4u);
  EXPECT_EQ(o[0].Parts[1].X, 16);
  EXPECT_EQ(o[0].Parts[1].Y, 32);
  EXPECT_EQ(o[0].Parts[3].X, 96);  // the slot starts at TargetX's cell
  EXPECT_EQ(o[0].Parts[3].Y, 304);
  EXPECT_EQ(o[1].Entry, "Turn");
  EXPECT_TRUE(o[1].Movable);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(o[size_t(2 + k)].Parts[0].X, 5 + 32 * k);
    EXPECT_EQ(o[size_t(2 + k)].Movable, k == 0);
  }
  EXPECT_EQ(o[5].Section, "Port7");
  EXPECT_EQ(o[5].PanelSection, "Ports");
  EXPECT_FALSE(o[5].Movable);
  EXPECT_EQ(o[5].Parts[0].X, 48);
  EXPECT_EQ(o[5].Parts[0].Picture, "lock.tga");  // a port past 6 is locked
  // The bat's points: the leg ends, a pause where it stands; the game
  // stops reading at a length that is no number.
  ASSERT_EQ(o[6].Parts.size(), 4u);
  EXPECT_EQ(o[6].PathList, "BatPath");
  std::vector<std::tuple<int, int, int>> points;
  for (size_t i = 1; i < 4; ++i) points.emplace_back(o[6].Parts[i].Point, o[6].Parts[i].X + 4, o[6].Parts[i].Y + 4);
  EXPECT_EQ(points, (std::vector<std::tuple<int, int, int>>{{1, 132, 100}, {2, 116, 116}, {3, 116, 116}}));
  EXPECT_EQ(o[7].Kind, nullptr);
  EXPECT_FALSE(o[7].Movable);

  int object = -1, part = -1;
  ASSERT_TRUE(layer.PartAt(100, 310, object, part));
  EXPECT_EQ(std::make_pair(object, part), std::make_pair(0, 3));
  ASSERT_TRUE(layer.PartAt(133, 101, object, part));
  EXPECT_EQ(std::make_pair(object, part), std::make_pair(6, 1));
  EXPECT_FALSE(layer.PartAt(300, 200, object, part));
}

TEST(ObjectEdits, PartsMoveNewObjectsArePlacedAndRemovedAndPathsGrowAndShrink) {
  TObjectFile file(
      "[*Objects]\r\nCrates\r\nBat\r\n\r\n[Crates]\r\nType=Boxes\r\n\r\n"
      "[Bat]\r\nType=PathMover\r\nPositionX=100\r\nPositionY=100\r\nPath=P\r\n\r\n[*P]\r\nRelative\r\nR,32\r\n");
  TObjectLayer layer;
  layer.Build(file, kNoPictures);
  TShownObject crates = layer.Objects()[0], bat = layer.Objects()[1];
  EXPECT_TRUE(MovePart(file, crates, crates.Parts[0], 37, 70, 16));
  EXPECT_TRUE(MovePart(file, crates, crates.Parts[3], 250, 300, 16));
  // The point's middle goes to the pointer, at the nearest cell corner.
  EXPECT_TRUE(MovePart(file, bat, bat.Parts[1], 160, 90, 16));
  std::string why;
  EXPECT_TRUE(AddPathLeg(file, bat, 170, 135, 16, why));
  EXPECT_TRUE(AddPathLeg(file, bat, 140, 170, 16, why));
  EXPECT_TRUE(RemovePathLeg(file, bat, why));
  layer.Build(file, kNoPictures);
  EXPECT_EQ(PlaceObject(file, *FindEditorKind("PATHMOVER"), 16, 32), "Bat1");
  EXPECT_EQ(PlaceObject(file, *FindEditorKind("VOLCANO"), 48, 100), "Volcano");
  RemoveEntry(file, "Bat1", {});
  RemoveEntry(file, "Crates", {"crates"});  // a map character places it: the section stays
  EXPECT_EQ(file.Text(),
            "[*Objects]\r\nBat\r\nVolcano\r\n\r\n[Crates]\r\nType=Boxes\r\nPosition1X=32\r\nPosition1Y=64\r\n"
            "TargetX=240\r\n\r\n[Bat]\r\nType=PathMover\r\nPositionX=100\r\nPositionY=100\r\nPath=P\r\n\r\n"
            "[*P]\r\nRelative\r\nR,64\r\nD,32\r\n\r\n"
            "[Volcano]\r\nType=Volcano\r\nPosition=48\r\nImage=..\\common\\crater.tga\r\n");

  // A path the game does not walk is left alone; a mover without one gets
  // a list of its own; objects of a macro do not move.
  TObjectFile odd("[*Objects]\nB\n[B]\nType=PathMover\n[*Q]\nAbsolute\nR,2\n");
  layer.Build(odd, kNoPictures);
  TShownObject b = layer.Objects()[0];
  EXPECT_TRUE(AddPathLeg(odd, b, 40, 0, 16, why));
  EXPECT_EQ(odd.Text(),
            "[*Objects]\nB\n[B]\nType=PathMover\nPath=BPath\n[*Q]\nAbsolute\nR,2\n\n[*BPath]\nRelative\nR,48\n");
  odd.SetValue("B", "Path", "Q");
  EXPECT_FALSE(AddPathLeg(odd, b, 40, 0, 16, why));
  EXPECT_NE(why.find("Relative"), std::string::npos);
  b.Movable = false;
  EXPECT_FALSE(MovePart(odd, b, b.Parts[0], 0, 0, 16));
}

}  // namespace
}  // namespace zorbin
