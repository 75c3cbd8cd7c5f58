// MusicPlayer: plays a score live, looped: each track's notes start synth
// voices at their sample positions, and a note's release rings on over the
// next note and over the loop's seam. All its state is fixed-size, so the
// audio callback may run it.
#pragma once

#include "audio/MusicScore.h"
#include "audio/Synth.h"

#include <array>
#include <cstdint>

namespace zorbin {

class TMusicPlayer {
 public:
  // The score from its start; nullptr plays nothing. score must outlive its
  // playing.
  void Start(const TScore* score);
  const TScore* Score() const { return score_; }
  // Adds the next n samples of the score, times gain, to out.
  void Render(float* out, int n, float gain);

 private:
  // A note, the release of the one before it, and one more cut short.
  static constexpr int kTrackVoices = 3;
  struct TTrackState {
    size_t Next = 0;  // the next note to start
    std::array<TSynthVoice, kTrackVoices> Voices;
    int Last = 0;  // the voice of the latest note
  };

  void StartDueNotes();
  void StartNote(const TMusicTrack& track, TTrackState& state, const TMusicNote& note);
  // Samples from pos_ to the next note start or the loop's end.
  uint32_t SamplesToNextEvent() const;

  const TScore* score_ = nullptr;
  uint32_t pos_ = 0;
  std::array<TTrackState, kMaxTracks> tracks_;
};

}  // namespace zorbin
