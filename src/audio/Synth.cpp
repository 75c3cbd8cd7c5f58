// Synth: oscillators, the envelope and whole-sound rendering.
#include "audio/Synth.h"

#include <algorithm>
#include <cmath>

namespace zorbin {

namespace {

constexpr float kMinFreq = 10.0f;
constexpr float kMaxFreq = 20000.0f;
constexpr uint16_t kNoiseSeed = 0xACE1;
// The taps of a maximal 16-bit Galois shift register.
constexpr uint16_t kNoiseTaps = 0xB400;
// Phase steps of 2^32 a period.
constexpr float kPhasePerHz = 4294967296.0f / float(kSampleRate);

// A 32-bit phase as a fraction in [0, 1): its top 24 bits, exact in a float.
float Unit(uint32_t phase) { return float(phase >> 8) * (1.0f / 16777216.0f); }

float SemitoneRatio(int semitones) { return std::exp2(float(semitones) / 12.0f); }

int16_t ToSample(float v) {
  float r = std::round(v);
  return int16_t(std::clamp(r, -32768.0f, 32767.0f));
}

}  // namespace

uint32_t MsToSamples(int ms) { return uint32_t(uint64_t(std::max(ms, 0)) * kSampleRate / 1000); }

uint32_t NoteSamples(const TVoiceDesc& desc, uint32_t holdSamples) {
  return holdSamples + std::max<uint32_t>(kMinRampSamples, MsToSamples(desc.Release));
}

uint32_t SoundSamples(const TVoiceDesc& desc) {
  uint64_t note = NoteSamples(desc, MsToSamples(desc.Length));
  uint64_t repeats = uint64_t(std::clamp(desc.Repeat, 1, 1000));
  uint64_t total = repeats * note + (repeats - 1) * MsToSamples(desc.Gap);
  return uint32_t(std::min<uint64_t>(total, UINT32_MAX));
}

float FastSine(float phase) {
  // sin(2 pi p) = -sin(pi x) with x = 2p - 1; a parabola through sin(pi x)'s
  // zeros and peaks, then one correction step.
  float x = 2.0f * phase - 1.0f;
  float s = 4.0f * x * (1.0f - std::fabs(x));
  s = 0.225f * (s * std::fabs(s) - s) + s;
  return -s;
}

void TSynthVoice::Start(const TVoiceDesc& desc, float freq, uint32_t holdSamples) {
  desc_ = &desc;
  t_ = 0;
  hold_ = std::max<uint32_t>(holdSamples, 1);
  attack_ = std::max<uint32_t>(kMinRampSamples, MsToSamples(desc.Attack));
  sustain_ = float(std::clamp(desc.Sustain, 0, 100)) / 100.0f;
  uint32_t decay = MsToSamples(desc.Decay);
  if (sustain_ < 1.0f) decay = std::max<uint32_t>(decay, kMinRampSamples);
  decayEnd_ = attack_ + decay;
  release_ = std::max<uint32_t>(kMinRampSamples, MsToSamples(desc.Release));
  level_ = releaseFrom_ = 0;
  amplitude_ = float(std::clamp(desc.Volume, 0, 100)) / 100.0f * kFullScale;
  freq_ = freq;
  if (desc.FreqEnd > 0)
    slidePerSample_ = (desc.FreqEnd * (freq / desc.Freq) - freq) / float(hold_);
  else
    slidePerSample_ = float(desc.Slide) / float(kSampleRate);
  phase_ = 0;
  vibratoPhase_ = 0;
  vibratoStep_ = uint32_t(int64_t(float(desc.VibratoRate) * kPhasePerHz));
  vibratoDepth_ = desc.VibratoRate > 0 ? std::exp2(float(desc.VibratoDepth) / 1200.0f) - 1.0f : 0.0f;
  arpCount_ = uint32_t(std::clamp(desc.ArpeggioCount, 0, kMaxArpeggio));
  for (uint32_t i = 0; i < arpCount_; ++i) arpRatio_[i] = SemitoneRatio(desc.Arpeggio[i]);
  arpStep_ = std::max<uint32_t>(1, MsToSamples(desc.ArpeggioStep));
  arpLeft_ = arpStep_;
  arpIndex_ = 0;
  noise_ = kNoiseSeed;
  noiseValue_ = 1;
}

bool TSynthVoice::NextStage(TRun& run) {
  if (t_ < hold_) {
    if (t_ < attack_) {
      run = {std::min(attack_, hold_), float(t_ + 1) / float(attack_), 1.0f / float(attack_)};
    } else if (t_ < decayEnd_) {
      float span = float(decayEnd_ - attack_);
      run = {std::min(decayEnd_, hold_), 1.0f - (1.0f - sustain_) * float(t_ + 1 - attack_) / span,
             -(1.0f - sustain_) / span};
    } else {
      run = {hold_, sustain_, 0.0f};
    }
    return true;
  }
  if (t_ == hold_) releaseFrom_ = level_;
  uint32_t r = t_ - hold_;
  if (r >= release_) return false;
  run = {hold_ + release_, releaseFrom_ * (1.0f - float(r + 1) / float(release_)), -releaseFrom_ / float(release_)};
  return true;
}

void TSynthVoice::FastRelease() {
  if (!desc_) return;
  releaseFrom_ = level_;
  hold_ = t_;
  release_ = kMinRampSamples;
}

template <TWave W, bool Steady>
void TSynthVoice::RenderRun(float* out, uint32_t n, float level, float levelStep, float gain) {
  // A slide to an end pitch stops at the release; one in Hz per second goes on.
  const float slide = t_ < hold_ || desc_->FreqEnd <= 0 ? slidePerSample_ : 0.0f;
  const float ratio = arpCount_ > 0 ? arpRatio_[arpIndex_] : 1.0f;
  const float amplitude = amplitude_ * gain, freq = freq_;
  const uint32_t duty = uint32_t(uint64_t(std::clamp(desc_->Duty, 0, 100)) * 0xFFFFFFFFu / 100);
  const uint32_t steadyStep = uint32_t(int64_t(std::min(freq * ratio, kMaxFreq) * kPhasePerHz));
  // The phases are 32-bit fractions of a period that wrap by themselves; at
  // a steady pitch each sample's phase follows from k alone, so the compiler
  // may do several samples at once.
  uint32_t phase = phase_, vibrato = vibratoPhase_;
  for (uint32_t k = 0; k < n; ++k) {
    uint32_t p, next;
    if constexpr (Steady) {
      p = phase + steadyStep * k;
      next = p + steadyStep;
    } else {
      float f = std::clamp(freq + slide * float(k), kMinFreq, kMaxFreq) * ratio;
      if (vibratoDepth_ > 0) f *= 1.0f + vibratoDepth_ * FastSine(Unit(vibrato));
      vibrato += vibratoStep_;
      p = phase;
      next = phase += uint32_t(int64_t(std::min(f, kMaxFreq) * kPhasePerHz));
    }
    float v = 0;
    if constexpr (W == TWave::Square) v = p < duty ? 1.0f : -1.0f;
    if constexpr (W == TWave::Triangle) v = p < 0x80000000u ? 4.0f * Unit(p) - 1.0f : 3.0f - 4.0f * Unit(p);
    if constexpr (W == TWave::Sine) v = FastSine(Unit(p));
    if constexpr (W == TWave::Saw) v = 2.0f * Unit(p) - 1.0f;
    if constexpr (W == TWave::Noise) {
      // Noise holds a value for one period of its pitch.
      if (next < p) {
        bool bit = noise_ & 1;
        noise_ = uint16_t(noise_ >> 1);
        if (bit) noise_ ^= kNoiseTaps;
        noiseValue_ = (noise_ & 1) ? 1.0f : -1.0f;
      }
      v = noiseValue_;
    }
    out[k] += v * (level + levelStep * float(k)) * amplitude;
  }
  phase_ = Steady ? phase + steadyStep * n : phase;
  vibratoPhase_ = vibrato;
  freq_ = std::clamp(freq + slide * float(n), kMinFreq, kMaxFreq);
  level_ = level + levelStep * float(n - 1);
}

template <bool Steady>
void TSynthVoice::RenderRunOf(float* out, uint32_t n, float level, float levelStep, float gain) {
  switch (desc_->Wave) {
    case TWave::Square: RenderRun<TWave::Square, Steady>(out, n, level, levelStep, gain); break;
    case TWave::Triangle: RenderRun<TWave::Triangle, Steady>(out, n, level, levelStep, gain); break;
    case TWave::Sine: RenderRun<TWave::Sine, Steady>(out, n, level, levelStep, gain); break;
    case TWave::Saw: RenderRun<TWave::Saw, Steady>(out, n, level, levelStep, gain); break;
    case TWave::Noise: RenderRun<TWave::Noise, Steady>(out, n, level, levelStep, gain); break;
  }
}

void TSynthVoice::Render(float* out, int n, float gain) {
  uint32_t done = 0;
  TRun run;
  while (desc_ && done < uint32_t(std::max(n, 0))) {
    if (!NextStage(run)) {
      desc_ = nullptr;
      break;
    }
    // A run keeps one envelope stage and one arpeggio step.
    uint32_t length = std::min(uint32_t(n) - done, run.End - t_);
    if (arpCount_ > 0) length = std::min(length, arpLeft_);
    bool sliding = slidePerSample_ != 0 && (t_ < hold_ || desc_->FreqEnd <= 0);
    if (vibratoDepth_ > 0 || sliding)
      RenderRunOf<false>(out + done, length, run.Level, run.Step, gain);
    else
      RenderRunOf<true>(out + done, length, run.Level, run.Step, gain);
    t_ += length;
    done += length;
    if (arpCount_ > 0 && (arpLeft_ -= length) == 0) {
      arpLeft_ = arpStep_;
      arpIndex_ = (arpIndex_ + 1) % arpCount_;
    }
  }
}

std::vector<int16_t> RenderSound(const TVoiceDesc& desc) {
  uint32_t total = std::min<uint32_t>(SoundSamples(desc), kMaxSoundSamples);
  std::vector<float> mix(total, 0.0f);
  uint32_t hold = std::max<uint32_t>(1, MsToSamples(desc.Length));
  uint32_t note = NoteSamples(desc, hold);
  uint64_t period = uint64_t(note) + MsToSamples(desc.Gap);
  TSynthVoice voice;
  for (int r = 0; r < desc.Repeat; ++r) {
    uint64_t start = uint64_t(r) * period;
    if (start >= total) break;
    voice.Start(desc, desc.Freq * SemitoneRatio(r * desc.RepeatStep), hold);
    voice.Render(mix.data() + start, int(std::min<uint64_t>(note, total - start)), 1.0f);
  }
  std::vector<int16_t> samples(total);
  std::transform(mix.begin(), mix.end(), samples.begin(), ToSample);
  return samples;
}

}  // namespace zorbin
