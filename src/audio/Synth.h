// Synth: the small synthesiser behind every sound and every instrument of a
// score: one oscillator (square, triangle, sine, saw or noise) with a pitch
// slide, vibrato and arpeggio, shaped by an attack-decay-sustain-release
// envelope. A voice renders one note sample by sample, so the mixer can play
// the notes of a score live and the loader can render an effect once.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace zorbin {

constexpr int kSampleRate = 44100;
// The game runs 100 frames a second: one game frame is 441 sample frames.
constexpr int kGameFrameSamples = kSampleRate / 100;
// An effect is short; longer ones are refused when the pack loads, so that a
// pack cannot make the game hold minutes of samples.
constexpr int kMaxSoundMs = 5000;
constexpr int kMaxSoundSamples = kSampleRate / 1000 * kMaxSoundMs;
// A sound at full volume peaks at half the 16-bit range: two loud sounds
// together still fit before the mixer has to clip.
constexpr float kFullScale = 16384.0f;
// Attack and release never take less than this: a level that jumps clicks.
constexpr int kMinRampSamples = kSampleRate / 1000;
constexpr int kMaxArpeggio = 8;

enum class TWave : uint8_t { Square, Triangle, Sine, Saw, Noise };

// A voice as the author writes it, in the author's units.
struct TVoiceDesc {
  TWave Wave = TWave::Square;
  float Freq = 440;                             // Hz at the start
  float FreqEnd = 0;                            // Hz at the end of Length, slid to linearly; 0 = none
  int Slide = 0;                                // Hz per second, while the sound lasts
  int Duty = 50;                                // percent of a square's period spent high
  int Attack = 5;                               // ms from silence to the peak
  int Decay = 0;                                // ms from the peak down to the sustain level
  int Sustain = 100;                            // percent of the peak held until Length
  int Release = 20;                             // ms from the level at Length to silence
  int Length = 200;                             // ms the note is held, the release comes after it
  int Volume = 80;                              // percent
  int VibratoRate = 0;                          // Hz
  int VibratoDepth = 0;                         // cents either way
  std::array<int8_t, kMaxArpeggio> Arpeggio{};  // semitones, taken in turn
  int ArpeggioCount = 0;
  int ArpeggioStep = 50;  // ms per arpeggio step
  int Repeat = 1;         // times the sound plays
  int Gap = 0;            // ms of silence between two plays
  int RepeatStep = 0;     // semitones added at each repeat
};

// Samples of one play of desc (no repeats), release included.
uint32_t NoteSamples(const TVoiceDesc& desc, uint32_t holdSamples);
uint32_t MsToSamples(int ms);
// The whole sound with its repeats; never more than kMaxSoundSamples.
uint32_t SoundSamples(const TVoiceDesc& desc);

// One note being played. Touches no memory but its own: the mixer runs it
// inside the audio callback.
class TSynthVoice {
 public:
  // A note of desc at freq Hz, held holdSamples before its release. desc must
  // outlive the note.
  void Start(const TVoiceDesc& desc, float freq, uint32_t holdSamples);
  bool Active() const { return desc_ != nullptr; }
  // Adds the next n samples (in 16-bit units) times gain to out; the voice
  // ends by itself after its release.
  void Render(float* out, int n, float gain);
  // Ends the note now; the caller cares for the click.
  void Stop() { desc_ = nullptr; }
  // Releases the note from where its level stands, within kMinRampSamples.
  void FastRelease();

 private:
  // A stretch of samples with one envelope stage: its end (in t_) and its
  // level, changing by step a sample.
  struct TRun {
    uint32_t End = 0;
    float Level = 0, Step = 0;
  };
  // False when the note is over.
  bool NextStage(TRun& run);
  // Steady: the pitch neither slides nor wavers during the run.
  template <TWave W, bool Steady>
  void RenderRun(float* out, uint32_t n, float level, float levelStep, float gain);
  template <bool Steady>
  void RenderRunOf(float* out, uint32_t n, float level, float levelStep, float gain);

  const TVoiceDesc* desc_ = nullptr;
  uint32_t t_ = 0;
  uint32_t hold_ = 0, attack_ = 0, decayEnd_ = 0, release_ = 0;
  float sustain_ = 1, level_ = 0, releaseFrom_ = 0, amplitude_ = 0;
  float freq_ = 0, slidePerSample_ = 0;
  uint32_t phase_ = 0;  // 2^32 a period
  uint32_t vibratoPhase_ = 0, vibratoStep_ = 0;
  float vibratoDepth_ = 0;
  std::array<float, kMaxArpeggio> arpRatio_{};
  uint32_t arpStep_ = 1, arpCount_ = 0, arpIndex_ = 0, arpLeft_ = 0;
  uint16_t noise_ = 1;
  float noiseValue_ = 1;
};

// The whole sound of desc, repeats included, as 16-bit samples.
std::vector<int16_t> RenderSound(const TVoiceDesc& desc);

// sin(2 pi phase) for phase in [0, 1), within 0.001: no table, no libm.
float FastSine(float phase);

}  // namespace zorbin
