// zorbin-tool map and ini, run as scripts run them.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace zorbin {
namespace {

using test::TRun;

TRun RunTool(const test::TTempDir& dir, const std::string& args) {
  std::string command = "cd '" + dir.Path() + "' && '" + std::string(ZORBIN_BIN_DIR) + "/zorbin-tool' " + args +
                        " 2>'" + dir.File("stderr.txt") + "'";
  TRun run = test::RunCommand(command);
  run.err = test::ReadFileText(dir.File("stderr.txt"));
  return run;
}

TEST(MapIniTool, MapPrintsAndSaves) {
  test::TTempDir dir;
  test::WriteFileText(dir.File("map00.mpt"),
                      "MAPT\r\nWI3\r\nHE2\r\nMNTest\r\nMPa b\r\nLW 000a015\r\nEXaplatf[0].tga\r\nXX\r\n");
  TRun run = RunTool(dir, "map map00.mpt --save out.map A");
  EXPECT_EQ(run.code, 0) << run.err;
  // The writer's mode-choice warnings (their texts are the map unit's to
  // check) follow the listing, as the log prints them.
  const size_t warnings = run.out.find("Warning: ");
  EXPECT_NE(warnings, std::string::npos);
  EXPECT_EQ(run.out.substr(0, warnings),
            "last error: OK\n"
            "size: 3x2\n"
            "author: Unknown\n"
            "map name: Test\n"
            "third text: Unknown\n"
            "wraps: 2\n"
            "  32 -> 0\n"
            "  97 -> 15\n"
            "extra lines: 1\n"
            "  aplatf[0].tga\n"
            "logical grid:\n"
            "  15 0 98\n"
            "  0 0 0\n");
  EXPECT_EQ(test::ReadFileText(dir.File("out.map")).substr(0, 6), std::string("MAPB\3\2", 6));

  run = RunTool(dir, "map '" + dir.File("out.map") + "'");  // an absolute path works too
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("  15 0 98\n"), std::string::npos);
  std::filesystem::create_directory(dir.File("Sub"));
  test::WriteFileText(dir.File("Sub/Map01.MPT"), "MAPB\1\1Q");
  run = RunTool(dir, "map sub/map01.mpt");  // "/" and letter case as the game's names
  EXPECT_EQ(run.code, 1);                   // the short file leaves with the read error
  EXPECT_EQ(run.err, "zorbin-tool: Stream read error\n");
}

TEST(MapIniTool, MapFailuresAndRefusals) {
  test::TTempDir dir;
  test::WriteFileText(dir.File("text.txt"), "hello");
  test::WriteFileText(dir.File("q.mpt"), "MAPQ");
  TRun run = RunTool(dir, "map text.txt");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "zorbin-tool: Not an XMAP file!\n");

  run = RunTool(dir, "map q.mpt");
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out.substr(0, 9), "Warning: ");  // the refusal, worded by the map unit
  EXPECT_NE(run.out.find("size: 0x0\n"), std::string::npos);

  run = RunTool(dir, "map missing.mpt");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, "zorbin-tool: OpenStream failed: missing.mpt\n");

  run = RunTool(dir, "map q.mpt --save");
  EXPECT_EQ(run.code, 1);
  run = RunTool(dir, "map q.mpt --archive");
  EXPECT_EQ(run.code, 1);

  // A text too long for a binary map: refused, nothing written.
  test::WriteFileText(dir.File("long.mpt"), "MAPT\r\nWI1\r\nHE1\r\nMN" + std::string(300, 'n') + "\r\nXX\r\n");
  run = RunTool(dir, "map long.mpt --save long.map B");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, "zorbin-tool: map not saved: long.map\n");
  EXPECT_FALSE(test::FileExists(dir.File("long.map")));
  run = RunTool(dir, "map long.mpt --save long.map T --archive none.data");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(test::FileExists(dir.File("long.map")));
}

TEST(MapIniTool, IniPrintsSectionsAsStored) {
  test::TTempDir dir;
  test::WriteFileText(
      dir.File("objects.ini"),
      "; comment\r\n[Info]\r\nLooped\r\nKey = 5\r\n\r\n[*Objects]\r\nbee\r\n\r\nant\r\n\r\n[Info]\r\nx=1\r\n");
  TRun run = RunTool(dir, "ini objects.ini");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "[Info]\n  Looped=1\n  Key = 5\n  x=1\n[*Objects]\n  bee\n  \n  ant\n[Info]\n");

  run = RunTool(dir, "ini nothing.ini");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "zorbin-tool: OpenStream failed: nothing.ini\n");
}

TEST(MapIniTool, EmptyLinesEndingAListTakeNoMemory) {
  // 10 MB of empty lines ending a list: made into items and dropped at the
  // end, they took 600 MB.
  test::TTempDir dir;
  test::WriteFileText(dir.File("blank.ini"), "[*L]\r\nx\r\n\r\n\r\ny\r\n" + std::string(10000000, '\n'));
  int64_t peakKb = 0;
  TRun run = test::RunCommandMeasured(
      "cd '" + dir.Path() + "' && '" + std::string(ZORBIN_BIN_DIR) + "/zorbin-tool' ini blank.ini", peakKb);
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "[*L]\n  x\n  \n  \n  y\n");
  ASSERT_GT(peakKb, 0);
  EXPECT_LT(peakKb, 128 * 1024) << "kB at the peak";
}

}  // namespace
}  // namespace zorbin
