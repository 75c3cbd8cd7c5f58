// Replacing a file: a writer killed at any step leaves the old file or the
// new one whole, and never writes over a file named in another case.
#include "util/FileReplacer.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>

namespace zorbin {
namespace {

std::vector<uint8_t> ReplacementBytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

TEST(FileReplacer, AWriterKilledAtAnyStepLeavesTheOldOrTheNewFileWhole) {
  const std::string oldText(5000, 'o');
  const std::string newText(7000, 'n');
  for (TReplaceStep killAt :
       {TReplaceStep::TempCreated, TReplaceStep::TempHalfWritten, TReplaceStep::TempSynced, TReplaceStep::Renamed}) {
    test::TTempDir dir;
    std::string path = dir.File("map00.mpt");
    test::WriteFileText(path, oldText);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::string error;
      ReplaceFile(path, ReplacementBytes(newText), error, [killAt](TReplaceStep step) {
        if (step == killAt) _exit(9);
      });
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 9) << int(killAt);
    std::string left = test::ReadFileText(path);
    EXPECT_EQ(left, killAt == TReplaceStep::Renamed ? newText : oldText) << int(killAt);
  }
}

TEST(FileReplacer, WritesUnderTheExactNameAndReportsAFolderItCannotWriteIn) {
  test::TTempDir dir;
  test::WriteFileText(dir.File("Keep.OUT"), "old");
  std::string error;
  ASSERT_TRUE(ReplaceFile(dir.File("keep.out"), ReplacementBytes("new"), error)) << error;
  EXPECT_EQ(test::ReadFileText(dir.File("Keep.OUT")), "old");
  EXPECT_EQ(test::ReadFileText(dir.File("keep.out")), "new");
  EXPECT_FALSE(std::filesystem::exists(dir.File("keep.out.tmp")));
  EXPECT_FALSE(ReplaceFile(dir.File("missing/keep.out"), ReplacementBytes("x"), error));
  EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}

}  // namespace
}  // namespace zorbin
