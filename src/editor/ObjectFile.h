// ObjectFile: a map's objects.ini as its author wrote it. The text is kept
// line by line and read with the game's own INI reader, so an edit changes
// only the lines it touches: comments, blank lines, unknown keys and the
// order of sections stay, and an unchanged file comes back byte for byte.
#pragma once

#include "formats/QXINIFile.h"

#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TObjectFile final {
 public:
  TObjectFile();
  explicit TObjectFile(const std::string& text);
  TObjectFile(const TObjectFile& other) : TObjectFile(other.Text()) {}
  TObjectFile& operator=(const TObjectFile& other);

  std::string Text() const;
  // The file as the game reads it.
  const TIniFile& Ini() const { return *ini_; }

  // The value of key in a normal section, empty when absent.
  std::string Value(const std::string& section, const std::string& key) const;
  // The items of a list section; none when it is missing or no list.
  std::vector<std::string> Items(const std::string& list) const;
  bool Has(const std::string& section) const { return ini_->SectionType(section) >= 0; }
  // base, or base followed by the first number from 1 that no section has.
  std::string UniqueName(const std::string& base) const;

  // Replaces the first line of key, or adds one after the section's last
  // line; an empty value removes the line. A missing section is added at
  // the end. Line breaks in the value are dropped.
  void SetValue(const std::string& section, const std::string& key, const std::string& value);
  // Appends a section (a blank line before it) holding the lines.
  void AddSection(const std::string& name, bool list, const std::vector<std::string>& lines);
  // Every block of that name, with the comment lines just above its header;
  // comments just above the next header stay with that one.
  void RemoveSection(const std::string& name);
  // After the list's last item; a missing list is added at the end.
  void AddItem(const std::string& list, const std::string& item);
  void SetItem(const std::string& list, int index, const std::string& item);
  void RemoveItem(const std::string& list, int index);

 private:
  void Parse();
  const TIniSection* Find(const std::string& name) const;
  // The line ending of the file's first line: CR LF or LF.
  std::string LineEnd() const;
  void Insert(size_t at, const std::vector<std::string>& lines);
  void Replace(int lineNumber, const std::string& content);

  std::vector<std::string> lines_;  // without their LF; a CR before it stays
  bool finalLineEnd_ = false;       // the text ends with LF
  std::unique_ptr<TIniFile> ini_;
};

}  // namespace zorbin
