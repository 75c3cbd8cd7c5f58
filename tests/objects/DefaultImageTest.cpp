// The default picture "*" names no file: every map object reports it with
// its own "not found" line and uses its stand-in picture, as for a missing
// file. So does a file that loads without a surface.
#include "objects/ZORBBoxesUnit.h"
#include "objects/ZORBBridgeUnit.h"
#include "objects/ZORBLinearMoverUnit.h"
#include "objects/ZORBMapSelectPortUnit.h"
#include "objects/ZORBPathMoverUnit.h"
#include "objects/ZORBRunnerUnit.h"
#include "objects/ZORBVolcanoUnit.h"

#include "ObjectTestSupport.h"

namespace zorbin {
namespace {

class DefaultImageTest : public test::TObjectTest {
 protected:
  // The stand-in picture: 32 x 16, white body.
  void ExpectPlaceholder(const TImage* image, const std::string& what) {
    ASSERT_NE(image, nullptr) << what;
    ASSERT_NE(image->Surface, nullptr) << what;
    EXPECT_EQ(image->Width(), 32) << what;
    EXPECT_EQ(image->Height(), 16) << what;
    EXPECT_EQ(image->GetPixel(10, 2), image->MapRGB(255, 255, 255)) << what;
  }
  std::unique_ptr<TIniFile> ini_;
};

TEST_F(DefaultImageTest, ObjectsWithoutAPictureShowTheirStandIns) {
  test::TCapturedLog log;
  ini_ = Ini("[Mover]\n[Path]\n[Runner]\n[Port]\nLevel=1\n[Goal]\nTargetX=64\n[Hot]\n[Span]\nWidth=1\n");
  TLinearMover mover(*ini_, "Mover");
  ExpectPlaceholder(mover.Image, "linear mover");
  EXPECT_EQ(mover.FrameWidth, 32);
  TPathMover path(*ini_, "Path");
  ExpectPlaceholder(path.Image, "path mover");
  TRunner runner(*ini_, "Runner");
  ExpectPlaceholder(runner.ImageLeft.get(), "runner left");
  ExpectPlaceholder(runner.ImageRight.get(), "runner right");
  TMapSelectPort port(*ini_, "Port");
  ExpectPlaceholder(port.FrameImage.get(), "port frame");
  ExpectPlaceholder(port.SwirlImage.get(), "port swirl");
  TBoxes boxes(*ini_, "Goal");
  ExpectPlaceholder(boxes.Boxes[0]->Image, "box");
  ExpectPlaceholder(boxes.TargetImages[0].get(), "lamp");
  TVolcano volcano(*ini_, "Hot");
  EXPECT_EQ(volcano.CraterImage->Width(), 64);  // a blank crater
  EXPECT_EQ(volcano.CraterImage->Height(), 32);
  TBridge bridge(*ini_, "Span");
  EXPECT_EQ(bridge.TileImage->Width(), 32);  // the white and grey tile
  EXPECT_EQ(bridge.TileImage->GetPixel(0, 3), Rgb(0x808080));

  for (const char* line :
       {"{ZORBLinearMoverUnit, TLinearMover.Create} LinearMover image not found. (*)",
        "{ZORBPathMoverUnit, TPathMover.Create} Image not found. (*)",
        "{ZORBSpriteUnit, LoadObjectImage} Image not found! (*)",
        "{ZORBMapSelectPortUnit, TMapSelectPort.Create} Image not found. (*)",
        "{ZORBBoxesUnit, TBox.Create} Box image not found. (*)", "{ZORBBoxesUnit, TBoxes.Create} Image not found. (*)",
        "{ZORBVolcanoUnit, TVolcano.Create} Crater image not found. (*)",
        "{ZORBBridgeUnit, TBridge.Create} Bridge image not found. (*)"})
    EXPECT_TRUE(log.Contains(line)) << line;
}

TEST_F(DefaultImageTest, AFileThatLoadsWithoutASurfaceCountsAsNotLoaded) {
  std::string junk = dir_.File("junk.xyz");
  test::WriteFileText(junk, "not a picture");
  test::TCapturedLog log;
  ini_ = Ini("[Mover]\nImage=" + junk + "\n");
  TLinearMover mover(*ini_, "Mover");
  ExpectPlaceholder(mover.Image, "linear mover");
  EXPECT_TRUE(log.Contains("{ZORBLinearMoverUnit, TLinearMover.Create} LinearMover image not found. (" + junk + ")"));
}

}  // namespace
}  // namespace zorbin
