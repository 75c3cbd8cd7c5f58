// zorbin-fuzz-seeds OUTDIR: writes the seed corpus of every fuzz target
// into OUTDIR/<target>/. The seeds are the files the tests build (the
// whole-game test pack, hand-made archives, pictures of every format) and
// the files the game's own writers produce (packed blocks, saved tile maps
// in every mode), so the fuzzers start from inputs that go deep.
#include "MAD4TestArchives.h"
#include "PackBuilder.h"

#include "formats/XMapUnit.h"
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "storage/CompressorUnit.h"
#include "storage/MyZStreamUnit.h"
#include "util/Streams.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace zorbin;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

fs::path gOut;

void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
  fs::create_directories(gOut / target);
  std::ofstream out(gOut / target / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void Seed(const std::string& target, const std::string& name, const std::string& text) {
  Seed(target, name, Bytes(text.begin(), text.end()));
}

Bytes Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string Text(const fs::path& file) {
  Bytes b = Read(file);
  return std::string(b.begin(), b.end());
}

Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Le16(std::initializer_list<int> values) {
  Bytes out;
  for (int v : values) out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)});
  return out;
}

const char* const kObjects =
    "[*Objects]\r\nPlayer\r\nGoal\r\nMover\r\nWalker\r\nPath1\r\nFire\r\nPlank\r\nSpin\r\nDice\r\nRow\r\nBees\r\n"
    "Port1\r\nSparks\r\n\r\n"
    "[Player]\r\nType=Player\r\nPositionX=16\r\nPositionY=272\r\nImage=\\player.tga\r\n\r\n"
    "[Goal]\r\nType=Boxes\r\nTargetX=160\r\nPosition1X=160\r\nPosition1Y=272\r\nImage1=\\box.tga\r\n"
    "TargetImage1=\\box.tga\r\n\r\n"
    "[Mover]\r\nType=LinearMover\r\nPositionX=32\r\nPositionY=64\r\nSpeedX=2\r\nSpeedY=1\r\nImage=\\swirl.tga\r\n"
    "FrameDelay=2\r\nLifeCycle=100\r\nZOrder=3\r\n\r\n"
    "[Walker]\r\nType=Runner\r\nPositionX=64\r\nPositionY=272\r\nImageLeft=\\box.tga\r\nImageRight=\\box.tga\r\n"
    "Positioning=Relative\r\n\r\n"
    "[Path1]\r\nType=PathMover\r\nPositionX=100\r\nPositionY=100\r\nSpeed=4\r\nImage=\\box.tga\r\nPath=Way\r\n"
    "Looped=1\r\n\r\n[*Way]\r\nRelative\r\nR,32\r\nDL,16\r\nU,8\r\n\r\n"
    "[Fire]\r\nType=Volcano\r\nPosition=200\r\nImage=\\crater.tga\r\n\r\n"
    "[Plank]\r\nType=Bridge\r\nPositionX=240\r\nPositionY=288\r\nWidth=48\r\nImage=\\floor.tga\r\n\r\n"
    "[Spin]\r\nType=Rotator\r\nList=SpinList\r\n\r\n[*SpinList]\r\nMover\r\nPath1\r\n\r\n"
    "[Dice]\r\nType=Randomizer\r\nList=SpinList\r\n\r\n"
    "[Row]\r\nType=Repeater\r\nRepeatObject=Mover\r\nDeltaX=16\r\nDeltaY=0\r\nTimes=3\r\n\r\n"
    "[Bees]\r\nType=Macro\r\nName=macro.ini\r\nValues=32,224,197\r\n\r\n"
    "[Port1]\r\nType=MapSelectPort\r\nPositionX=96\r\nPositionY=256\r\nLevel=1\r\nImageUnlocked=\\box.tga\r\n"
    "ImageLocked=\\box.tga\r\nImageSwirl=\\swirl.tga\r\n\r\n"
    "[Sparks]\r\nType=ParticleBox\r\nSteps=8\r\nRate=3\r\nDirection=Left\r\nColors=Fades\r\n"
    "Bounds=0,0,100,80\r\nLifeCycle=50\r\n\r\n[*Fades]\r\nff0000,00ff00,8\r\n0000ff\r\n\r\n"
    "[Placed]\r\nType=LinearMover\r\nImage=\\box.tga\r\n";

const char* const kMacro =
    "[*Objects]\r\nBee\r\n\r\n[Bee]\r\nType=LinearMover\r\nPositionX=%1\r\nPositionY=%2\r\n"
    "Bounds=%1,%3,%2\r\nImage=\\box.tga\r\n";

// The test pack of the whole-game runs: its maps, object files and pictures.
void PackSeeds(const fs::path& scratch) {
  e2e::TPackBuilder pack(scratch.string() + "/");
  pack.WriteIndex({"Map_Select", "Map_A"});
  pack.WriteRootResources();
  pack.WritePlayerPicture("player.tga");
  pack.WriteBlock("swirl.tga", 80, 20, {200, 200, 255}, 4);
  std::vector<std::string> rows(22, std::string(32, ' '));
  rows[5] = "  p  b";
  for (int r = 19; r < 22; ++r) rows[size_t(r)] = std::string(32, '#');
  pack.WriteMap("Map_A", "Boxes", rows, {" ", "#\\floor.tga", "b\\box.tga", "", "pPlaced"});
  std::string map = Text(scratch / "Map_A" / "map00.mpt");

  Seed("fuzz_ini", "main.ini", Text(scratch / "$main$.ini"));
  Seed("fuzz_ini", "objects.ini", kObjects);
  Seed("fuzz_ini", "macro.ini", kMacro);
  Seed("fuzz_input_script", "recording",
       "# zorbin recording: --seed 5\n64 space down\n65 space up # c\r\n\n80 27 down\n");
  Seed("fuzz_input_script", "script", "# walk and jump\n0 left down\n16 left up\n20 276 down\n21 left shift down\n");
  Seed("fuzz_recording", "recording",
       "# zorbin recording: --seed 4000000000\n64 space down\n65 space up\n99 tab down\n");
  Seed("fuzz_recording", "names", "0 right down\n3 keypad enter down\n4 right ctrl up\n5 300 down\n6 q up\n");
  Seed("fuzz_settings", "all",
       "; settings\r\n[Video]\r\nScale = auto\r\nFullscreen=0\r\nPauseOnFocusLoss=1\r\n[Keys]\r\nLeft = a, left\r\n"
       "Right=d\r\nAction=space,return\r\nValues=tab\r\nAppear=q\r\nQuit=escape\r\n[Joystick]\r\nEnabled=1\r\n"
       "Action=0\r\nQuit=9\r\n");
  Seed("fuzz_settings", "odd", "[video]\nfullscreen = yes\n[Video]\nScale=7\n[*Keys]\nLeft\n[Keys]\nRight=nokey,\n");
  Seed("fuzz_macro", "bee", std::string("32,224,197,223,896,160,192\n") + kMacro);
  Seed("fuzz_macro", "odd", std::string("4,,48,\nTimes=%1\r\nX=%9%%\r\nY=%2%3%\r\n%"));
  Seed("fuzz_map_setup", "objects-only", kObjects);
  Seed("fuzz_map_setup", "objects-and-map", std::string(kObjects) + "\n====\n" + map);
  Seed("fuzz_map_setup", "all-three", std::string(kObjects) + "\n====\n" + map + "\n====\n" + kMacro);
  Seed("fuzz_pack_check", "objects-only", kObjects);
  Seed("fuzz_pack_check", "whole-pack",
       "[*Maps]\r\nMap,1\r\nMap\r\nNowhere\r\n\n====\n" + std::string(kObjects) + "\n====\n" + map + "\n====\n" +
           kMacro);

  // The binary formats hold no extra lines: a plain map gives all five.
  // A wrap above 255 (a port) needs 16-bit storage.
  std::string plain = "MAPT\r\nWI4\r\nHE3\r\nMNPlain\r\nAUSeeds\r\nLW 000#015\r\nLWp012\r\nMP# p#\r\nMP##\r\nXX\r\n";
  std::string port = plain.substr(0, plain.find("LWp")) + "LWp300" + plain.substr(plain.find("LWp") + 6);
  for (const std::string& text : {map, plain, port}) {
    TXMap loaded;
    TMemoryStream mapStream(Bytes(text.begin(), text.end()));
    loaded.Load(mapStream);
    for (char mode : std::string("ABTWX")) {
      TMemoryStream out;
      if (loaded.Save(out, mode))
        Seed("fuzz_xmap",
             (text == map     ? "map-"
              : text == plain ? "plain-"
                              : "port-") +
                 std::string(1, mode),
             out.Data());
    }
  }
  Seed("fuzz_xmap", "map-written", map);

  for (const char* tga : {"logo.tga", "airm.tga", "player.tga", "swirl.tga"})
    Seed("fuzz_tga", tga, Read(scratch / tga));
  Bytes qxr = Read(scratch / "npi69.qxr");
  Seed("fuzz_fonts", "qxr", Cat({0}, qxr));
  Seed("fuzz_fonts", "tga-digits", Cat({1}, Read(scratch / "lilnums.tga")));
  Seed("fuzz_fonts", "tga-capitals", Cat({1}, Read(scratch / "font.tga")));
  Seed("fuzz_fonts", "grey", Cat({2}, Cat(Le16({3, 2}), {0, 60, 120, 180, 240, 255})));
  Seed("fuzz_tga", "font.tga", Read(scratch / "font.tga"));
}

// TGA image types the reader handles besides plain true colour.
void TgaSeeds() {
  auto header = [](int idLength, int mapType, int type, int mapLength, int mapDepth, int w, int h, int depth,
                   int descriptor) {
    Bytes out = {uint8_t(idLength), uint8_t(mapType), uint8_t(type), 0, 0};
    out = Cat(out, Le16({mapLength}));
    out.push_back(uint8_t(mapDepth));
    out = Cat(out, Le16({0, 0, w, h}));
    out.push_back(uint8_t(depth));
    out.push_back(uint8_t(descriptor));
    return out;
  };
  Seed("fuzz_tga", "mapped", Cat(header(0, 1, 1, 2, 24, 2, 2, 8, 0), {10, 20, 30, 40, 50, 60, 0, 1, 1, 0}));
  Seed("fuzz_tga", "grey", Cat(header(0, 0, 3, 0, 0, 2, 2, 8, 0x20), {0, 80, 160, 240}));
  Seed("fuzz_tga", "rle24",
       Cat(header(0, 0, 10, 0, 0, 4, 2, 24, 0x20), {0x83, 1, 2, 3, 0x02, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  Seed("fuzz_tga", "rle-grey", Cat(header(0, 0, 11, 0, 0, 4, 1, 8, 0), {0x81, 7, 0x01, 8, 9}));
  Seed("fuzz_tga", "rle-mapped", Cat(header(0, 1, 9, 2, 24, 3, 1, 8, 0), {1, 2, 3, 4, 5, 6, 0x82, 1}));
  Seed("fuzz_tga", "bgra", Cat(header(2, 0, 2, 0, 0, 1, 2, 32, 0), {3, 0x30, 1, 2, 3, 4, 5, 6, 7, 8}));
}

// Hand-made archives: every chunk kind, a broken link, an appended archive.
void ArchiveSeeds() {
  using namespace zorbin::test;
  std::string text = "[*Maps]\r\nMap_Select,1\r\nMap_A\r\n";
  Bytes block = TCompressor::Compress(Bytes(text.begin(), text.end()), 0x4C);
  std::string comp(block.begin(), block.end());
  std::string chunks = Chunk("RAWD", Named("a.txt", "hello")) + Chunk("COMP", Named("Maps\\$main$.ini", comp)) +
                       Chunk("LINK", Named("b.txt", U32(8))) + Chunk("LINK", Named("c.txt", U32(3))) +
                       Chunk("FVER", Named("1.0", "") + Named("build 7", "")) + NullChunk(12);
  std::string archive = Archive(chunks);
  Seed("fuzz_archive_mount", "every-kind", archive);
  Seed("fuzz_archive_mount", "no-trailer", Archive(chunks, false));
  Seed("fuzz_archive_mount", "empty", Archive(""));
  Seed("fuzz_archive_mount", "appended",
       "\x7f"
       "ELF host program bytes" +
           archive);
}

// Packed blocks of every stage combination, and ".ZL" files.
void CompressionSeeds() {
  std::string text = kObjects;
  Bytes data(text.begin(), text.begin() + 300);
  for (int a : {0, int(kFlagZlib)})
    for (int b : {0, 1, 2, 4})
      for (int c = 0; c < 8; ++c) {
        uint8_t flags = uint8_t(a | (b << kStageBShift) | c);
        char name[16];
        std::snprintf(name, sizeof name, "flags-%02X", flags);
        Seed("fuzz_compressed_block", name, TCompressor::Compress(data, flags));
      }
  Seed("fuzz_zl_stream", "text-9", DeflateBytes(data, 9));
  Seed("fuzz_zl_stream", "text-stored", DeflateBytes(data, 0));
  Seed("fuzz_zl_stream", "zeros", DeflateBytes(Bytes(20000, 0), 9));
  Bytes cut = DeflateBytes(data, 1);
  cut.resize(cut.size() / 2);
  Seed("fuzz_zl_stream", "cut", cut);
}

// The further picture formats; the first byte picks the reader.
void PictureSeeds() {
  auto bmp = [](int w, int h, int bits, const Bytes& palette, const Bytes& pixels) {
    int offset = 54 + int(palette.size());
    Bytes f = {'B', 'M'};
    auto u32 = [&f](int64_t v) { f = Cat(f, Le16({int(v & 0xFFFF), int((v >> 16) & 0xFFFF)})); };
    u32(offset + int64_t(pixels.size()));
    u32(0);
    u32(offset);
    u32(40), u32(w), u32(h);
    f = Cat(f, Le16({1, bits}));
    u32(0), u32(int64_t(pixels.size())), u32(2835), u32(2835), u32(int64_t(palette.size() / 4)), u32(0);
    return Cat(Cat(f, palette), pixels);
  };
  Seed("fuzz_pictures", "bmp24", Cat({0}, bmp(2, 2, 24, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0})));
  Seed("fuzz_pictures", "bmp8", Cat({0}, bmp(3, 1, 8, {0, 0, 255, 0, 0, 255, 0, 0}, {0, 1, 1, 0})));
  Bytes cel = Cat(Le16({0x9119, 2, 1}), Bytes(26, 0));
  cel = Cat(Cat(cel, Bytes(768, 7)), {1, 0});
  Seed("fuzz_pictures", "cel", Cat({1}, cel));
  Seed("fuzz_pictures", "mi-24",
       Cat({2}, Cat(Cat({'M', 'I'}, Le16({256})), Cat({'2', '4'}, Cat(Le16({0, 1, 2}), {1, 2, 3, 4, 5, 6})))));
  Seed("fuzz_pictures", "mi-grey",
       Cat({2}, Cat(Cat({'M', 'I'}, Le16({256})), Cat({'G', 'S'}, Cat(Le16({0, 2, 1}), {0, 127})))));
  Seed("fuzz_pictures", "kep", Cat({3}, Cat(Le16({3, 3}), Bytes(16, 2))));
  Seed("fuzz_pictures", "k16", Cat({4}, Le16({1, 0, 0x001F, 0x07E0})));
  Seed("fuzz_pictures", "gsd", Cat({5}, Cat(Le16({1, 2}), {1, 2, 3, 4})));
}

void ImageListSeeds() {
  Seed("fuzz_image_list", "v1", std::string("a.tga,t1\r\n\r\ns.tga[2],b2\n!END\na.tga,after\n"));
  Seed("fuzz_image_list", "v2",
       std::string("[*gfxlist]\n.s.tga[0],b0\na.tga:HV,t\ns.tga[1-3]:R,r\n[other]\nkey=a.tga,x\n"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zorbin-fuzz-seeds OUTDIR\n");
    return 1;
  }
  Parameters = std::make_unique<TParameters>(std::vector<std::string>{"zorbin-fuzz-seeds", "-nolog"});
  Log = std::make_unique<TLogger>("", false);
  gOut = fs::absolute(argv[1]);
  fs::path scratch = gOut / ".pack";
  fs::remove_all(scratch);
  fs::create_directories(scratch);
  fs::path here = fs::current_path();
  fs::current_path(scratch);
  PackSeeds(scratch);
  fs::current_path(here);
  fs::remove_all(scratch);
  TgaSeeds();
  ArchiveSeeds();
  CompressionSeeds();
  PictureSeeds();
  ImageListSeeds();
  return 0;
}
