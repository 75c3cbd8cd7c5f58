// SoundBank: a pack's sounds and music, loaded once. "sounds.ini" at the
// pack's root describes each sound (synthesised from a few keys, or read from
// a WAV file), names the sound of each game event ([Events]; an event left
// out there plays the sound named after it) and the score each map plays
// ([Music]). A pack without it is silent and that is no error.
// Effects are rendered to samples here; scores keep their notes, which the
// mixer plays live.
#pragma once

#include "audio/MusicScore.h"
#include "util/SoundEvents.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TStream;
class TAudioDiagnostics;

constexpr int kSoundEventCount = int(TSoundEvent::Count);

struct TSoundEffect {
  std::string Name;
  std::vector<int16_t> Samples;  // mono, 44,100 Hz
};

// Opens a file of the pack by its name from the pack's root ("\" between
// folders); nullptr when the pack has no such file. May raise when the file
// is there but cannot be read.
using TSoundFileOpener = std::function<std::unique_ptr<TStream>(const std::string& name)>;

class TSoundBank {
 public:
  TSoundBank();

  int SoundCount() const { return int(sounds_.size()); }
  // nullptr for an id out of range (-1 included).
  const TSoundEffect* Sound(int id) const;
  // -1 when there is none of that name (letter case ignored).
  int SoundId(const std::string& name) const;
  // The sound of event, or -1: that event is silent.
  int EventSound(TSoundEvent event) const;

  int MusicCount() const { return int(music_.size()); }
  const TScore* Music(int id) const;
  int MusicId(const std::string& name) const;
  // The score of the map folder mapDir (as the pack index names it), the
  // score of "*" for maps not named, or -1: the map plays no music.
  int MusicForMap(const std::string& mapDir) const;

  // Building, for the loader and for tests.
  int AddSound(std::string name, std::vector<int16_t> samples);
  void SetEventSound(TSoundEvent event, int soundId);
  int AddMusic(TScore score);
  // mapDir "*" stands for every map not named.
  void SetMapMusic(const std::string& mapDir, int musicId);

 private:
  std::vector<TSoundEffect> sounds_;
  std::array<int, kSoundEventCount> events_;
  std::vector<TScore> music_;
  std::vector<std::pair<std::string, int>> mapMusic_;
  int otherMapsMusic_ = -1;
};

// Reads "sounds.ini" and the files it names through open. Never raises:
// every problem is a diagnostic, and an error leaves out only the sound or
// score it is about.
TSoundBank LoadSoundBank(const TSoundFileOpener& open, TAudioDiagnostics& diags);
// The same through the global stream opener, from the pack's root.
TSoundBank LoadSoundBank(TAudioDiagnostics& diags);

}  // namespace zorbin
