// DiagnosticsTest: reports reach every receiver, and the log writes each as the line it always wrote.
#include "log/Diagnostics.h"
#include "log/Logger.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

using test::TRecordedReports;

TEST(Diagnostics, TheLogWritesEachReportAsItsLineAndEveryReceiverHearsIt) {
  test::TCapturedLog log;
  std::vector<std::string> heard;
  {
    TRecordedReports reports;
    Report({.Kind = TDiagnosticKind::MissingPicture,
            .Message = "Crater image not found. (x.tga)",
            .Context = "Volcano",
            .File = "x.tga",
            .Object = "Hill"});
    Report({.Kind = TDiagnosticKind::BadValue,
            .Severity = TSeverity::Warning,
            .Message = "Steps out of range",
            .Context = "Box",
            .Object = "Fountain",
            .Key = "Steps",
            .Line = 7});
    Report({.Kind = TDiagnosticKind::Loading, .Severity = TSeverity::Note, .Message = "LoadImage(y)", .Context = "I"});
    // The log's own levels are reports of no particular kind.
    Log->Warning("Section not found! (S)", "INI");
    Log->Error("Unknown file extension! (Q)", "Raw");
    ASSERT_EQ(reports.All.size(), 5u);
    EXPECT_EQ(reports.All[0].Object, "Hill");
    EXPECT_EQ(reports.All[1].Line, 7);
    EXPECT_EQ(reports.All[3].Kind, TDiagnosticKind::Other);
    EXPECT_EQ(reports.All[3].Severity, TSeverity::Warning);
    EXPECT_EQ(reports.All[4].Context, "Raw");
  }
  // Gone with its scope: no longer told.
  Log->Error("after", "C");
  EXPECT_EQ(log.Lines(),
            (std::vector<std::string>{"{Volcano} Crater image not found. (x.tga)", "[Box] Steps out of range",
                                      "<I> LoadImage(y)", "[INI] Section not found! (S)",
                                      "{Raw} Unknown file extension! (Q)", "{C} after"}));
  EXPECT_EQ(Log->LastError(), "after");
}

// The pack checker runs with the log off: it still hears every report,
// whatever the levels and the filter leave out of the file.
TEST(Diagnostics, ReceiversHearWhatTheLogLeavesOut) {
  test::TCapturedLog log;
  Log->SetLevels("E");
  Log->AddFilter("-Hidden*");
  TRecordedReports reports;
  Log->Warning("skipped", "Hidden, here");
  Report({.Kind = TDiagnosticKind::Loading, .Severity = TSeverity::Note, .Message = "LoadImage(z)", .Context = "I"});
  Log->Error("kept", "Hidden, there");
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"{Hidden, there} kept"}));
  ASSERT_EQ(reports.All.size(), 3u);
  EXPECT_EQ(reports.All[0].Message, "skipped");
}

}  // namespace
}  // namespace zorbin
