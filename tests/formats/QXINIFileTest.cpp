// QXINIFileTest: INI loading, section and header forms, reads with defaults, list sections, writing back.
#include "formats/QXINIFile.h"

#include "storage/QXStream.h"
#include "util/Streams.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin {
namespace {

std::unique_ptr<TIniFile> Ini(const std::string& text) {
  TMemoryStream stream(text);
  return std::make_unique<TIniFile>(stream);
}

std::vector<std::string> Lines(const TIniFile& ini, size_t section) { return ini.Sections().at(section).Lines; }

// The global opener the constructor by name uses, for the test's lifetime.
struct TOpenerScope {
  TOpenerScope() { StreamOpener = std::make_unique<TQXStreamOpener>("", nullptr); }
  ~TOpenerScope() { StreamOpener.reset(); }
};

TEST(IniFile, LoadingKeepsKeysAndValuesAndTrimsOnlyBracketLines) {
  auto ini =
      Ini("Speed=1\r\n"  // before any header: ignored
          "; comment\r\n"
          "   [Comet]   \r\n"  // indented header
          "Key = 5\r\n"        // key and value keep their blanks
          "Looped\r\n"         // key only
          "   \r\n"            // blank line in a normal section: ignored
          "\tTab=x\r\n"        // a tab is not a blank
          "  Image1=Boxes.tga[0]  \r\n"
          "a=b=c\n"
          "[*Objects]\r\n"
          "  bee  \r\n"
          "\r\n"
          ";skipped\r\n"
          "   \r\n"
          "ant\r\n"
          "\r\n"
          "\r\n");
  ASSERT_EQ(ini->Sections().size(), 2u);
  EXPECT_EQ(ini->Sections()[0].Name, "Comet");
  EXPECT_EQ(Lines(*ini, 0),
            (std::vector<std::string>{"Key = 5", "Looped=1", "\tTab=x", "Image1=Boxes.tga[0]", "a=b=c"}));
  EXPECT_EQ(ini->ReadString("comet", "key ", "d"), " 5");
  EXPECT_EQ(ini->ReadString("Comet", "Key", "d"), "d");
  EXPECT_EQ(ini->ReadString("Comet", "\tTab", "d"), "x");
  EXPECT_EQ(ini->ReadString("Comet", "A", "d"), "b=c");
  // List items are kept as written; trailing empty items are removed, inner ones stay.
  EXPECT_EQ(ini->Sections()[1].Type, stList);
  EXPECT_EQ(Lines(*ini, 1), (std::vector<std::string>{"  bee  ", "", "   ", "ant"}));
  EXPECT_EQ(ini->ListItemCount("OBJECTS"), 4);
}

TEST(IniFile, HeaderForms) {
  auto ini = Ini("[]\nx\n[*L]\ny\n[\nz\n[N]\n");
  ASSERT_EQ(ini->Sections().size(), 3u);
  EXPECT_EQ(ini->Sections()[0].Name, "");
  EXPECT_EQ(Lines(*ini, 0), (std::vector<std::string>{"x=1"}));
  EXPECT_EQ(Lines(*ini, 1), (std::vector<std::string>{"y", "[", "z"}));  // "[" alone is no header
  EXPECT_EQ(ini->SectionType("l"), 1);
  EXPECT_EQ(ini->SectionType("n"), 0);
  EXPECT_EQ(ini->SectionType("missing"), -1);
  auto unnamed = Ini("[*]\nitem\n");
  EXPECT_EQ(unnamed->ReadListItem("", 0), "item");
}

TEST(IniFile, RepeatedHeadersJoinTheFirstSection) {
  auto ini = Ini("[*Objects]\na\nb\n\n[Info]\nk=1\n[*objects]\nc\n\n[INFO]\nk=2\nj\n");
  ASSERT_EQ(ini->Sections().size(), 4u);
  // The blank line before [Info] is an item, no longer at the end of the list.
  EXPECT_EQ(ini->ListItemCount("Objects"), 4);
  EXPECT_EQ(ini->ReadListItem("Objects", 2), "");
  EXPECT_EQ(ini->ReadListItem("Objects", 3), "c");
  EXPECT_TRUE(ini->Sections()[2].Lines.empty());
  EXPECT_TRUE(ini->Sections()[3].Lines.empty());
  EXPECT_EQ(ini->ReadString("Info", "k", ""), "1");  // the first line of a key wins
  EXPECT_EQ(ini->ReadString("Info", "j", ""), "1");
  // A repeated header of the other kind keeps the first section's kind for its lines.
  auto mixed = Ini("[S]\n[*S]\nitem\n");
  EXPECT_EQ(mixed->ReadString("S", "item", ""), "1");
  EXPECT_EQ(mixed->Sections()[1].Type, stList);
}

TEST(IniFile, ReadWithDefaultsAndFallbacks) {
  auto ini =
      Ini("[Defaults]\nSpeed=3\nLooped=yes\n"
          "[Comet]\nEmpty=\nLooped\nOff=false\nOn=TRUE\nTwo=2\nBad=12a\n"
          "[Slow]\nSpeed=1\n"
          "[*List]\nSpeed=9\n");
  EXPECT_EQ(ini->ReadInteger("Comet", "Speed", 7, "Defaults"), 3);
  EXPECT_EQ(ini->ReadInteger("Slow", "Speed", 7, "Defaults"), 1);
  EXPECT_EQ(ini->ReadInteger("Comet", "Speed", 7, "Nothing"), 7);
  EXPECT_EQ(ini->ReadInteger("Comet", "Speed", 7), 7);
  EXPECT_EQ(ini->ReadInteger("Missing", "Speed", 7, "Defaults"), 7);  // no fallback for a missing section
  EXPECT_EQ(ini->ReadInteger("List", "Speed", 7, "Defaults"), 7);     // nor for a list section
  EXPECT_EQ(ini->ReadString("Comet", "Speed", "d", "List"), "d");     // a list fallback gives nothing
  EXPECT_EQ(ini->ReadInteger("Comet", "Two", 0), 2);
  EXPECT_THROW(ini->ReadInteger("Comet", "Bad", 0), EConvertError);

  EXPECT_TRUE(ini->ReadBool("Comet", "Looped", false));
  EXPECT_FALSE(ini->ReadBool("Comet", "Off", true));
  EXPECT_TRUE(ini->ReadBool("Comet", "On", false));
  EXPECT_TRUE(ini->ReadBool("Comet", "Empty", true));  // empty reads as the default
  EXPECT_FALSE(ini->ReadBool("Comet", "Empty", false));
  EXPECT_FALSE(ini->ReadBool("Comet", "Two", true));
  EXPECT_TRUE(ini->ReadBool("Comet", "Looped", false, "Defaults"));
  EXPECT_TRUE(ini->ReadBool("Slow", "Looped", false, "Defaults"));
  EXPECT_TRUE(ini->ReadBool("Slow", "Speed", false));  // "1"

  EXPECT_TRUE(ini->ValueExists("Comet", "Two"));
  EXPECT_FALSE(ini->ValueExists("Comet", "Empty"));
  EXPECT_FALSE(ini->ValueExists("Comet", "Speed"));  // no fallback
}

TEST(IniFile, ListReadsWarnOnWrongUse) {
  auto ini = Ini("[Normal]\na=1\n[*List]\nx\ny\n");
  test::TCapturedLog log;
  EXPECT_EQ(ini->ReadListItem("List", 1), "y");
  EXPECT_EQ(ini->ReadListItem("Normal", 0), "");
  EXPECT_EQ(ini->ReadListItem("Nope", 0), "");
  EXPECT_EQ(ini->ReadListItem("List", 2), "");
  EXPECT_EQ(ini->ReadListItem("List", -1), "");
  EXPECT_EQ(ini->ListItemCount("Normal"), 0);
  EXPECT_EQ(ini->ListItemCount("Nope"), 0);
  EXPECT_EQ(log.Lines(),
            (std::vector<std::string>{
                "[QXINIFile, TIniFile.ReadListItem] ReadListItem is not allowed on stNormal type Sections!",
                "[QXINIFile, TIniFile.ReadListItem] Section: Normal Index: 0",
                "[QXINIFile, TIniFile.ReadListItem] Section not found! (Nope)",
                "[QXINIFile, TIniFile.ReadListItem] Index is out of range! (2)",
                "[QXINIFile, TIniFile.ReadListItem] Index is out of range! (-1)",
                "[QXINIFile, TIniFile.ListItemCount] ListItemCount is only allowed on List type Sections! (Normal)",
                "[QXINIFile, TIniFile.ListItemCount] Section not found! (Nope)",
            }));
}

TEST(IniFile, WritingChangesMemory) {
  auto ini = Ini("[A]\nk=1\nK=2\nm=3\n[*L]\nx\n");
  test::TCapturedLog log;
  ini->WriteString("A", "k", "9");  // replaces the first line of the key
  ini->WriteString("A", "n", "4");
  ini->WriteString("A", "m", "");   // deletes
  ini->WriteString("B", "z", "5");  // new normal section
  ini->WriteString("L", "z", "5");  // refused on a list
  ini->WriteString("", "z", "5");
  ini->WriteString("A", "", "5");
  EXPECT_EQ(Lines(*ini, 0), (std::vector<std::string>{"k=9", "K=2", "n=4"}));
  EXPECT_EQ(ini->ReadString("B", "z", ""), "5");
  EXPECT_EQ(Lines(*ini, 1), (std::vector<std::string>{"x"}));

  ini->WriteListItem("L", "y");
  ini->WriteListItem("M", "first");
  ini->WriteListItem("A", "no");
  ini->WriteListItem("", "no");
  ini->WriteListItem("L", "");
  EXPECT_EQ(ini->ListItemCount("L"), 2);
  EXPECT_EQ(ini->ReadListItem("M", 0), "first");
  EXPECT_EQ(ini->SectionType("M"), 1);

  ini->CopySection("L", "L2");
  ini->CopySection("A", "A2");
  ini->CopySection("Missing", "X");
  EXPECT_EQ(ini->ListItemCount("L2"), 2);
  EXPECT_EQ(ini->ReadString("A2", "n", ""), "4");
  EXPECT_EQ(ini->SectionType("X"), -1);

  EXPECT_EQ(log.Lines(),
            (std::vector<std::string>{
                "[QXINIFile, TIniFile.WriteString] WriteString is not allowed on List type Sections!",
                "[QXINIFile, TIniFile.WriteString] Section: L, Key: z, Value: 5",
                "[QXINIFile, TIniFile.WriteListItem] WriteListItem is not allowed on Normal type Sections!",
                "[QXINIFile, TIniFile.WriteListItem] Section: A, Item: no",
                "[QXINIFile, TIniFile.WriteListItem] Section not found!",
                "[QXINIFile, TIniFile.WriteListItem] Section: , Item: no",
                "[QXINIFile, TIniFile.WriteListItem] Section not found!",
                "[QXINIFile, TIniFile.WriteListItem] Section: L, Item: ",
            }));
}

TEST(IniFile, EmptyValueDeletesTheFirstLineOfTheKeyInAListSectionToo) {
  auto ini = Ini("[*Objects]\nBee\nAnt\nbee\nPos=3\n");
  test::TCapturedLog log;
  ini->WriteString("Objects", "BEE", "");  // keys are compared ignoring case
  EXPECT_EQ(Lines(*ini, 0), (std::vector<std::string>{"Ant", "bee", "Pos=3"}));
  ini->WriteString("Objects", "pos", "");   // an item's key ends at its first "="
  ini->WriteString("Objects", "Wasp", "");  // no such line: nothing changes
  EXPECT_EQ(Lines(*ini, 0), (std::vector<std::string>{"Ant", "bee"}));
  EXPECT_TRUE(log.Lines().empty());
}

TEST(IniFile, FileBackedIniIsWrittenBackWithoutComments) {
  test::TTempDir dir;
  std::string name = dir.File("objects.ini");
  test::WriteFileText(name, "; comment\r\nignored\r\n[Info]\r\nLooped\r\n[*Objects]\r\nbee\r\n\r\n");
  {
    TOpenerScope opener;  // a fresh opener each time: its cache would serve the old text
    TIniFile ini(name, false);
    EXPECT_EQ(ini.FileName(), name);
    ini.WriteListItem("Objects", "ant");  // no write yet
    EXPECT_EQ(test::ReadFileText(name).substr(0, 9), "; comment");
  }
  EXPECT_EQ(test::ReadFileText(name), "[Info]\r\nLooped=1\r\n\r\n[*Objects]\r\nbee\r\nant\r\n\r\n");
  {
    TOpenerScope opener;
    TIniFile ini(name, false);
    ini.WriteString("Info", "Speed", "2");  // writes at once
    EXPECT_EQ(test::ReadFileText(name), "[Info]\r\nLooped=1\r\nSpeed=2\r\n\r\n[*Objects]\r\nbee\r\nant\r\n\r\n");
  }
  {
    TOpenerScope opener;
    TIniFile ini(name, true);  // read-only: never written
    EXPECT_EQ(ini.FileName(), "");
    ini.WriteString("Info", "Speed", "3");
    EXPECT_EQ(ini.ReadInteger("Info", "Speed", 0), 3);
  }
  EXPECT_NE(test::ReadFileText(name).find("Speed=2"), std::string::npos);
}

TEST(IniFile, MissingFileRaisesTheOpenerError) {
  TOpenerScope opener;
  try {
    TIniFile ini("/nonexistent/none.ini", true);
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "OpenStream failed: /nonexistent/none.ini");
  }
}

TEST(IniFile, UnwritableFileIsLoggedOnDestruction) {
  test::TTempDir dir;
  TOpenerScope opener;
  std::string name = dir.File("a.ini");
  test::WriteFileText(name, "[A]\nk=1\n");
  test::TCapturedLog log;
  {
    auto ini = std::make_unique<TIniFile>(name, false);
    std::filesystem::remove(name);
    std::filesystem::create_directory(name);  // now a folder: the write fails
  }
  bool logged = false;
  for (const std::string& line : log.Lines()) logged |= line.rfind("{QXINIFile, TIniFile.Destroy}", 0) == 0;
  EXPECT_TRUE(logged);
}

TEST(IniFile, LoadsFromTheStreamPositionAndSurvivesJunk) {
  TMemoryStream stream(std::string("garbage[X]\n[Y]\nk=v"));
  stream.SetPosition(11);
  TIniFile ini(stream);
  ASSERT_EQ(ini.Sections().size(), 1u);
  EXPECT_EQ(ini.ReadString("Y", "k", ""), "v");  // the last line needs no line end

  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += char((i * 131 + 7) % 256);
  junk += "[x]\n\r\r\n[*\n[*]]\n" + std::string(100000, '[');
  EXPECT_NO_THROW(Ini(junk));
  auto empty = Ini("");
  EXPECT_TRUE(empty->Sections().empty());
}

}  // namespace
}  // namespace zorbin
