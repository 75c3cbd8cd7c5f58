// PlaySwitches: the game's switches that choose how a run is played:
// "-seed N" seeds the random generator, "-record FILE" writes every logical
// key change as an input script whose first line names the seed, and
// "-replay FILE" plays such a recording at normal speed, the keyboard then
// reaching only the Quit key. Also written with "/".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorbin {

struct TPlaySwitches {
  std::optional<uint32_t> Seed;
  std::string RecordFile;
  std::string ReplayFile;
};

// Takes the switches and their values out of args (element 0 is the
// program); false with error on a missing or bad value.
bool TakePlaySwitches(std::vector<std::string>& args, TPlaySwitches& switches, std::string& error);

// Reads the recording to replay (refusing a malformed one whole), opens the
// recording to write and installs the shell hooks. seed is the seed to run
// with: -seed, else the replayed recording's, else none.
bool StartPlaySwitches(const TPlaySwitches& switches, std::optional<uint32_t>& seed, std::string& error);

}  // namespace zorbin
