// The object file as its author wrote it: every object and macro file of
// the default pack (and odd texts) come back byte for byte and read as the
// game reads them; edits change only their lines, keep comments with their
// sections and write line ends like the file's own.
#include "editor/ObjectFile.h"

#include "TestSupport.h"
#include "util/Streams.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin {
namespace {

TEST(ObjectFile, EveryPackObjectFileAndOddTextsComeBackByteForByteAndReadAsTheGameReads) {
  std::vector<std::string> texts = {"", "\n", "[A]\r\nX=1", "  [A] \r\n;c\r\nK\r\n", std::string("\xff\0[*L]\n\n", 7)};
  for (const auto& entry : std::filesystem::recursive_directory_iterator(std::string(ZORBIN_SOURCE_DIR) + "/data/pack"))
    if (entry.path().extension() == ".ini") texts.push_back(test::ReadFileText(entry.path().string()));
  ASSERT_GT(texts.size(), 12u);
  for (const std::string& text : texts) {
    TObjectFile file(text);
    EXPECT_EQ(file.Text(), text);
    TMemoryStream stream(text);
    TIniFile game(stream);
    ASSERT_EQ(file.Ini().Sections().size(), game.Sections().size());
    for (size_t i = 0; i < game.Sections().size(); ++i)
      EXPECT_EQ(file.Ini().Sections()[i].Lines, game.Sections()[i].Lines);
  }
  EXPECT_EQ(TObjectFile("[A]\r\nLooped\r\n").Value("a", "LOOPED"), "1");
}

TEST(ObjectFile, EditsChangeOnlyTheirLinesAndKeepCommentsWithTheirSections) {
  TObjectFile file(
      "; head\r\n[*Objects]\r\nA\r\nB\r\n\r\n; about A\r\n[A]\r\nType=Player\r\nLooped\r\nOdd=1\r\n\r\n"
      "; about B\r\n[B]\r\nType=Boxes\r\n\r\n; about C\r\n[C]\r\nType=Volcano\r\n");
  file.SetValue("a", "looped", "0");
  file.SetValue("A", "PositionX", "16\r\n");  // a line break stays out of the file
  file.SetValue("A", "odd", "");
  file.AddItem("Objects", "D");
  file.RemoveItem("Objects", 1);
  file.RemoveSection("B");
  file.AddSection("D", false, {"Type=Bridge"});
  file.SetValue("E", "Type", "Runner");
  EXPECT_EQ(file.UniqueName("A"), "A1");
  EXPECT_EQ(file.Text(),
            "; head\r\n[*Objects]\r\nA\r\nD\r\n\r\n; about A\r\n[A]\r\nType=Player\r\nLooped=0\r\nPositionX=16\r\n\r\n"
            "; about C\r\n[C]\r\nType=Volcano\r\n\r\n[D]\r\nType=Bridge\r\n\r\n[E]\r\nType=Runner\r\n");

  // A file of LF lines gets LF lines; the last section goes with the blank
  // lines before it; a file without a last line end gets one.
  TObjectFile plain("[*Objects]\nA\n\n[A]\nType=Player\n\n[B]\nType=Boxes");
  plain.RemoveSection("b");
  plain.SetValue("A", "Image", "x.tga");
  EXPECT_EQ(plain.Text(), "[*Objects]\nA\n\n[A]\nType=Player\nImage=x.tga\n");
  TObjectFile cut("[A]\r\nType=Player");
  cut.AddItem("Objects", "A");
  EXPECT_EQ(cut.Text(), "[A]\r\nType=Player\r\n\r\n[*Objects]\r\nA\r\n");
}

}  // namespace
}  // namespace zorbin
