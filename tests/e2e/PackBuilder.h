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

// A 24-bit top-down TGA with the given image-ID bytes, made by the tests'
// TGA builder (TestSupport's TgaOf).
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

// A pack of four maps that chain without walking: the player of the
// map-select map stands on the port to Map_A, the player of Map_A on a port
// to Map_B, of Map_B on one to Map_C, and each map is completed at once by
// boxes standing over their slots; Map_C leads back to map 0. Between them
// the maps hold every object type, a macro file and objects placed by map
// characters. The pictures are TGA files ("floor.tga" and "brick.tga" the
// tiles, the others the objects' and the game's own); the fonts
// "npi69.qxr", "lilnums.tga" and "font.tga".
void BuildChainPack(TPackBuilder& pack);
// Input for zorbin-demo that plays the chain round once and leaves with
// Escape at the start of the second visit of map 0 (visits 0, 1, 2, 3, 0).
std::string ChainInput();

// The world of the map set-up fuzz target, as a pack: the root resources
// and pictures its inputs name, and an index with the one map "Map".
void WriteMapSetupResources(TPackBuilder& pack);
// One input of that target: objects.ini, map00.mpt and macro.ini of "Map",
// split at the line "====" (a part left out gets a small working one).
void WriteMapSetupInput(TPackBuilder& pack, const std::string& input);

struct TRunResult {
  int ExitStatus = -1;  // the process's exit code, or -1 for a signal
  std::string Output;   // standard output
  std::string Errors;   // standard error (sanitizer and valgrind reports)
  std::vector<std::string> Lines() const;
};

// Runs a copy of zorbin-demo placed in folder dir (with trailing "/"), with
// the arguments (already quoted).
TRunResult RunDemo(const std::string& dir, const std::string& arguments);
// The same under a wrapper command (valgrind, say), also already quoted.
TRunResult RunDemoUnder(const std::string& dir, const std::string& wrapper, const std::string& arguments);
// Runs a copy of the game program zorbin placed in folder dir, the same way.
TRunResult RunGame(const std::string& dir, const std::string& arguments);
// Runs zorbin-tool with the arguments (already quoted) in dir; its exit code.
int RunTool(const std::string& dir, const std::string& arguments);

}  // namespace zorbin::e2e
