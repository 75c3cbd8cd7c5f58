// AudioDiagnostics: the findings of the sound loaders, in compiler form.
#include "audio/AudioDiagnostics.h"

#include <algorithm>

namespace zorbin {

std::string TAudioDiagnostic::Text() const {
  std::string place = Line > 0 ? File + ":" + std::to_string(Line) : File;
  return place + (Error ? ": error: " : ": warning: ") + Message;
}

void TAudioDiagnostics::Error(const std::string& file, int line, const std::string& message) {
  items_.push_back({file, line, true, message});
}

void TAudioDiagnostics::Warning(const std::string& file, int line, const std::string& message) {
  items_.push_back({file, line, false, message});
}

int TAudioDiagnostics::ErrorCount() const {
  return int(std::count_if(items_.begin(), items_.end(), [](const TAudioDiagnostic& d) { return d.Error; }));
}

}  // namespace zorbin
