// MixerTest: the mixer's output: ramps at starts, ends and takeovers, voices
// summed and clipped, volumes and mute, music looped and switched, and the
// same calls giving the same bytes.
#include "audio/Mixer.h"
#include "audio/SoundBank.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zorbin::mixer_test {

// A score of one square-wave track, at 240 quarter notes a minute.
TScore Score(float freq, uint32_t quarterNotes) {
  TScore score;
  TMusicTrack track;
  track.Voice.Volume = 50;
  for (uint32_t i = 0; i < quarterNotes; ++i) track.Notes.push_back({i * 11025, 9000, freq});
  score.Tracks.push_back(track);
  score.LoopSamples = quarterNotes * 11025;
  return score;
}

struct TBankOfTests {
  TSoundBank Bank;
  int Level10000, Level1000, Level2000, Music, OtherMusic;
  TBankOfTests() {
    Level10000 = Bank.AddSound("dc", std::vector<int16_t>(1000, 10000));
    Level1000 = Bank.AddSound("long", std::vector<int16_t>(20000, 1000));
    Level2000 = Bank.AddSound("late", std::vector<int16_t>(20000, 2000));
    Bank.SetEventSound(TSoundEvent::Land, Level10000);
    Music = Bank.AddMusic(Score(441, 4));
    OtherMusic = Bank.AddMusic(Score(882, 3));
  }
};

// The left channel of the next frames, after checking it equals the right.
std::vector<int16_t> Next(TMixer& mixer, int frames) {
  std::vector<int16_t> stereo(size_t(frames) * 2);
  mixer.Mix(stereo.data(), frames);
  std::vector<int16_t> left(static_cast<size_t>(frames));
  for (size_t i = 0; i < left.size(); ++i) {
    EXPECT_EQ(stereo[2 * i], stereo[2 * i + 1]);
    left[i] = stereo[2 * i];
  }
  return left;
}

int MaxStep(const std::vector<int16_t>& s) {
  int step = 0;
  for (size_t i = 1; i < s.size(); ++i) step = std::max(step, std::abs(s[i] - s[i - 1]));
  return step;
}

TEST(Mixer, SoundsRampInAndOutWithoutAJump) {
  TBankOfTests t;
  TMixer mixer(t.Bank);
  EXPECT_EQ(Next(mixer, 100), std::vector<int16_t>(100, 0));
  EXPECT_TRUE(mixer.PlayEvent(TSoundEvent::Land));
  std::vector<int16_t> s = Next(mixer, 1500);
  EXPECT_EQ(s[0], 0);
  EXPECT_EQ(s[500], 10000);
  EXPECT_EQ(s[999], 0);
  EXPECT_LE(MaxStep(s), 10000 / kRampSamples + 1);
  EXPECT_EQ(std::vector<int16_t>(s.begin() + 1000, s.end()), std::vector<int16_t>(500, 0));
  EXPECT_FALSE(mixer.PlayEvent(TSoundEvent::LiftOn));  // no sound for it
  EXPECT_FALSE(mixer.Play(99));
}

TEST(Mixer, VoicesAddUpClipSafelyAndANinthTakesOverTheOldest) {
  TBankOfTests t;
  TMixer mixer(t.Bank);
  for (int i = 0; i < 8; ++i) mixer.Play(t.Level10000);
  std::vector<int16_t> s = Next(mixer, 600);
  EXPECT_EQ(s[300], 32767);  // 80000, clipped, not wrapped
  for (int16_t v : s) ASSERT_GE(v, 0);
  TMixer steal(t.Bank);
  for (int i = 0; i < 8; ++i) steal.Play(t.Level1000);
  Next(steal, 1000);
  steal.Play(t.Level2000);
  s = Next(steal, 1000);
  EXPECT_NEAR(s[0], 8000, 1000 / kRampSamples + 1);  // the oldest begins to fade
  EXPECT_EQ(s[999], 7000 + 2000);
  EXPECT_LE(MaxStep(s), (1000 + 2000) / kRampSamples + 1);
}

TEST(Mixer, VolumeAndMuteGlideToTheirLevels) {
  TBankOfTests t;
  TMixer mixer(t.Bank);
  EXPECT_TRUE(mixer.SetVolume(150));
  EXPECT_EQ(mixer.Volume(), 100);
  mixer.SetVolume(50);
  mixer.Play(t.Level1000);
  std::vector<int16_t> s = Next(mixer, 2000);
  EXPECT_EQ(s[1000], 500);
  EXPECT_LE(MaxStep(s), 1000 / kRampSamples + 1);
  mixer.SetMuted(true);
  EXPECT_TRUE(mixer.Muted());
  s = Next(mixer, 1000);
  EXPECT_EQ(s[999], 0);
  EXPECT_LE(MaxStep(s), 10);
  mixer.SetMuted(false);
  EXPECT_EQ(Next(mixer, 1000)[999], 500);
}

TEST(Mixer, MusicLoopsUnderEffectsAndHasAVolumeOfItsOwn) {
  TBankOfTests t;
  TMixer mixer(t.Bank);
  EXPECT_TRUE(mixer.PlayMusic(t.Music));
  EXPECT_FALSE(mixer.PlayMusic(7));
  const int loop = 4 * 11025;
  std::vector<int16_t> first = Next(mixer, loop), second = Next(mixer, loop), third = Next(mixer, loop);
  EXPECT_EQ(second, third);
  EXPECT_EQ(std::abs(first[1000]), 8192);  // 50 % of full scale
  EXPECT_LE(MaxStep(first), 16384 + 1);    // a square wave swings, nothing jumps further
  // Asking for the score that plays changes nothing.
  mixer.PlayMusic(t.Music);
  EXPECT_EQ(Next(mixer, loop), second);
  mixer.SetMusicVolume(0);
  mixer.Play(t.Level1000);
  std::vector<int16_t> s = Next(mixer, 2000);
  EXPECT_EQ(s[1500], 1000);
}

TEST(Mixer, MusicFadesOutBeforeTheNextOneAndStops) {
  TBankOfTests t;
  TMixer mixer(t.Bank);
  mixer.PlayMusic(t.Music);
  Next(mixer, 5000);
  mixer.PlayMusic(t.OtherMusic);
  std::vector<int16_t> s = Next(mixer, 2000);
  int fadeEnd = 0;
  for (int i = 0; i < 2000 && !fadeEnd; ++i)
    if (s[size_t(i)] == 0 && s[size_t(i) + 1] == 0) fadeEnd = i;
  EXPECT_GE(fadeEnd, 800);
  EXPECT_LE(fadeEnd, 900);
  EXPECT_NE(s[1999], 0);  // the other score plays
  mixer.StopMusic();
  s = Next(mixer, 1200);
  EXPECT_EQ(std::vector<int16_t>(s.begin() + 1000, s.end()), std::vector<int16_t>(200, 0));
  mixer.PlayMusic(t.Music);
  mixer.StopAll();
  EXPECT_EQ(Next(mixer, 500), std::vector<int16_t>(500, 0));
}

TEST(Mixer, TheSameCallsAtTheSamePositionsGiveTheSameBytes) {
  TBankOfTests t;
  auto run = [&](int lateFrame) {
    TMixer mixer(t.Bank);
    std::vector<int16_t> all;
    for (int frame = 0; frame < 200; ++frame) {
      if (frame == 3) mixer.PlayMusic(t.Music);
      if (frame % 7 == 0) mixer.Play(t.Level10000);
      if (frame == lateFrame) mixer.Play(t.Level2000);
      if (frame == 150) mixer.SetVolume(40);
      std::vector<int16_t> s(kGameFrameSamples * 2);
      mixer.Mix(s.data(), kGameFrameSamples);
      all.insert(all.end(), s.begin(), s.end());
    }
    return all;
  };
  EXPECT_EQ(run(50), run(50));
  EXPECT_NE(run(50), run(51));
}

TEST(Mixer, AFullQueueRefusesCommandsUntilTheNextMix) {
  TBankOfTests t;
  TMixer mixer(t.Bank);
  int accepted = 0;
  for (int i = 0; i < 1000; ++i) accepted += mixer.Play(t.Level1000);
  EXPECT_EQ(accepted, int(TCommandQueue::kCapacity));
  EXPECT_FALSE(mixer.SetVolume(10));
  EXPECT_EQ(mixer.Volume(), 100);
  Next(mixer, 10);
  EXPECT_TRUE(mixer.SetVolume(10));
}

}  // namespace zorbin::mixer_test
