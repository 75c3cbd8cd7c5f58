// VoiceKeys: one table of the numeric keys and their ranges, and the few
// keys with a grammar of their own (waves, pitches, lists).
#include "audio/VoiceKeys.h"

#include "audio/AudioDiagnostics.h"
#include "formats/QXINIFile.h"
#include "util/QXToolbox.h"

#include <cmath>

namespace zorbin {

namespace {

struct TIntKey {
  const char* Name;
  int TVoiceDesc::*Field;
  int Min, Max;
  const char* Unit;
};

constexpr TIntKey kIntKeys[] = {
    {"Slide", &TVoiceDesc::Slide, -100000, 100000, "Hz per second"},
    {"Duty", &TVoiceDesc::Duty, 1, 99, "percent"},
    {"Attack", &TVoiceDesc::Attack, 0, 2000, "ms"},
    {"Decay", &TVoiceDesc::Decay, 0, 5000, "ms"},
    {"Sustain", &TVoiceDesc::Sustain, 0, 100, "percent"},
    {"Release", &TVoiceDesc::Release, 0, 2000, "ms"},
    {"Length", &TVoiceDesc::Length, 1, kMaxSoundMs, "ms"},
    {"Volume", &TVoiceDesc::Volume, 0, 100, "percent"},
    {"ArpeggioStep", &TVoiceDesc::ArpeggioStep, 1, 1000, "ms"},
    {"Repeat", &TVoiceDesc::Repeat, 1, 16, "times"},
    {"Gap", &TVoiceDesc::Gap, 0, 2000, "ms"},
    {"RepeatStep", &TVoiceDesc::RepeatStep, -24, 24, "semitones"},
};

constexpr const char* kWaveNames[] = {"square", "triangle", "sine", "saw", "noise"};

bool IntIn(const std::string& text, int lo, int hi, int& out) {
  int32_t v = 0;
  if (!TryStrToInt(text, v) || v < lo || v > hi) return false;
  out = v;
  return true;
}

// A pitch: whole Hz from 20 to 20000, or a note name.
bool ReadPitch(const std::string& text, float& out) {
  int hz = 0;
  if (IntIn(text, 20, 20000, hz)) {
    out = float(hz);
    return true;
  }
  int note = NoteNumber(text);
  if (note < 0) return false;
  out = NoteFrequency(note);
  return true;
}

bool ReadWave(const std::string& text, TWave& out) {
  for (size_t i = 0; i < std::size(kWaveNames); ++i)
    if (SameText(text, kWaveNames[i])) {
      out = TWave(i);
      return true;
    }
  return false;
}

bool ReadVibrato(const std::string& text, TVoiceDesc& desc) {
  std::vector<std::string> parts = SplitString(text, ',');
  int rate = 0, depth = 0;
  if (parts.size() != 2 || !IntIn(Trim(parts[0]), 1, 50, rate) || !IntIn(Trim(parts[1]), 0, 1200, depth)) return false;
  desc.VibratoRate = rate;
  desc.VibratoDepth = depth;
  return true;
}

bool ReadArpeggio(const std::string& text, TVoiceDesc& desc) {
  std::vector<std::string> parts = SplitString(text, ',');
  if (parts.empty() || parts.size() > size_t(kMaxArpeggio)) return false;
  std::array<int8_t, kMaxArpeggio> steps{};
  for (size_t i = 0; i < parts.size(); ++i) {
    int step = 0;
    if (!IntIn(Trim(parts[i]), -24, 24, step)) return false;
    steps[i] = int8_t(step);
  }
  desc.Arpeggio = steps;
  desc.ArpeggioCount = int(parts.size());
  return true;
}

// The keys with a grammar of their own: Unknown when key is none of them,
// else whether the value was read, and what a good value looks like.
TKeyResult ReadSpecialKey(const TKeyLine& line, TVoiceDesc& desc, std::string& expected) {
  const std::string& v = line.Value;
  if (SameText(line.Key, "Wave")) {
    expected = "square, triangle, sine, saw or noise";
    return ReadWave(v, desc.Wave) ? TKeyResult::Read : TKeyResult::Bad;
  }
  if (SameText(line.Key, "Freq") || SameText(line.Key, "FreqEnd")) {
    expected = "a pitch: whole Hz from 20 to 20000, or a note from C0 to B8 such as A4 or C#5";
    return ReadPitch(v, SameText(line.Key, "Freq") ? desc.Freq : desc.FreqEnd) ? TKeyResult::Read : TKeyResult::Bad;
  }
  if (SameText(line.Key, "Vibrato")) {
    expected = "RATE,DEPTH: 1 to 50 Hz, 0 to 1200 cents";
    return ReadVibrato(v, desc) ? TKeyResult::Read : TKeyResult::Bad;
  }
  if (SameText(line.Key, "Arpeggio")) {
    expected = "1 to 8 comma-separated semitone steps from -24 to 24";
    return ReadArpeggio(v, desc) ? TKeyResult::Read : TKeyResult::Bad;
  }
  return TKeyResult::Unknown;
}

}  // namespace

std::vector<TKeyLine> KeyLines(const TIniSection& section) {
  std::vector<TKeyLine> lines;
  for (size_t i = 0; i < section.Lines.size(); ++i) {
    const std::string& text = section.Lines[i];
    size_t eq = text.find('=');
    int line = i < section.LineNumbers.size() ? section.LineNumbers[i] : 0;
    lines.push_back({Trim(text.substr(0, eq)), eq == std::string::npos ? "" : Trim(text.substr(eq + 1)), line});
  }
  return lines;
}

int LineOfKey(const std::vector<TKeyLine>& lines, const std::string& key, int fallback) {
  for (const TKeyLine& l : lines)
    if (SameText(l.Key, key)) return l.Line;
  return fallback;
}

int NoteNumber(const std::string& name) {
  static constexpr int kSemitone[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (name.size() < 2 || name.size() > 3) return -1;
  char letter = UpCaseChar(name[0]);
  if (letter < 'A' || letter > 'G') return -1;
  int semitone = kSemitone[letter - 'A'];
  size_t pos = 1;
  if (name.size() == 3) {
    if (name[1] == '#')
      ++semitone;
    else if (name[1] == 'b')
      --semitone;
    else
      return -1;
    pos = 2;
  }
  char octave = name[pos];
  if (octave < '0' || octave > '8') return -1;
  int number = (octave - '0' + 1) * 12 + semitone;
  return number < 0 ? -1 : number;
}

float NoteFrequency(int noteNumber) { return 440.0f * std::exp2(float(noteNumber - 69) / 12.0f); }

TKeyResult ReadVoiceKey(const TKeyLine& line, const std::string& file, TVoiceDesc& desc, TAudioDiagnostics& diags) {
  std::string expected;
  TKeyResult result = ReadSpecialKey(line, desc, expected);
  if (result == TKeyResult::Unknown) {
    for (const TIntKey& key : kIntKeys) {
      if (!SameText(line.Key, key.Name)) continue;
      expected =
          "a whole number from " + std::to_string(key.Min) + " to " + std::to_string(key.Max) + " (" + key.Unit + ")";
      result = IntIn(line.Value, key.Min, key.Max, desc.*key.Field) ? TKeyResult::Read : TKeyResult::Bad;
      break;
    }
  }
  if (result == TKeyResult::Bad) diags.Error(file, line.Line, line.Key + ": '" + line.Value + "' is not " + expected);
  return result;
}

}  // namespace zorbin
