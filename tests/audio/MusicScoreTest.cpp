// MusicScoreTest: notes laid out in samples (lengths, dots, rests, rounds,
// transposition) and the findings on bad and hostile scores.
#include "audio/AudioDiagnostics.h"
#include "audio/MusicScore.h"
#include "formats/QXINIFile.h"
#include "util/Streams.h"

#include <gtest/gtest.h>

namespace zorbin::score_test {

struct TRead {
  bool Ok = false;
  TScore Score;
  std::vector<std::string> Findings;
};

TRead ReadText(const std::string& text) {
  TMemoryStream stream(text);
  TIniFile ini(stream);
  TAudioDiagnostics diags;
  TRead r;
  r.Ok = ReadScore(ini, "music\\t.ini", r.Score, diags);
  for (const TAudioDiagnostic& d : diags.Items()) r.Findings.push_back(d.Text());
  return r;
}

TEST(MusicScore, NotesLieAtTheirSamplesWithLengthsCarriedOn) {
  // At 120 quarter notes a minute a quarter note is 22050 samples.
  TRead r = ReadText("[Score]\nTempo=120\nVolume=50\n[Lead]\nGate=100\nNotes=C4 8 E4 G4 4 | R 8 A4 4.\nNotes=A5\n");
  ASSERT_TRUE(r.Ok);
  EXPECT_TRUE(r.Findings.empty());
  EXPECT_FLOAT_EQ(r.Score.Gain, 0.5f);
  EXPECT_EQ(r.Score.LoopSamples, 22050u * 11 / 2);
  ASSERT_EQ(r.Score.Tracks.size(), 1u);
  const std::vector<TMusicNote>& n = r.Score.Tracks[0].Notes;
  ASSERT_EQ(n.size(), 5u);
  uint32_t starts[] = {0, 11025, 22050, 55125, 88200}, holds[] = {11025, 11025, 22050, 33075, 33075};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(n[i].Start, starts[i]) << i;
    EXPECT_EQ(n[i].Hold, holds[i]) << i;
  }
  EXPECT_FLOAT_EQ(n[3].Freq, 440.0f);
  EXPECT_FLOAT_EQ(n[4].Freq, 880.0f);
}

TEST(MusicScore, ShorterTracksRepeatToFillTheLoopAndKeepTheirVoices) {
  TRead r = ReadText(
      "[Score]\nTempo=120\n[Tune]\nWave=sine\nVolume=30\nNotes=A4 1 A4 1\n"
      "[Beat]\nWave=noise\nGate=50\nTranspose=-12\nNotes=A4 4 R\n[Odd]\nNotes=A4 4 R R\n");
  ASSERT_TRUE(r.Ok);
  ASSERT_EQ(r.Score.Tracks.size(), 3u);
  EXPECT_EQ(r.Score.Tracks[0].Voice.Wave, TWave::Sine);
  EXPECT_EQ(r.Score.Tracks[0].Voice.Volume, 30);
  const std::vector<TMusicNote>& beat = r.Score.Tracks[1].Notes;
  ASSERT_EQ(beat.size(), 4u);
  EXPECT_EQ(beat[3].Start, 3u * 44100);
  EXPECT_EQ(beat[3].Hold, 11025u);
  EXPECT_FLOAT_EQ(beat[0].Freq, 220.0f);
  EXPECT_EQ(r.Score.Tracks[2].Notes.size(), 3u);  // rounds at 0, 3 and 6 quarters of 8
  EXPECT_EQ(r.Findings, std::vector<std::string>{"music\\t.ini:12: warning: track [Odd] lasts 3 quarter notes, which "
                                                 "does not divide the score's 8: its last round is cut short"});
}

TEST(MusicScore, BadValuesAreNamedAtTheirLines) {
  TRead r = ReadText(
      "[Score]\nTempo=0\nSwing=1\n"
      "[Lead]\nWave=square\nFreq=440\nAttack=-1\nGate=5\nNotes=C4 4 X4 8\nNotes=8 C4\nNotes=C4 4 4\nNotes=C4 3\n"
      "[*Bass]\nC3\n");
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Findings, (std::vector<std::string>{
                            "music\\t.ini:2: error: Tempo: '0' is not a whole number from 20 to 400 (quarter notes a "
                            "minute)",
                            "music\\t.ini:3: warning: unknown key 'Swing' in [Score]",
                            "music\\t.ini:6: warning: Freq is set by the notes of a track; it is ignored",
                            "music\\t.ini:7: error: Attack: '-1' is not a whole number from 0 to 2000 (ms)",
                            "music\\t.ini:8: error: Gate: '5' is not a whole number from 10 to 100 (percent)",
                            "music\\t.ini:9: error: 'X4' is not a note (such as C4, F#3, Bb2), a rest (R) or a length",
                            "music\\t.ini:10: error: the length '8' follows no note",
                            "music\\t.ini:11: error: the length '4' follows no note",
                            "music\\t.ini:12: error: '3' is not a length: 1, 2, 4, 8, 16 or 32, with a dot for half "
                            "as long again",
                            "music\\t.ini:13: warning: [*Bass] is a list section; a track is a section [Name]"}));
}

TEST(MusicScore, HostileScoresAreRefusedBeforeTheyGrow) {
  EXPECT_EQ(ReadText("[Score]\nTempo=100\n").Findings,
            std::vector<std::string>{"music\\t.ini: error: the score has no notes"});
  std::string many = "[T]\nNotes=C4 32";
  for (int i = 0; i < kMaxTrackNotes; ++i) many += " C4";
  TRead r = ReadText(many + "\n");
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Findings, std::vector<std::string>{"music\\t.ini:2: error: more than 8192 notes in track [T]"});
  // Few notes, each a whole note at the slowest tempo: over ten minutes.
  std::string slow = "[Score]\nTempo=20\n[T]\nNotes=C4 1";
  for (int i = 0; i < 60; ++i) slow += " C4";
  EXPECT_EQ(ReadText(slow + "\n").Findings,
            std::vector<std::string>{"music\\t.ini: error: the score lasts more than 600 s before it loops"});
  // A short track repeated under a long one may not pass the note limit.
  std::string rounds = "[Score]\nTempo=400\n[Long]\nNotes=R 1";
  for (int i = 0; i < 499; ++i) rounds += " R";
  r = ReadText(rounds + "\n[Fast]\nNotes=C4 32\n");
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Findings, std::vector<std::string>{
                            "music\\t.ini:5: error: track [Fast] repeated over the loop plays more than 8192 notes"});
  std::string nine;
  for (int i = 0; i < 9; ++i) nine += "[T" + std::to_string(i) + "]\nNotes=C4\n";
  EXPECT_EQ(ReadText(nine).Findings, std::vector<std::string>{"music\\t.ini:17: error: a score has at most 8 tracks"});
}

}  // namespace zorbin::score_test
