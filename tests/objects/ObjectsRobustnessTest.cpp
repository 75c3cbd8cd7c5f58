// Inputs the fuzzers found that broke a game object, kept as the bytes
// that did it.
#include "formats/QXINIFile.h"
#include "objects/ZORBParticleBoxUnit.h"
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

}  // namespace
}  // namespace zorbin
