// QXINIFile: the INI dialect every descriptive data file is written in.
// Normal sections hold Key=Value lines, list sections ("[*name]") hold plain
// items in order. Reading works on memory; writing reaches a disk file only
// through UpdateFile.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zorbin {

class TStream;

enum TIniSectionType : int { stNormal = 0, stList = 1 };

struct TIniSection {
  std::string Name;
  TIniSectionType Type = stNormal;  // the kind its own header gave
  std::vector<std::string> Lines;   // Key=Value lines or list items
  // Where the text came from, counting from 1: the header's line, and the
  // line of each of the first LineNumbers.size() Lines (lines added later
  // have none).
  int HeaderLine = 0;
  std::vector<int> LineNumbers;
};

class TIniFile {
 public:
  // Opens fileName through the global stream opener (which raises
  // "OpenStream failed: " + name when it is missing). Unless readOnly, the
  // INI is written back to fileName on disk by UpdateFile and on destruction.
  TIniFile(const std::string& fileName, bool readOnly);
  // Loads from the stream's current position to its end; never written back.
  explicit TIniFile(TStream& stream);
  // Runs UpdateFile; a write failure is logged, not raised.
  virtual ~TIniFile();
  TIniFile(const TIniFile&) = delete;
  TIniFile& operator=(const TIniFile&) = delete;

  // A missing or empty value counts as absent. The fallback section is
  // consulted only when section exists and is a normal section.
  std::string ReadString(const std::string& section, const std::string& key, const std::string& def,
                         const std::string& fallbackSection = std::string()) const;
  // Raises EConvertError when the value is not a signed decimal integer.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def,
                      const std::string& fallbackSection = std::string()) const;
  // True for "TRUE" and "YES" (any case) and "1".
  bool ReadBool(const std::string& section, const std::string& key, bool def,
                const std::string& fallbackSection = std::string()) const;
  virtual bool ValueExists(const std::string& section, const std::string& key) const;
  // -1 missing, 0 normal, 1 list.
  int SectionType(const std::string& section) const;
  int ListItemCount(const std::string& section) const;
  std::string ReadListItem(const std::string& section, int index) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteListItem(const std::string& section, const std::string& item);
  void CopySection(const std::string& source, const std::string& newName);
  // Writes the whole INI to FileName when it is not empty; raises on I/O errors.
  void UpdateFile();

  // The file line of the first line of key in section, of item index of a
  // list section, of the section's header; 0 when there is none.
  int KeyLine(const std::string& section, const std::string& key) const;
  int ItemLine(const std::string& section, int index) const;
  int HeaderLine(const std::string& section) const;
  // Told of every value and item a reader asks for (the pack checker learns
  // from it which line a loader read last): key is empty for a list item,
  // index is -1 for a value.
  using TReadWatch = std::function<void(const std::string& section, const std::string& key, int index)>;
  void SetReadWatch(TReadWatch watch) { readWatch_ = std::move(watch); }

  const std::string& FileName() const { return fileName_; }
  // Every section entry in header order, repeated headers included (their
  // lines live with the first section of the name).
  const std::vector<TIniSection>& Sections() const { return sections_; }

 private:
  void Load(TStream& stream);
  // The first section of that name, or nullptr.
  const TIniSection* Find(const std::string& name) const;
  TIniSection* Find(const std::string& name);

  std::string fileName_;
  std::vector<TIniSection> sections_;
  TReadWatch readWatch_;
};

}  // namespace zorbin
