// AudioDiagnostics: what the sound loaders found wrong in a pack's sound
// files, as "FILE:LINE: error|warning: MESSAGE" lines for the caller to log or
// print. An error leaves the sound or score it names out (it stays silent); a
// warning is passed over.
#pragma once

#include <string>
#include <vector>

namespace zorbin {

struct TAudioDiagnostic {
  std::string File;  // the name inside the pack
  int Line = 0;      // counting from 1; 0 for a finding about a whole file
  bool Error = true;
  std::string Message;

  std::string Text() const;
};

class TAudioDiagnostics {
 public:
  void Error(const std::string& file, int line, const std::string& message);
  void Warning(const std::string& file, int line, const std::string& message);
  const std::vector<TAudioDiagnostic>& Items() const { return items_; }
  int ErrorCount() const;

 private:
  std::vector<TAudioDiagnostic> items_;
};

}  // namespace zorbin
