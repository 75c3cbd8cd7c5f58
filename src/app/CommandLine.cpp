// CommandLine: recognising the switches; the help lists them all.
#include "app/CommandLine.h"

#include "app/Settings.h"
#include "log/Logger.h"
#include "util/QXToolbox.h"

namespace zorbin {

namespace {

// "-name" or "--name", any case.
bool IsSwitch(const std::string& arg, const std::string& name) {
  return SameText(arg, "-" + name) || SameText(arg, "--" + name);
}

void Warn(const std::string& message) {
  if (Log) Log->Warning(message, "CommandLine");
}

// Every switch the game program or its log takes, and whether a value
// follows it.
struct TKnownSwitch {
  const char* Name;
  bool TakesValue;
};
constexpr TKnownSwitch kKnownSwitches[] = {
    {"help", false},    {"h", false},      {"version", false}, {"scale", true},   {"fullscreen", false},
    {"config", true},   {"seed", true},    {"record", true},   {"replay", true},  {"map", true},
    {"watch", false},   {"edit", true},    {"nolog", false},   {"mainlog", true}, {"appendlog", false},
    {"safelog", false}, {"waitlog", false}};

const TKnownSwitch* FindKnownSwitch(const std::string& arg) {
  for (const TKnownSwitch& known : kKnownSwitches)
    if (IsSwitch(arg, known.Name) || SameText(arg, std::string("/") + known.Name)) return &known;
  return nullptr;
}

}  // namespace

std::vector<std::string> UnknownSwitches(const std::vector<std::string>& args) {
  std::vector<std::string> unknown;
  for (size_t i = 1; i < args.size(); ++i) {
    const TKnownSwitch* known = FindKnownSwitch(args[i]);
    if (!known)
      unknown.push_back(args[i]);
    else if (known->TakesValue)
      ++i;
  }
  return unknown;
}

bool WantsHelp(const std::vector<std::string>& args) {
  for (size_t i = 1; i < args.size(); ++i)
    if (IsSwitch(args[i], "help") || SameText(args[i], "-h")) return true;
  return false;
}

std::string HelpText() {
  std::string settings = TSettings::DefaultFileName();
  if (settings.empty()) settings = "$XDG_CONFIG_HOME/zorbin/zorbin.ini";
  return "Usage: zorbin [switches]\n"
         "\n"
         "Switches:\n"
         "  -help, --help, -h  print this help and exit\n"
         "  -scale N|auto      show the 640 x 480 frame N times as big (1 to 4), or as big as fits\n"
         "  -fullscreen        play fullscreen\n"
         "  -config FILE       read the settings from FILE\n"
         "  -version           print the version and exit\n"
         "  -seed N            seed the random generator with N\n"
         "  -record FILE       record the keys played into FILE\n"
         "  -replay FILE       play a recording again\n"
         "  -map NAME          play only the map NAME (a folder of the pack, or one on disk\n"
         "                     holding the map's files) from its title card\n"
         "  -watch             with -map FOLDER: play the map again when a file of FOLDER changes\n"
         "  -edit FOLDER       edit the map whose files lie in FOLDER\n"
         "Log switches:\n"
         "  -nolog             write no log\n"
         "  -mainlog FILE      write the log to FILE\n"
         "  -appendlog         add to the log instead of starting it anew\n"
         "  -safelog           write the log to run.log beside the program\n"
         "  -waitlog           wait a second before opening the log\n"
         "\n"
         "Settings file: " +
         settings +
         "\n"
         "  [Video] Scale = 1..4 or auto, Fullscreen = 0/1, PauseOnFocusLoss = 0/1\n"
         "\n"
         "Keys:\n"
         "  Left, Right        move\n"
         "  Space              act\n"
         "  Tab                show the values\n"
         "  Q                  appear\n"
         "  Escape             quit\n"
         "  P                  pause and go on\n"
         "  F11, Alt+Enter     fullscreen on and off\n"
         "  F12                screenshot\n";
}

TPlayerSwitches ReadPlayerSwitches(const std::vector<std::string>& args) {
  TPlayerSwitches switches;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool hasValue = i + 1 < args.size();
    if (IsSwitch(arg, "fullscreen")) {
      switches.Fullscreen = true;
    } else if (IsSwitch(arg, "scale")) {
      int scale = 1;
      if (hasValue && ParseScale(args[i + 1], scale))
        switches.Scale = scale;
      else
        Warn(arg + " needs 1 to 4 or auto; it is ignored");
      if (hasValue) ++i;
    } else if (IsSwitch(arg, "config")) {
      if (hasValue)
        switches.ConfigFile = args[++i];
      else
        Warn(arg + " needs a file name; it is ignored");
    } else if (IsSwitch(arg, "map")) {
      if (hasValue)
        switches.Map = args[++i];
      else
        Warn(arg + " needs a map name; it is ignored");
    } else if (IsSwitch(arg, "watch")) {
      switches.Watch = true;
    }
  }
  if (switches.Watch && switches.Map.empty()) {
    Warn("-watch needs -map FOLDER; it is ignored");
    switches.Watch = false;
  }
  return switches;
}

}  // namespace zorbin
