// Mixer: the game's own mixer on SDL's audio callback model. Up to eight
// effects at once (a ninth takes over the oldest) over one score, master and
// music volume, mute. The game's thread sends commands through a lock-free
// queue; Mix, called by the audio callback or by a headless run after each
// frame, applies them and writes 16-bit stereo. Mix touches only the mixer's
// fixed arrays and the bank's read-only samples: it allocates nothing and
// takes no lock. The same calls at the same sample positions give the same
// bytes.
#pragma once

#include "audio/CommandQueue.h"
#include "audio/MusicPlayer.h"
#include "util/SoundEvents.h"

#include <array>
#include <cstdint>

namespace zorbin {

class TSoundBank;

constexpr int kEffectVoices = 8;
// Every start, end and takeover of an effect is ramped over this many
// samples (1.5 ms), so none clicks.
constexpr int kRampSamples = 64;

class TMixer {
 public:
  // bank must outlive the mixer and stay as it is. The levels are where the
  // mixer starts, without a glide: a run at volume 0 is silent from its
  // first sample.
  explicit TMixer(const TSoundBank& bank, int volume = 100, int musicVolume = 100);

  // The game's side: each sends one command and is false when it could not
  // (no such sound, the queue full). Volumes are percentages, clamped to
  // 0..100; they and mute glide over 10 ms.
  bool Play(int soundId);
  bool PlayEvent(TSoundEvent event);
  // The score from its start, the old one faded out first; the score already
  // playing goes on. -1 stops the music.
  bool PlayMusic(int musicId);
  bool StopMusic() { return PlayMusic(-1); }
  // Ends every effect and the music at once (with their ramps).
  bool StopAll();
  bool SetVolume(int percent);
  bool SetMusicVolume(int percent);
  bool SetMuted(bool muted);
  int Volume() const { return volume_; }
  int MusicVolume() const { return musicVolume_; }
  bool Muted() const { return muted_; }

  // The audio side: frames of interleaved left and right samples.
  void Mix(int16_t* stereoOut, int frames);
  // SDL's callback signature, userdata being the mixer: fills len bytes of
  // 16-bit stereo (a device opened as AUDIO_S16SYS, 2 channels, 44,100 Hz).
  static void AudioCallback(void* userdata, uint8_t* stream, int len);

 private:
  struct TEffectVoice {
    const int16_t* Samples = nullptr;  // nullptr: silent
    uint32_t Length = 0, Pos = 0;
    uint32_t Order = 0;     // when it was last claimed
    int Pending = -1;       // the sound that follows its fade-out
    uint32_t FadeLeft = 0;  // non-zero: fading out over kRampSamples
  };
  static constexpr int kBlock = 256;

  void Apply(const TAudioCommand& command);
  void StartEffect(int soundId);
  void RenderEffect(TEffectVoice& voice, float* out, int n);
  void RenderMusic(float* out, int n);
  void BeginNextMusic();
  void Output(const float* mix, int16_t* out, int n);

  const TSoundBank& bank_;
  TCommandQueue queue_;
  // The game's side.
  int volume_ = 100, musicVolume_ = 100;
  bool muted_ = false;
  // The audio side.
  std::array<TEffectVoice, kEffectVoices> voices_;
  uint32_t claims_ = 0;
  TMusicPlayer music_;
  int playingMusic_ = -1, nextMusic_ = -1;  // ids in the bank, -1 none
  bool switchingMusic_ = false;
  float musicFade_ = 1;
  float volumeTarget_ = 1;
  bool mutedNow_ = false;
  float master_ = 1, masterTarget_ = 1, musicGain_ = 1, musicTarget_ = 1;
  std::array<float, kBlock> mix_{}, musicMix_{};
};

}  // namespace zorbin
