// Zorbin: start-up and shutdown, strictly in order.
#include "app/Zorbin.h"

#include "app/KeySettings.h"
#include "game/ZORBPlayMapPackUnit.h"
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "pictures/QXFonts.h"
#include "shell/ClockUnit.h"
#include "shell/QX_SDL.h"
#include "storage/QXStream.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <SDL.h>

#include <exception>
#include <string>

namespace zorbin {

const char* const kBanner = "Zorbin V0.00 Build 0899";
const char* const kCaption = "Zorbin V0.00 Build 0899+ (2016.02.17)";
const char* const kDataFileName = "Zorbin.data";

std::string DataArchiveName(const std::string& programPath) {
  std::string dataFile = ExtractFilePath(programPath) + kDataFileName;
  return FileExistsOnDisk(dataFile) ? dataFile : programPath;
}

void ShutDown(const std::string& archive) {
  DigitsFont.reset();
  MainFont.reset();
  if (!archive.empty()) StreamOpener->UnmountArchive(archive);
  QX_SDL::Finalize();
}

void StartUp(std::optional<uint32_t> seed, const std::string& archive) {
  RandSeed(seed ? *seed : Clock().Ticks());
  // A run can be told apart from others and played again with this seed.
  Log->Status("Random seed: " + std::to_string(RandSeedValue()), "Zorbin");
  Log->Header(kBanner, "Zorbin");
  QX_SDL::Initialize(kScreenWidth, kScreenHeight, kScreenDepth, QX_SDL::kBackBufferOption);
  ApplyKeySettings();
  QX_SDL::SetCaption(kCaption);
  SDL_ShowCursor(SDL_DISABLE);
  QX_SDL::SetFrameRate(kFrameRate);
  QX_SDL::Clear(0, 0, 0);
  if (!archive.empty()) StreamOpener->MountArchive(archive, kArchivePriority);
}

void LoadFonts() {
  MainFont = std::make_unique<TQXRFont>("npi69.qxr");
  MainFont->SetColorKey(0, 0, 0);
  MainFont->SetColor(64, 96, 128);
  DigitsFont = std::make_unique<TTGAFont>("lilnums");
  MainFont->Target = QX_SDL::BackImage();
  DigitsFont->Target = QX_SDL::BackImage();
}

int RunZorbin(std::optional<uint32_t> seed, const TStartMap& start, const std::function<void()>& play,
              const TAudioOptions& audioOptions) {
  StartUp(seed, DataArchiveName(Parameters->Get(0)));
  // The shutdown makes the same existence test again (the data file, or
  // else the program file); it also runs when play stops with an
  // exception, so a failure still leaves the display and the archive closed.
  try {
    LoadFonts();
    TGameAudio audio(audioOptions);
    audio.Start();
    if (play) {
      play();
    } else if (start.Name.empty()) {
      TPlayMapPack mapPack("<internal>");
      mapPack.Run();
    } else {
      TDirectStart(start).Run();
    }
  } catch (const std::exception& e) {
    // The failure is told first, then the shutdown runs as after play.
    Log->Error(e.what(), "Zorbin");
    ShutDown(DataArchiveName(Parameters->Get(0)));
    return 1;
  } catch (...) {
    ShutDown(DataArchiveName(Parameters->Get(0)));
    throw;
  }
  ShutDown(DataArchiveName(Parameters->Get(0)));
  return 0;
}

}  // namespace zorbin
