// QXStreamTest: the stream opener: name resolution, cache, disk over archive, missing names, ".ZL" files
// and files held in memory.
#include "storage/ArchiveVolumes.h"
#include "storage/CompressorUnit.h"
#include "storage/MyZStreamUnit.h"
#include "storage/QXStream.h"
#include "util/Streams.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace zorbin {
namespace {

// Archive volumes held in memory, recording what the opener asked.
class FakeVolumes : public TArchiveVolumes {
 public:
  void Mount(const std::string& fileName, int priority, bool readOnly) override {
    mounted.push_back(fileName + ":" + std::to_string(priority) + (readOnly ? ":ro" : ":rw"));
  }
  void Unmount(const std::string& fileName) override { unmounted.push_back(fileName); }
  bool IsExists(const std::string& name) override { return files.count(name) > 0; }
  std::unique_ptr<TStream> OpenFile(const std::string& name) override {
    ++opens;
    return std::make_unique<TMemoryStream>(files.at(name));
  }
  std::map<std::string, std::string> files;
  std::vector<std::string> mounted, unmounted;
  int opens = 0;
};

std::string Content(TStream& s) {
  auto bytes = s.ReadAll();
  return std::string(bytes.begin(), bytes.end());
}

TEST(StreamOpener, ResolveName) {
  TQXStreamOpener o("/x/", nullptr);
  o.SetCurrentDir("Map_A");
  EXPECT_EQ(o.CurrentDir(), "Map_A\\");
  EXPECT_EQ(o.ResolveName("objects.ini"), "Map_A\\objects.ini");
  EXPECT_EQ(o.ResolveName("..\\common\\player.tga"), "common\\player.tga");
  EXPECT_EQ(o.ResolveName("\\common\\stars.tga"), "common\\stars.tga");
  EXPECT_EQ(o.ResolveName("\\\\server\\x"), "\\\\server\\x");
  o.SetCurrentDir("a\\b\\");
  EXPECT_EQ(o.ResolveName("..\\x"), "a\\x");
  EXPECT_EQ(o.ResolveName("..\\..\\..\\x"), "x");
  o.SetCurrentDir("");
  EXPECT_EQ(o.CurrentDir(), "");
  EXPECT_EQ(o.BaseDir(), "/x/Data\\");
}

TEST(StreamOpener, CacheServesSecondOpenAndEvictsLeastRecentlyUsed) {
  FakeVolumes volumes;
  for (int i = 0; i < 70; ++i) volumes.files["f" + std::to_string(i)] = "data" + std::to_string(i);
  TQXStreamOpener o("/nonexistent/", &volumes);
  test::TCapturedLog log;
  auto a = o.OpenStream("f0");
  EXPECT_EQ(Content(*a), "data0");
  auto lines = log.Lines();
  auto b = o.OpenStream("F0");  // a cache hit ignores letter case
  EXPECT_EQ(Content(*b), "data0");
  EXPECT_EQ(volumes.opens, 1);
  auto after = log.Lines();
  ASSERT_EQ(after.size(), lines.size() + 2);
  EXPECT_EQ(after.back(), "<QXStream, TQXStreamOpener.OpenStream> Check in cache (F0)");

  for (int i = 1; i < 65; ++i) o.OpenStream("f" + std::to_string(i));
  EXPECT_EQ(o.CacheCount(), 65);
  o.OpenStream("f0");   // fresh use: f1 is now the oldest
  o.OpenStream("f65");  // evicts f1
  EXPECT_EQ(o.CacheCount(), 65);
  EXPECT_EQ(o.CacheNames().front(), "f2");
  int before = volumes.opens;
  o.OpenStream("f0");
  EXPECT_EQ(volumes.opens, before);
  o.OpenStream("f1");
  EXPECT_EQ(volumes.opens, before + 1);
}

TEST(StreamOpener, DiskOverridesBaseDirOverridesArchive) {
  test::TTempDir exe, work;
  std::filesystem::create_directories(exe.Path() + "Data");
  FakeVolumes volumes;
  volumes.files["$main$.ini"] = "archive";
  TQXStreamOpener o(exe.Path(), &volumes);
  auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(work.Path());
  EXPECT_EQ(Content(*TQXStreamOpener(exe.Path(), &volumes).OpenStream("$main$.ini")), "archive");
  test::WriteFileText(exe.Path() + "Data/$MAIN$.INI", "base");
  EXPECT_EQ(Content(*TQXStreamOpener(exe.Path(), &volumes).OpenStream("$main$.ini")), "base");
  test::WriteFileText(work.Path() + "$main$.ini", "work");
  EXPECT_EQ(Content(*TQXStreamOpener(exe.Path(), &volumes).OpenStream("$main$.ini")), "work");
  std::filesystem::current_path(cwd);
}

TEST(StreamOpener, MissingNameRaisesWithTheNameAsPassed) {
  FakeVolumes volumes;
  TQXStreamOpener o("/nonexistent/", &volumes);
  o.SetCurrentDir("Map_A");
  test::TCapturedLog log;
  try {
    o.OpenStream("nothing.tga");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "OpenStream failed: nothing.tga");
  }
  EXPECT_TRUE(log.Contains("{QXStream, TQXStreamOpener.OpenStream} Openstream failed: nothing.tga"));
  EXPECT_EQ(o.CacheCount(), 0);
}

TEST(StreamOpener, FileExistsSkipsTheCacheAndMountPassesReadOnly) {
  FakeVolumes volumes;
  volumes.files["Map_A\\objects.ini"] = "x";
  TQXStreamOpener o("/nonexistent/", &volumes);
  o.SetCurrentDir("Map_A");
  EXPECT_TRUE(o.FileExists("objects.ini"));
  o.OpenStream("objects.ini");
  volumes.files.clear();
  EXPECT_FALSE(o.FileExists("objects.ini"));
  EXPECT_EQ(Content(*o.OpenStream("objects.ini")), "x");
  o.MountArchive("pack.data", 100);
  o.UnmountArchive("pack.data");
  EXPECT_EQ(volumes.mounted, std::vector<std::string>{"pack.data:100:ro"});
  EXPECT_EQ(volumes.unmounted, std::vector<std::string>{"pack.data"});
}

TEST(StreamOpener, AMemoryFileWinsOverCacheAndArchiveUntilForgotten) {
  FakeVolumes volumes;
  volumes.files["Map_A\\map00.mpt"] = "archive";
  TQXStreamOpener o("/nonexistent/", &volumes);
  o.SetCurrentDir("Map_A");
  EXPECT_EQ(Content(*o.OpenStream("map00.mpt")), "archive");  // now cached too
  o.PutMemoryFile("map00.mpt", {'o', 'n', 'e'});
  o.PutMemoryFile("MAP00.MPT", {'t', 'w', 'o'});  // the same name: replaced
  o.PutMemoryFile("new.mpt", {'n'});
  EXPECT_EQ(Content(*o.OpenStream("map00.mpt")), "two");
  EXPECT_TRUE(o.FileExists("new.mpt"));
  // Bound to the folder it was put in.
  o.SetCurrentDir("Map_B");
  EXPECT_FALSE(o.FileExists("new.mpt"));
  o.SetCurrentDir("Map_A");
  auto held = o.OpenStream("new.mpt");
  held->WriteByte('x');  // a copy: the held file stays
  EXPECT_EQ(Content(*o.OpenStream("new.mpt")), "n");
  o.ForgetMemoryFiles();
  EXPECT_FALSE(o.FileExists("new.mpt"));
  EXPECT_EQ(Content(*o.OpenStream("map00.mpt")), "archive");
}

TEST(StreamOpener, ZLFilesAreInflatedAndCorruptOnesRaise) {
  test::TTempDir dir;
  std::string text(5000, 'z');
  auto packed = DeflateBytes(std::vector<uint8_t>(text.begin(), text.end()), 9);
  test::WriteFileText(dir.File("pic.ZL"), std::string(packed.begin(), packed.end()));
  test::WriteFileText(dir.File("bad.zl"), std::string(packed.begin(), packed.begin() + 10));
  TQXStreamOpener o("/nonexistent/", nullptr);
  EXPECT_EQ(Content(*o.OpenStream(dir.File("pic.ZL"))), text);
  EXPECT_THROW(o.OpenStream(dir.File("bad.zl")), ECompressionError);
  EXPECT_EQ(o.CacheCount(), 1);
}

}  // namespace
}  // namespace zorbin
