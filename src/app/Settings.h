// Settings: the player's settings file, zorbin.ini. [Video] holds Scale
// (1 to 4, or auto), Fullscreen and PauseOnFocusLoss (0 or 1); [Audio] the
// Volume of everything and the Music under it (0 to 100); the other
// sections are read by their users through Ini(). A missing file means the
// defaults; a bad value is warned about once and its default used.
#pragma once

#include "formats/QXINIFile.h"

#include <memory>
#include <optional>
#include <string>

namespace zorbin {

class TSettings {
 public:
  static constexpr int kAutoScale = 0;
  static constexpr int kMaxScale = 4;

  // Reads fileName when it is there; an empty name reads nothing.
  explicit TSettings(std::string fileName);
  // $XDG_CONFIG_HOME/zorbin/zorbin.ini (~/.config/... when unset); empty
  // when neither that nor HOME is set.
  static std::string DefaultFileName();

  const std::string& FileName() const { return fileName_; }
  // The file was found and read.
  bool Loaded() const { return loaded_; }
  // 1 to kMaxScale, or kAutoScale.
  int Scale() const { return scale_; }
  bool Fullscreen() const { return fullscreen_; }
  bool PauseOnFocusLoss() const { return pauseOnFocusLoss_; }
  // 0 to 100.
  int Volume() const { return volume_; }
  int Music() const { return music_; }
  // Every section as read, keys and values with their blanks trimmed.
  const TIniFile& Ini() const { return *ini_; }

  // Sets [Video] Fullscreen in the file, keeping every other line as it is
  // (comments and unknown keys too); creates the file and its folder when
  // needed. False, with a Warning line, when it cannot be written.
  bool SaveFullscreen(bool on);

 private:
  void ReadVideo();
  void ReadAudio();

  std::string fileName_;
  std::string text_;
  bool loaded_ = false;
  // The file is there but is no settings file: it is never overwritten.
  bool unreadable_ = false;
  int scale_ = 1;
  bool fullscreen_ = false;
  bool pauseOnFocusLoss_ = true;
  int volume_ = 80;
  int music_ = 60;
  std::unique_ptr<TIniFile> ini_;
};

// Parses a Scale value: "1" to "4" or "auto" (any case); false otherwise.
bool ParseScale(const std::string& text, int& scale);
// text with key=value set in section: the key's first line in that section
// is replaced, else the line is added after the section's last line, else
// the section is added at the end. Every other line stays as it is.
std::string SetIniValue(const std::string& text, const std::string& section, const std::string& key,
                        const std::string& value);

}  // namespace zorbin
