// SynthTest: the synthesiser's waves, envelope, lengths and repeats, and note names.
#include "audio/Synth.h"
#include "audio/VoiceKeys.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace zorbin::synth_test {

// A voice with no envelope of its own, so the shortest ramps show.
TVoiceDesc Plain(TWave wave, float freq, int lengthMs) {
  TVoiceDesc d;
  d.Wave = wave;
  d.Freq = freq;
  d.Attack = 0;
  d.Release = 0;
  d.Length = lengthMs;
  d.Volume = 100;
  return d;
}

TEST(Synth, SquareWaveHasItsLevelPeriodAndDuty) {
  TVoiceDesc d = Plain(TWave::Square, 441, 100);  // a period of 100 samples
  d.Duty = 25;
  std::vector<int16_t> s = RenderSound(d);
  ASSERT_EQ(s.size(), 4410u + kMinRampSamples);
  std::vector<size_t> rises;
  size_t high = 0;
  for (size_t i = kMinRampSamples; i < 4410; ++i) {
    ASSERT_EQ(std::abs(s[i]), 16384) << i;
    if (s[i] > 0) ++high;
    if (s[i] > 0 && s[i - 1] < 0) rises.push_back(i);
  }
  ASSERT_GE(rises.size(), 40u);
  for (size_t k = 1; k < rises.size(); ++k) EXPECT_NEAR(double(rises[k] - rises[k - 1]), 100.0, 1.0);
  EXPECT_NEAR(double(high) / double(4410 - kMinRampSamples), 0.25, 0.01);
}

TEST(Synth, EnvelopeRisesDecaysHoldsAndReleasesToSilence) {
  TVoiceDesc d = Plain(TWave::Square, 5000, 50);  // 2205 samples held
  d.Attack = 10;                                  // 441 samples
  d.Decay = 10;
  d.Sustain = 50;
  d.Release = 20;  // 882 samples
  std::vector<int16_t> s = RenderSound(d);
  ASSERT_EQ(s.size(), 2205u + 882u);
  EXPECT_EQ(std::abs(s[0]), 37);  // 16384 / 441: no jump at the start
  EXPECT_EQ(std::abs(s[440]), 16384);
  EXPECT_EQ(std::abs(s[1000]), 8192);
  EXPECT_EQ(std::abs(s[2204]), 8192);
  for (size_t i = 2206; i < s.size(); ++i) ASSERT_LE(std::abs(s[i]), std::abs(s[i - 1])) << i;
  EXPECT_EQ(s.back(), 0);
}

TEST(Synth, RepeatsAreSeparatedBySilenceAndStepInPitch) {
  TVoiceDesc d = Plain(TWave::Square, 441, 20);  // 882 held + 44 released
  d.Repeat = 3;
  d.Gap = 10;
  d.RepeatStep = 12;
  std::vector<int16_t> s = RenderSound(d);
  const size_t note = 882 + kMinRampSamples, period = note + 441;
  ASSERT_EQ(s.size(), 2 * period + note);
  for (size_t i = note; i < period; ++i) ASSERT_EQ(s[i], 0) << i;
  auto rises = [&](size_t from, size_t to) {
    int n = 0;
    for (size_t i = from + 1; i < to; ++i) n += s[i] > 0 && s[i - 1] <= 0;
    return n;
  };
  EXPECT_NEAR(rises(0, note), 9, 1);
  EXPECT_NEAR(rises(2 * period, 2 * period + note), 37, 1);
}

TEST(Synth, NoiseAndSlidesAreRepeatableAndBounded) {
  TVoiceDesc d = Plain(TWave::Noise, 3000, 200);
  d.FreqEnd = 300;
  std::vector<int16_t> a = RenderSound(d), b = RenderSound(d);
  EXPECT_EQ(a, b);
  int positive = 0;
  for (int16_t v : a) {
    ASSERT_LE(std::abs(v), 16384);
    positive += v > 0;
  }
  EXPECT_GT(positive, int(a.size()) / 4);
  EXPECT_LT(positive, int(a.size()) * 3 / 4);
  // Every sound is cut at the limit, whatever its description says.
  TVoiceDesc longest = Plain(TWave::Sine, 440, kMaxSoundMs);
  longest.Repeat = 16;
  EXPECT_EQ(RenderSound(longest).size(), size_t(kMaxSoundSamples));
}

TEST(Synth, FastSineFollowsTheSine) {
  for (int i = 0; i < 1000; ++i) {
    float p = float(i) / 1000.0f;
    ASSERT_NEAR(FastSine(p), std::sin(2.0 * M_PI * p), 0.002) << p;
  }
}

TEST(Synth, NoteNamesGiveTheirPitches) {
  EXPECT_EQ(NoteNumber("A4"), 69);
  EXPECT_EQ(NoteNumber("c4"), 60);
  EXPECT_EQ(NoteNumber("C#5"), 73);
  EXPECT_EQ(NoteNumber("Bb2"), 46);
  EXPECT_EQ(NoteNumber("B8"), 119);
  for (const char* bad : {"", "C", "H4", "C9", "Cx4", "C#", "C44", "R"}) EXPECT_EQ(NoteNumber(bad), -1) << bad;
  EXPECT_FLOAT_EQ(NoteFrequency(69), 440.0f);
  EXPECT_FLOAT_EQ(NoteFrequency(57), 220.0f);
}

}  // namespace zorbin::synth_test
