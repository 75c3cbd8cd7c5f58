// MusicScore: a looped piece of music written as text. A score file is an
// INI file: [Score] gives the tempo and volume, every other section is a
// track, an instrument (the keys of a sound) with Notes= lines, all tracks
// played together and looped. The notes are kept as sample positions; the
// mixer plays them live, so a score costs no sample memory.
#pragma once

#include "audio/Synth.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zorbin {

class TIniFile;
class TAudioDiagnostics;

constexpr int kMaxTracks = 8;
// Notes of one track once its rounds fill the loop.
constexpr int kMaxTrackNotes = 8192;
constexpr int kMaxLoopSeconds = 600;

struct TMusicNote {
  uint32_t Start = 0;  // samples from the loop's start
  uint32_t Hold = 0;   // samples held before the release
  float Freq = 0;
};

struct TMusicTrack {
  std::string Name;
  TVoiceDesc Voice;
  std::vector<TMusicNote> Notes;  // by start, rests left out
};

struct TScore {
  std::string Name;
  uint32_t LoopSamples = 0;
  float Gain = 1;
  std::vector<TMusicTrack> Tracks;
};

// Reads the score of ini, whose place in the pack is file. False, with the
// errors in diags, when the score cannot be played as written.
bool ReadScore(const TIniFile& ini, const std::string& file, TScore& score, TAudioDiagnostics& diags);

}  // namespace zorbin
