// Switches: every command-line switch of zorbin and zorbin-demo in one
// table, read into one options struct; the help and the usage line are
// written from the same table. A switch is written with "-", "--" or "/"
// before its name, in any letter case. The log's switches are only handed
// on: the log reads them itself from the parameter list it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorbin {

enum class TProgram { Game, Demo };

// A value "FRAME:TEXT"; frames count from 1.
struct TFrameText {
  uint32_t Frame = 0;
  std::string Text;
};

// What the command line asks of a run. Empty texts and absent values mean
// the switch was not given.
struct TOptions {
  bool Help = false;
  bool Version = false;
  std::optional<uint32_t> Seed;
  std::string InputFile;   // zorbin-demo: the input script
  std::string RecordFile;  // every key change is written here
  std::string ReplayFile;  // zorbin: a recording played in the window
  std::vector<TFrameText> Shots;
  std::optional<uint32_t> MaxFrames;
  std::string ChecksumsFile;
  std::string Capture;  // FROM:TO:FILE as given; the capture reads it
  std::string ConfigFile;
  std::string ProgressFile;  // zorbin-demo: progress kept in this file (the game keeps its own)
  std::optional<int> Scale;  // 1 to 4, or TSettings::kAutoScale
  bool Fullscreen = false;
  bool NoSound = false;   // zorbin: no sound at all
  std::string AudioFile;  // zorbin-demo: the run's mixed sound as a WAV file
  std::string Map;        // start on this map, without the map-select map
  bool Watch = false;
  std::string EditFolder;
  std::vector<TFrameText> Commands;  // zorbin-demo --exec
  std::optional<uint32_t> MonkeySeed;
  std::vector<uint32_t> RssFrames;
  // The log's switches and their values, in the order given, each as the
  // log reads it ("--x" handed on as "-x").
  std::vector<std::string> LogSwitches;
  // Arguments that are no switch of this program, nor the value of one.
  std::vector<std::string> Unknown;
};

// Reads args (element 0 is the program) into options. A switch that needs a
// value takes the next argument, whatever it is. False with error (one line,
// naming the switch as written) when a value is missing or bad or two
// switches do not go together; the other switches are still read, so that
// Help and Unknown are complete.
bool ReadSwitches(TProgram program, const std::vector<std::string>& args, TOptions& options, std::string& error);

// The log's parameter list: the program's path, then the log switches.
std::vector<std::string> LogParameters(const std::string& programPath, const TOptions& options);

// "usage: PROGRAM [SWITCH VALUE] ... [log switches]" and a line end.
std::string UsageLine(TProgram program);
// The program's switches, then the log's, one a line with its help, and the
// spelling rule.
std::string SwitchList(TProgram program);
// zorbin's whole help: usage, switches, the settings file's place, the keys.
std::string GameHelpText();

}  // namespace zorbin
