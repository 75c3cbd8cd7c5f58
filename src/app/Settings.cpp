// Settings: reading zorbin.ini, and writing one value back into its text.
#include "app/Settings.h"

#include "log/Logger.h"
#include "util/FileReplacer.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"
#include "util/UserFolders.h"
#include "util/XdgFolders.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace zorbin {

namespace {

const char* const kContext = "Settings";
const char* const kVideo = "Video";
// A settings file is a few lines; anything bigger is not one (or is a device
// like /dev/zero) and is not read at all.
constexpr std::uintmax_t kMaxFileSize = 64 * 1024;

void Warn(const std::string& message) {
  if (Log) Log->Warning(message, kContext);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  for (;;) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) {
      lines.push_back(text.substr(pos));
      return lines;
    }
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
}

std::string WithoutCR(const std::string& line) {
  return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
}

bool IsHeader(const std::string& trimmed) {
  return trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']';
}

bool IsEntry(const std::string& trimmed) {
  return !trimmed.empty() && trimmed[0] != ';' && trimmed[0] != '[' && trimmed.find('=') != std::string::npos;
}

// Players write "Scale = 2" and leave tabs after a "[Video]"; the INI reader
// takes keys, values and headers as they stand, so the blanks around them go
// before it reads the text (as SetIniValue sees the lines too).
std::string TrimmedEntries(const std::string& text) {
  std::string out;
  for (const std::string& raw : SplitLines(text)) {
    std::string line = WithoutCR(raw);
    std::string trimmed = Trim(line);
    if (IsHeader(trimmed)) {
      line = trimmed;
    } else if (IsEntry(trimmed)) {
      size_t eq = trimmed.find('=');
      line = Trim(trimmed.substr(0, eq)) + "=" + Trim(trimmed.substr(eq + 1));
    }
    out += line + "\n";
  }
  return out;
}

// The whole file when it is a regular file of settings size; nullopt (with
// a Warning line) when it is there but cannot be read as one.
std::optional<std::string> ReadSmallFile(const std::string& fileName) {
  std::error_code ec;
  std::filesystem::file_status status = std::filesystem::status(fileName, ec);
  if (ec || status.type() == std::filesystem::file_type::not_found) return std::string();
  std::uintmax_t size = std::filesystem::is_regular_file(status) ? std::filesystem::file_size(fileName, ec) : 0;
  std::ifstream in(fileName, std::ios::binary);
  if (!std::filesystem::is_regular_file(status) || ec || size > kMaxFileSize || !in) {
    Warn("Settings: " + fileName + " is not a readable settings file; the defaults are used");
    return std::nullopt;
  }
  std::string text(size_t(size), '\0');
  in.read(text.data(), std::streamsize(size));
  text.resize(size_t(in.gcount()));
  return text;
}

}  // namespace

bool ParseScale(const std::string& text, int& scale) {
  std::string value = Trim(text);
  if (SameText(value, "auto")) {
    scale = TSettings::kAutoScale;
    return true;
  }
  if (value.size() == 1 && value[0] >= '1' && value[0] <= '0' + TSettings::kMaxScale) {
    scale = value[0] - '0';
    return true;
  }
  return false;
}

std::string SetIniValue(const std::string& text, const std::string& section, const std::string& key,
                        const std::string& value) {
  const std::string eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  std::vector<std::string> lines = SplitLines(text);
  bool inSection = false;
  int lastOfSection = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string trimmed = Trim(WithoutCR(lines[i]));
    if (IsHeader(trimmed)) {
      inSection = SameText(trimmed.substr(1, trimmed.size() - 2), section);
      if (inSection && lastOfSection < 0) lastOfSection = int(i);
      continue;
    }
    if (!inSection || trimmed.empty() || trimmed[0] == ';') continue;
    lastOfSection = int(i);
    size_t eq = trimmed.find('=');
    if (eq != std::string::npos && SameText(Trim(trimmed.substr(0, eq)), key)) {
      bool cr = lines[i].size() != WithoutCR(lines[i]).size();
      lines[i] = Trim(trimmed.substr(0, eq)) + "=" + value + (cr ? "\r" : "");
      lastOfSection = -2;
      break;
    }
  }
  if (lastOfSection >= 0) {
    lines.insert(lines.begin() + lastOfSection + 1, key + "=" + value + (eol == "\r\n" ? "\r" : ""));
  } else if (lastOfSection == -1) {
    std::string out = text;
    if (!out.empty() && out.back() != '\n') out += eol;
    return out + "[" + section + "]" + eol + key + "=" + value + eol;
  }
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) out += (i ? "\n" : "") + lines[i];
  return out;
}

TSettings::TSettings(std::string fileName) : fileName_(std::move(fileName)) {
  std::optional<std::string> text = fileName_.empty() ? std::string() : ReadSmallFile(fileName_);
  unreadable_ = !text;
  if (text) text_ = *text;
  loaded_ = text && !text->empty();
  TMemoryStream stream(TrimmedEntries(text_));
  ini_ = std::make_unique<TIniFile>(stream);
  ReadVideo();
  ReadAudio();
}

std::string TSettings::DefaultFileName() {
  std::string home = ConfigHome();
  return home.empty() ? std::string() : home + "/zorbin/zorbin.ini";
}

void TSettings::ReadVideo() {
  std::string scale = ini_->ReadString(kVideo, "Scale", std::string());
  if (!scale.empty() && !ParseScale(scale, scale_))
    Warn("Settings: [Video] Scale = \"" + scale + "\" is not 1 to 4 or auto; the default 1 is used");
  auto readSwitch = [this](const char* key, bool& target) {
    std::string value = ini_->ReadString(kVideo, key, std::string());
    if (value.empty()) return;
    if (value == "0" || value == "1")
      target = value == "1";
    else
      Warn(std::string("Settings: [Video] ") + key + " = \"" + value + "\" is not 0 or 1; the default " +
           (target ? "1" : "0") + " is used");
  };
  readSwitch("Fullscreen", fullscreen_);
  readSwitch("PauseOnFocusLoss", pauseOnFocusLoss_);
}

void TSettings::ReadAudio() {
  auto readLevel = [this](const char* key, int& target) {
    std::string value = ini_->ReadString("Audio", key, std::string());
    int32_t level = 0;
    if (value.empty()) return;
    if (TryStrToInt(value, level) && level >= 0 && level <= 100 && value[0] != '+')
      target = level;
    else
      Warn(std::string("Settings: [Audio] ") + key + " = \"" + value + "\" is not 0 to 100; the default " +
           std::to_string(target) + " is used");
  };
  readLevel("Volume", volume_);
  readLevel("Music", music_);
}

bool TSettings::SaveFullscreen(bool on) {
  if (fileName_.empty() || unreadable_) {
    Warn("Settings: Fullscreen is not saved: no settings file to write");
    return false;
  }
  std::string text = SetIniValue(text_, kVideo, "Fullscreen", on ? "1" : "0");
  // A file the reader sees otherwise (a list section "[*Video]" before the
  // [Video] one, say) would not keep what saving promises.
  TMemoryStream stream(TrimmedEntries(text));
  if (TIniFile(stream).ReadString(kVideo, "Fullscreen", std::string()) != (on ? "1" : "0")) {
    Warn("Settings: Fullscreen is not saved: " + fileName_ + " would not read it back");
    return false;
  }
  std::string folder = ExtractFilePath(fileName_);
  std::string error;
  if ((!folder.empty() && !MakeFolders(folder)) ||
      !ReplaceFile(fileName_, std::vector<uint8_t>(text.begin(), text.end()), error)) {
    Warn("Settings: Fullscreen is not saved in " + fileName_ + ": " + (error.empty() ? "no folder" : error));
    return false;
  }
  text_ = text;
  fullscreen_ = on;
  return true;
}

}  // namespace zorbin
