// SoundBank: the bank's look-ups and the loader of sounds.ini, its WAV files
// and its scores.
#include "audio/SoundBank.h"

#include "audio/AudioDiagnostics.h"
#include "audio/VoiceKeys.h"
#include "audio/WavFile.h"
#include "formats/QXINIFile.h"
#include "storage/QXStream.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <algorithm>
#include <cmath>

namespace zorbin {

namespace {

const std::string kSoundsIni = "sounds.ini";
// Each sound is short, but a small file could still name thousands of them:
// the bank as a whole is bounded too.
constexpr int kMaxSounds = 256;
constexpr uint64_t kMaxBankSeconds = 60;
constexpr int kMaxScores = 32;
constexpr size_t kMaxBankNotes = 65536;

// False, with an error, when one more sound of that many samples would pass
// the bank's limits.
bool RoomForSound(const TSoundBank& bank, const std::string& name, uint64_t samples, int line,
                  TAudioDiagnostics& diags) {
  uint64_t total = samples;
  for (int i = 0; i < bank.SoundCount(); ++i) total += bank.Sound(i)->Samples.size();
  std::string problem;
  if (bank.SoundCount() >= kMaxSounds)
    problem = "more than " + std::to_string(kMaxSounds) + " sounds";
  else if (total > kMaxBankSeconds * kSampleRate)
    problem = "the sounds together would play more than " + std::to_string(kMaxBankSeconds) + " s";
  if (problem.empty()) return true;
  diags.Error(kSoundsIni, line, problem + "; [" + name + "] is left out");
  return false;
}

bool RoomForScore(const TSoundBank& bank, const TScore& score, int line, TAudioDiagnostics& diags) {
  auto notes = [](const TScore& s) {
    size_t n = 0;
    for (const TMusicTrack& t : s.Tracks) n += t.Notes.size();
    return n;
  };
  size_t total = notes(score);
  for (int i = 0; i < bank.MusicCount(); ++i) total += notes(*bank.Music(i));
  std::string problem;
  if (bank.MusicCount() >= kMaxScores)
    problem = "more than " + std::to_string(kMaxScores) + " scores";
  else if (total > kMaxBankNotes)
    problem = "the scores together would hold more than " + std::to_string(kMaxBankNotes) + " notes";
  if (problem.empty()) return true;
  diags.Error(kSoundsIni, line, problem + "; the music " + score.Name + " is left out");
  return false;
}

// The bytes of a file the sounds name; false, with an error at file:line,
// when there are none.
bool ReadPackFile(const TSoundFileOpener& open, const std::string& name, std::vector<uint8_t>& bytes, int line,
                  TAudioDiagnostics& diags) {
  try {
    std::unique_ptr<TStream> stream = open(name);
    if (stream) {
      bytes = stream->ReadAll();
      return true;
    }
    diags.Error(kSoundsIni, line, "the pack has no file " + name);
  } catch (const std::exception& e) {
    diags.Error(kSoundsIni, line, name + " cannot be read: " + e.what());
  }
  return false;
}

void ReadWavSound(const TSoundFileOpener& open, const std::string& section, const std::vector<TKeyLine>& lines,
                  TSoundBank& bank, TAudioDiagnostics& diags) {
  const TKeyLine& fileLine = *std::find_if(lines.begin(), lines.end(), [](auto& l) { return SameText(l.Key, "File"); });
  int volume = 100;
  for (const TKeyLine& l : lines) {
    int32_t v = 0;
    if (SameText(l.Key, "Volume") && (!TryStrToInt(l.Value, v) || v < 0 || v > 100))
      diags.Error(kSoundsIni, l.Line, "Volume: '" + l.Value + "' is not a whole number from 0 to 100 (percent)");
    else if (SameText(l.Key, "Volume"))
      volume = v;
    else if (!SameText(l.Key, "File"))
      diags.Warning(kSoundsIni, l.Line, l.Key + " does not apply to a sound read from a file; it is ignored");
  }
  std::vector<uint8_t> bytes;
  if (!ReadPackFile(open, fileLine.Value, bytes, fileLine.Line, diags)) return;
  std::vector<int16_t> samples;
  std::string error;
  if (!ReadWav(bytes, samples, error)) {
    diags.Error(kSoundsIni, fileLine.Line, fileLine.Value + ": " + error);
    return;
  }
  for (int16_t& s : samples) s = int16_t(s * volume / 100);
  if (RoomForSound(bank, section, samples.size(), fileLine.Line, diags)) bank.AddSound(section, std::move(samples));
}

// Combinations of keys that each line alone cannot judge.
void CheckSynthSound(const TVoiceDesc& desc, const std::vector<TKeyLine>& lines, int header, TAudioDiagnostics& diags) {
  if (desc.FreqEnd > 0 && desc.Slide != 0)
    diags.Error(kSoundsIni, LineOfKey(lines, "Slide", header), "give FreqEnd or Slide, not both");
  if (desc.Wave != TWave::Square && LineOfKey(lines, "Duty", 0) > 0)
    diags.Warning(kSoundsIni, LineOfKey(lines, "Duty", header), "Duty applies to a square wave only; it is ignored");
  uint64_t ms = uint64_t(SoundSamples(desc)) * 1000 / kSampleRate;
  if (ms > uint64_t(kMaxSoundMs))
    diags.Error(kSoundsIni, LineOfKey(lines, "Length", header),
                "the sound plays " + std::to_string(ms) + " ms (release and repeats included); a sound is at most " +
                    std::to_string(kMaxSoundMs) + " ms");
}

void ReadSound(const TSoundFileOpener& open, const TIniSection& section, TSoundBank& bank, TAudioDiagnostics& diags) {
  std::vector<TKeyLine> lines = KeyLines(section);
  int errorsBefore = diags.ErrorCount();
  if (LineOfKey(lines, "File", 0) > 0) {
    ReadWavSound(open, section.Name, lines, bank, diags);
    return;
  }
  TVoiceDesc desc;
  for (const TKeyLine& line : lines)
    if (ReadVoiceKey(line, kSoundsIni, desc, diags) == TKeyResult::Unknown)
      diags.Warning(kSoundsIni, line.Line, "unknown key '" + line.Key + "' in sound [" + section.Name + "]");
  CheckSynthSound(desc, lines, section.HeaderLine, diags);
  if (diags.ErrorCount() == errorsBefore &&
      RoomForSound(bank, section.Name, std::min<uint32_t>(SoundSamples(desc), kMaxSoundSamples), section.HeaderLine,
                   diags))
    bank.AddSound(section.Name, RenderSound(desc));
}

TSoundEvent EventByName(const std::string& name) {
  for (int i = 0; i < kSoundEventCount; ++i)
    if (SameText(name, SoundEventName(TSoundEvent(i)))) return TSoundEvent(i);
  return TSoundEvent::Count;
}

// [Events] names the sound of an event; an event it leaves out plays the
// sound named after the event, when there is one.
void ReadEvents(const TIniSection* section, const std::vector<std::string>& failed, TSoundBank& bank,
                TAudioDiagnostics& diags) {
  std::array<bool, kSoundEventCount> named{};
  for (const TKeyLine& line : section ? KeyLines(*section) : std::vector<TKeyLine>()) {
    TSoundEvent event = EventByName(line.Key);
    if (event == TSoundEvent::Count) {
      diags.Warning(kSoundsIni, line.Line, "unknown event '" + line.Key + "'");
      continue;
    }
    int id = bank.SoundId(line.Value);
    bool failedSound = std::any_of(failed.begin(), failed.end(), [&](auto& f) { return SameText(f, line.Value); });
    if (id < 0 && !line.Value.empty() && !failedSound)
      diags.Error(kSoundsIni, line.Line, "no sound [" + line.Value + "] for the event " + line.Key);
    bank.SetEventSound(event, id);
    named[size_t(event)] = true;
  }
  for (int i = 0; i < kSoundEventCount; ++i)
    if (!named[size_t(i)]) bank.SetEventSound(TSoundEvent(i), bank.SoundId(SoundEventName(TSoundEvent(i))));
}

// One line of [Music]: NAME=SCOREFILE,MAP,MAP,...
// mapsNamed gathers the maps of every line, for the check of maps named twice.
void ReadMusicLine(const TSoundFileOpener& open, const TKeyLine& line, std::vector<std::string>& mapsNamed,
                   TSoundBank& bank, TAudioDiagnostics& diags) {
  std::vector<std::string> parts = SplitString(line.Value, ',');
  std::string file = parts.empty() ? std::string() : Trim(parts[0]);
  std::vector<uint8_t> bytes;
  if (file.empty()) {
    diags.Error(kSoundsIni, line.Line, "the music " + line.Key + " names no score file");
    return;
  }
  if (!ReadPackFile(open, file, bytes, line.Line, diags)) return;
  TMemoryStream stream(std::move(bytes));
  TIniFile ini(stream);
  TScore score;
  score.Name = line.Key;
  if (!ReadScore(ini, file, score, diags) || !RoomForScore(bank, score, line.Line, diags)) return;
  int id = bank.AddMusic(std::move(score));
  for (size_t i = 1; i < parts.size(); ++i) {
    std::string map = Trim(parts[i]);
    if (map.empty()) continue;
    if (std::any_of(mapsNamed.begin(), mapsNamed.end(), [&](auto& m) { return SameText(m, map); }))
      diags.Warning(kSoundsIni, line.Line, "the map " + map + " is given music twice; the later one plays");
    mapsNamed.push_back(map);
    bank.SetMapMusic(map, id);
  }
}

TSoundBank LoadFrom(const TSoundFileOpener& open, TIniFile& ini, TAudioDiagnostics& diags) {
  TSoundBank bank;
  std::vector<std::string> seen, failed;
  const TIniSection* events = nullptr;
  const TIniSection* music = nullptr;
  for (const TIniSection& section : ini.Sections()) {
    if (std::any_of(seen.begin(), seen.end(), [&](auto& s) { return SameText(s, section.Name); })) continue;
    seen.push_back(section.Name);
    if (SameText(section.Name, "Events")) {
      events = &section;
    } else if (SameText(section.Name, "Music")) {
      music = &section;
    } else if (section.Type == stList) {
      diags.Warning(kSoundsIni, section.HeaderLine, "[*" + section.Name + "] is a list section; it is ignored");
    } else {
      ReadSound(open, section, bank, diags);
      if (bank.SoundId(section.Name) < 0) failed.push_back(section.Name);
    }
  }
  ReadEvents(events, failed, bank, diags);
  std::vector<std::string> mapsNamed;
  if (music)
    for (const TKeyLine& line : KeyLines(*music)) ReadMusicLine(open, line, mapsNamed, bank, diags);
  return bank;
}

}  // namespace

TSoundBank::TSoundBank() { events_.fill(-1); }

const TSoundEffect* TSoundBank::Sound(int id) const {
  return id >= 0 && id < SoundCount() ? &sounds_[size_t(id)] : nullptr;
}

int TSoundBank::SoundId(const std::string& name) const {
  for (size_t i = 0; i < sounds_.size(); ++i)
    if (SameText(sounds_[i].Name, name)) return int(i);
  return -1;
}

int TSoundBank::EventSound(TSoundEvent event) const {
  int i = int(event);
  return i >= 0 && i < kSoundEventCount ? events_[size_t(i)] : -1;
}

const TScore* TSoundBank::Music(int id) const { return id >= 0 && id < MusicCount() ? &music_[size_t(id)] : nullptr; }

int TSoundBank::MusicId(const std::string& name) const {
  for (size_t i = 0; i < music_.size(); ++i)
    if (SameText(music_[i].Name, name)) return int(i);
  return -1;
}

int TSoundBank::MusicForMap(const std::string& mapDir) const {
  for (const auto& [map, id] : mapMusic_)
    if (SameText(map, mapDir)) return id;
  return otherMapsMusic_;
}

int TSoundBank::AddSound(std::string name, std::vector<int16_t> samples) {
  sounds_.push_back({std::move(name), std::move(samples)});
  return SoundCount() - 1;
}

void TSoundBank::SetEventSound(TSoundEvent event, int soundId) {
  int i = int(event);
  if (i >= 0 && i < kSoundEventCount) events_[size_t(i)] = soundId;
}

int TSoundBank::AddMusic(TScore score) {
  music_.push_back(std::move(score));
  return MusicCount() - 1;
}

void TSoundBank::SetMapMusic(const std::string& mapDir, int musicId) {
  if (mapDir == "*") {
    otherMapsMusic_ = musicId;
    return;
  }
  for (auto& entry : mapMusic_)
    if (SameText(entry.first, mapDir)) {
      entry.second = musicId;
      return;
    }
  mapMusic_.push_back({mapDir, musicId});
}

TSoundBank LoadSoundBank(const TSoundFileOpener& open, TAudioDiagnostics& diags) {
  try {
    std::unique_ptr<TStream> stream = open(kSoundsIni);
    if (!stream) return TSoundBank();
    TIniFile ini(*stream);
    return LoadFrom(open, ini, diags);
  } catch (const std::exception& e) {
    diags.Error(kSoundsIni, 0, std::string("the sounds cannot be loaded: ") + e.what());
  }
  return TSoundBank();
}

TSoundBank LoadSoundBank(TAudioDiagnostics& diags) {
  return LoadSoundBank(
      [](const std::string& name) -> std::unique_ptr<TStream> {
        std::string rooted = "\\" + name;
        if (!StreamOpener || !StreamOpener->FileExists(rooted)) return nullptr;
        return StreamOpener->OpenStream(rooted);
      },
      diags);
}

}  // namespace zorbin
