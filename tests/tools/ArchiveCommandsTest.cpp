// The archive commands of zorbin-tool, run as the built program.
#include "util/QXToolbox.h"

#include "TestSupport.h"
#include "storage/MAD4TestArchives.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace zorbin {
namespace {

using test::Archive;
using test::Chunk;
using test::Named;
using test::ReadFileText;
using test::SplitLines;
using test::U32;
using test::WriteFileText;

namespace fs = std::filesystem;

using test::TRun;

std::string Q(const std::string& s) { return "'" + s + "'"; }

TRun Tool(const test::TTempDir& dir, const std::string& args) {
  std::string cmd = std::string(ZORBIN_BIN_DIR) + "/zorbin-tool " + args + " >" + Q(dir.File("stdout")) + " 2>" +
                    Q(dir.File("stderr"));
  int status = std::system(cmd.c_str());
  TRun run;
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadFileText(dir.File("stdout"));
  run.err = ReadFileText(dir.File("stderr"));
  return run;
}

void MakeFile(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  WriteFileText(path, text);
}

// A folder of files, with the names the archive gives them in pack order
// (each folder's entries sorted by name bytes).
struct TSource {
  std::vector<std::pair<std::string, std::string>> files = {
      {"Map_A\\objects.ini", "[Objects]\r\nPlayer=1\r\n"},
      {"Map_A\\sub\\deep.bin", std::string("\0\1\2\3\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 24)},
      {"alpha.txt", std::string(300, 'a')},
      {"zeta.txt", ""},
  };
  explicit TSource(const std::string& root) {
    for (const auto& [name, text] : files) {
      std::string path = name;
      std::replace(path.begin(), path.end(), '\\', '/');
      MakeFile(root + "/" + path, text);
    }
  }
};

TEST(ArchiveCommands, PackStoreListChunksCatAndReadOnlyCommandsChangeNothing) {
  test::TTempDir dir;
  TSource source(dir.File("src"));
  std::string archive = dir.File("pack.mad");
  ASSERT_EQ(Tool(dir, "pack " + Q(archive) + " " + Q(dir.File("src")) + " --store").code, 0);

  std::string expectedList, expectedChunks;
  int64_t start = 8;
  for (const auto& [name, text] : source.files) {
    uint32_t payload = uint32_t(1 + name.size() + text.size());
    expectedList += "RAWD\t" + std::to_string(start) + "\t" + std::to_string(text.size()) + "\t--\t" + name + "\n";
    expectedChunks += "RAWD\t" + std::to_string(start) + "\t" + std::to_string(payload) + "\n";
    start += 8 + payload;
  }
  expectedChunks += "ENDS\t" + std::to_string(start) + "\t4\n";
  std::string bytes = ReadFileText(archive);
  EXPECT_EQ(bytes.size(), size_t(start + 12));

  TRun list = Tool(dir, "list " + Q(archive));
  EXPECT_EQ(list.code, 0);
  EXPECT_EQ(list.out, expectedList);
  TRun chunks = Tool(dir, "chunks " + Q(archive));
  EXPECT_EQ(chunks.code, 0);
  EXPECT_EQ(chunks.out, expectedChunks);
  TRun cat = Tool(dir, "cat " + Q(archive) + " map_a/SUB/deep.bin");
  EXPECT_EQ(cat.code, 0);
  EXPECT_EQ(cat.out, source.files[1].second);
  EXPECT_EQ(Tool(dir, "cat " + Q(archive) + " zeta.txt").out, "");
  EXPECT_EQ(Tool(dir, "extract " + Q(archive) + " " + Q(dir.File("out"))).code, 0);
  EXPECT_EQ(ReadFileText(dir.File("out/Map_A/sub/deep.bin")), source.files[1].second);
  EXPECT_EQ(ReadFileText(archive), bytes);
}

TEST(ArchiveCommands, CompressedPacksRoundTrip) {
  test::TTempDir dir;
  TSource source(dir.File("src"));
  for (std::string mode : {"--zlib", "--best", ""}) {
    std::string archive = dir.File("pack" + mode + ".mad");
    ASSERT_EQ(Tool(dir, "pack " + Q(archive) + " " + Q(dir.File("src")) + " " + mode).code, 0) << mode;
    auto lines = SplitLines(Tool(dir, "list " + Q(archive)).out);
    ASSERT_EQ(lines.size(), source.files.size());
    for (size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].substr(0, 5), "COMP\t");
      if (mode == "--zlib") {
        EXPECT_NE(lines[i].find("\t40\t"), std::string::npos) << lines[i];
      }
      EXPECT_EQ(Tool(dir, "cat " + Q(archive) + " " + Q(source.files[i].first)).out, source.files[i].second);
    }
    std::string out = dir.File("out" + mode);
    ASSERT_EQ(Tool(dir, "extract " + Q(archive) + " " + Q(out)).code, 0);
    EXPECT_EQ(ReadFileText(out + "/alpha.txt"), std::string(300, 'a'));
    EXPECT_EQ(ReadFileText(out + "/Map_A/objects.ini"), source.files[0].second);
  }
}

TEST(ArchiveCommands, ExtractRefusesNamesLeavingTheFolder) {
  test::TTempDir dir;
  std::string archive = dir.File("evil.mad");
  std::string good = Chunk("RAWD", Named("good\\f.txt", "first"));  // at 8
  std::string chunks = good + Chunk("RAWD", Named("..\\evil.txt", "x")) + Chunk("RAWD", Named("\\abs.txt", "x")) +
                       Chunk("RAWD", Named("C:\\drive.txt", "x")) + Chunk("RAWD", Named("a\\..\\..\\up.txt", "x")) +
                       Chunk("RAWD", Named("a/../../up2.txt", "x")) + Chunk("LINK", Named("link.txt", U32(8))) +
                       Chunk("FVER", Named("1", "") + Named("2", "")) + Chunk("RAWD", Named("GOOD\\F.TXT", "second"));
  WriteFileText(archive, Archive(chunks));
  std::string bytes = ReadFileText(archive);
  std::string out = dir.File("box/out");
  TRun run = Tool(dir, "extract " + Q(archive) + " " + Q(out));
  EXPECT_EQ(run.code, 1);
  for (std::string name : {"..\\evil.txt", "\\abs.txt", "C:\\drive.txt", "a\\..\\..\\up.txt", "a/../../up2.txt"})
    EXPECT_NE(run.err.find("zorbin-tool: refused, the name leaves the folder: " + name + "\n"), std::string::npos)
        << name;
  EXPECT_EQ(ReadFileText(out + "/good/f.txt"), "first");
  EXPECT_EQ(ReadFileText(out + "/link.txt"), "first");
  std::vector<std::string> written;
  for (const auto& e : fs::recursive_directory_iterator(dir.File("box")))
    if (e.is_regular_file()) written.push_back(fs::relative(e.path(), dir.File("box")).string());
  std::sort(written.begin(), written.end());
  EXPECT_EQ(written, (std::vector<std::string>{"out/good/f.txt", "out/link.txt"}));
  EXPECT_FALSE(fs::exists(dir.File("evil.txt")));
  EXPECT_FALSE(fs::exists("/abs.txt"));

  auto list = SplitLines(Tool(dir, "list " + Q(archive)).out);
  ASSERT_EQ(list.size(), 9u);
  EXPECT_EQ(list[6].substr(0, 5), "LINK\t");
  EXPECT_EQ(list[6].substr(list[6].find('\t', 5)), "\t4\t--\tlink.txt");
  EXPECT_EQ(list[7].substr(list[7].find('\t', 5)), "\t4\t--\t*V");
  EXPECT_EQ(list[7].substr(0, 5), "FVER\t");
  EXPECT_EQ(ReadFileText(archive), bytes);
}

TEST(ArchiveCommands, CatFailuresWriteNothing) {
  test::TTempDir dir;
  std::string archive = dir.File("a.mad");
  WriteFileText(archive, Archive(Chunk("COMP", Named("bad", "\x40garbage")) + Chunk("LINK", Named("l", U32(99))) +
                                 Chunk("RAWD", Named("ok", "fine"))));
  std::string bytes = ReadFileText(archive);
  for (std::string name : {"missing", "bad", "l"}) {
    TRun run = Tool(dir, "cat " + Q(archive) + " " + name);
    EXPECT_EQ(run.code, 1) << name;
    EXPECT_EQ(run.out, "") << name;
    EXPECT_EQ(SplitLines(run.err).size(), 1u) << name;
  }
  EXPECT_EQ(Tool(dir, "extract " + Q(archive) + " " + Q(dir.File("out"))).code, 1);
  EXPECT_EQ(ReadFileText(dir.File("out/ok")), "fine");
  EXPECT_EQ(ReadFileText(archive), bytes);

  WriteFileText(dir.File("text"), "plain text");
  for (std::string cmd : {"list", "chunks", "cat", "extract", "remove"}) {
    std::string extra = cmd == "cat" || cmd == "remove" ? " x" : cmd == "extract" ? " " + Q(dir.File("o")) : "";
    EXPECT_EQ(Tool(dir, cmd + " " + Q(dir.File("text")) + extra).code, 1) << cmd;
    EXPECT_EQ(Tool(dir, cmd + " " + Q(dir.File("none.mad")) + extra).code, 1) << cmd;
  }
  EXPECT_EQ(ReadFileText(dir.File("text")), "plain text");
  EXPECT_FALSE(fs::exists(dir.File("none.mad")));
}

TEST(ArchiveCommands, CatOfAFileClaimingGigabytesTakesNoMemoryForIt) {
  // 142 bytes whose second chunk claims 0xFFFFFFFF bytes: the tool took
  // 4.2 GB for the claim before finding the file torn.
  test::TTempDir dir;
  std::string archive = dir.File("torn.mad");
  WriteFileText(archive, "MAD4" + U32(0) + Chunk("RAWD", Named("a.txt", "small file")) + "RAWD" + U32(0xFFFFFFFF) +
                             Named("big.tga", std::string(94, 'x')));
  ASSERT_EQ(ReadFileText(archive).size(), 142u);
  int64_t peakKb = 0;
  TRun run = test::RunCommandMeasured(
      std::string(ZORBIN_BIN_DIR) + "/zorbin-tool cat " + Q(archive) + " big.tga 2>" + Q(dir.File("stderr")), peakKb);
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(ReadFileText(dir.File("stderr")), "zorbin-tool: not found in the archive: big.tga\n");
  ASSERT_GT(peakKb, 0);
  EXPECT_LT(peakKb, 256 * 1024) << "kB at the peak";
  EXPECT_EQ(Tool(dir, "cat " + Q(archive) + " a.txt").out, "small file");
}

TEST(ArchiveCommands, RemoveAndAddReuseFreeSpace) {
  test::TTempDir dir;
  MakeFile(dir.File("src/a"), "AAAA");
  MakeFile(dir.File("src/b"), "BBBB");
  MakeFile(dir.File("src/c"), "CCCC");
  std::string archive = dir.File("p.mad");
  ASSERT_EQ(Tool(dir, "pack " + Q(archive) + " " + Q(dir.File("src"))).code, 0);
  auto before = SplitLines(Tool(dir, "chunks " + Q(archive)).out);
  ASSERT_EQ(before.size(), 4u);
  std::string bStart = SplitString(before[1], '\t')[1];

  EXPECT_EQ(Tool(dir, "remove " + Q(archive) + " B").code, 0);
  auto after = SplitLines(Tool(dir, "chunks " + Q(archive)).out);
  EXPECT_EQ(after[1].substr(0, 5), "NULL\t");
  EXPECT_EQ(after[1].substr(5), before[1].substr(5));
  EXPECT_EQ(Tool(dir, "cat " + Q(archive) + " b").code, 1);
  EXPECT_EQ(Tool(dir, "remove " + Q(archive) + " b").code, 1);

  // The same content under a one-letter name needs exactly the freed space.
  MakeFile(dir.File("d"), "BBBB");
  EXPECT_EQ(Tool(dir, "add " + Q(archive) + " " + Q(dir.File("d")) + " d").code, 0);
  auto list = SplitLines(Tool(dir, "list " + Q(archive)).out);
  ASSERT_EQ(list.size(), 3u);
  auto fields = SplitString(list[1], '\t');
  ASSERT_EQ(fields.size(), 5u);
  EXPECT_EQ(fields[0], "COMP");
  EXPECT_EQ(fields[1], bStart);
  EXPECT_EQ(fields[4], "d");
  EXPECT_EQ(Tool(dir, "cat " + Q(archive) + " D").out, "BBBB");
  EXPECT_EQ(Tool(dir, "add " + Q(archive) + " " + Q(dir.File("d")) + " D").code, 1);  // already there

  // Two neighbours removed become one free chunk.
  EXPECT_EQ(Tool(dir, "remove " + Q(archive) + " a").code, 0);
  EXPECT_EQ(Tool(dir, "remove " + Q(archive) + " d").code, 0);
  auto merged = SplitLines(Tool(dir, "chunks " + Q(archive)).out);
  ASSERT_EQ(merged.size(), 3u);
  EXPECT_EQ(merged[0].substr(0, 7), "NULL\t8\t");
  EXPECT_EQ(Tool(dir, "cat " + Q(archive) + " c").out, "CCCC");
}

TEST(ArchiveCommands, AppendedArchiveIsFoundAgain) {
  test::TTempDir dir;
  MakeFile(dir.File("src/x.txt"), "payload");
  std::string archive = dir.File("p.mad");
  ASSERT_EQ(Tool(dir, "pack " + Q(archive) + " " + Q(dir.File("src")) + " --store").code, 0);
  std::string host(777, 'H');
  WriteFileText(dir.File("host"), host);
  std::string out = dir.File("game");
  ASSERT_EQ(Tool(dir, "append " + Q(dir.File("host")) + " " + Q(archive) + " " + Q(out)).code, 0);
  EXPECT_EQ(ReadFileText(out), host + ReadFileText(archive));
  EXPECT_EQ(Tool(dir, "list " + Q(out)).out, "RAWD\t785\t7\t--\tx.txt\n");
  EXPECT_EQ(Tool(dir, "cat " + Q(out) + " x.txt").out, "payload");

  // Only an archive ending with its own trailer can be appended.
  WriteFileText(dir.File("bare.mad"), Archive(Chunk("RAWD", Named("y", "")), false));
  TRun run = Tool(dir, "append " + Q(dir.File("host")) + " " + Q(dir.File("bare.mad")) + " " + Q(dir.File("o2")));
  EXPECT_EQ(run.code, 1);
  EXPECT_FALSE(fs::exists(dir.File("o2")));
}

}  // namespace
}  // namespace zorbin
