// ObjectFile: reading objects.ini with the game's reader, editing its lines.
#include "editor/ObjectFile.h"

#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <algorithm>

namespace zorbin {

namespace {

std::string WithoutCR(const std::string& line) {
  return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
}

// The reader's test for a comment: lines holding "[" are trimmed first.
bool IsComment(const std::string& raw) {
  std::string line = WithoutCR(raw);
  if (line.find('[') != std::string::npos) line = Trim(line);
  return !line.empty() && line[0] == ';';
}

bool IsBlank(const std::string& raw) { return WithoutCR(raw).find_first_not_of(' ') == std::string::npos; }

// A value or item stays on its line.
std::string OneLine(std::string text) {
  text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }), text.end());
  return text;
}

}  // namespace

TObjectFile::TObjectFile() : TObjectFile(std::string()) {}

TObjectFile::TObjectFile(const std::string& text) {
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\n', pos);
    lines_.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    finalLineEnd_ = end != std::string::npos;
    pos = end == std::string::npos ? text.size() : end + 1;
  }
  Parse();
}

TObjectFile& TObjectFile::operator=(const TObjectFile& other) {
  if (this != &other) {
    lines_ = other.lines_;
    finalLineEnd_ = other.finalLineEnd_;
    Parse();
  }
  return *this;
}

std::string TObjectFile::Text() const {
  std::string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    text += lines_[i];
    if (i + 1 < lines_.size() || finalLineEnd_) text += '\n';
  }
  return text;
}

void TObjectFile::Parse() {
  TMemoryStream stream(Text());
  ini_ = std::make_unique<TIniFile>(stream);
}

const TIniSection* TObjectFile::Find(const std::string& name) const {
  for (const TIniSection& s : ini_->Sections())
    if (SameText(s.Name, name)) return &s;
  return nullptr;
}

std::string TObjectFile::Value(const std::string& section, const std::string& key) const {
  return ini_->ReadString(section, key, std::string());
}

std::vector<std::string> TObjectFile::Items(const std::string& list) const {
  const TIniSection* s = Find(list);
  return s && s->Type == stList ? s->Lines : std::vector<std::string>();
}

std::string TObjectFile::UniqueName(const std::string& base) const {
  if (!Has(base)) return base;
  for (int n = 1;; ++n)
    if (!Has(base + IntToStr(n))) return base + IntToStr(n);
}

std::string TObjectFile::LineEnd() const {
  return lines_.empty() || (!lines_[0].empty() && lines_[0].back() == '\r') ? "\r" : "";
}

void TObjectFile::Insert(size_t at, const std::vector<std::string>& lines) {
  std::string cr = LineEnd();
  std::vector<std::string> added;
  for (const std::string& line : lines) added.push_back(OneLine(line) + cr);
  // Lines added after the last one end like the others, and so does the
  // line that was last.
  if (at >= lines_.size()) {
    if (!finalLineEnd_ && !lines_.empty() && !cr.empty() && (lines_.back().empty() || lines_.back().back() != '\r'))
      lines_.back() += cr;
    finalLineEnd_ = true;
  }
  lines_.insert(lines_.begin() + long(std::min(at, lines_.size())), added.begin(), added.end());
  Parse();
}

void TObjectFile::Replace(int lineNumber, const std::string& content) {
  std::string& line = lines_[size_t(lineNumber - 1)];
  bool cr = !line.empty() && line.back() == '\r';
  line = OneLine(content) + (cr ? "\r" : "");
  Parse();
}

void TObjectFile::SetValue(const std::string& section, const std::string& key, const std::string& value) {
  const TIniSection* s = Find(section);
  if (!s) {
    if (!value.empty()) AddSection(section, false, {key + "=" + value});
    return;
  }
  if (s->Type != stNormal) return;
  for (size_t i = 0; i < s->Lines.size() && i < s->LineNumbers.size(); ++i) {
    const std::string& line = s->Lines[i];
    std::string lineKey = line.substr(0, line.find('='));
    if (!SameText(lineKey, key)) continue;
    if (value.empty()) {
      lines_.erase(lines_.begin() + (s->LineNumbers[i] - 1));
      Parse();
    } else {
      Replace(s->LineNumbers[i], lineKey + "=" + value);
    }
    return;
  }
  if (value.empty()) return;
  int last = s->LineNumbers.empty() ? s->HeaderLine : *std::max_element(s->LineNumbers.begin(), s->LineNumbers.end());
  Insert(size_t(last), {key + "=" + value});
}

void TObjectFile::AddSection(const std::string& name, bool list, const std::vector<std::string>& lines) {
  std::vector<std::string> added;
  if (!lines_.empty() && !IsBlank(lines_.back())) added.push_back("");
  added.push_back((list ? "[*" : "[") + name + "]");
  added.insert(added.end(), lines.begin(), lines.end());
  Insert(lines_.size(), added);
}

void TObjectFile::RemoveSection(const std::string& name) {
  std::vector<int> headers;
  for (const TIniSection& s : ini_->Sections())
    if (s.HeaderLine > 0) headers.push_back(s.HeaderLine);
  std::sort(headers.begin(), headers.end());
  std::vector<TIniSection> sections = ini_->Sections();
  // From the last block up, so the line numbers of the others stay.
  for (auto s = sections.rbegin(); s != sections.rend(); ++s) {
    if (!SameText(s->Name, name) || s->HeaderLine <= 0) continue;
    size_t start = size_t(s->HeaderLine - 1);
    auto next = std::upper_bound(headers.begin(), headers.end(), s->HeaderLine);
    size_t end = next == headers.end() ? lines_.size() : size_t(*next - 1);
    while (end > start + 1 && IsComment(lines_[end - 1])) --end;
    while (start > 0 && IsComment(lines_[start - 1])) --start;
    // A block that ends the file takes the blank lines before it along.
    if (end == lines_.size())
      while (start > 0 && IsBlank(lines_[start - 1])) --start;
    lines_.erase(lines_.begin() + long(start), lines_.begin() + long(end));
  }
  Parse();
}

void TObjectFile::AddItem(const std::string& list, const std::string& item) {
  const TIniSection* s = Find(list);
  if (!s) {
    AddSection(list, true, {item});
    return;
  }
  if (s->Type != stList) return;
  int last = s->LineNumbers.empty() ? s->HeaderLine : *std::max_element(s->LineNumbers.begin(), s->LineNumbers.end());
  Insert(size_t(last), {item});
}

void TObjectFile::SetItem(const std::string& list, int index, const std::string& item) {
  const TIniSection* s = Find(list);
  if (s && s->Type == stList && index >= 0 && size_t(index) < s->LineNumbers.size())
    Replace(s->LineNumbers[size_t(index)], item);
}

void TObjectFile::RemoveItem(const std::string& list, int index) {
  const TIniSection* s = Find(list);
  if (!s || s->Type != stList || index < 0 || size_t(index) >= s->LineNumbers.size()) return;
  lines_.erase(lines_.begin() + (s->LineNumbers[size_t(index)] - 1));
  Parse();
}

}  // namespace zorbin
