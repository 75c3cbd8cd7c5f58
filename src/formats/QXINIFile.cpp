// QXINIFile: loading, reading, changing and writing back INI files.
#include "formats/QXINIFile.h"

#include "log/Logger.h"
#include "storage/QXStream.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <stdexcept>
#include <utility>

namespace zorbin {

namespace {

const std::string kContext = "QXINIFile, TIniFile.";

// Only the blank character counts as blank here; tabs are ordinary text.
std::string TrimBlanks(const std::string& s) {
  size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  size_t last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

// The key of a Key=Value line: everything before the first "=".
std::string KeyOf(const std::string& line) { return line.substr(0, line.find('=')); }

// Index of the first line of key in lines, or -1.
int FindKey(const std::vector<std::string>& lines, const std::string& key) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (SameText(KeyOf(lines[i]), key)) return int(i);
  return -1;
}

std::string ValueOf(const TIniSection& section, const std::string& key) {
  int i = FindKey(section.Lines, key);
  if (i < 0) return std::string();
  const std::string& line = section.Lines[size_t(i)];
  size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

}  // namespace

TIniFile::TIniFile(const std::string& fileName, bool readOnly) {
  if (!StreamOpener) throw std::runtime_error("OpenStream failed: " + fileName);
  std::unique_ptr<TStream> stream = StreamOpener->OpenStream(fileName);
  Load(*stream);
  if (!readOnly) fileName_ = fileName;
}

TIniFile::TIniFile(TStream& stream) { Load(stream); }

TIniFile::~TIniFile() {
  try {
    UpdateFile();
  } catch (const std::exception& e) {
    Log->Error(e.what(), kContext + "Destroy");
  }
}

const TIniSection* TIniFile::Find(const std::string& name) const {
  for (const TIniSection& s : sections_)
    if (SameText(s.Name, name)) return &s;
  return nullptr;
}

TIniSection* TIniFile::Find(const std::string& name) {
  return const_cast<TIniSection*>(static_cast<const TIniFile*>(this)->Find(name));
}

void TIniFile::Load(TStream& stream) {
  std::vector<uint8_t> bytes = stream.ReadAll();
  std::string text(bytes.begin(), bytes.end());
  // Index of the section that receives lines (the first of its name), or -1.
  int current = -1;
  // Empty items of list sections wait here as runs of lines (first line,
  // count) until an item follows them: empty items at the end of a list are
  // dropped, so a file ending in a million empty lines makes no items.
  std::vector<std::vector<std::pair<int, int>>> blankRuns;
  size_t pos = 0;
  int lineNumber = 0;
  do {
    ++lineNumber;
    size_t end = text.find('\n', pos);
    std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    pos = end == std::string::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();

    bool inNormal = current >= 0 && sections_[size_t(current)].Type == stNormal;
    if (inNormal && TrimBlanks(line).empty()) continue;
    if (line.find('[') != std::string::npos) line = TrimBlanks(line);
    if (!line.empty() && line[0] == ';') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      TIniSection section;
      section.HeaderLine = lineNumber;
      if (line[1] == '*') {
        section.Type = stList;
        section.Name = line.size() >= 3 ? line.substr(2, line.size() - 3) : std::string();
      } else {
        section.Name = line.substr(1, line.size() - 2);
      }
      // A repeated header adds an empty entry; its lines join the first one.
      const TIniSection* first = Find(section.Name);
      current = first ? int(first - sections_.data()) : int(sections_.size());
      sections_.push_back(std::move(section));
      blankRuns.emplace_back();
      continue;
    }
    if (current < 0) continue;
    TIniSection& target = sections_[size_t(current)];
    std::vector<std::pair<int, int>>& runs = blankRuns[size_t(current)];
    if (target.Type == stList && line.empty()) {
      if (!runs.empty() && runs.back().first + runs.back().second == lineNumber)
        ++runs.back().second;
      else
        runs.emplace_back(lineNumber, 1);
      continue;
    }
    for (const auto& [firstLine, count] : runs)
      for (int i = 0; i < count; ++i) {
        target.Lines.emplace_back();
        target.LineNumbers.push_back(firstLine + i);
      }
    runs.clear();
    if (target.Type == stNormal && line.find('=') == std::string::npos) line += "=1";
    target.Lines.push_back(line);
    target.LineNumbers.push_back(lineNumber);
  } while (pos < text.size());
}

static int LineAt(const TIniSection& s, int index) {
  return index >= 0 && size_t(index) < s.LineNumbers.size() ? s.LineNumbers[size_t(index)] : 0;
}

int TIniFile::KeyLine(const std::string& section, const std::string& key) const {
  const TIniSection* s = Find(section);
  return s && s->Type == stNormal ? LineAt(*s, FindKey(s->Lines, key)) : 0;
}

int TIniFile::ItemLine(const std::string& section, int index) const {
  const TIniSection* s = Find(section);
  return s && s->Type == stList ? LineAt(*s, index) : 0;
}

int TIniFile::HeaderLine(const std::string& section) const {
  const TIniSection* s = Find(section);
  return s ? s->HeaderLine : 0;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def,
                                 const std::string& fallbackSection) const {
  if (readWatch_) readWatch_(section, key, -1);
  const TIniSection* s = Find(section);
  if (!s || s->Type != stNormal) return def;
  std::string value = ValueOf(*s, key);
  if (!value.empty()) return value;
  if (!fallbackSection.empty()) {
    const TIniSection* f = Find(fallbackSection);
    if (f && f->Type == stNormal) {
      value = ValueOf(*f, key);
      if (!value.empty()) return value;
    }
  }
  return def;
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key, int32_t def,
                              const std::string& fallbackSection) const {
  std::string value = ReadString(section, key, std::string(), fallbackSection);
  return value.empty() ? def : StrToInt(value);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def,
                        const std::string& fallbackSection) const {
  std::string value = ReadString(section, key, std::string(), fallbackSection);
  if (value.empty()) return def;
  std::string up = UpperCase(value);
  return up == "TRUE" || up == "YES" || value == "1";
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  return !ReadString(section, key, std::string()).empty();
}

int TIniFile::SectionType(const std::string& section) const {
  const TIniSection* s = Find(section);
  return s ? int(s->Type) : -1;
}

int TIniFile::ListItemCount(const std::string& section) const {
  const TIniSection* s = Find(section);
  if (!s) {
    Log->Warning("Section not found! (" + section + ")", kContext + "ListItemCount");
    return 0;
  }
  if (s->Type != stList) {
    Log->Warning("ListItemCount is only allowed on List type Sections! (" + section + ")", kContext + "ListItemCount");
    return 0;
  }
  return int(s->Lines.size());
}

std::string TIniFile::ReadListItem(const std::string& section, int index) const {
  const std::string context = kContext + "ReadListItem";
  if (readWatch_) readWatch_(section, std::string(), index);
  const TIniSection* s = Find(section);
  if (!s) {
    Log->Warning("Section not found! (" + section + ")", context);
    return std::string();
  }
  if (s->Type != stList) {
    Log->Warning("ReadListItem is not allowed on stNormal type Sections!", context);
    Log->Warning("Section: " + section + " Index: " + IntToStr(index), context);
    return std::string();
  }
  if (index < 0 || size_t(index) >= s->Lines.size()) {
    Log->Warning("Index is out of range! (" + IntToStr(index) + ")", context);
    return std::string();
  }
  return s->Lines[size_t(index)];
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  if (!section.empty() && !key.empty()) {
    TIniSection* s = Find(section);
    if (value.empty()) {
      // The first line of Key goes, in a list section too (an item is its
      // own key up to its first "=").
      if (s) {
        int i = FindKey(s->Lines, key);
        if (i >= 0) s->Lines.erase(s->Lines.begin() + i);
        if (i >= 0 && size_t(i) < s->LineNumbers.size()) s->LineNumbers.erase(s->LineNumbers.begin() + i);
      }
    } else if (!s) {
      sections_.push_back(TIniSection{section, stNormal, {key + "=" + value}, 0, {}});
    } else if (s->Type == stNormal) {
      int i = FindKey(s->Lines, key);
      if (i >= 0)
        s->Lines[size_t(i)] = key + "=" + value;
      else
        s->Lines.push_back(key + "=" + value);
    } else {
      const std::string context = kContext + "WriteString";
      Log->Warning("WriteString is not allowed on List type Sections!", context);
      Log->Warning("Section: " + section + ", Key: " + key + ", Value: " + value, context);
    }
  }
  UpdateFile();
}

void TIniFile::WriteListItem(const std::string& section, const std::string& item) {
  const std::string context = kContext + "WriteListItem";
  if (section.empty() || item.empty()) {
    Log->Warning("Section not found!", context);
    Log->Warning("Section: " + section + ", Item: " + item, context);
    return;
  }
  TIniSection* s = Find(section);
  if (!s) {
    sections_.push_back(TIniSection{section, stList, {item}, 0, {}});
  } else if (s->Type == stList) {
    s->Lines.push_back(item);
  } else {
    Log->Warning("WriteListItem is not allowed on Normal type Sections!", context);
    Log->Warning("Section: " + section + ", Item: " + item, context);
  }
}

void TIniFile::CopySection(const std::string& source, const std::string& newName) {
  const TIniSection* s = Find(source);
  if (!s) return;
  // The copy's lines keep the places of the lines they were copied from.
  TIniSection copy{newName, s->Type, s->Lines, s->HeaderLine, s->LineNumbers};
  sections_.push_back(std::move(copy));
}

void TIniFile::UpdateFile() {
  if (fileName_.empty()) return;
  std::string text;
  for (const TIniSection& s : sections_) {
    text += (s.Type == stList ? "[*" : "[") + s.Name + "]\r\n";
    for (const std::string& line : s.Lines) text += line + "\r\n";
    text += "\r\n";
  }
  TFileStream file(fileName_, TFileMode::Create);
  file.WriteString(text);
}

}  // namespace zorbin
