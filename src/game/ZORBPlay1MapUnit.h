// ZORBPlay1MapUnit: one visit to one map. The constructor points the stream
// opener at the map's directory, creates the map-wide globals, paints the
// static background from the layer files, turns "objects.ini" into sprites
// through the object factory and shows the title card; Play runs the frame
// loop (reveal, play, closing curtain); the destructor takes it all down.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TAirMeter;
class TImage;
class TIniFile;
class TPlayer;
class TSpriteEngine;
class TTGAFont;

struct TPlayResult {
  int32_t Code = 0;     // -1 Escape, 0 completed
  int32_t NextMap = 0;  // the player's PortBelow
  int32_t PlayerX = 0;
  int32_t PlayerY = 0;
};

struct TCurtainBlock {
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Delay = 0;
};

class TPlay1Map {
 public:
  static constexpr int kPlayLeft = 64;
  static constexpr int kPlayTop = 64;
  static constexpr int kColumns = 32;
  static constexpr int kRows = 22;

  // px, py: a remembered player position in screen pixels, or -1, -1.
  TPlay1Map(const std::string& dir, int32_t px, int32_t py);
  ~TPlay1Map();
  TPlay1Map(const TPlay1Map&) = delete;
  TPlay1Map& operator=(const TPlay1Map&) = delete;

  void Play(TPlayResult& result);

  // The object factory.
  void CreateObjects(TSpriteEngine& engine, TIniFile& ini, const std::string& listSection, int32_t dx, int32_t dy);
  void CreateObject(TSpriteEngine& engine, TIniFile& ini, const std::string& section, int32_t dx, int32_t dy);

  std::unique_ptr<TImage> Background;
  TPlayer* Player = nullptr;  // held by the sprite engine
  std::unique_ptr<TImage> TitleCard;
  std::unique_ptr<TImage> CoverTile;
  uint8_t State = 0;
  int32_t Counter = 0;
  TCurtainBlock Blocks[16][12];
  std::unique_ptr<TTGAFont> TitleFont;
  std::unique_ptr<TAirMeter> AirMeter;

 private:
  void PaintBackground();
  void LayerStep(std::vector<std::string>& objectList);
  void PlaceObjects(TIniFile& ini, const std::vector<std::string>& objectList);
  void BuildCoverTile();
  void ShowTitleCard();
  void CreateGroup(TSpriteEngine& engine, TIniFile& ini, const std::string& section, const std::string& type,
                   int32_t dx, int32_t dy);
  void CreateRepeater(TSpriteEngine& engine, TIniFile& ini, const std::string& section, int32_t dx, int32_t dy);
  void CreateMacro(TSpriteEngine& engine, TIniFile& ini, const std::string& section, int32_t dx, int32_t dy);
  void DrawFrame();
  void DrawOverlay();
  void StepPhase();
};

// Fills a macro file's placeholders: "%1" is the first value. Any other use
// of "%" (a non-digit, a digit without a value) is replaced by nothing and
// reported through warnings; lines are kept whole.
std::string ExpandMacroLine(const std::string& line, const std::vector<std::string>& values,
                            std::vector<std::string>& warnings);
// "a,,b," gives a, "", b; an empty text gives no values.
std::vector<std::string> SplitMacroValues(const std::string& text);

}  // namespace zorbin
