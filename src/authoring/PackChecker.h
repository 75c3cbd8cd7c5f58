// PackChecker: TPackChecker checks a whole map pack headless, the way a
// compiler checks a program. It runs the game's own loaders over the pack —
// the index, every map's layer files and their bindings, the object file
// through the object factory with its macros, groups and repeaters, every
// picture they name — and turns what they report or raise into findings
// that name the file inside the pack and its line.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zorbin {

struct TFinding {
  std::string Place;  // the file inside the pack, "\" between folders
  int Line = 0;       // 0 when there is no line to name
  bool Error = true;  // else a warning
  std::string Message;
};

// "PLACE:LINE: error: MESSAGE", or "PLACE: warning: MESSAGE" without a line.
std::string FormatFinding(const TFinding& finding);

class TPackChecker {
 public:
  // Told before each step: the maps checked so far, of how many, and the
  // map about to be checked.
  using TProgress = std::function<void(int done, int total, const std::string& map)>;

  // Checks the pack the global stream opener serves (its mounted archives
  // and loose files) and returns the findings in the order met. Needs the
  // units started; the loaders' reports reach the log as ever.
  std::vector<TFinding> Check(const TProgress& progress = {});

 private:
  class TRun;
};

}  // namespace zorbin
