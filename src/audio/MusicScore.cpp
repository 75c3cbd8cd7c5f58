// MusicScore: the note grammar, tracks as written, and their notes laid out
// in samples over the loop.
#include "audio/MusicScore.h"

#include "audio/AudioDiagnostics.h"
#include "audio/VoiceKeys.h"
#include "formats/QXINIFile.h"
#include "util/QXToolbox.h"

#include <algorithm>
#include <numeric>

namespace zorbin {

namespace {

// A quarter note; 96 splits down to a dotted 32nd note in whole ticks.
constexpr int kTicksPerQuarter = 96;
// Keys of a sound that the notes of a track set.
constexpr const char* kNoteKeys[] = {"Freq", "FreqEnd", "Length", "Repeat", "Gap", "RepeatStep"};

struct TNoteEvent {
  int Note = -1;  // -1: a rest
  int Ticks = kTicksPerQuarter;
  bool LengthGiven = false;
};

// A track as written, before its notes are laid out.
struct TTrackText {
  std::string Name;
  int Line = 0;
  TVoiceDesc Voice;
  int Transpose = 0;
  int Gate = 90;  // percent of a note's length that it is held
  std::vector<TNoteEvent> Events;
  int Ticks() const {
    return std::accumulate(Events.begin(), Events.end(), 0, [](int s, const TNoteEvent& e) { return s + e.Ticks; });
  }
};

// "4" a quarter, "8." a dotted eighth.
bool ReadLength(const std::string& token, int& ticks) {
  bool dotted = token.size() > 1 && token.back() == '.';
  int32_t n = 0;
  if (!TryStrToInt(dotted ? token.substr(0, token.size() - 1) : token, n)) return false;
  if (n != 1 && n != 2 && n != 4 && n != 8 && n != 16 && n != 32) return false;
  ticks = 4 * kTicksPerQuarter / n;
  if (dotted) ticks += ticks / 2;
  return true;
}

std::vector<std::string> Tokens(const std::string& text) {
  std::vector<std::string> tokens;
  std::string token;
  for (char c : text + ' ') {
    if (c != ' ' && c != '\t') {
      token += c;
    } else if (!token.empty()) {
      tokens.push_back(token);
      token.clear();
    }
  }
  return tokens;
}

// One Notes= line; length carries the last length given from line to line.
bool ReadNotes(const TKeyLine& line, const std::string& file, TTrackText& track, int& length,
               TAudioDiagnostics& diags) {
  for (const std::string& token : Tokens(line.Value)) {
    if (token == "|") continue;
    std::string problem;
    if (token[0] >= '0' && token[0] <= '9') {
      if (!ReadLength(token, length))
        problem = "'" + token + "' is not a length: 1, 2, 4, 8, 16 or 32, with a dot for half as long again";
      else if (track.Events.empty() || track.Events.back().LengthGiven)
        problem = "the length '" + token + "' follows no note";
      else
        track.Events.back() = {track.Events.back().Note, length, true};
    } else {
      int note = SameText(token, "R") ? -1 : NoteNumber(token);
      if (note < 0 && !SameText(token, "R"))
        problem = "'" + token + "' is not a note (such as C4, F#3, Bb2), a rest (R) or a length";
      else if (int(track.Events.size()) >= kMaxTrackNotes)
        problem = "more than " + std::to_string(kMaxTrackNotes) + " notes in track [" + track.Name + "]";
      else
        track.Events.push_back({note, length, false});
    }
    if (!problem.empty()) {
      diags.Error(file, line.Line, problem);
      return false;
    }
  }
  return true;
}

bool ReadTrackKey(const TKeyLine& line, const std::string& file, TTrackText& track, int& length,
                  TAudioDiagnostics& diags) {
  if (SameText(line.Key, "Notes")) return ReadNotes(line, file, track, length, diags);
  int32_t v = 0;
  if (SameText(line.Key, "Transpose") || SameText(line.Key, "Gate")) {
    bool transpose = SameText(line.Key, "Transpose");
    int lo = transpose ? -48 : 10, hi = transpose ? 48 : 100;
    if (!TryStrToInt(line.Value, v) || v < lo || v > hi) {
      diags.Error(file, line.Line,
                  line.Key + ": '" + line.Value + "' is not a whole number from " + std::to_string(lo) + " to " +
                      std::to_string(hi) + (transpose ? " (semitones)" : " (percent)"));
      return false;
    }
    (transpose ? track.Transpose : track.Gate) = v;
    return true;
  }
  for (const char* key : kNoteKeys)
    if (SameText(line.Key, key)) {
      diags.Warning(file, line.Line, line.Key + " is set by the notes of a track; it is ignored");
      return true;
    }
  TKeyResult result = ReadVoiceKey(line, file, track.Voice, diags);
  if (result == TKeyResult::Unknown)
    diags.Warning(file, line.Line, "unknown key '" + line.Key + "' in track [" + track.Name + "]");
  return result != TKeyResult::Bad;
}

void ReadScoreKeys(const TIniSection& section, const std::string& file, int& tempo, int& volume,
                   TAudioDiagnostics& diags) {
  for (const TKeyLine& line : KeyLines(section)) {
    bool isTempo = SameText(line.Key, "Tempo");
    if (!isTempo && !SameText(line.Key, "Volume")) {
      diags.Warning(file, line.Line, "unknown key '" + line.Key + "' in [Score]");
      continue;
    }
    int lo = isTempo ? 20 : 0, hi = isTempo ? 400 : 100;
    int32_t v = 0;
    if (TryStrToInt(line.Value, v) && v >= lo && v <= hi)
      (isTempo ? tempo : volume) = v;
    else
      diags.Error(file, line.Line,
                  line.Key + ": '" + line.Value + "' is not a whole number from " + std::to_string(lo) + " to " +
                      std::to_string(hi) + (isTempo ? " (quarter notes a minute)" : " (percent)"));
  }
}

// Ticks as quarter notes, "3" or "2.125" (a 32nd note is an eighth of one).
std::string Quarters(int ticks) {
  std::string text = std::to_string(ticks / kTicksPerQuarter);
  int rest = ticks % kTicksPerQuarter * 10000 / kTicksPerQuarter;
  if (rest == 0) return text;
  std::string digits = std::to_string(10000 + rest).substr(1);
  return text + "." + digits.substr(0, digits.find_last_not_of('0') + 1);
}

uint32_t TicksToSamples(uint64_t ticks, int tempo) {
  return uint32_t(ticks * kSampleRate * 60 / (uint64_t(tempo) * kTicksPerQuarter));
}

// The track's notes, its rounds repeated until the loop is full.
bool LayOut(const TTrackText& text, int tempo, int loopTicks, const std::string& file, TMusicTrack& track,
            TAudioDiagnostics& diags) {
  track.Name = text.Name;
  track.Voice = text.Voice;
  int roundTicks = text.Ticks();
  if (loopTicks % roundTicks != 0)
    diags.Warning(file, text.Line,
                  "track [" + text.Name + "] lasts " + Quarters(roundTicks) + " quarter notes, which does not " +
                      "divide the score's " + Quarters(loopTicks) + ": its last round is cut short");
  for (int start = 0; start < loopTicks; start += roundTicks) {
    int tick = start;
    for (const TNoteEvent& e : text.Events) {
      if (tick >= loopTicks) break;
      if (e.Note >= 0) {
        if (track.Notes.size() >= size_t(kMaxTrackNotes)) {
          diags.Error(file, text.Line,
                      "track [" + text.Name + "] repeated over the loop plays more than " +
                          std::to_string(kMaxTrackNotes) + " notes");
          return false;
        }
        uint32_t hold = std::max<uint32_t>(1, TicksToSamples(uint64_t(e.Ticks) * uint64_t(text.Gate) / 100, tempo));
        float freq = NoteFrequency(std::clamp(e.Note + text.Transpose, 0, 127));
        track.Notes.push_back({TicksToSamples(uint64_t(tick), tempo), hold, freq});
      }
      tick += e.Ticks;
    }
  }
  return true;
}

}  // namespace

bool ReadScore(const TIniFile& ini, const std::string& file, TScore& score, TAudioDiagnostics& diags) {
  int errorsBefore = diags.ErrorCount();
  int tempo = 120, volume = 100;
  std::vector<TTrackText> tracks;
  std::vector<std::string> seen;
  for (const TIniSection& section : ini.Sections()) {
    bool repeated =
        std::any_of(seen.begin(), seen.end(), [&](const std::string& s) { return SameText(s, section.Name); });
    if (repeated) continue;
    seen.push_back(section.Name);
    if (SameText(section.Name, "Score")) {
      ReadScoreKeys(section, file, tempo, volume, diags);
    } else if (section.Type == stList) {
      diags.Warning(file, section.HeaderLine, "[*" + section.Name + "] is a list section; a track is a section [Name]");
    } else if (tracks.size() == size_t(kMaxTracks)) {
      diags.Error(file, section.HeaderLine, "a score has at most " + std::to_string(kMaxTracks) + " tracks");
    } else {
      TTrackText track;
      track.Name = section.Name;
      track.Line = section.HeaderLine;
      int length = kTicksPerQuarter;
      for (const TKeyLine& line : KeyLines(section)) ReadTrackKey(line, file, track, length, diags);
      if (!track.Events.empty()) tracks.push_back(std::move(track));
    }
  }
  int loopTicks = 0;
  for (const TTrackText& t : tracks) loopTicks = std::max(loopTicks, t.Ticks());
  if (loopTicks == 0 && diags.ErrorCount() == errorsBefore) diags.Error(file, 0, "the score has no notes");
  uint64_t loopSamples = TicksToSamples(uint64_t(loopTicks), tempo);
  if (loopSamples > uint64_t(kMaxLoopSeconds) * kSampleRate)
    diags.Error(file, 0, "the score lasts more than " + std::to_string(kMaxLoopSeconds) + " s before it loops");
  if (diags.ErrorCount() != errorsBefore) return false;
  score.LoopSamples = uint32_t(loopSamples);
  score.Gain = float(volume) / 100.0f;
  score.Tracks.resize(tracks.size());
  for (size_t i = 0; i < tracks.size(); ++i)
    if (!LayOut(tracks[i], tempo, loopTicks, file, score.Tracks[i], diags)) return false;
  return true;
}

}  // namespace zorbin
