// MAD4MidLevelTest: the archive file layer: names, links, versions, torn files and removal.
#include "storage/CompressorUnit.h"
#include "storage/MAD4MidLevelUnit.h"
#include "util/Streams.h"

#include "TestSupport.h"
#include "storage/MAD4TestArchives.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

using test::Archive;
using test::Chunk;
using test::Named;
using test::NullChunk;
using test::ReadFileText;
using test::U32;
using test::WriteFileText;

std::string Content(std::unique_ptr<TMemoryStream> s) {
  if (!s) return "<none>";
  auto bytes = s->ReadAll();
  return std::string(bytes.begin(), bytes.end());
}

std::string Zlib(const std::string& text) {
  auto block = TCompressor::Compress(std::vector<uint8_t>(text.begin(), text.end()), kFlagZlib);
  return std::string(block.begin(), block.end());
}

TEST(MAD4MidLevel, NamesAreFoundIgnoringCaseButNotSeparators) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  WriteFileText(file, Archive(Chunk("COMP", Named("Map_A\\objects.ini", Zlib("[Objects]\r\n"))) +
                              Chunk("RAWD", Named("Map_A\\OBJECTS.INI", "second")) + NullChunk(3)));
  TMAD4MidLevel a;
  a.Mount(file, true);
  ASSERT_EQ(a.State(), 0);
  ASSERT_EQ(a.FileCount(), 2);
  EXPECT_EQ(a.FindFile("map_a\\OBJECTS.INI"), 0);  // the one nearer the start wins
  EXPECT_EQ(a.FindFile("Map_A/objects.ini"), -1);
  EXPECT_FALSE(a.FileExists("objects.ini"));
  EXPECT_EQ(Content(a.OpenFile("MAP_A\\objects.ini")), "[Objects]\r\n");
  EXPECT_EQ(Content(a.OpenFile("Map_A/objects.ini")), "<none>");

  const TMAD4FileData& f = *a.FileAt(0);
  EXPECT_EQ(f.Name, "Map_A\\objects.ini");
  EXPECT_EQ(f.ChunkStart, 8);
  EXPECT_EQ(f.DataPos, 8 + 8 + 1 + 17);
  EXPECT_EQ(f.DataSize, Zlib("[Objects]\r\n").size());
  EXPECT_EQ(f.Link, 0);
  EXPECT_EQ(a.FileAt(2), nullptr);
  EXPECT_EQ(a.FindFileByChunk(8), 0);
  EXPECT_EQ(a.FindFileByChunk(9), -1);
}

TEST(MAD4MidLevel, LinksVersionsAndEmptyFiles) {
  test::TTempDir dir;
  std::string file = dir.File("host.exe");
  // Appended to a host: a link's offset counts from the archive start.
  std::string host(50, 'h');
  std::string a = Chunk("RAWD", Named("a.tga", "AAAA"));     // archive offset 8
  std::string link = Chunk("LINK", Named("b.tga", U32(8)));  // 8 + 18 = 26
  std::string linkToLink = Chunk("LINK", Named("c.tga", U32(26)));
  std::string broken = Chunk("LINK", Named("d.tga", U32(3)));
  std::string version = Chunk("FVER", Named("1.0", "") + Named("build 7", ""));
  std::string empty = Chunk("RAWD", Named("empty", ""));
  WriteFileText(file, host + Archive(a + link + linkToLink + broken + version + empty));
  TMAD4MidLevel m;
  m.Mount(file, true);
  ASSERT_EQ(m.Base(), 50);
  ASSERT_EQ(m.FileCount(), 6);
  EXPECT_EQ(m.FileAt(1)->Link, 58);
  EXPECT_EQ(Content(m.OpenFile("B.TGA")), "AAAA");
  EXPECT_EQ(Content(m.OpenFile("c.tga")), "<none>");  // a link is followed once
  EXPECT_EQ(Content(m.OpenFile("d.tga")), "<none>");

  EXPECT_TRUE(m.FileExists("*V"));
  EXPECT_EQ(Content(m.OpenFile("*V")), "<none>");
  EXPECT_EQ(m.Version1(), "1.0");
  EXPECT_EQ(m.Version2(), "build 7");
  const TMAD4FileData& v = *m.FileAt(m.FindFile("*V"));
  EXPECT_EQ(v.DataPos, v.ChunkStart);
  EXPECT_EQ(v.DataSize, 3u + 7u + 2u);

  auto e = m.OpenFile("empty");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->Size(), 0);
}

TEST(MAD4MidLevel, NamesPastThePayloadEndAreSkipped) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  std::string chunks = Chunk("COMP", "") +                                // no length byte
                       Chunk("RAWD", std::string(1, char(200)) + "ab") +  // name longer than the payload
                       Chunk("LINK", Named("l", "12")) +                  // offset cut short
                       Chunk("FVER", Named("v", "") + "\x05") +           // second text missing
                       Chunk("RAWD", Named("ok", "fine"));
  WriteFileText(file, Archive(chunks));
  test::TCapturedLog log;
  TMAD4MidLevel a;
  a.Mount(file, true);
  ASSERT_EQ(a.FileCount(), 1);
  EXPECT_EQ(a.FileAt(0)->Name, "ok");
  EXPECT_EQ(Content(a.OpenFile("ok")), "fine");
  EXPECT_FALSE(a.FileExists("*V"));
  EXPECT_TRUE(log.Contains("[MAD4MidLevelUnit, TMAD4MidLevel.Mount] Broken file chunk skipped: COMP (start: 8)"));
  EXPECT_TRUE(log.Contains("[MAD4MidLevelUnit, TMAD4MidLevel.Mount] Broken file chunk skipped: FVER (start: 39)"));
}

TEST(MAD4MidLevel, TornAndCorruptFilesGiveNothingOrRaise) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  // The last chunk claims 1000 bytes; the file ends after 6.
  WriteFileText(file,
                "MAD4" + U32(0) + Chunk("COMP", Named("bad", "\x40xyz")) + "RAWD" + U32(1000) + Named("torn", "x"));
  TMAD4MidLevel a;
  a.Mount(file, true);
  ASSERT_EQ(a.FileCount(), 2);
  EXPECT_EQ(a.FileAt(1)->DataSize, 1000u - 5u);
  EXPECT_EQ(Content(a.OpenFile("torn")), "<none>");
  EXPECT_THROW(a.OpenFile("bad"), ECompressionError);
}

TEST(MAD4MidLevel, RemoveFileFreesItsChunkAndLinksBreak) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  std::string a = Chunk("RAWD", Named("a", "AAAA"));
  std::string rest = Chunk("LINK", Named("b", U32(8))) + Chunk("RAWD", Named("c", "C"));
  WriteFileText(file, Archive(a + rest));
  {
    TMAD4MidLevel m;
    m.Mount(file, false);
    EXPECT_FALSE(m.RemoveFile("zzz"));
    EXPECT_TRUE(m.RemoveFile("A"));
    EXPECT_FALSE(m.FileExists("a"));
    EXPECT_EQ(Content(m.OpenFile("b")), "<none>");
    m.Unmount();
    EXPECT_EQ(m.FileCount(), 0);
  }
  EXPECT_EQ(ReadFileText(file), Archive(NullChunk(6) + rest));
  TMAD4MidLevel m;
  m.Mount(file, true);
  EXPECT_FALSE(m.RemoveFile("c"));  // read-only
  EXPECT_EQ(m.FileCount(), 2);
}

TEST(MAD4MidLevel, ManySmallAndLargeChunksMountAndOpenAcrossReadWindows) {
  // Small files packed closely, payloads larger than a read window and
  // names that straddle window edges; the last chunk is cut off by the end
  // of the file.
  test::TTempDir dir;
  std::string file = dir.File("many.mad");
  std::string chunks;
  std::vector<std::pair<std::string, std::string>> expected;
  for (int i = 0; i < 1500; ++i) {
    std::string name = "Map_" + std::string(1, char('A' + i % 12)) + "\\file" + std::to_string(i) + ".ini";
    std::string body(size_t(i % 97 == 0 ? 70000 + i : 20 + i % 50), char('a' + i % 26));
    chunks += Chunk("RAWD", Named(name, body));
    if (i % 5 == 0) chunks += NullChunk(uint32_t(i % 7));
    expected.push_back({name, body});
  }
  WriteFileText(file, Archive(chunks, false) + "RAWD" + U32(500) + Named("torn", "xy"));
  TMAD4MidLevel a;
  a.Mount(file, true);
  ASSERT_EQ(a.State(), 0);
  ASSERT_EQ(a.FileCount(), 1501);
  for (const auto& [name, body] : expected) ASSERT_EQ(Content(a.OpenFile(name)), body) << name;
  EXPECT_EQ(Content(a.OpenFile("torn")), "<none>");
  // Backwards, so every read lands outside the window the last one left.
  for (auto it = expected.rbegin(); it != expected.rend(); ++it) ASSERT_EQ(Content(a.OpenFile(it->first)), it->second);
}

TEST(MAD4MidLevel, FilePayloadRefusesLongNames) {
  auto p = TMAD4MidLevel::FilePayload("ab", {'x'});
  EXPECT_EQ(std::string(p.begin(), p.end()),
            "\x02"
            "abx");
  EXPECT_NO_THROW(TMAD4MidLevel::FilePayload(std::string(255, 'n'), {}));
  EXPECT_THROW(TMAD4MidLevel::FilePayload(std::string(256, 'n'), {}), std::invalid_argument);
}

}  // namespace
}  // namespace zorbin
