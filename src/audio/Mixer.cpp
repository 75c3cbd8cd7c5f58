// Mixer: commands applied at the start of each Mix, effects and music summed
// in blocks of float samples, the gains gliding sample by sample, the sum
// clipped to 16 bits.
#include "audio/Mixer.h"

#include "audio/SoundBank.h"

#include <algorithm>
#include <cmath>

namespace zorbin {

namespace {

// Volume and mute glide over 10 ms, a score fades out over 20 ms: a step
// of the gain is then too small to hear as a click.
constexpr float kGainStep = 1.0f / 441.0f;
constexpr float kMusicFadeStep = 1.0f / 882.0f;

float Toward(float value, float target, float step) {
  return value < target ? std::min(value + step, target) : std::max(value - step, target);
}

float Percent(int32_t percent) { return float(std::clamp(percent, 0, 100)) / 100.0f; }

}  // namespace

TMixer::TMixer(const TSoundBank& bank, int volume, int musicVolume)
    : bank_(bank), volume_(std::clamp(volume, 0, 100)), musicVolume_(std::clamp(musicVolume, 0, 100)) {
  volumeTarget_ = master_ = masterTarget_ = Percent(volume_);
  musicGain_ = musicTarget_ = Percent(musicVolume_);
}

bool TMixer::Play(int soundId) {
  const TSoundEffect* sound = bank_.Sound(soundId);
  if (!sound || sound->Samples.empty()) return false;
  return queue_.Push({TAudioOp::Play, soundId});
}

bool TMixer::PlayEvent(TSoundEvent event) { return Play(bank_.EventSound(event)); }

bool TMixer::PlayMusic(int musicId) {
  if (musicId != -1 && !bank_.Music(musicId)) return false;
  return queue_.Push({TAudioOp::PlayMusic, musicId});
}

bool TMixer::StopAll() { return queue_.Push({TAudioOp::StopAll, 0}); }

bool TMixer::SetVolume(int percent) {
  percent = std::clamp(percent, 0, 100);
  if (!queue_.Push({TAudioOp::Volume, percent})) return false;
  volume_ = percent;
  return true;
}

bool TMixer::SetMusicVolume(int percent) {
  percent = std::clamp(percent, 0, 100);
  if (!queue_.Push({TAudioOp::MusicVolume, percent})) return false;
  musicVolume_ = percent;
  return true;
}

bool TMixer::SetMuted(bool muted) {
  if (!queue_.Push({TAudioOp::Mute, muted ? 1 : 0})) return false;
  muted_ = muted;
  return true;
}

void TMixer::Apply(const TAudioCommand& command) {
  switch (command.Op) {
    case TAudioOp::Play: StartEffect(command.Value); break;
    case TAudioOp::PlayMusic:
      if (command.Value == (switchingMusic_ ? nextMusic_ : playingMusic_)) break;
      nextMusic_ = command.Value;
      switchingMusic_ = true;
      break;
    case TAudioOp::Volume: volumeTarget_ = Percent(command.Value); break;
    case TAudioOp::MusicVolume: musicTarget_ = Percent(command.Value); break;
    case TAudioOp::Mute: mutedNow_ = command.Value != 0; break;
    case TAudioOp::StopAll:
      for (TEffectVoice& v : voices_) {
        v.Pending = -1;
        if (v.Samples && v.FadeLeft == 0) v.FadeLeft = kRampSamples;
      }
      nextMusic_ = -1;
      switchingMusic_ = playingMusic_ >= 0;
      break;
  }
  masterTarget_ = mutedNow_ ? 0.0f : volumeTarget_;
}

void TMixer::StartEffect(int soundId) {
  auto oldest = std::min_element(voices_.begin(), voices_.end(),
                                 [](const TEffectVoice& a, const TEffectVoice& b) { return a.Order < b.Order; });
  auto free =
      std::find_if(voices_.begin(), voices_.end(), [](const TEffectVoice& v) { return !v.Samples && v.Pending < 0; });
  TEffectVoice& v = free != voices_.end() ? *free : *oldest;
  v.Order = ++claims_;
  v.Pending = soundId;
  // A voice taken over fades out first; its new sound starts after that.
  if (v.Samples && v.FadeLeft == 0) v.FadeLeft = kRampSamples;
}

void TMixer::RenderEffect(TEffectVoice& v, float* out, int n) {
  for (int i = 0; i < n;) {
    if (!v.Samples) {
      const TSoundEffect* next = bank_.Sound(v.Pending);
      v.Pending = -1;
      if (!next) return;
      v.Samples = next->Samples.data();
      v.Length = uint32_t(next->Samples.size());
      v.Pos = 0;
      v.FadeLeft = 0;
    }
    uint32_t left = v.Length - v.Pos;
    // Between the ramps the samples are added as they are.
    if (v.FadeLeft == 0 && v.Pos >= uint32_t(kRampSamples) && left > uint32_t(kRampSamples)) {
      uint32_t run = std::min(uint32_t(n - i), left - kRampSamples);
      const int16_t* samples = v.Samples + v.Pos;
      for (uint32_t k = 0; k < run; ++k) out[i + int(k)] += float(samples[k]);
      v.Pos += run;
      i += int(run);
      continue;
    }
    // Ramps in and out of every sound, whatever its first and last samples.
    float gain = std::min(1.0f, std::min(float(v.Pos), float(left - 1)) / float(kRampSamples));
    bool fadedOut = false;
    if (v.FadeLeft > 0) {
      gain *= float(--v.FadeLeft) / float(kRampSamples);
      fadedOut = v.FadeLeft == 0;
    }
    out[i++] += float(v.Samples[v.Pos]) * gain;
    if (++v.Pos == v.Length || fadedOut) v.Samples = nullptr;
  }
}

void TMixer::BeginNextMusic() {
  music_.Start(bank_.Music(nextMusic_));
  playingMusic_ = nextMusic_;
  switchingMusic_ = false;
  musicFade_ = 1;
}

void TMixer::RenderMusic(float* out, int n) {
  // The next score starts at once when none plays; over an old one, once
  // that has faded out. Its notes bring their own attacks.
  if (switchingMusic_ && !music_.Score()) BeginNextMusic();
  const TScore* score = music_.Score();
  if (!score) {
    musicGain_ = Toward(musicGain_, musicTarget_, kGainStep * float(n));
    return;
  }
  std::fill_n(musicMix_.begin(), n, 0.0f);
  music_.Render(musicMix_.data(), n, score->Gain);
  for (int i = 0; i < n; ++i) {
    if (switchingMusic_) musicFade_ = std::max(0.0f, musicFade_ - kMusicFadeStep);
    musicGain_ = Toward(musicGain_, musicTarget_, kGainStep);
    out[i] += musicMix_[size_t(i)] * musicGain_ * musicFade_;
  }
  if (switchingMusic_ && musicFade_ == 0.0f) BeginNextMusic();
}

void TMixer::Output(const float* mix, int16_t* out, int n) {
  for (int i = 0; i < n; ++i) {
    master_ = Toward(master_, masterTarget_, kGainStep);
    // Rounded half away from zero, by hand: the same on every platform.
    float v = std::clamp(mix[i] * master_, -32768.0f, 32767.0f);
    int16_t s = int16_t(v >= 0 ? v + 0.5f : v - 0.5f);
    out[2 * i] = s;
    out[2 * i + 1] = s;
  }
}

void TMixer::Mix(int16_t* stereoOut, int frames) {
  TAudioCommand command;
  while (queue_.Pop(command)) Apply(command);
  while (frames > 0) {
    int n = std::min(frames, kBlock);
    std::fill_n(mix_.begin(), n, 0.0f);
    for (TEffectVoice& v : voices_) RenderEffect(v, mix_.data(), n);
    RenderMusic(mix_.data(), n);
    Output(mix_.data(), stereoOut, n);
    stereoOut += 2 * n;
    frames -= n;
  }
}

void TMixer::AudioCallback(void* userdata, uint8_t* stream, int len) {
  static_cast<TMixer*>(userdata)->Mix(reinterpret_cast<int16_t*>(stream), len / 4);
}

}  // namespace zorbin
