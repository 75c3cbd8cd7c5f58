// ToolboxTest: number and path helpers, the random generator, and memory and disk streams.
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include "TestSupport.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace zorbin {
namespace {

TEST(Toolbox, NumbersAndConversionErrors) {
  EXPECT_EQ(ZeroPad(7, 2), "07");
  EXPECT_EQ(ZeroPad(123, 2), "123");
  EXPECT_EQ(IntToHex(0xAB, 4), "00AB");
  EXPECT_EQ(StrToInt("-12"), -12);
  EXPECT_EQ(StrToInt("+5"), 5);
  EXPECT_THROW(StrToInt(" 5"), EConvertError);
  EXPECT_THROW(StrToInt(""), EConvertError);
  EXPECT_THROW(StrToInt("99999999999"), EConvertError);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
  // Cells left of the play area are negative, not cell 0.
  EXPECT_EQ(FloorDiv(15, 16), 0);
  EXPECT_EQ(FloorDiv(-1, 16), -1);
  EXPECT_EQ(FloorDiv(-16, 16), -1);
  EXPECT_EQ(FloorDiv(-17, 4), -5);
}

TEST(Toolbox, PathsAndCase) {
  EXPECT_EQ(ExtractFileName("a\\b/c.tga"), "c.tga");
  EXPECT_EQ(ExtractFilePath("a\\b/c.tga"), "a\\b/");
  EXPECT_EQ(ExtractFileExt("dir.x\\name"), "");
  EXPECT_EQ(DefaultExtension("logo", ".tga"), "logo.tga");
  EXPECT_EQ(DefaultExtension("logo.bmp", ".tga"), "logo.bmp");
  EXPECT_TRUE(SameText("MAP00.mpt", "map00.MPT"));
  EXPECT_EQ(UpperCase("a\xe4z"), "A\xe4Z");  // only ASCII folds
  uint8_t r, g, b;
  EXPECT_TRUE(HexToColor("#FF8001", r, g, b));
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 128);
  EXPECT_EQ(b, 1);
  EXPECT_FALSE(HexToColor("FF80", r, g, b));
}

TEST(Toolbox, WrapWordsBreaksAtBlanksAndCutsLongWords) {
  EXPECT_EQ(WrapWords("  one two three  ", 8), (std::vector<std::string>{"one two", "three"}));
  EXPECT_EQ(WrapWords("abcdefghij k", 4), (std::vector<std::string>{"abcd", "efgh", "ij k"}));
  EXPECT_TRUE(WrapWords("   ", 4).empty());
}

TEST(Toolbox, RandomIsSeededAndInRange) {
  RandSeed(42);
  std::vector<int> a;
  for (int i = 0; i < 50; ++i) a.push_back(Random(10));
  RandSeed(42);
  for (int i = 0; i < 50; ++i) {
    int v = Random(10);
    EXPECT_EQ(v, a[size_t(i)]);
    EXPECT_GE(v, 0);
    EXPECT_LT(v, 10);
  }
  EXPECT_EQ(Random(0), 0);
}

TEST(Streams, LinesBytesAndShortReads) {
  TMemoryStream s(std::string("one\r\ntwo\nlast"));
  std::string line;
  std::vector<std::string> lines;
  while (ReadLine(s, line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "last"}));
  TMemoryStream b;
  b.WriteDWord(0x01020304);
  b.WriteWord(0xBEEF);
  b.SetPosition(0);
  EXPECT_EQ(b.ReadDWord(), 0x01020304u);
  EXPECT_EQ(b.ReadWord(), 0xBEEF);
  EXPECT_THROW(b.ReadByte(), EStreamError);
}

// The sanitized build fails this when a null buffer reaches memcpy.
TEST(Streams, EmptyReadsAndWritesTouchNoBuffer) {
  TMemoryStream s(std::string("abc"));
  EXPECT_EQ(s.Read(nullptr, 0), 0u);
  EXPECT_EQ(s.Write(nullptr, 0), 0u);
  std::vector<uint8_t> none;
  s.ReadBuffer(none.data(), none.size());
  EXPECT_EQ(s.Position(), 0);
  EXPECT_EQ(s.Size(), 3);
}

TEST(Streams, DiskLookupIgnoresCaseAndBackslashes) {
  test::TTempDir dir;
  std::filesystem::create_directories(dir.Path() + "Map_A");
  test::WriteFileText(dir.Path() + "Map_A/Objects.INI", "x");
  std::string asked = dir.Path() + "map_a\\objects.ini";
  EXPECT_TRUE(FileExistsOnDisk(asked));
  TFileStream f(asked, TFileMode::OpenRead);
  EXPECT_EQ(f.Size(), 1);
  EXPECT_FALSE(FileExistsOnDisk(dir.Path() + "map_a\\missing.ini"));
  EXPECT_THROW(TFileStream(dir.Path() + "nothing", TFileMode::OpenRead), EFOpenError);
}

TEST(Streams, CreatingFindsFoldersIgnoringCaseButNeverAnotherFile) {
  test::TTempDir dir;
  std::filesystem::create_directories(dir.Path() + "Map_A");
  test::WriteFileText(dir.Path() + "Map_A/Keep.OUT", "old");
  {
    TFileStream f(dir.Path() + "map_a\\keep.out", TFileMode::Create);
    f.WriteBuffer("new", 3);
  }
  EXPECT_EQ(test::ReadFileText(dir.Path() + "Map_A/Keep.OUT"), "old");
  EXPECT_EQ(test::ReadFileText(dir.Path() + "Map_A/keep.out"), "new");
}

}  // namespace
}  // namespace zorbin
