// Switches: the table of switches, reading it, and the help it gives.
#include "app/Switches.h"

#include "app/Settings.h"
#include "util/QXToolbox.h"

#include <algorithm>
#include <charconv>

namespace zorbin {

namespace {

enum class TTakenBy { Game, Demo, Both };

// Reads a switch's value into the options; the reason when it is bad.
using TTake = std::string (*)(TOptions& options, const std::string& given, const std::string& value);

// Exactly one of Flag, Text, Number and Take is set, or ForLog.
struct TSwitch {
  const char* Name;
  const char* Alias = nullptr;     // a second name (written with one "-" in the help)
  const char* Argument = nullptr;  // the value as the help names it; none for a plain switch
  const char* Help = "";           // "\n" continues it on the next line
  TTakenBy By = TTakenBy::Both;
  bool TOptions::*Flag = nullptr;
  std::string TOptions::*Text = nullptr;
  std::optional<uint32_t> TOptions::*Number = nullptr;
  TTake Take = nullptr;
  bool ForLog = false;  // handed on to the log, whose own reader takes it
};

std::string NumberError(const std::string& given, const std::string& value) {
  return given + " needs a number 0-4294967295, not \"" + value + "\"";
}

// Decimal digits only: a sign or a blank is no part of a count.
bool ReadNumber(const std::string& text, uint32_t& number) {
  auto [at, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  return !text.empty() && ec == std::errc() && at == text.data() + text.size();
}

// Frame 0 is never presented: a switch that waits for it would do nothing.
std::string ReadFrame(const std::string& given, const std::string& text, uint32_t& frame) {
  if (!ReadNumber(text, frame)) return NumberError(given, text);
  if (frame == 0) return given + " counts frames from 1, not 0";
  return std::string();
}

std::string ReadFrameText(const std::string& given, const std::string& value, const char* form,
                          std::vector<TFrameText>& into) {
  size_t colon = value.find(':');
  if (colon == std::string::npos) return given + " needs " + form;
  TFrameText item{0, value.substr(colon + 1)};
  std::string error = ReadFrame(given, value.substr(0, colon), item.Frame);
  if (error.empty()) into.push_back(item);
  return error;
}

std::string TakeShot(TOptions& options, const std::string& given, const std::string& value) {
  return ReadFrameText(given, value, "FRAME:FILE", options.Shots);
}

std::string TakeExec(TOptions& options, const std::string& given, const std::string& value) {
  return ReadFrameText(given, value, "FRAME:COMMAND", options.Commands);
}

std::string TakeRss(TOptions& options, const std::string& given, const std::string& value) {
  uint32_t frame = 0;
  std::string error = ReadFrame(given, value, frame);
  if (error.empty()) options.RssFrames.push_back(frame);
  return error;
}

std::string TakeScale(TOptions& options, const std::string& given, const std::string& value) {
  int scale = 1;
  if (!ParseScale(value, scale)) return given + " needs 1 to 4 or auto, not \"" + value + "\"";
  options.Scale = scale;
  return std::string();
}

// One capture file is written at a time.
std::string TakeCapture(TOptions& options, const std::string& given, const std::string& value) {
  if (!options.Capture.empty()) return given + " is given twice";
  options.Capture = value;
  return std::string();
}

// In the order of the usage line and the help.
constexpr TSwitch kSwitches[] = {
    {.Name = "help", .Alias = "h", .Help = "print this help and exit", .Flag = &TOptions::Help},
    {.Name = "version", .Help = "print the version and exit", .By = TTakenBy::Game, .Flag = &TOptions::Version},
    {.Name = "seed",
     .Argument = "N",
     .Help = "seed the random generator with N (0-4294967295); without it, the seed\n"
             "a played recording names, else one from the clock",
     .Number = &TOptions::Seed},
    {.Name = "input",
     .Argument = "FILE",
     .Help = "play the events of FILE, one a line: \"FRAME KEY down|up\" (KEY an SDL key\n"
             "name or number), \"FRAME mouse X Y down|up left|right\", \"FRAME motion X Y\";\n"
             "# starts a comment",
     .By = TTakenBy::Demo,
     .Text = &TOptions::InputFile},
    {.Name = "record", .Argument = "FILE", .Help = "record the keys played into FILE", .Text = &TOptions::RecordFile},
    {.Name = "replay",
     .Argument = "FILE",
     .Help = "play a recording again",
     .By = TTakenBy::Game,
     .Text = &TOptions::ReplayFile},
    {.Name = "shot",
     .Argument = "FRAME:FILE ...",
     .Help = "save frame FRAME (counted from 1) as PNG, or BMP for a .bmp name",
     .By = TTakenBy::Demo,
     .Take = TakeShot},
    {.Name = "max-frames",
     .Argument = "N",
     .Help = "close the window at the first poll after frame N (exit 2)",
     .By = TTakenBy::Demo,
     .Number = &TOptions::MaxFrames},
    {.Name = "checksums",
     .Argument = "FILE",
     .Help = "write \"FRAME CRC\" lines: every 50th frame's and the last one's",
     .By = TTakenBy::Demo,
     .Text = &TOptions::ChecksumsFile},
    {.Name = "capture",
     .Argument = "FROM:TO:FILE",
     .Help = "save frames FROM to TO as one animated PNG",
     .By = TTakenBy::Demo,
     .Take = TakeCapture},
    {.Name = "config", .Argument = "FILE", .Help = "read the settings from FILE", .Text = &TOptions::ConfigFile},
    {.Name = "progress",
     .Argument = "FILE",
     .Help = "keep the progress in FILE as the game keeps it (none without it)",
     .By = TTakenBy::Demo,
     .Text = &TOptions::ProgressFile},
    {.Name = "scale",
     .Argument = "N|auto",
     .Help = "show the 640 x 480 frame N times as big (1 to 4), or as big as fits",
     .By = TTakenBy::Game,
     .Take = TakeScale},
    {.Name = "fullscreen", .Help = "play fullscreen", .By = TTakenBy::Game, .Flag = &TOptions::Fullscreen},
    {.Name = "nosound", .Help = "play without sound", .By = TTakenBy::Game, .Flag = &TOptions::NoSound},
    {.Name = "audio",
     .Argument = "FILE.wav",
     .Help = "write the run's mixed sound to FILE.wav (44,100 Hz, 16-bit stereo, 441 sample frames a frame)",
     .By = TTakenBy::Demo,
     .Text = &TOptions::AudioFile},
    {.Name = "map",
     .Argument = "NAME",
     .Help = "play only the map NAME (a folder of the pack, or one on disk holding\n"
             "the map's files) from its title card",
     .Text = &TOptions::Map},
    {.Name = "watch",
     .Help = "with the map switch: play the map again whenever one of its files\n"
             "changes",
     .Flag = &TOptions::Watch},
    {.Name = "edit",
     .Argument = "FOLDER",
     .Help = "edit the map whose files lie in FOLDER",
     .Text = &TOptions::EditFolder},
    {.Name = "exec",
     .Argument = "FRAME:COMMAND ...",
     .Help = "run a shell command once frame FRAME is presented",
     .By = TTakenBy::Demo,
     .Take = TakeExec},
    {.Name = "monkey",
     .Argument = "SEED",
     .Help = "random play instead of an input file, ending with exit 0",
     .By = TTakenBy::Demo,
     .Number = &TOptions::MonkeySeed},
    {.Name = "rss",
     .Argument = "FRAME ...",
     .Help = "tell the resident memory after frame FRAME on standard error",
     .By = TTakenBy::Demo,
     .Take = TakeRss},
    {.Name = "nolog", .Help = "write no log", .ForLog = true},
    {.Name = "mainlog", .Argument = "FILE", .Help = "write the log to FILE", .ForLog = true},
    {.Name = "appendlog", .Help = "add to the log instead of starting it anew", .ForLog = true},
    {.Name = "safelog", .Help = "write the log to run.log beside the program", .ForLog = true},
    {.Name = "waitlog", .Help = "wait a second before opening the log", .ForLog = true},
};

bool TakenBy(const TSwitch& entry, TProgram program) {
  if (entry.By == TTakenBy::Both) return true;
  return (entry.By == TTakenBy::Game) == (program == TProgram::Game);
}

// The name after "-", "--" or "/"; empty when arg is no switch.
std::string SwitchName(const std::string& arg) {
  if (arg.rfind("--", 0) == 0) return arg.substr(2);
  if (!arg.empty() && (arg[0] == '-' || arg[0] == '/')) return arg.substr(1);
  return std::string();
}

const TSwitch* FindSwitch(TProgram program, const std::string& arg) {
  std::string name = SwitchName(arg);
  if (name.empty()) return nullptr;
  for (const TSwitch& entry : kSwitches)
    if (TakenBy(entry, program) && (SameText(name, entry.Name) || (entry.Alias && SameText(name, entry.Alias))))
      return &entry;
  return nullptr;
}

std::string Apply(const TSwitch& entry, TOptions& options, const std::string& given, const std::string& value) {
  if (entry.Flag) options.*entry.Flag = true;
  if (entry.Text) options.*entry.Text = value;
  if (entry.Take) return entry.Take(options, given, value);
  if (entry.Number) {
    uint32_t number = 0;
    if (!ReadNumber(value, number)) return NumberError(given, value);
    options.*entry.Number = number;
  }
  return std::string();
}

// The switches as the program's own help writes them: "-x" or "--x".
std::string Spelled(TProgram program, const char* name) {
  return (program == TProgram::Game ? "-" : "--") + std::string(name);
}

std::string CheckTogether(TProgram program, const TOptions& options) {
  if (options.Watch && options.Map.empty())
    return Spelled(program, "watch") + " needs " + Spelled(program, "map") + " FOLDER";
  if (options.MonkeySeed && !options.InputFile.empty()) return "--monkey plays without --input";
  return std::string();
}

}  // namespace

bool ReadSwitches(TProgram program, const std::vector<std::string>& args, TOptions& options, std::string& error) {
  error.clear();
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& given = args[i];
    const TSwitch* entry = FindSwitch(program, given);
    if (!entry) {
      options.Unknown.push_back(given);
    } else if (entry->ForLog) {
      // The log reads "-x" and "/x" only; its own rule for a missing value holds.
      options.LogSwitches.push_back(given.rfind("--", 0) == 0 ? given.substr(1) : given);
      if (entry->Argument && i + 1 < args.size()) options.LogSwitches.push_back(args[++i]);
    } else if (entry->Argument && i + 1 >= args.size()) {
      if (error.empty()) error = given + " needs a value";
    } else {
      std::string problem = Apply(*entry, options, given, entry->Argument ? args[++i] : std::string());
      if (error.empty()) error = problem;
    }
  }
  if (error.empty()) error = CheckTogether(program, options);
  return error.empty();
}

std::vector<std::string> LogParameters(const std::string& programPath, const TOptions& options) {
  std::vector<std::string> params{programPath};
  params.insert(params.end(), options.LogSwitches.begin(), options.LogSwitches.end());
  return params;
}

std::string UsageLine(TProgram program) {
  std::string line = program == TProgram::Game ? "usage: zorbin" : "usage: zorbin-demo";
  for (const TSwitch& entry : kSwitches) {
    if (!TakenBy(entry, program) || entry.ForLog || entry.Flag == &TOptions::Help) continue;
    line += " [" + Spelled(program, entry.Name) + (entry.Argument ? std::string(" ") + entry.Argument : "") + "]";
  }
  return line + " [log switches]\n";
}

std::string SwitchList(TProgram program) {
  auto left = [program](const TSwitch& entry) {
    std::string text = "  " + Spelled(program, entry.Name);
    if (entry.Alias) text += ", -" + std::string(entry.Alias);
    if (entry.Argument) text += std::string(" ") + entry.Argument;
    return text;
  };
  size_t column = 0;
  for (const TSwitch& entry : kSwitches)
    if (TakenBy(entry, program)) column = std::max(column, left(entry).size() + 2);
  std::string list = "Switches:\n";
  for (bool forLog : {false, true}) {
    if (forLog) list += "Log switches:\n";
    for (const TSwitch& entry : kSwitches) {
      if (!TakenBy(entry, program) || entry.ForLog != forLog) continue;
      std::string line = left(entry);
      line.resize(column, ' ');
      for (const char* c = entry.Help; *c; ++c)
        line += *c == '\n' ? "\n" + std::string(column, ' ') : std::string(1, *c);
      list += line + "\n";
    }
  }
  return list + "\nA switch may be written with \"-\", \"--\" or \"/\" before its name, in any letter case.\n";
}

std::string GameHelpText() {
  std::string settings = TSettings::DefaultFileName();
  if (settings.empty()) settings = "$XDG_CONFIG_HOME/zorbin/zorbin.ini";
  return UsageLine(TProgram::Game) + "\n" + SwitchList(TProgram::Game) +
         "\n"
         "Settings file: " +
         settings +
         "\n"
         "  [Video] Scale = 1..4 or auto, Fullscreen = 0/1, PauseOnFocusLoss = 0/1\n"
         "  [Keys] Left, Right, Action, Values, Appear, Quit, Restart, Leave, Mute = key names\n"
         "  [Audio] Volume = 0..100 (80), Music = 0..100 (60)\n"
         "\n"
         "Keys:\n"
         "  Left, Right        move\n"
         "  Space              act\n"
         "  Tab                show the values\n"
         "  Q                  appear\n"
         "  R                  restart the map from its title card\n"
         "  Backspace          leave the map for the map-select map\n"
         "  M                  sound off and on\n"
         "  Escape             quit\n"
         "  P                  pause and go on\n"
         "  F11, Alt+Enter     fullscreen on and off\n"
         "  F12                screenshot\n";
}

}  // namespace zorbin
