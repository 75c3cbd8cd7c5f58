// ProgressLine: the one-line progress report of the long commands, for a
// person at a terminal only; logs and pipes get nothing.
#include "ToolCommands.h"

#include <unistd.h>

#include <cstdio>

namespace zorbin::tool {

TProgressLine::TProgressLine() : shown_(isatty(STDERR_FILENO) == 1) {}

TProgressLine::~TProgressLine() {
  if (!shown_ || width_ == 0) return;
  std::fprintf(stderr, "\r%*s\r", int(width_), "");
  std::fflush(stderr);
}

void TProgressLine::Show(const std::string& text) {
  if (!shown_) return;
  // Blanks over what is left of a longer line before.
  std::string line = "zorbin-tool: " + text;
  size_t width = line.size();
  if (line.size() < width_) line.append(width_ - line.size(), ' ');
  width_ = width;
  std::fprintf(stderr, "\r%s", line.c_str());
  std::fflush(stderr);
}

}  // namespace zorbin::tool
