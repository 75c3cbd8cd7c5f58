// CommandLine: the player's switches of the game program and its help text.
// Switches start with "-" or "--"; names are matched without regard to case.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zorbin {

struct TPlayerSwitches {
  std::string ConfigFile;    // -config FILE; empty: the default place
  std::optional<int> Scale;  // -scale N|auto (0 stands for auto)
  bool Fullscreen = false;   // -fullscreen
  std::string Map;           // -map NAME: start on that map, without the map-select map
  bool Watch = false;        // -watch: with -map, play it again when its folder changes
};

// -help, --help or -h anywhere after the program name.
bool WantsHelp(const std::vector<std::string>& args);
// Every switch, the settings file's place and the keys.
std::string HelpText();
// args[0] is the program. A bad or missing value gets a Warning line in the
// log and the switch is ignored; other arguments are not looked at.
TPlayerSwitches ReadPlayerSwitches(const std::vector<std::string>& args);
// The arguments after args[0] that are no switch of the game program or of
// the log (with "-", "--" or "/"), nor the value of one.
std::vector<std::string> UnknownSwitches(const std::vector<std::string>& args);

}  // namespace zorbin
