// PlaySwitches: what the game's switches that choose how a run is played
// set going: "-seed N" seeds the random generator, "-record FILE" writes
// every logical key change as an input script whose first line names the
// seed, and "-replay FILE" plays such a recording at normal speed, the
// keyboard then reaching only the Quit key.
#pragma once

#include "app/Switches.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zorbin {

// Reads the recording to replay (refusing a malformed one whole), opens the
// recording to write and installs the shell hooks. seed is the seed to run
// with: -seed, else the replayed recording's, else none.
bool StartPlaySwitches(const TOptions& switches, std::optional<uint32_t>& seed, std::string& error);

}  // namespace zorbin
