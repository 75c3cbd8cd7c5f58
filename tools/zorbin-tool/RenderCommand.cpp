// zorbin-tool render: the 640 x 480 screen as the game shows a map after a
// number of frames of play with no key pressed, drawn headless on a virtual
// clock with the game's own start-up and direct start, so the same seed
// gives the same picture on every run.
#include "ToolCommands.h"

#include "app/Zorbin.h"
#include "game/ZORBDirectStartUnit.h"
#include "game/ZORBMapSetupFailure.h"
#include "game/ZORBPlay1MapUnit.h"
#include "pictures/ImageUnit.h"
#include "pictures/PngWriterUnit.h"
#include "shell/ClockUnit.h"
#include "shell/QX_SDL.h"
#include "storage/QXStream.h"

#include <charconv>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

namespace zorbin::tool {

namespace {

const char* const kRenderUsage = "usage: render ARCHIVE|FOLDER MAP OUT.png [--frame N] [--values] [--seed N]";

struct TRenderRequest {
  std::string Pack;
  std::string Map;
  std::string Out;
  // Frames of play; the default is the first frame after the reveal, and 0
  // is the title card as it stands before Space.
  uint32_t Frames = TPlay1Map::kRevealFrames + 1;
  bool Values = false;
  uint32_t Seed = 1;
};

// 0 to 4294967295, as the game's -seed takes it.
bool ParseRenderCount(const std::string& text, uint32_t& out) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// False (after Fail) on a bad command line.
bool ParseRender(const TArgs& args, TRenderRequest& request) {
  TArgs positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--values") {
      request.Values = true;
    } else if (arg == "--frame" || arg == "--seed") {
      uint32_t& target = arg == "--frame" ? request.Frames : request.Seed;
      if (i + 1 >= args.size() || !ParseRenderCount(args[i + 1], target)) {
        Fail(arg + " needs a number");
        return false;
      }
      ++i;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 3) {
    Fail(kRenderUsage);
    return false;
  }
  request.Pack = positional[0];
  request.Map = positional[1];
  request.Out = positional[2];
  return true;
}

// Plays the map up to the frame asked for and writes the picture.
int RenderMap(const TRenderRequest& request) {
  std::unique_ptr<TPlay1Map> visit = OpenVisit(FindDirectMap(request.Map));
  uint32_t start = QX_SDL::FrameCount();
  if (request.Frames > 0) {
    visit->ShowValues = request.Values;
    visit->StopRequested = [&request, start] { return QX_SDL::FrameCount() - start >= request.Frames; };
    TPlayResult result;
    visit->Play(result);
    uint32_t played = QX_SDL::FrameCount() - start;
    if (played < request.Frames) return Fail(request.Map + " ends after " + std::to_string(played) + " frames of play");
  }
  if (!QX_SDL::BackImage() || !SaveSurfaceFile(QX_SDL::BackImage()->Surface, request.Out))
    return Fail("cannot write " + request.Out);
  return 0;
}

}  // namespace

int RenderCommand(const TArgs& args) {
  TRenderRequest request;
  if (!ParseRender(args, request)) return 1;
  // A folder is the pack's loose files, found as the game finds those in
  // "Data" beside it; a file is an archive, mounted as the game data is.
  std::error_code ec;
  std::string archive;
  if (std::filesystem::is_directory(request.Pack, ec))
    StreamOpener->SetBaseDir(request.Pack + "/");
  else if (std::filesystem::is_regular_file(request.Pack, ec))
    archive = request.Pack;
  else
    return Fail("no pack " + request.Pack);

  // Never a window, never a sound card, never a wait.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  TVirtualClock clock;
  SetClock(&clock);
  // A map that cannot be set up is told on stderr instead of ending the tool.
  TMapSetupRecovery recovery;
  StartUp(request.Seed, archive);
  int code = 1;
  try {
    LoadFonts();
    code = RenderMap(request);
  } catch (const std::exception& e) {
    code = Fail(e.what());
  }
  ShutDown(archive);
  SetClock(nullptr);
  return code;
}

}  // namespace zorbin::tool
