// Logger: the one diagnostic log every unit writes to. Lines carry a level,
// shown by the brackets around a context string, and a message.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TFileStream;
struct TDiagnostic;

class TLogger {
 public:
  // Opens the log file as the command-line switches choose; a file that
  // cannot be opened leaves the log inactive.
  TLogger(const std::string& fileName, bool append);
  ~TLogger();
  TLogger(const TLogger&) = delete;
  TLogger& operator=(const TLogger&) = delete;

  void Status(const std::string& message, const std::string& context);
  // Reports of no particular kind (Diagnostics): every receiver hears them,
  // and the global log writes their lines.
  void Warning(const std::string& message, const std::string& context);
  void Error(const std::string& message, const std::string& context);
  void Debug(const std::string& message, const std::string& context);
  void Header(const std::string& message, const std::string& context);
  void Trace(const std::string& message);
  void Trace(long long value);
  void WriteLn(const std::string& text);
  void Write(const std::string& text);
  void SetLevels(const std::string& letters);
  // The line of a report, at the level of its severity: the log's part as a
  // diagnostics receiver.
  void WriteReport(const TDiagnostic& diagnostic);

  // Context filter: include patterns and, starting with "-", exclude ones.
  void AddFilter(const std::string& pattern);
  bool ContextPasses(const std::string& context) const;

  bool Active() const { return active_; }
  // Whether Debug lines are written: callers skip building their text when
  // not.
  bool DebugOn() const { return active_ && debugEnabled_; }
  void SetEcho(bool echo) { echo_ = echo; }
  const std::string& FileName() const { return fileName_; }
  // The message of the last Error line, logged or not: what a program that
  // ends with a failure tells on its terminal.
  const std::string& LastError() const { return lastError_; }
  const std::string& ExeName() const { return exeName_; }
  const std::string& ExeDir() const { return exeDir_; }

 private:
  void Put(const std::string& line, const std::string& echoText);

  std::unique_ptr<TFileStream> stream_;
  std::string exeName_;
  std::string exeDir_;
  std::string fileName_;
  bool active_ = false;
  bool echo_ = false;
  bool errorEnabled_ = false;
  bool warningEnabled_ = false;
  bool statusEnabled_ = false;
  bool debugEnabled_ = false;
  std::vector<std::string> filter_;
  std::string lastError_;
};

// Case-insensitive match with one "*" at the start or end of the pattern.
bool LogPatternMatches(const std::string& pattern, const std::string& context);

// "Starting Application." with the date and time, the legend and the log's
// own "uses" line; and the closing line.
void LogStartApplication();
void LogTerminateApplication();

extern std::unique_ptr<TLogger> Log;

}  // namespace zorbin
