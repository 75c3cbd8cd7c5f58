// VoiceKeys: the keys of a voice section, a sound of sounds.ini or an
// instrument of a score, read into a TVoiceDesc. A bad value is named at its
// line and leaves the description as it was.
#pragma once

#include "audio/Synth.h"

#include <string>
#include <vector>

namespace zorbin {

struct TIniSection;
class TAudioDiagnostics;

struct TKeyLine {
  std::string Key, Value;  // blanks around both taken off
  int Line = 0;
};

// The Key=Value lines of a normal section, in file order.
std::vector<TKeyLine> KeyLines(const TIniSection& section);
// The line of the first line of key, or fallback.
int LineOfKey(const std::vector<TKeyLine>& lines, const std::string& key, int fallback);

// "A4" is 69 and 440 Hz, "C4" middle C; sharps "#", flats "b", octaves 0 to
// 8. -1 when name is not a note.
int NoteNumber(const std::string& name);
float NoteFrequency(int noteNumber);

enum class TKeyResult { Unknown, Read, Bad };
// Reads one line into desc when its key is a voice key; a bad value is
// reported to diags as an error at the line's place in file.
TKeyResult ReadVoiceKey(const TKeyLine& line, const std::string& file, TVoiceDesc& desc, TAudioDiagnostics& diags);

}  // namespace zorbin
