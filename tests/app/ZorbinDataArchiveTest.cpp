// Where the game finds its data archive: beside the program, else appended to the program itself.
#include "app/Zorbin.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

TEST(ZorbinDataArchive, DataFileBesideTheProgramElseTheProgramItself) {
  test::TTempDir dir;
  std::string program = dir.File("zorbin");
  test::WriteFileText(program, "program with an appended archive");
  EXPECT_EQ(DataArchiveName(program), program);
  test::WriteFileText(dir.File("Zorbin.data"), "archive");
  EXPECT_EQ(DataArchiveName(program), dir.File("Zorbin.data"));
}

}  // namespace
}  // namespace zorbin
