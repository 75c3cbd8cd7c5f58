// PackBuilder: pictures, fonts, maps and index files for whole-game runs.
#include "PackBuilder.h"

#include "../TestSupport.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zorbin::e2e {

std::vector<uint8_t> MakeTGA(int width, int height, const std::vector<uint8_t>& id,
                             const std::function<TRGB(int x, int y)>& pixel) {
  const std::string tga = test::TgaOf(
      width, height,
      [&](int x, int y) {
        const TRGB c = pixel(x, y);
        return uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | c.B;
      },
      std::string(id.begin(), id.end()));
  return std::vector<uint8_t>(tga.begin(), tga.end());
}

TPackBuilder::TPackBuilder(std::string root) : root_(std::move(root)) {}

void TPackBuilder::WriteFile(const std::string& relative, const std::vector<uint8_t>& bytes) {
  std::filesystem::path path(root_ + relative);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void TPackBuilder::WriteText(const std::string& relative, const std::string& text) {
  WriteFile(relative, std::vector<uint8_t>(text.begin(), text.end()));
}

void TPackBuilder::WriteIndex(const std::vector<std::string>& maps) {
  std::string text = "[Info]\r\nName=Test pack\r\nAuthor=Tests\r\nFile=<internal>\r\n\r\n[*Maps]\r\n";
  for (size_t i = 0; i < maps.size(); ++i) text += maps[i] + (i == 0 ? ",1" : ",0") + "\r\n";
  WriteText("$main$.ini", text);
}

void TPackBuilder::WriteBlock(const std::string& relative, int w, int h, TRGB colour, int frames) {
  std::vector<uint8_t> id;
  if (frames > 0) id = {uint8_t(frames), uint8_t(0x10 | 0x40 | ((frames >> 8) & 0x0F))};
  WriteFile(relative, MakeTGA(w, h, id, [&](int, int) { return colour; }));
}

void TPackBuilder::WritePlayerPicture(const std::string& relative) {
  WriteFile(relative, MakeTGA(64, 64, {}, [](int x, int y) {
              bool body = (x % 16) >= 4 && (x % 16) < 12 && (y % 32) >= 2;
              return body ? TRGB{240, 200, uint8_t(y < 32 ? 40 : 160)} : TRGB{};
            }));
}

void TPackBuilder::WriteRootResources() {
  // A raster font of 6 x 9 cells: every glyph a filled 4 x 7 box.
  std::vector<uint8_t> qxr = {'Q', 'X', 'A', 'R', 1, 6, 9};
  for (int code = 0; code < 256; ++code)
    for (int row = 0; row < 9; ++row) qxr.push_back(row >= 1 && row <= 7 && code > 32 ? 0x1E : 0);
  WriteFile("npi69.qxr", qxr);

  // TGA fonts: ten digits 3 x 5 for the overlay, capitals 5 x 7 for titles.
  auto tgaFont = [&](const std::string& name, int glyphW, int glyphH, char first, char last) {
    int count = last - first + 1;
    std::vector<uint8_t> id(32, 0);
    for (int c = first; c <= last; ++c) id[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));
    std::vector<uint8_t> file = MakeTGA(count * (glyphW + 1), glyphH, id, [&](int x, int) {
      return (x % (glyphW + 1)) < glyphW ? TRGB{255, 255, 255} : TRGB{};
    });
    for (int i = 0; i < count; ++i) {
      uint16_t left = uint16_t(i * (glyphW + 1)), right = uint16_t(left + glyphW - 1), bottom = uint16_t(glyphH - 1);
      for (uint16_t v : {left, uint16_t(0), right, bottom}) file.insert(file.end(), {uint8_t(v), uint8_t(v >> 8)});
    }
    WriteFile(name, file);
  };
  tgaFont("lilnums.tga", 3, 5, '0', '9');
  tgaFont("font.tga", 5, 7, 'A', 'Z');

  WriteBlock("logo.tga", 360, 40, {40, 80, 200});
  WriteBlock("air.tga", 600, 32, {90, 90, 90});
  // The air meter strip: 49 frames of 12 x 24, the last one the cover.
  WriteFile("airm.tga", MakeTGA(49 * 12, 24, {49, 0}, [](int x, int) {
              int frame = x / 12;
              return frame == 48 ? TRGB{20, 20, 20} : TRGB{0, uint8_t(80 + frame * 3), 220};
            }));
}

void TPackBuilder::WriteMap(const std::string& dir, const std::string& name, const std::vector<std::string>& rows,
                            const std::vector<std::string>& extraLines) {
  std::string text = "MAPT\r\nWI32\r\nHE22\r\nMN" + name + "\r\nAUTests\r\nLW 000#015\r\n";
  for (size_t r = 0; r < 22; ++r) text += "MP" + (r < rows.size() ? rows[r] : std::string()) + "\r\n";
  for (const std::string& line : extraLines) text += "EX" + line + "\r\n";
  text += "XX\r\n";
  WriteText(dir + "/map00.mpt", text);
}

std::vector<std::string> TRunResult::Lines() const {
  std::vector<std::string> lines;
  std::istringstream in(Output);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

static TRunResult RunProgram(const std::string& dir, const std::string& wrapper, const std::string& program,
                             const std::string& arguments) {
  std::string errors = dir + ".demo-stderr";
  std::string command = "cd '" + dir + "' && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " + wrapper + " '" + program +
                        "' " + arguments + " 2>'" + errors + "'";
  test::TRun run = test::RunCommand(command);
  TRunResult result;
  result.Output = std::move(run.out);
  result.ExitStatus = run.code;
  std::ifstream in(errors, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  result.Errors = text.str();
  std::filesystem::remove(errors);
  return result;
}

TRunResult RunDemo(const std::string& dir, const std::string& arguments) { return RunDemoUnder(dir, "", arguments); }

// A copy of the program alone in the pack's folder sees no default data pack
// beside it: only the files the test wrote there.
TRunResult RunDemoUnder(const std::string& dir, const std::string& wrapper, const std::string& arguments) {
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/zorbin-demo", dir + "zorbin-demo",
                             std::filesystem::copy_options::overwrite_existing);
  return RunProgram(dir, wrapper, dir + "zorbin-demo", arguments);
}

TRunResult RunGame(const std::string& dir, const std::string& arguments) {
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/zorbin", dir + "zorbin",
                             std::filesystem::copy_options::overwrite_existing);
  return RunProgram(dir, "", dir + "zorbin", arguments);
}

int RunTool(const std::string& dir, const std::string& arguments) {
  std::string command =
      "cd '" + dir + "' && '" + std::string(ZORBIN_BIN_DIR) + "/zorbin-tool' " + arguments + " >/dev/null 2>&1";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

namespace {

const char* const kFloorRows = "#";

std::vector<std::string> Rows(const std::vector<std::pair<int, std::string>>& extra) {
  std::vector<std::string> rows(22, std::string(32, ' '));
  for (int r = 19; r < 22; ++r) rows[size_t(r)] = std::string(32, kFloorRows[0]);
  for (const auto& [row, text] : extra) rows[size_t(row)].replace(0, text.size(), text);
  return rows;
}

// The player on a port to map next (or on plain floor when next is 0) and
// three boxes over their slots, which complete the map at once.
std::string ChainCore(int next) {
  std::string text =
      "[Player]\r\nType=Player\r\nPositionX=112\r\nPositionY=272\r\nImage=\\player.tga\r\n\r\n"
      "[Goal]\r\nType=Boxes\r\nTargetX=320\r\nPosition1X=320\r\nPosition1Y=272\r\nPosition2X=352\r\n"
      "Position2Y=272\r\nPosition3X=384\r\nPosition3Y=272\r\nImage1=\\box.tga\r\nImage2=\\box.tga\r\n"
      "Image3=\\box.tga\r\nTargetImage1=\\lamp.tga\r\nTargetImage2=\\lamp.tga\r\nTargetImage3=\\lamp.tga\r\n\r\n";
  if (next > 0)
    text += "[Port]\r\nType=MapSelectPort\r\nPositionX=96\r\nPositionY=256\r\nLevel=" + std::to_string(next) +
            "\r\nImageUnlocked=\\port.tga\r\nImageLocked=\\port.tga\r\nImageSwirl=\\swirl.tga\r\n\r\n";
  return text;
}

}  // namespace

void BuildChainPack(TPackBuilder& pack) {
  pack.WriteIndex({"Map_Select", "Map_A", "Map_B", "Map_C"});
  pack.WriteRootResources();
  pack.WritePlayerPicture("player.tga");
  pack.WriteBlock("floor.tga", 16, 16, {120, 100, 80});
  pack.WriteBlock("brick.tga", 16, 16, {170, 60, 40});
  pack.WriteBlock("port.tga", 48, 48, {60, 60, 160});
  pack.WriteBlock("swirl.tga", 80, 20, {200, 200, 255}, 4);
  pack.WriteBlock("box.tga", 32, 32, {160, 110, 40});
  pack.WriteBlock("lamp.tga", 64, 8, {255, 200, 0}, 2);
  pack.WriteBlock("bee.tga", 64, 16, {250, 220, 0}, 4);
  pack.WriteBlock("runner.tga", 32, 16, {0, 200, 120}, 2);
  pack.WriteBlock("crater.tga", 64, 32, {90, 20, 10});
  pack.WriteBlock("plank.tga", 16, 16, {150, 90, 30});
  pack.WriteBlock("lift.tga", 32, 16, {100, 100, 110});

  const std::vector<std::string> tiles = {" ", "#\\floor.tga", "b\\brick.tga"};
  pack.WriteMap("Map_Select", "Select", Rows({{3, "          b"}}), tiles);
  pack.WriteText("Map_Select/objects.ini",
                 "[*Objects]\r\nPlayer\r\nPort\r\nLocked\r\nSparks\r\n\r\n" + ChainCore(1) +
                     "[Locked]\r\nType=MapSelectPort\r\nPositionX=400\r\nPositionY=256\r\nLevel=9\r\n"
                     "ImageUnlocked=\\port.tga\r\nImageLocked=\\port.tga\r\nImageSwirl=\\swirl.tga\r\n\r\n"
                     "[Sparks]\r\nType=ParticleBox\r\nSteps=12\r\nRate=2\r\nDirection=Up\r\nColors=Fades\r\n"
                     "Bounds=200,100,260,280\r\n\r\n[*Fades]\r\nff0000,00ff00,8\r\n3073c0,303030\r\n0000ff\r\n");

  pack.WriteMap("Map_A", "Movers", Rows({}), tiles);
  pack.WriteText("Map_A/objects.ini",
                 "[*Objects]\r\nPlayer\r\nPort\r\nGoal\r\nLift\r\nBee\r\nWalker\r\n\r\n" + ChainCore(2) +
                     "[Lift]\r\nType=LinearMover\r\nPositionX=32\r\nPositionY=160\r\nSpeedX=2\r\nSpeedY=0\r\n"
                     "Bounds=0,0,200,383\r\nImage=\\lift.tga\r\n\r\n"
                     "[Bee]\r\nType=PathMover\r\nPositionX=240\r\nPositionY=80\r\nSpeed=4\r\nImage=\\bee.tga\r\n"
                     "Path=BeePath\r\nLooped=1\r\n\r\n[*BeePath]\r\nRelative\r\nR,64\r\nD,32\r\nL,64\r\nUL,16\r\n\r\n"
                     "[Walker]\r\nType=Runner\r\nPositionX=448\r\nPositionY=288\r\nImageLeft=\\runner.tga\r\n"
                     "ImageRight=\\runner.tga\r\n");

  pack.WriteMap("Map_B", "Fire", Rows({}), tiles);
  pack.WriteText("Map_B/objects.ini",
                 "[*Objects]\r\nPlayer\r\nPort\r\nGoal\r\nFire\r\nPlank\r\nSpin\r\nDice\r\n\r\n" + ChainCore(3) +
                     "[Fire]\r\nType=Volcano\r\nPosition=448\r\nImage=\\crater.tga\r\n\r\n"
                     "[Plank]\r\nType=Bridge\r\nPositionX=240\r\nPositionY=240\r\nWidth=4\r\nImage=\\plank.tga\r\n\r\n"
                     "[Spin]\r\nType=Rotator\r\nList=Members\r\n\r\n[Dice]\r\nType=Randomizer\r\nList=Members\r\n\r\n"
                     "[*Members]\r\nM1\r\nM2\r\n\r\n"
                     "[M1]\r\nType=LinearMover\r\nPositionX=16\r\nPositionY=32\r\nImage=\\bee.tga\r\n\r\n"
                     "[M2]\r\nType=LinearMover\r\nPositionX=16\r\nPositionY=64\r\nSpeedX=-2\r\nImage=\\box.tga\r\n");

  std::vector<std::string> placing = tiles;
  placing.insert(placing.end(), {"", "sStar"});
  pack.WriteMap("Map_C", "Crowd", Rows({{2, "  s   s   s"}}), placing);
  pack.WriteText(
      "Map_C/objects.ini",
      "[*Objects]\r\nPlayer\r\nGoal\r\nRow\r\nSwarm\r\n\r\n" + ChainCore(0) +
          "[Row]\r\nType=Repeater\r\nRepeatObject=Star\r\nDeltaX=32\r\nDeltaY=0\r\nTimes=4\r\n\r\n"
          "[Star]\r\nType=LinearMover\r\nPositionX=16\r\nPositionY=200\r\nSpeedX=1\r\nImage=\\bee.tga\r\n\r\n"
          "[Swarm]\r\nType=Macro\r\nName=bees.ini\r\nValues=64,96,-1\r\n");
  pack.WriteText("Map_C/bees.ini",
                 "[*Objects]\r\nA\r\nB\r\n\r\n[A]\r\nType=LinearMover\r\nPositionX=%1\r\nPositionY=%2\r\n"
                 "SpeedX=%3\r\nImage=..\\bee.tga\r\n\r\n[B]\r\nType=LinearMover\r\nPositionX=%2\r\n"
                 "PositionY=%1\r\nImage=..\\bee.tga\r\n");
}

std::string ChainInput() {
  // A title card waiting for Space takes the next scripted event at once,
  // so the large frame numbers only keep the events in order.
  return "0 space down       # starts the map-select map\n"
         "130 space down     # enters the port under the player\n"
         "131 space up\n"
         "99990 space down   # starts Map_A at its title card\n"
         "99991 space up     # Map_B's card\n"
         "99992 space down\n"
         "99993 space up     # Map_C's card\n"
         "99994 space down\n"
         "99995 space up     # back at the map-select card\n"
         "99996 space down\n"
         "0 escape down      # leaves in the first frame of that visit\n";
}

void WriteMapSetupResources(TPackBuilder& pack) {
  pack.WriteIndex({"Map"});
  pack.WriteRootResources();
  pack.WritePlayerPicture("player.tga");
  pack.WriteBlock("floor.tga", 16, 16, {120, 100, 80});
  pack.WriteBlock("box.tga", 32, 32, {160, 110, 40});
  pack.WriteBlock("swirl.tga", 80, 20, {200, 200, 255}, 4);
  pack.WriteBlock("crater.tga", 64, 32, {90, 20, 10});
}

void WriteMapSetupInput(TPackBuilder& pack, const std::string& input) {
  const std::string separator = "\n====\n";
  std::vector<std::string> parts;
  size_t start = 0;
  while (parts.size() < 2) {
    size_t at = input.find(separator, start);
    if (at == std::string::npos) break;
    parts.push_back(input.substr(start, at - start));
    start = at + separator.size();
  }
  parts.push_back(input.substr(start));

  std::string map = "MAPT\r\nWI32\r\nHE22\r\nMNFuzz\r\nAUFuzz\r\nLW 000#015\r\n";
  for (int r = 0; r < 22; ++r)
    map += "MP" + (r == 5 ? std::string("  p  b") : r >= 19 ? std::string(32, '#') : std::string()) + "\r\n";
  map += "EX \r\nEX#\\floor.tga\r\nEXb\\box.tga\r\nEX\r\nEXpPlaced\r\nXX\r\n";
  const char* macro =
      "[*Objects]\r\nBee\r\n\r\n[Bee]\r\nType=LinearMover\r\nPositionX=%1\r\nPositionY=%2\r\nImage=\\box.tga\r\n";

  pack.WriteText("Map/objects.ini", parts[0]);
  pack.WriteText("Map/map00.mpt", parts.size() > 1 ? parts[1] : map);
  pack.WriteText("Map/macro.ini", parts.size() > 2 ? parts[2] : macro);
}

}  // namespace zorbin::e2e
