// GameAudio: the game's sound for one run. It loads the pack's sounds when
// the pack is mounted, plays the sound of every event the game raises and
// each map's music, follows the volume settings and the mute key, and
// feeds either the audio device or a WAV file of the run (441 sample frames
// after every presented frame, so the file follows the virtual clock).
#pragma once

#include "audio/Mixer.h"
#include "audio/SoundBank.h"
#include "audio/WavFile.h"
#include "shell/Observers.h"

#include <memory>
#include <string>
#include <vector>

namespace zorbin {

struct TAudioOptions {
  bool Device = false;  // feed the audio device (the game)
  std::string WavFile;  // or write the run's sound here (headless runs)
  int Volume = 80;      // 0 to 100
  int Music = 60;
};

class TGameAudio final {
 public:
  // Without a device and a WAV file nothing is loaded and nothing sounds.
  explicit TGameAudio(TAudioOptions options);
  ~TGameAudio();
  TGameAudio(const TGameAudio&) = delete;
  TGameAudio& operator=(const TGameAudio&) = delete;

  // Loads the pack's sounds.ini (its findings go to the log) and starts.
  void Start();
  // Ends the sound: the device goes silent, the WAV file is completed.
  void Stop();

  // The run's sound while it plays: a run that ends through the exit hook
  // (a closed window) completes its WAV file there.
  static TGameAudio* Active() { return active_; }

 private:
  void AfterFlip();

  TAudioOptions options_;
  std::unique_ptr<TSoundBank> bank_;
  std::unique_ptr<TMixer> mixer_;
  std::unique_ptr<TWavWriter> wav_;
  std::vector<int16_t> block_;
  std::vector<TSubscription> subscriptions_;
  int eventReceiver_ = 0;
  static inline TGameAudio* active_ = nullptr;
};

}  // namespace zorbin
