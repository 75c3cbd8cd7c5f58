// Units: start and stop of the process-wide services.
#include "app/Units.h"

#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "pictures/ImageCollectionUnit.h"
#include "storage/MAD4HighLevelUnit.h"
#include "storage/QXStream.h"
#include "util/ProcessExit.h"
#include "util/UserFolders.h"

#include <unistd.h>

namespace zorbin {

std::string ProgramPath(const std::string& argv0) {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return argv0;
  return std::string(buf, size_t(n));
}

static void UsesLine(const std::string& unitAndVersion) { Log->Status(unitAndVersion, "uses"); }

static bool gUnitsStarted = false;

void InitializeUnits(const std::vector<std::string>& args) {
  Parameters = std::make_unique<TParameters>(args);
  Log = std::make_unique<TLogger>("", false);
  LogStartApplication();
  UsesLine("ParametersUnit, version 1.02");
  UsesLine("QXToolbox, version 1.21");
  UsesLine("ImageUnit, version 1.30");
  UsesLine("QX_SDL, version 1.1.3");
  UsesLine("MyZStreamUnit, version 1.00");
  UsesLine("RLEUnit, version 1.00");
  UsesLine("HuffmanUnit, version 1.00");
  UsesLine("CodingUnit, version 1.00");
  UsesLine("CompressorUnit, version 1.00");
  UsesLine("MAD4LowLevelUnit, version 1.00");
  UsesLine("MAD4MidLevelUnit, version 1.00");
  UsesLine("MAD4HighLevelUnit, version 1.00");
  MAD4Volumes = std::make_unique<TMAD4HighLevel>();
  UsesLine("QXStream, version 1.40");
  StreamOpener = std::make_unique<TQXStreamOpener>(Log->ExeDir(), MAD4Volumes.get());
  // An installed game looks for no loose files in the system folder it lies
  // in, but in the user's own data folder.
  if (!ProgramFolderWritable(Log->ExeDir())) StreamOpener->SetBaseDir(UserDataFolder());
  UsesLine("FastPaletteUnit, version 1.00");
  UsesLine("RawPictureReaderFASTUnit, version 1.00");
  UsesLine("RawPictureUnit, version 1.00");
  UsesLine("QXINIFile, version 1.00");
  UsesLine("TileMapUnit, version 1.03");
  UsesLine("XMapUnit, version 1.89");
  UsesLine("ImageCollectionUnit, version 1.00");
  ImageCollection = std::make_unique<TImageCollection>();
  UsesLine("QXFonts, version 1.00");
  UsesLine("SpriteUnit, version 3.15a");
  UsesLine("SpriteEngine, version 1.07");
  UsesLine("ZORBSpriteUnit, version 1.00");
  UsesLine("MaskUnit, version 1.00");
  UsesLine("ZORBParticleEngineUnit, version 1.00");
  UsesLine("ZORBAirMeterUnit, version 1.00");
  UsesLine("ZORBPlayerUnit, version 1.00");
  UsesLine("ZORBLinearMoverUnit, version 1.00");
  UsesLine("ZORBPathMoverUnit, version 1.00");
  UsesLine("ZORBRunnerUnit, version 1.00");
  UsesLine("ZORBVolcanoUnit, version 1.00");
  UsesLine("ZORBBridgeUnit, version 1.00");
  UsesLine("ZORBBoxesUnit, version 1.00");
  UsesLine("ZORBRotatorUnit, version 1.00");
  UsesLine("ZORBRandomizerUnit, version 1.00");
  UsesLine("ZORBParticleBoxUnit, version 1.00");
  UsesLine("ZORBMapSelectPortUnit, version 1.00");
  UsesLine("ZORBPlay1MapUnit, version 1.00");
  UsesLine("ZORBPlayMapPackUnit, version 1.00");
  gUnitsStarted = true;
  SetExitHook([](int) { FinalizeUnits(); });
}

void FinalizeUnits() {
  if (!gUnitsStarted) return;
  gUnitsStarted = false;
  SetExitHook(nullptr);
  ImageCollection.reset();
  StreamOpener.reset();
  MAD4Volumes.reset();
  LogTerminateApplication();
  Log.reset();
  Parameters.reset();
}

}  // namespace zorbin
