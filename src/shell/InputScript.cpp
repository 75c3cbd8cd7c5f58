// InputScript: parsing and writing key input scripts and recordings.
#include "shell/InputScript.h"

#include "shell/KeyBindings.h"
#include "shell/KeyNames.h"
#include "util/QXToolbox.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <vector>

namespace zorbin {

const char* const kRecordingHeader = "# zorbin recording: --seed ";

namespace {

constexpr int kKeyCount = TKeyBindings::kKeyCount;

bool ParseSeed(const std::string& text, uint32_t& seed) {
  const char* end = text.data() + text.size();
  auto [at, ec] = std::from_chars(text.data(), end, seed);
  return ec == std::errc() && at == end;
}

// X and Y of a pointer line, each within the frame.
bool ParsePointer(const std::string& x, const std::string& y, TInputEvent& event) {
  return TryStrToInt(x, event.X) && TryStrToInt(y, event.Y) && event.X >= 0 && event.X < kPointerWidth &&
         event.Y >= 0 && event.Y < kPointerHeight;
}

}  // namespace

bool ParseInputScript(const std::string& text, const std::string& fileName, TInputScript& script, std::string& error) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& expected) {
    error = fileName + ":" + std::to_string(number) + ": expected " + expected;
    return false;
  };
  while (std::getline(in, line)) {
    ++number;
    std::string header = Trim(kRecordingHeader);
    if (number == 1 && line.compare(0, header.size(), header) == 0) {
      uint32_t seed = 0;
      std::string rest = Trim(line.substr(header.size()));
      if (!ParseSeed(rest, seed)) return fail("\"" + header + " N\" with a seed 0-4294967295");
      script.Seed = seed;
      continue;
    }
    size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    std::istringstream lineWords(line);
    std::vector<std::string> words;
    for (std::string word; lineWords >> word;) words.push_back(word);
    if (words.empty()) continue;
    int32_t f = 0;
    bool frameOk = TryStrToInt(words[0], f) && f >= 0;
    TInputEvent event;
    event.Frame = uint32_t(f);
    const std::string pointerRange =
        "X 0-" + std::to_string(kPointerWidth - 1) + " and Y 0-" + std::to_string(kPointerHeight - 1);
    if (words.size() > 1 && words[1] == "mouse") {
      const std::string form = "\"FRAME mouse X Y down|up left|right\"";
      if (words.size() != 6 || !frameOk || (words[4] != "down" && words[4] != "up") ||
          (words[5] != "left" && words[5] != "right"))
        return fail(form);
      if (!ParsePointer(words[2], words[3], event)) return fail(pointerRange + " in " + form);
      event.Kind = TInputKind::MouseButton;
      event.Down = words[4] == "down";
      event.Button = words[5] == "left" ? TMouseButton::Left : TMouseButton::Right;
    } else if (words.size() > 1 && words[1] == "motion") {
      const std::string form = "\"FRAME motion X Y\"";
      if (words.size() != 4 || !frameOk) return fail(form);
      if (!ParsePointer(words[2], words[3], event)) return fail(pointerRange + " in " + form);
      event.Kind = TInputKind::MouseMotion;
    } else {
      if (words.size() != 3 || !frameOk || (words[2] != "down" && words[2] != "up"))
        return fail("\"FRAME KEY down|up\"");
      int32_t n = 0;
      if (TryStrToInt(words[1], n) && (n < 0 || n >= kKeyCount)) return fail("a key number 0-511");
      event.Symbol = KeySymbol(words[1]);
      if (event.Symbol < 0)
        return fail("a key name such as left, space or escape, or a key number 0-511, not \"" + words[1] + "\"");
      event.Down = words[2] == "down";
    }
    script.Events.push_back(event);
  }
  return true;
}

bool ReadInputScript(const std::string& fileName, TInputScript& script, std::string& error) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) {
    error = "cannot read " + fileName;
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  return ParseInputScript(text.str(), fileName, script, error);
}

int KeySymbol(const std::string& key) {
  int32_t n = 0;
  if (TryStrToInt(key, n)) return n >= 0 && n < kKeyCount ? n : -1;
  if (key.empty()) return -1;  // the name of every unnamed symbol
  for (int k = 0; k < kKeyNameCount; ++k)
    if (SameText(KeyName(k), key)) return k;
  return -1;
}

std::string KeyText(int symbol) {
  const std::string& name = KeyName(symbol);
  if (!name.empty() && name.find_first_of(" \t#") == std::string::npos && KeySymbol(name) == symbol) return name;
  return std::to_string(symbol);
}

TInputRecorder::~TInputRecorder() { Finish(); }

bool TInputRecorder::Open(const std::string& fileName, std::string& error) {
  file_ = std::fopen(fileName.c_str(), "wb");
  if (!file_) error = "cannot write " + fileName;
  return file_ != nullptr;
}

void TInputRecorder::WriteHeader() {
  if (headerWritten_ || !file_) return;
  headerWritten_ = true;
  std::fprintf(file_, "%s%u\n", kRecordingHeader, RandSeedValue());
  std::fflush(file_);
}

void TInputRecorder::Record(uint32_t frame, int symbol, bool down) {
  if (!file_) return;
  WriteHeader();
  std::fprintf(file_, "%u %s %s\n", frame, KeyText(symbol).c_str(), down ? "down" : "up");
  std::fflush(file_);
}

void TInputRecorder::Finish() {
  if (!file_) return;
  WriteHeader();
  std::fclose(file_);
  file_ = nullptr;
}

}  // namespace zorbin
