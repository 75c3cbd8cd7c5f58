// Logger: the diagnostic log file and its switches.
#include "log/Logger.h"

#include "log/Diagnostics.h"
#include "log/ParametersUnit.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"
#include "util/UserFolders.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

namespace zorbin {

std::unique_ptr<TLogger> Log;

TLogger::TLogger(const std::string& fileName, bool append) {
  std::string programPath = Parameters ? Parameters->Get(0) : std::string();
  exeName_ = ExtractFileName(programPath);
  exeDir_ = ExtractFilePath(programPath);
  if (Parameters && Parameters->IndexOf("nolog", true) >= 0) return;
  if (Parameters && Parameters->IndexOf("waitlog", true) >= 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  if (Parameters && Parameters->IndexOf("appendlog", true) >= 0) append = true;

  std::string name = fileName;
  if (name.empty() && Parameters) Parameters->GetValue("mainlog", false, name);
  if (name.empty()) name = DefaultLogName(exeDir_, exeName_);
  if (Parameters && Parameters->IndexOf("safelog", false) >= 0) name = LogFolder(exeDir_) + "run.log";
  fileName_ = name;

  try {
    if (append && FileExistsOnDisk(name)) {
      stream_ = std::make_unique<TFileStream>(name, TFileMode::OpenReadWrite);
      stream_->Seek(0, TSeekOrigin::End);
    } else {
      stream_ = std::make_unique<TFileStream>(name, TFileMode::Create);
    }
  } catch (const std::exception&) {
    stream_.reset();
    return;
  }
  SetLevels("SWED");
  active_ = true;
}

TLogger::~TLogger() = default;

void TLogger::SetLevels(const std::string& letters) {
  std::string up = UpperCase(letters);
  errorEnabled_ = up.find('E') != std::string::npos;
  warningEnabled_ = up.find('W') != std::string::npos;
  statusEnabled_ = up.find('S') != std::string::npos;
  debugEnabled_ = up.find('D') != std::string::npos;
}

void TLogger::AddFilter(const std::string& pattern) { filter_.push_back(pattern); }

bool LogPatternMatches(const std::string& pattern, const std::string& context) {
  if (pattern == "*") return true;
  if (pattern.size() > context.size()) return SameText(pattern, context);
  if (!pattern.empty() && pattern.front() == '*') return EndsText(pattern.substr(1), context);
  if (!pattern.empty() && pattern.back() == '*') return StartsText(pattern.substr(0, pattern.size() - 1), context);
  return SameText(pattern, context);
}

bool TLogger::ContextPasses(const std::string& context) const {
  if (filter_.empty()) return true;
  bool included = false;
  for (const std::string& p : filter_) {
    if (!p.empty() && p[0] == '-') {
      if (LogPatternMatches(p.substr(1), context)) return false;
    } else if (LogPatternMatches(p, context)) {
      included = true;
    }
  }
  return included;
}

void TLogger::Put(const std::string& line, const std::string& echoText) {
  std::string full = line + "\r\n";
  try {
    stream_->WriteBuffer(full.data(), full.size());
    stream_->Flush();  // each line reaches the file at once, as an unbuffered file would
  } catch (const std::exception&) {
    // Write errors are ignored: the game runs on without its log.
  }
  if (echo_) std::printf("%s\n", echoText.c_str());
#ifdef __EMSCRIPTEN__
  // A page has no log file to look at: every line goes to the browser's
  // console as well.
  std::printf("%s\n", line.c_str());
#endif
}

void TLogger::Status(const std::string& message, const std::string& context) {
  if (active_ && statusEnabled_ && ContextPasses(context)) Put("(" + context + ") " + message, message);
}

void TLogger::Warning(const std::string& message, const std::string& context) {
  Report({.Severity = TSeverity::Warning, .Message = message, .Context = context});
}

void TLogger::Error(const std::string& message, const std::string& context) {
  Report({.Severity = TSeverity::Error, .Message = message, .Context = context});
}

void TLogger::WriteReport(const TDiagnostic& d) {
  switch (d.Severity) {
    case TSeverity::Error:
      lastError_ = d.Message;
      if (active_ && errorEnabled_) Put("{" + d.Context + "} " + d.Message, "Error: " + d.Message);
      break;
    case TSeverity::Warning:
      if (active_ && warningEnabled_ && ContextPasses(d.Context))
        Put("[" + d.Context + "] " + d.Message, "Warning: " + d.Message);
      break;
    case TSeverity::Note: Debug(d.Message, d.Context); break;
  }
}

void TLogger::Debug(const std::string& message, const std::string& context) {
  if (active_ && debugEnabled_ && ContextPasses(context)) Put("<" + context + "> " + message, message);
}

void TLogger::Header(const std::string& message, const std::string& context) {
  if (!active_) return;
  std::string text = "<" + context + "> " + message;
  std::string dashes(text.size(), '-');
  std::string block = dashes + "\r\n" + text + "\r\n" + dashes;
  bool echo = echo_;
  echo_ = false;
  Put(block, std::string());
  echo_ = echo;
}

void TLogger::Trace(const std::string& message) {
  if (active_) Put("< Trace > " + message, "<T> " + message);
}

void TLogger::Trace(long long value) { Trace(std::to_string(value)); }

void TLogger::WriteLn(const std::string& text) {
  if (active_) Put(text, text);
}

void TLogger::Write(const std::string& text) {
  if (!active_) return;
  try {
    stream_->WriteBuffer(text.data(), text.size());
    stream_->Flush();
  } catch (const std::exception&) {
    // ignored, as for whole lines
  }
  if (echo_) std::printf("%s", text.c_str());
}

static std::string DateTimeText() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[64];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

void LogStartApplication() {
  Log->Status("Starting Application. " + DateTimeText(), "..system..");
  Log->Status("(Status) [Warning] {Error} <Debug>", "..system..");
  Log->Status("Logger, version 1.13a", "uses");
}

void LogTerminateApplication() { Log->Status("Terminating Application. " + DateTimeText(), "..system.."); }

}  // namespace zorbin
