// SoundBankTest: sounds.ini and the files it names loaded into a bank: the
// findings at FILE:LINE, what an error leaves out, events, music per map,
// failing files, and the default pack.
#include "audio/AudioDiagnostics.h"
#include "audio/SoundBank.h"
#include "formats/QXINIFile.h"
#include "util/Streams.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>

namespace zorbin::bank_test {

using TFiles = std::map<std::string, std::string>;

TSoundFileOpener Opener(const TFiles& files) {
  return [files](const std::string& name) -> std::unique_ptr<TStream> {
    auto it = files.find(name);
    if (it == files.end()) return nullptr;
    if (it->second == "!") throw std::runtime_error("disk on fire");
    return std::make_unique<TMemoryStream>(it->second);
  };
}

std::vector<std::string> Texts(const TAudioDiagnostics& diags) {
  std::vector<std::string> texts;
  for (const TAudioDiagnostic& d : diags.Items()) texts.push_back(d.Text());
  return texts;
}

// A 16-bit mono 44,100 Hz WAV file of the given samples.
std::string Wav(std::initializer_list<int16_t> samples) {
  auto le = [](uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += char(v >> (8 * i) & 0xFF);
    return s;
  };
  std::string data;
  for (int16_t s : samples) data += le(uint16_t(s), 2);
  return "RIFF" + le(uint32_t(36 + data.size()), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(44100, 4) +
         le(88200, 4) + le(2, 2) + le(16, 2) + "data" + le(uint32_t(data.size()), 4) + data;
}

TEST(SoundBank, APackWithoutSoundsIsSilentWithoutFindings) {
  TAudioDiagnostics diags;
  TSoundBank bank = LoadSoundBank(Opener({}), diags);
  EXPECT_TRUE(diags.Items().empty());
  EXPECT_EQ(bank.SoundCount(), 0);
  EXPECT_EQ(bank.EventSound(TSoundEvent::Land), -1);
  EXPECT_EQ(bank.MusicForMap("Map_A"), -1);
}

TEST(SoundBank, FindingsNameTheirLinesAndErrorsLeaveOnlyTheirSoundOut) {
  TFiles files{{"sounds.ini",
                "[Events]\nland=Thud\nlift_on=Missing\nJump=Thud\ncrate_push=Broken\nport=\n"
                "[Thud]\nWave=triangle\nFreq=A3\nVolume=90\n"
                "[Broken]\nWave=sqare\nAttack=x12\nDuty=30\nLoudness=3\n"
                "[Long]\nLength=4000\nRepeat=16\n"
                "[Both]\nWave=sine\nFreqEnd=880\nSlide=100\nDuty=10\n"
                "[Boom]\nFile=sfx\\boom.wav\nVolume=50\nFreq=100\n"
                "[Gone]\nFile=sfx\\gone.wav\n[Junk]\nFile=sfx\\junk.wav\n[*List]\nx\n"},
               {"sfx\\boom.wav", Wav({1000, -2000, 4000})},
               {"sfx\\junk.wav", "hello"}};
  TAudioDiagnostics diags;
  TSoundBank bank = LoadSoundBank(Opener(files), diags);
  EXPECT_EQ(Texts(diags),
            (std::vector<std::string>{
                "sounds.ini:12: error: Wave: 'sqare' is not square, triangle, sine, saw or noise",
                "sounds.ini:13: error: Attack: 'x12' is not a whole number from 0 to 2000 (ms)",
                "sounds.ini:15: warning: unknown key 'Loudness' in sound [Broken]",
                "sounds.ini:17: error: the sound plays 64320 ms (release and repeats included); a sound is at most "
                "5000 ms",
                "sounds.ini:22: error: give FreqEnd or Slide, not both",
                "sounds.ini:23: warning: Duty applies to a square wave only; it is ignored",
                "sounds.ini:27: warning: Freq does not apply to a sound read from a file; it is ignored",
                "sounds.ini:29: error: the pack has no file sfx\\gone.wav",
                "sounds.ini:31: error: sfx\\junk.wav: not a RIFF WAVE file",
                "sounds.ini:32: warning: [*List] is a list section; it is ignored",
                "sounds.ini:3: error: no sound [Missing] for the event lift_on",
                "sounds.ini:4: warning: unknown event 'Jump'"}));
  EXPECT_EQ(diags.ErrorCount(), 7);
  EXPECT_EQ(bank.SoundCount(), 2);
  EXPECT_EQ(bank.EventSound(TSoundEvent::Land), bank.SoundId("thud"));
  EXPECT_EQ(bank.EventSound(TSoundEvent::CratePush), -1);
  EXPECT_EQ(bank.EventSound(TSoundEvent::PortEnter), -1);
  ASSERT_NE(bank.Sound(bank.SoundId("Boom")), nullptr);
  EXPECT_EQ(bank.Sound(bank.SoundId("Boom"))->Samples, (std::vector<int16_t>{500, -1000, 2000}));
  EXPECT_EQ(bank.Sound(-1), nullptr);
}

TEST(SoundBank, AnEventLeftOutOfEventsPlaysTheSoundNamedAfterIt) {
  TAudioDiagnostics diags;
  TSoundBank bank =
      LoadSoundBank(Opener({{"sounds.ini", "[Slot_Lamp]\nWave=sine\n[land]\n[Events]\nland=\nport=land\n"}}), diags);
  EXPECT_TRUE(diags.Items().empty());
  EXPECT_EQ(bank.EventSound(TSoundEvent::SlotLamp), bank.SoundId("slot_lamp"));
  EXPECT_EQ(bank.EventSound(TSoundEvent::Land), -1);
  EXPECT_EQ(bank.EventSound(TSoundEvent::PortEnter), bank.SoundId("land"));
  EXPECT_EQ(bank.EventSound(TSoundEvent::CratePush), -1);
  EXPECT_GE(bank.SoundId("land"), 0);
}

TEST(SoundBank, MusicIsFoundPerMapWithAScoreForTheRest) {
  std::string score = "[T]\nNotes=C4 4\n";
  TFiles files{{"sounds.ini",
                "[Music]\ncalm=music\\calm.ini,Map_A, map_b\nother=music\\other.ini,*,MAP_A\n"
                "lost=music\\lost.ini,Map_C\nbad=music\\bad.ini,Map_D\nnone=\n"},
               {"music\\calm.ini", score},
               {"music\\other.ini", score},
               {"music\\bad.ini", "[T]\nNotes=Q4\n"}};
  TAudioDiagnostics diags;
  TSoundBank bank = LoadSoundBank(Opener(files), diags);
  EXPECT_EQ(Texts(diags),
            (std::vector<std::string>{
                "sounds.ini:3: warning: the map MAP_A is given music twice; the later one plays",
                "sounds.ini:4: error: the pack has no file music\\lost.ini",
                "music\\bad.ini:2: error: 'Q4' is not a note (such as C4, F#3, Bb2), a rest (R) or a length",
                "sounds.ini:6: error: the music none names no score file"}));
  EXPECT_EQ(bank.MusicCount(), 2);
  EXPECT_EQ(bank.MusicForMap("Map_B"), bank.MusicId("calm"));
  EXPECT_EQ(bank.MusicForMap("map_a"), bank.MusicId("other"));
  EXPECT_EQ(bank.MusicForMap("Map_C"), bank.MusicId("other"));
  EXPECT_EQ(bank.Music(bank.MusicId("calm"))->LoopSamples, 22050u);
}

TEST(SoundBank, ASmallFileCannotMakeTheBankHuge) {
  std::string text = "[Music]\n";
  for (int i = 0; i < 40; ++i) text += "m" + std::to_string(i) + "=s.ini\n";
  for (int i = 0; i < 300; ++i) text += "[S" + std::to_string(i) + "]\nLength=4980\n";
  std::string score = "[T]\nNotes=C4 32";
  for (int i = 1; i < 8000; ++i) score += " C4";
  TAudioDiagnostics diags;
  TSoundBank bank = LoadSoundBank(Opener({{"sounds.ini", text}, {"s.ini", score + "\n"}}), diags);
  // 4980 ms and the release: twelve sounds fit in a minute, eight scores of
  // 8000 notes in 65536 notes.
  EXPECT_EQ(bank.SoundCount(), 12);
  EXPECT_EQ(bank.MusicCount(), 8);
  std::vector<std::string> texts = Texts(diags);
  ASSERT_EQ(texts.size(), 300u - 12 + 40 - 8);
  EXPECT_EQ(texts[0], "sounds.ini:66: error: the sounds together would play more than 60 s; [S12] is left out");
  EXPECT_EQ(texts[288],
            "sounds.ini:10: error: the scores together would hold more than 65536 notes; the music m8 is "
            "left out");
}

TEST(SoundBank, FilesThatFailToReadAreFindingsNotExceptions) {
  TAudioDiagnostics diags;
  TSoundBank bank = LoadSoundBank(Opener({{"sounds.ini", "!"}}), diags);
  EXPECT_EQ(Texts(diags), std::vector<std::string>{"sounds.ini: error: the sounds cannot be loaded: disk on fire"});
  TAudioDiagnostics more;
  bank = LoadSoundBank(Opener({{"sounds.ini", "[A]\nFile=a.wav\n"}, {"a.wav", "!"}}), more);
  EXPECT_EQ(Texts(more), std::vector<std::string>{"sounds.ini:2: error: a.wav cannot be read: disk on fire"});
  EXPECT_EQ(bank.SoundCount(), 0);
}

TEST(SoundBank, TheDefaultPackHasAShortSoundForEveryEventAndMusicForEveryMap) {
  const std::string root = std::string(ZORBIN_SOURCE_DIR) + "/data/pack/";
  auto open = [&](const std::string& name) -> std::unique_ptr<TStream> {
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (!test::FileExists(root + path)) return nullptr;
    return std::make_unique<TMemoryStream>(test::ReadFileText(root + path));
  };
  TAudioDiagnostics diags;
  TSoundBank bank = LoadSoundBank(open, diags);
  EXPECT_EQ(Texts(diags), std::vector<std::string>{});
  for (int e = 0; e < kSoundEventCount; ++e) {
    const TSoundEffect* sound = bank.Sound(bank.EventSound(TSoundEvent(e)));
    ASSERT_NE(sound, nullptr) << SoundEventName(TSoundEvent(e));
    EXPECT_LE(sound->Samples.size(), size_t(kSampleRate) * 3 / 2) << sound->Name;
    int16_t peak = *std::max_element(sound->Samples.begin(), sound->Samples.end());
    EXPECT_GT(peak, 2000) << sound->Name;
  }
  TMemoryStream index(test::ReadFileText(root + "$main$.ini"));
  TIniFile ini(index);
  ASSERT_GE(ini.ListItemCount("Maps"), 7);
  for (int i = 0; i < ini.ListItemCount("Maps"); ++i) {
    std::string map = ini.ReadListItem("Maps", i).substr(0, ini.ReadListItem("Maps", i).find(','));
    const TScore* score = bank.Music(bank.MusicForMap(map));
    ASSERT_NE(score, nullptr) << map;
    EXPECT_GE(score->LoopSamples, uint32_t(8 * kSampleRate)) << map;
  }
  EXPECT_GE(bank.MusicCount(), 3);
}

}  // namespace zorbin::bank_test
