// MAD4LowLevelTest: the archive chunk layer: mounting, trailers, hostile chunks, adding and freeing chunks.
#include "storage/MAD4LowLevelUnit.h"
#include "util/Streams.h"

#include "TestSupport.h"
#include "storage/MAD4TestArchives.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zorbin {
namespace {

using namespace std::string_literals;

using test::Archive;
using test::Chunk;
using test::NullChunk;
using test::ReadFileText;
using test::U32;
using test::WriteFileText;

const std::string kAddLog = "<MAD4LowLevelUnit, TMAD4LowLevel.Add> ";

struct ChunkView {
  std::string tag;
  int64_t start;
  uint32_t size;
  bool operator==(const ChunkView&) const = default;
};

std::vector<ChunkView> ChunksOf(const TMAD4LowLevel& a) {
  std::vector<ChunkView> out;
  for (int i = 0; i < a.ChunkCount(); ++i)
    out.push_back({FourCCText(a.ChunkAt(i)->FourCC), a.ChunkAt(i)->Start, a.ChunkAt(i)->Size});
  return out;
}

std::vector<ChunkView> MountedChunks(const std::string& file) {
  TMAD4LowLevel a;
  a.Mount(file, true);
  return ChunksOf(a);
}

int CountLines(const test::TCapturedLog& log, const std::string& line) {
  auto lines = log.Lines();
  return int(std::count(lines.begin(), lines.end(), line));
}

TEST(MAD4LowLevel, MissingFileBecomesEmptyTwentyByteArchive) {
  test::TTempDir dir;
  for (bool readOnly : {false, true}) {
    std::string file = dir.File(readOnly ? "ro.mad" : "rw.mad");
    TMAD4LowLevel a;
    EXPECT_EQ(a.State(), -1);
    a.Mount(file, readOnly);
    EXPECT_EQ(a.State(), 0);
    EXPECT_TRUE(a.Mounted());
    EXPECT_EQ(ChunksOf(a), (std::vector<ChunkView>{{"ENDS", 8, 4}}));
    a.Unmount();
    EXPECT_EQ(a.State(), -1);
    EXPECT_EQ(ReadFileText(file), "MAD4" + U32(12) + "ENDS" + U32(4) + U32(20));
  }
}

TEST(MAD4LowLevel, MountLogsModeAndEveryChunk) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  WriteFileText(file, Archive(Chunk("RAWD", "xyz")));
  test::TCapturedLog log;
  TMAD4LowLevel a;
  a.Mount(file, true);
  EXPECT_TRUE(log.Contains("<MAD4LowLevelUnit, TMAD4LowLevel.Mount> Mounting file: " + file));
  EXPECT_TRUE(log.Contains("<MAD4LowLevelUnit, TMAD4LowLevel.Mount> Mode: Read-only"));
  EXPECT_TRUE(log.Contains("<MAD4LowLevelUnit, TMAD4LowLevel.ReadChunkData> Chunk found: RAWD (start: 8, size: 3)"));
  EXPECT_TRUE(log.Contains("<MAD4LowLevelUnit, TMAD4LowLevel.ReadChunkData> Chunk found: ENDS (start: 19, size: 4)"));
  EXPECT_EQ(a.ChunkKey(0), "        8");
  EXPECT_EQ(a.ChunkKey(1), "       19");
  EXPECT_EQ(a.ChunkIndexByStart(19), 1);
  EXPECT_EQ(a.ChunkIndexByStart(20), -1);
  EXPECT_EQ(a.ChunkAt(2), nullptr);
  EXPECT_EQ(a.ChunkAt(-1), nullptr);

  uint32_t size = 0;
  auto payload = a.OpenChunkStream(8, size);
  ASSERT_TRUE(payload);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(payload->ReadByte(), 'x');
  EXPECT_EQ(a.OpenChunkStream(9, size), nullptr);
}

TEST(MAD4LowLevel, AppendedArchiveIsFoundThroughTrailer) {
  test::TTempDir dir;
  std::string file = dir.File("host.exe");
  std::string host(1000, 'H');
  std::string archive = Archive(Chunk("COMP", "abc") + Chunk("COMP", "defg"));
  WriteFileText(file, host + archive);
  TMAD4LowLevel a;
  a.Mount(file, true);
  ASSERT_EQ(a.State(), 0);
  EXPECT_EQ(a.Base(), 1000);
  EXPECT_FALSE(a.IsMADU());
  EXPECT_EQ(ChunksOf(a), (std::vector<ChunkView>{{"COMP", 1008, 3}, {"COMP", 1019, 4}, {"ENDS", 1031, 4}}));
  a.Unmount();
  EXPECT_EQ(ReadFileText(file), host + archive);
}

TEST(MAD4LowLevel, TrailerLengthDecidesWhereTheArchiveStarts) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  std::string chunks = Chunk("RAWD", "data");
  // L past the file size: read from position 0.
  WriteFileText(file, "MADU" + U32(0) + chunks + "ENDS" + U32(4) + U32(0xFFFFFFFF));
  {
    TMAD4LowLevel a;
    a.Mount(file, true);
    EXPECT_EQ(a.State(), 0);
    EXPECT_TRUE(a.IsMADU());
    EXPECT_EQ(a.Base(), 0);
    EXPECT_EQ(a.ChunkCount(), 2);
  }
  // L too small to hold a header (0, 4, 12): the archive start lands inside
  // the trailer, which is not an archive.
  for (uint32_t length : {0u, 4u, 12u}) {
    WriteFileText(file, Archive(chunks, false) + "ENDS" + U32(4) + U32(length));
    test::TCapturedLog log;
    TMAD4LowLevel a;
    a.Mount(file, true);
    EXPECT_EQ(a.State(), 2) << length;
    EXPECT_EQ(CountLines(log, "{MAD4LowLevelUnit, TMAD4LowLevel.Mount} Not a MAD4 file!"), 1);
  }
  // "ENDS" with a size other than 4 in the last 12 bytes is no trailer.
  WriteFileText(file, Archive(Chunk("RAWD", "ENDS" + U32(5) + U32(0)), false));
  TMAD4LowLevel a;
  a.Mount(file, true);
  EXPECT_EQ(a.State(), 0);
  EXPECT_EQ(a.Base(), 0);
  EXPECT_EQ(ChunksOf(a), (std::vector<ChunkView>{{"RAWD", 8, 12}}));
}

TEST(MAD4LowLevel, WrongMagicShortAndEmptyFilesAreNotArchives) {
  test::TTempDir dir;
  std::string file = dir.File("x");
  for (std::string content : {"MZ\x90\0 this is a program"s, ""s, "MAD4"s, "MAD4\x01\x02"s}) {
    WriteFileText(file, content);
    test::TCapturedLog log;
    TMAD4LowLevel a;
    a.Mount(file, false);
    EXPECT_EQ(a.State(), 2);
    EXPECT_FALSE(a.Mounted());
    EXPECT_EQ(CountLines(log, "{MAD4LowLevelUnit, TMAD4LowLevel.Mount} Not a MAD4 file!"), 1);
    a.Unmount();
    EXPECT_EQ(ReadFileText(file), content);
  }
}

TEST(MAD4LowLevel, HostileChunkSizesEndTheScan) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  // 0xFFFFFFF8 + 8 wraps a 32-bit position back onto the same chunk.
  std::string wrapping = "MAD4" + U32(0) + Chunk("RAWD", "ab") + "COMP" + U32(0xFFFFFFF8) + "tail";
  WriteFileText(file, wrapping);
  TMAD4LowLevel a;
  a.Mount(file, true);
  EXPECT_EQ(a.State(), 0);
  EXPECT_EQ(ChunksOf(a), (std::vector<ChunkView>{{"RAWD", 8, 2}, {"COMP", 18, 0xFFFFFFF8}}));
  a.Unmount();
  EXPECT_EQ(ReadFileText(file), wrapping);

  // Seven stray bytes after the last chunk are not a chunk.
  WriteFileText(file, Archive(Chunk("RAWD", "ab"), false) + "1234567");
  EXPECT_EQ(MountedChunks(file), (std::vector<ChunkView>{{"RAWD", 8, 2}}));

  // Eight are: an empty chunk whose header ends exactly at the end of the file.
  WriteFileText(file, Archive(Chunk("RAWD", "ab") + Chunk("NULL", ""), false));
  EXPECT_EQ(MountedChunks(file), (std::vector<ChunkView>{{"RAWD", 8, 2}, {"NULL", 18, 0}}));
  WriteFileText(file, Archive(Chunk("NULL", ""), false));
  EXPECT_EQ(MountedChunks(file), (std::vector<ChunkView>{{"NULL", 8, 0}}));
}

TEST(MAD4LowLevel, ReadOnlyMountNeverChangesTheFile) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  // No trailer, a wrong header length and free neighbours: everything a
  // read/write unmount would mend.
  std::string content = "MAD4" + U32(999) + NullChunk(10) + NullChunk(20) + Chunk("RAWD", "x");
  WriteFileText(file, content);
  test::TCapturedLog log;
  {
    TMAD4LowLevel a;
    a.Mount(file, true);
    TMemoryStream data(std::string("new"));
    EXPECT_EQ(a.Add(MakeFourCC("RAWD"), data), -1);
    EXPECT_FALSE(a.ReleaseChunk(2));
    a.WriteNull(8, 10);
    a.UpdateTrailer();
    a.CombineNulls();
    EXPECT_EQ(a.ChunkCount(), 3);
  }
  EXPECT_EQ(ReadFileText(file), content);
}

TEST(MAD4LowLevel, TrailerlessArchiveGetsTrailerOnReadWriteUnmount) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  std::string chunks = Chunk("RAWD", "hello");
  WriteFileText(file, "MAD4" + U32(0) + chunks);
  TMAD4LowLevel a;
  a.Mount(file, false);
  EXPECT_EQ(a.ChunkCount(), 1);
  a.Unmount();
  std::string expected = "MAD4" + U32(uint32_t(chunks.size() + 12)) + chunks + "ENDS" + U32(4) + U32(33);
  EXPECT_EQ(ReadFileText(file), expected);
  EXPECT_EQ(MountedChunks(file), (std::vector<ChunkView>{{"RAWD", 8, 5}, {"ENDS", 21, 4}}));
}

TEST(MAD4LowLevel, AddReplacesWholeFreeChunkOfEqualSize) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  std::string before = Chunk("RAWD", "a");
  std::string after = Chunk("RAWD", "b");
  WriteFileText(file, Archive(before + NullChunk(100) + after));
  test::TCapturedLog log;
  TMAD4LowLevel a;
  a.Mount(file, false);
  TMemoryStream data(std::string(100, 'D'));
  EXPECT_EQ(a.Add(MakeFourCC("COMP"), data), 17);
  EXPECT_TRUE(log.Contains(kAddLog + "504D4F43"));
  EXPECT_TRUE(log.Contains(kAddLog + "  Replace whole NULL (Start=17, Size=100)"));
  a.Unmount();
  EXPECT_EQ(ReadFileText(file), Archive(before + Chunk("COMP", std::string(100, 'D')) + after));
}

TEST(MAD4LowLevel, AddSplitsLargerFreeChunk) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  std::string after = Chunk("RAWD", "b");
  WriteFileText(file, Archive(NullChunk(120) + after));
  test::TCapturedLog log;
  TMAD4LowLevel a;
  a.Mount(file, false);
  TMemoryStream data(std::string(100, 'D'));
  EXPECT_EQ(a.Add(MakeFourCC("COMP"), data), 8);
  EXPECT_TRUE(log.Contains(kAddLog + "  Overwrite partial NULL (Start=8, Size=100)"));
  EXPECT_TRUE(log.Contains("<MAD4LowLevelUnit, TMAD4LowLevel.WriteNull> Start: 116, Size: 12"));
  EXPECT_EQ(ChunksOf(a),
            (std::vector<ChunkView>{{"COMP", 8, 100}, {"NULL", 116, 12}, {"RAWD", 136, 1}, {"ENDS", 145, 4}}));
  EXPECT_EQ(a.ChunkKey(1), "      116");
  a.Unmount();
  EXPECT_EQ(ReadFileText(file), Archive(Chunk("COMP", std::string(100, 'D')) + NullChunk(12) + after));
}

TEST(MAD4LowLevel, AddPutsChunkAtTheEndWhenNoFreeChunkFits) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  std::string chunks = Chunk("RAWD", "a") + NullChunk(105) + Chunk("RAWD", "b");
  WriteFileText(file, Archive(chunks));
  test::TCapturedLog log;
  TMAD4LowLevel a;
  a.Mount(file, false);
  TMemoryStream data(std::string(100, 'D'));
  int64_t trailerStart = int64_t(8 + chunks.size());
  EXPECT_EQ(a.Add(MakeFourCC("COMP"), data), trailerStart);
  EXPECT_TRUE(log.Contains(kAddLog + "  Put at the end (Start=" + std::to_string(trailerStart) + ", Size=100)"));
  EXPECT_TRUE(log.Contains(kAddLog + "Start=" + std::to_string(trailerStart) +
                           ", Size=100, Streamsize=" + std::to_string(trailerStart + 108)));
  std::string expected = Archive(chunks + Chunk("COMP", std::string(100, 'D')));
  EXPECT_EQ(ReadFileText(file), expected);  // written at once, not only at unmount
  a.Unmount();
  EXPECT_EQ(ReadFileText(file), expected);
}

TEST(MAD4LowLevel, AddAtTheEndCutsTheFileAfterTheNewChunk) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  std::string first = Chunk("RAWD", "a");
  // Free chunks too small for the new one in front of the trailer: 48 bytes
  // to replace with 13.
  WriteFileText(file, Archive(first + NullChunk(4) + NullChunk(4) + NullChunk(4)));
  TMAD4LowLevel a;
  a.Mount(file, false);
  TMemoryStream data(std::string("short"));
  EXPECT_EQ(a.Add(MakeFourCC("RAWD"), data), 17);
  EXPECT_EQ(ChunksOf(a), (std::vector<ChunkView>{{"RAWD", 8, 1}, {"RAWD", 17, 5}, {"ENDS", 30, 4}}));
  a.Unmount();
  EXPECT_EQ(ReadFileText(file), Archive(first + Chunk("RAWD", "short")));
}

TEST(MAD4LowLevel, ChunkEndingLikeATrailerIsKeptWhole) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  WriteFileText(file, Archive(""));
  std::string payload = "data" + std::string("ENDS") + U32(4) + U32(7);
  TMAD4LowLevel a;
  a.Mount(file, false);
  TMemoryStream data(payload);
  EXPECT_EQ(a.Add(MakeFourCC("RAWD"), data), 8);
  a.Unmount();
  EXPECT_EQ(ReadFileText(file), Archive(Chunk("RAWD", payload)));
  EXPECT_EQ(MountedChunks(file), (std::vector<ChunkView>{{"RAWD", 8, 16}, {"ENDS", 32, 4}}));
}

TEST(MAD4LowLevel, InvalidFourCCAndUntypedDataAreRefused) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  std::string content = Archive(NullChunk(4));
  WriteFileText(file, content);
  test::TCapturedLog log;
  TMAD4LowLevel a;
  a.Mount(file, false);
  TMemoryStream data(std::string("abcd"));
  EXPECT_EQ(a.Add(kFourCCNull, data), -1);
  EXPECT_EQ(a.Add(kFourCCEnds, data), -1);
  EXPECT_TRUE(log.Contains("{MAD4LowLevelUnit, TMAD4LowLevel.Add} Invalid FourCC! (4C4C554E)"));
  EXPECT_TRUE(log.Contains("{MAD4LowLevelUnit, TMAD4LowLevel.Add} Invalid FourCC! (53444E45)"));
  EXPECT_EQ(a.Add(kFourCCNull, "abcd", 4), -1);
  EXPECT_EQ(a.Add(MakeFourCC("RAWD"), "abcd", 4), -1);
  EXPECT_TRUE(
      log.Contains("[MAD4LowLevelUnit, TMAD4LowLevel.Add] Add untyped data currently only supported with "
                   "WriteOnly archives!"));
  a.Unmount();
  EXPECT_EQ(ReadFileText(file), content);
}

TEST(MAD4LowLevel, NeighbouringFreeChunksMergeOnUnmount) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  std::string head = Chunk("RAWD", "a");
  std::string tail = Chunk("RAWD", "b");
  WriteFileText(file, Archive(head + NullChunk(10) + NullChunk(20) + NullChunk(30) + tail + NullChunk(3)));
  test::TCapturedLog log;
  {
    TMAD4LowLevel a;
    a.Mount(file, false);
  }  // the destructor unmounts
  EXPECT_TRUE(log.Contains("<MAD4LowLevelUnit, TMAD4LowLevel.CombineNulls> Before combining NULLs"));
  EXPECT_TRUE(log.Contains("<MAD4LowLevelUnit, TMAD4LowLevel.CombineNulls> After combining NULLs"));
  // The merged chunk's old inner headers are zero, so it reads as one free
  // chunk of 76 zero bytes.
  EXPECT_EQ(ReadFileText(file), Archive(head + NullChunk(76) + tail + NullChunk(3)));
  EXPECT_EQ(
      MountedChunks(file),
      (std::vector<ChunkView>{{"RAWD", 8, 1}, {"NULL", 17, 76}, {"RAWD", 101, 1}, {"NULL", 110, 3}, {"ENDS", 121, 4}}));
}

TEST(MAD4LowLevel, TornChunksAreNeverReusedOrWrittenPast) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  // A free chunk claiming more than the file holds, at the end: pass 2 must
  // not zero-fill gigabytes; pass 3 writes over it.
  WriteFileText(file, "MAD4" + U32(0) + Chunk("RAWD", "a") + "NULL" + U32(0x7FFFFFF0) + "zz");
  {
    TMAD4LowLevel a;
    a.Mount(file, false);
    TMemoryStream data(std::string("new"));
    EXPECT_EQ(a.Add(MakeFourCC("RAWD"), data), 17);
  }
  EXPECT_EQ(ReadFileText(file), Archive(Chunk("RAWD", "a") + Chunk("RAWD", "new")));

  // A torn data chunk at the end: adding after it is refused.
  std::string torn = "MAD4" + U32(0) + "COMP" + U32(0xFFFFFF00) + "partial";
  WriteFileText(file, torn);
  test::TCapturedLog log;
  TMAD4LowLevel a;
  a.Mount(file, false);
  TMemoryStream data(std::string("new"));
  EXPECT_EQ(a.Add(MakeFourCC("RAWD"), data), -1);
  EXPECT_TRUE(log.Contains("{MAD4LowLevelUnit, TMAD4LowLevel.Add} Chunk runs past the end of the file! (Start=8)"));
  EXPECT_FALSE(a.ReleaseChunk(0));
  EXPECT_EQ(ReadFileText(file), torn);
}

TEST(MAD4LowLevel, ReadWriteAppendedArchiveKeepsHostAndStaysFindable) {
  test::TTempDir dir;
  std::string file = dir.File("host.exe");
  std::string host = "MZ" + std::string(98, 'h');
  WriteFileText(file, host + Archive(Chunk("RAWD", "a")));
  {
    TMAD4LowLevel a;
    a.Mount(file, false);
    ASSERT_EQ(a.Base(), 100);
    TMemoryStream data(std::string("bb"));
    EXPECT_EQ(a.Add(MakeFourCC("RAWD"), data), 117);
  }
  EXPECT_EQ(ReadFileText(file), host + Archive(Chunk("RAWD", "a") + Chunk("RAWD", "bb")));
  TMAD4LowLevel a;
  a.Mount(file, true);
  EXPECT_EQ(a.Base(), 100);
  EXPECT_EQ(a.ChunkCount(), 3);
}

TEST(MAD4LowLevel, ReleaseChunkAndRemountWithoutUnmount) {
  test::TTempDir dir;
  std::string file = dir.File("a.mad");
  std::string other = dir.File("b.mad");
  WriteFileText(file, Archive(Chunk("RAWD", "abc") + NullChunk(2)));
  WriteFileText(other, Archive(Chunk("COMP", "x")));
  TMAD4LowLevel a;
  a.Mount(file, false);
  EXPECT_FALSE(a.ReleaseChunk(1));  // already free
  EXPECT_FALSE(a.ReleaseChunk(2));  // the trailer
  EXPECT_FALSE(a.ReleaseChunk(3));
  EXPECT_TRUE(a.ReleaseChunk(0));
  a.Mount(other, true);  // unmounts the first archive, merging its free space
  EXPECT_EQ(a.FileName(), other);
  EXPECT_EQ(ChunksOf(a), (std::vector<ChunkView>{{"COMP", 8, 1}, {"ENDS", 17, 4}}));
  EXPECT_EQ(ReadFileText(file), Archive(NullChunk(13)));
}

}  // namespace
}  // namespace zorbin
