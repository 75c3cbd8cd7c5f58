// The commands of zorbin-tool. Each takes the arguments after the command
// name and returns the exit code; failures print one line on stderr.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zorbin {
class TLogger;
}

namespace zorbin::tool {

using TArgs = std::vector<std::string>;

// Prints "zorbin-tool: " + message on stderr and returns 1.
int Fail(const std::string& message);
// "/" on the command line becomes "\" inside archives.
std::string ArchiveName(const std::string& name);

// A progress line on standard error, rewritten in place, shown only when
// standard error is a terminal; cleared when the object goes.
class TProgressLine {
 public:
  TProgressLine();
  ~TProgressLine();
  TProgressLine(const TProgressLine&) = delete;
  TProgressLine& operator=(const TProgressLine&) = delete;
  void Show(const std::string& text);

 private:
  bool shown_;
  size_t width_ = 0;
};

// Archive commands (ArchiveCommands.cpp).
int ArchiveList(const TArgs& args);     // list ARCHIVE
int ArchiveChunks(const TArgs& args);   // chunks ARCHIVE
int ArchiveCat(const TArgs& args);      // cat ARCHIVE NAME
int ArchiveExtract(const TArgs& args);  // extract ARCHIVE DIR
int ArchivePack(const TArgs& args);     // pack ARCHIVE DIR [--store|--zlib|--best]
int ArchiveAdd(const TArgs& args);      // add ARCHIVE FILE NAME
int ArchiveRemove(const TArgs& args);   // remove ARCHIVE NAME
int ArchiveAppend(const TArgs& args);   // append HOST ARCHIVE OUT
// A resource name from the command line for the stream opener: "/" becomes
// "\", except that an absolute disk path is kept as it is.
std::string ResourceName(const std::string& name);

// Takes every "--archive FILE" out of args and mounts FILE through the stream
// opener with priority 100. False (after Fail) when FILE is missing.
bool TakeArchiveOptions(TArgs& args);
// While it lives, the warnings that loaders log are printed on standard
// output as "Warning: " + message (the tool itself keeps no log).
class TWarningEcho {
 public:
  TWarningEcho();
  ~TWarningEcho();
  TWarningEcho(const TWarningEcho&) = delete;
  TWarningEcho& operator=(const TWarningEcho&) = delete;

 private:
  std::unique_ptr<TLogger> saved_;
};
// map NAME [--save OUT MODE] [--archive FILE]...
int MapCommand(const TArgs& args);
// ini NAME [--archive FILE]...
int IniCommand(const TArgs& args);
// tga XPM OUT [--id HEXBYTES] [--vstack] [--glyphs FILE]
int TgaCommand(const TArgs& args);
// qxr SOURCE OUT
int QxrCommand(const TArgs& args);

// picture NAME OUT [--archive FILE]
int PictureCommand(const TArgs& args);

// render ARCHIVE|FOLDER MAP OUT.png [--frame N] [--values] [--seed N]
int RenderCommand(const TArgs& args);

// check [ARCHIVE|FOLDER] (CheckCommand.cpp)
int CheckCommand(const TArgs& args);

}  // namespace zorbin::tool
