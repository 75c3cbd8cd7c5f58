// PackBuilder: writes a small but complete game data folder (loose files)
// for whole-game runs: the root resources the code names, and maps with
// their object files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zorbin::e2e {

struct TRGB {
  uint8_t R = 0, G = 0, B = 0;
};

// A 24-bit top-down TGA with the given image-ID bytes.
std::vector<uint8_t> MakeTGA(int width, int height, const std::vector<uint8_t>& id,
                             const std::function<TRGB(int x, int y)>& pixel);

class TPackBuilder {
 public:
  explicit TPackBuilder(std::string root);  // root with trailing "/"
  // "$main$.ini" with the given map directories (the first remembered).
  void WriteIndex(const std::vector<std::string>& maps);
  // Fonts, logo, air meter pictures.
  void WriteRootResources();
  // A 32 x 22 map: every row of cells given as text; wraps make ' ' empty
  // and '#' solid floor.
  void WriteMap(const std::string& dir, const std::string& name, const std::vector<std::string>& rows,
                const std::vector<std::string>& extraLines);
  void WriteText(const std::string& relative, const std::string& text);
  void WriteFile(const std::string& relative, const std::vector<uint8_t>& bytes);
  // A 64 x 64 player figure (two rows of four 16 x 32 pictures).
  void WritePlayerPicture(const std::string& relative);
  // A w x h picture of one colour, optionally an animation strip.
  void WriteBlock(const std::string& relative, int w, int h, TRGB colour, int frames = 0);

  const std::string& Root() const { return root_; }

 private:
  std::string root_;
};

struct TRunResult {
  int ExitStatus = -1;  // the process's exit code, or -1 for a signal
  std::string Output;   // standard output
  std::vector<std::string> Lines() const;
};

// Runs a copy of zorbin-demo placed in folder dir (with trailing "/"), with
// the arguments (already quoted).
TRunResult RunDemo(const std::string& dir, const std::string& arguments);

}  // namespace zorbin::e2e
