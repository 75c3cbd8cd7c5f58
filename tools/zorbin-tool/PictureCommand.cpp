// zorbin-tool picture: loads a picture name as the game does and writes the
// resulting surface with a one-line description of its animation fields.
#include "ToolCommands.h"

#include "pictures/ImageUnit.h"
#include "pictures/PngWriterUnit.h"
#include "util/QXToolbox.h"

#include <cstdio>
#include <string>

namespace zorbin::tool {

int PictureCommand(const TArgs& argList) {
  TArgs positional = argList;
  if (!TakeArchiveOptions(positional)) return 1;
  int scale = 1;
  for (size_t i = 0; i + 1 < positional.size(); ++i) {
    if (positional[i] != "--scale") continue;
    // Whole factors up to 64 keep the biggest icon of a 16-pixel source.
    int32_t value = 0;
    if (!TryStrToInt(positional[i + 1], value) || value < 1 || value > 64)
      return Fail("--scale needs a number from 1 to 64, not \"" + positional[i + 1] + "\"");
    scale = value;
    positional.erase(positional.begin() + long(i), positional.begin() + long(i) + 2);
    break;
  }
  if (positional.size() != 2) return Fail("usage: picture NAME OUT [--archive FILE] [--scale N]");
  // A path on disk as map and ini take it: absolute ("/tmp/x.tga") as it
  // stands, relative with "/" turned into "\".
  const std::string name = ResourceName(positional[0]);
  const std::string& out = positional[1];

  // The game leaves a '[' without a later ']' in the name; here that is a
  // failure in its own right.
  std::string rest = name;
  ParseFrameList(rest);
  if (rest.find('[') != std::string::npos) return Fail("unclosed \"[\" in " + name);

  TImage image(name);
  if (!image.Surface || image.Width() == 0) return Fail("no picture in " + name);
  // A picture with a width but no rows loads, yet no PNG or BMP holds it.
  if (image.Height() == 0)
    return Fail("cannot write " + out + ": the picture has no rows (" + IntToStr(image.Width()) + "x0)");
  if (!SaveSurfaceFile(image.Surface, out, scale)) return Fail("cannot write " + out);
  auto flag = [](bool b) { return b ? 1 : 0; };
  std::printf(
      "%dx%d frames=%d animated=%d looped=%d paused=%d colorkeyed=%d randomstart=%d framedelay=%d loopdelay=%d\n",
      image.Width(), image.Height(), int(image.FrameCount), flag(image.Animated), flag(image.Looped),
      flag(image.Paused), flag(image.ColorKeyed), flag(image.RandomStartFrame), int(image.FrameDelay),
      int(image.LoopDelay));
  return 0;
}

}  // namespace zorbin::tool
