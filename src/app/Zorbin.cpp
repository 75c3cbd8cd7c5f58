// Zorbin: start-up and shutdown, strictly in order.
#include "app/Zorbin.h"

#include "app/ClockUnit.h"
#include "app/QX_SDL.h"
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "pictures/QXFonts.h"
#include "storage/QXStream.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <SDL.h>

namespace zorbin {

const char* const kBanner = "Zorbin V0.00 Build 0899";
const char* const kCaption = "Zorbin V0.00 Build 0899+ (2016.02.17)";
const char* const kDataFileName = "Zorbin.data";

std::string DataArchiveName(const std::string& programPath) {
  std::string dataFile = ExtractFilePath(programPath) + kDataFileName;
  return FileExistsOnDisk(dataFile) ? dataFile : programPath;
}

int RunZorbin(std::optional<uint32_t> seed) {
  RandSeed(seed ? *seed : Clock().Ticks());
  Log->Header(kBanner, "Zorbin");
  QX_SDL::Initialize(kScreenWidth, kScreenHeight, kScreenDepth, QX_SDL::kBackBufferOption);
  QX_SDL::SetCaption(kCaption);
  SDL_ShowCursor(SDL_DISABLE);
  QX_SDL::SetFrameRate(kFrameRate);
  QX_SDL::Clear(0, 0, 0);
  StreamOpener->MountArchive(DataArchiveName(Parameters->Get(0)), kArchivePriority);

  MainFont = std::make_unique<TQXRFont>("npi69.qxr");
  MainFont->SetColorKey(0, 0, 0);
  MainFont->SetColor(64, 96, 128);
  DigitsFont = std::make_unique<TTGAFont>("lilnums");

  DigitsFont.reset();
  MainFont.reset();
  StreamOpener->UnmountArchive(DataArchiveName(Parameters->Get(0)));
  QX_SDL::Finalize();
  return 0;
}

}  // namespace zorbin
