// ZORBPlay1MapUnit: one visit to one map. The constructor points the stream
// opener at the map's directory, creates the map-wide globals, paints the
// static background from the layer files, turns "objects.ini" into sprites
// through the object factory and shows the title card; Play runs the frame
// loop (reveal, play, closing curtain); the destructor takes it all down.
#pragma once

#include "game/ZORBMapLayers.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TAirMeter;
class TImage;
class TIniFile;
class TMapGlobals;
class TPlayer;
class TProgress;
class TTGAFont;
class TTileMap;

// The name of layer file n of a map: "map00.mpt", "map01.mpt", ...
std::string MapLayerName(int n);

// Appends an entry "Section,X,Y" (play-area pixels) for every cell of the
// play area whose character is bound to an object section, column by
// column; a character bound twice places its first section.
void ListPlacedObjects(const TTileMap& map, const TLayerBindings& bindings, std::vector<std::string>& objectList);
// Entry i of the list becomes the section "$temp$" + i of the object file:
// a copy of its section at its position, appended to the list "Objects".
void PlaceObjects(TIniFile& ini, const std::vector<std::string>& objectList);

enum class TPlayCode : int32_t {
  Escape = -1,    // the player pressed Escape
  Completed = 0,  // the map was completed
  Stopped = -2,   // StopRequested ended the visit before its end
  Restart = -3,   // the player asked to start the map again (or ran out of air where that restarts it)
  Leave = -4,     // the player asked to go back to the map-select map
};

// What a visit adds to the described one when its caller asks: kept
// progress (the best time on the title card, the completion recorded and
// shown on the curtain) and the keys that end it early. None by default.
struct TVisitOptions {
  TProgress* Progress = nullptr;
  bool CanRestart = false;  // R
  bool CanLeave = false;    // Backspace
};

// What a map's own files say of it beyond its objects: the section
// "MapInfo" of objects.ini, which no object names.
struct TMapInfo {
  std::string Hint;             // "Hint": one line under the author on the title card
  bool AirOutRestarts = false;  // "AirOut=Restart": running out of air starts the map again
};
TMapInfo ReadMapInfo(const TIniFile& ini);

struct TPlayResult {
  TPlayCode Code = TPlayCode::Completed;
  int32_t NextMap = 0;  // the player's PortBelow
  int32_t PlayerX = 0;
  int32_t PlayerY = 0;
};

// The phases of the play loop, in the order they pass.
enum class TPlayState : uint8_t {
  Reveal,   // the title card opens band by band
  Play,     // until some sprite reports IsCompleted
  Closing,  // the curtain of cover tiles slides in
  Done,
};

struct TCurtainBlock {
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Delay = 0;
};

class TPlay1Map final {
 public:
  // The play area: 32 x 22 cells of 16 pixels at (64, 64) of the screen.
  static constexpr int kPlayLeft = 64;
  static constexpr int kPlayTop = 64;
  static constexpr int kColumns = 32;
  static constexpr int kRows = 22;
  static constexpr int kPlayWidth = 16 * kColumns;
  static constexpr int kPlayHeight = 16 * kRows;
  // The cover tiles that hide the play area (title card, curtain): 16 x 11
  // tiles of 32 pixels.
  static constexpr int kCoverTileSize = 32;
  static constexpr int kCoverColumns = kPlayWidth / kCoverTileSize;
  static constexpr int kCoverRows = kPlayHeight / kCoverTileSize;
  static constexpr int kCurtainBlocks = kCoverColumns * kCoverRows;
  // The title card fills in over these frames, and opens over as many.
  static constexpr int kTitleFrames = 64;
  static constexpr int kRevealFrames = 64;

  // px, py: a remembered player position in screen pixels, or -1, -1.
  TPlay1Map(const std::string& dir, int32_t px, int32_t py, const TVisitOptions& options = {});
  ~TPlay1Map();
  TPlay1Map(const TPlay1Map&) = delete;
  TPlay1Map& operator=(const TPlay1Map&) = delete;

  void Play(TPlayResult& result);

  // Asked after every frame of Play; true ends the visit with Code Stopped
  // (a run watching the map's folder, a tool showing a given frame).
  std::function<bool()> StopRequested;
  // Draws the cells' logical values every frame, as a held Tab does.
  bool ShowValues = false;

  // Declared first, so that the map-wide globals outlive everything below.
  std::unique_ptr<TMapGlobals> Globals;
  std::unique_ptr<TImage> Background;
  TPlayer* Player = nullptr;  // held by the sprite engine
  std::unique_ptr<TImage> TitleCard;
  std::unique_ptr<TImage> CoverTile;
  TPlayState State = TPlayState::Reveal;
  int32_t Counter = 0;  // frames of the reveal
  TCurtainBlock Blocks[kCoverColumns][kCoverRows];
  std::unique_ptr<TTGAFont> TitleFont;
  std::unique_ptr<TAirMeter> AirMeter;
  TMapInfo Info;
  // Frames played until the map was completed (or so far).
  uint32_t PlayFrames = 0;

 private:
  void SetUp(const std::string& dir, int32_t px, int32_t py);
  void TearDown();
  void PaintBackground();
  void LoadLayers(std::vector<std::string>& objectList);
  void LayerStep(std::vector<std::string>& objectList);
  void PaintStars();
  void CreateObjects(const std::vector<std::string>& objectList);
  void BuildCoverTile();
  void CoverPlayArea();
  void SetUpCurtain();
  void BuildTitleCard();
  void ShowTitleCard();
  void DrawOverlay() const;
  void StepPhase();
  void StepReveal();
  void StepPlay();
  void StepClosing();
  void CheckEarlyEnd();
  void EndEarly(TPlayCode code);
  void RecordCompletion();
  void DrawCompletion() const;

  std::string dir_;
  TVisitOptions options_;
  TPlayCode ending_ = TPlayCode::Completed;
  // Told on the closing curtain once a completion was recorded.
  std::vector<std::string> completionLines_;
};

}  // namespace zorbin
