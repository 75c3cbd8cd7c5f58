// Faults the fuzzers and the whole-game runs found in the game objects,
// with the object file text that showed them.
#include "formats/QXINIFile.h"
#include "objects/ZORBBridgeUnit.h"
#include "objects/ZORBParticleBoxUnit.h"
#include "pictures/ImageUnit.h"
#include "util/Streams.h"

#include <gtest/gtest.h>

#include <string>

namespace zorbin {
namespace {

TEST(ObjectsRobustness, BareColourItemIsCompletedToThreeParts) {
  // The item "0000ff" became "0000ff,000000" and its steps were read past
  // the end of the split parts.
  EXPECT_EQ(CompleteColourItem("0000ff"), "0000ff,000000,16");
  EXPECT_EQ(CompleteColourItem("ff0000,00ff00"), "ff0000,00ff00,16");
  EXPECT_EQ(CompleteColourItem("1,2,3,4"), "1,2,3,4");
  TMemoryStream stream;
  stream.WriteString("[Sparks]\r\nType=ParticleBox\r\nColors=Fades\r\n\r\n[*Fades]\r\nff0000,00ff00,8\r\n0000ff\r\n\r\n");
  stream.SetPosition(0);
  TIniFile ini(stream);
  TParticleBox box(ini, "Sparks");
  EXPECT_EQ(box.Fades.size(), 2u);
}

TEST(ObjectsRobustness, BridgeLengthStopsAtTheDefault) {
  // A thousand bridges of 1000 tiles asked for two gigabytes of pictures.
  SetImageDepth(32);
  TMemoryStream stream;
  stream.WriteString("[Long]\r\nType=Bridge\r\nWidth=1000\r\n\r\n[Short]\r\nType=Bridge\r\nWidth=3\r\n");
  stream.SetPosition(0);
  TIniFile ini(stream);
  TBridge longOne(ini, "Long");
  EXPECT_EQ(longOne.Width, 64);
  EXPECT_EQ(longOne.DissolveImage->Width(), 64 * 16);
  TBridge shortOne(ini, "Short");
  EXPECT_EQ(shortOne.Width, 3);
  SetImageDepth(24);
}

}  // namespace
}  // namespace zorbin
