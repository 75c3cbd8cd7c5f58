// MusicPlayer: the score's time runs in stretches from one note start to the
// next, and every sounding voice renders each stretch in one go.
#include "audio/MusicPlayer.h"

#include <algorithm>

namespace zorbin {

void TMusicPlayer::Start(const TScore* score) {
  score_ = score;
  pos_ = 0;
  for (TTrackState& t : tracks_) {
    t.Next = 0;
    for (TSynthVoice& v : t.Voices) v.Stop();
  }
}

void TMusicPlayer::StartNote(const TMusicTrack& track, TTrackState& state, const TMusicNote& note) {
  int slot = -1;
  for (int i = 0; i < kTrackVoices && slot < 0; ++i)
    if (!state.Voices[size_t(i)].Active()) slot = i;
  // With every voice busy, the one after the latest is the oldest.
  if (slot < 0) slot = (state.Last + 1) % kTrackVoices;
  // Only the latest note's release rings on; older ones end quickly, so a
  // voice is free for the next note without a cut.
  for (int i = 0; i < kTrackVoices; ++i)
    if (i != state.Last && i != slot) state.Voices[size_t(i)].FastRelease();
  state.Voices[size_t(slot)].Start(track.Voice, note.Freq, note.Hold);
  state.Last = slot;
}

void TMusicPlayer::StartDueNotes() {
  for (size_t t = 0; t < score_->Tracks.size(); ++t) {
    const TMusicTrack& track = score_->Tracks[t];
    TTrackState& state = tracks_[t];
    while (state.Next < track.Notes.size() && track.Notes[state.Next].Start <= pos_)
      StartNote(track, state, track.Notes[state.Next++]);
  }
}

uint32_t TMusicPlayer::SamplesToNextEvent() const {
  uint32_t next = score_->LoopSamples;
  for (size_t t = 0; t < score_->Tracks.size(); ++t) {
    const TMusicTrack& track = score_->Tracks[t];
    if (tracks_[t].Next < track.Notes.size()) next = std::min(next, track.Notes[tracks_[t].Next].Start);
  }
  return next - pos_;
}

void TMusicPlayer::Render(float* out, int n, float gain) {
  if (!score_ || score_->LoopSamples == 0) return;
  while (n > 0) {
    if (pos_ >= score_->LoopSamples) {
      pos_ = 0;
      for (TTrackState& t : tracks_) t.Next = 0;
    }
    StartDueNotes();
    int stretch = int(std::min<uint32_t>(uint32_t(n), SamplesToNextEvent()));
    for (size_t t = 0; t < score_->Tracks.size(); ++t)
      for (TSynthVoice& v : tracks_[t].Voices)
        if (v.Active()) v.Render(out, stretch, gain);
    pos_ += uint32_t(stretch);
    out += stretch;
    n -= stretch;
  }
}

}  // namespace zorbin
