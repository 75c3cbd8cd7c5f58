// Helpers for the map object tests.
#include "ObjectTestSupport.h"

#include "shell/QX_SDL.h"
#include "sprites/MapGlobals.h"
#include "storage/QXStream.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <algorithm>

namespace zorbin::test {

std::string MakeTga(int width, int height, const std::function<uint32_t(int, int)>& rgb, const std::string& id) {
  std::string tga(18, '\0');
  tga[0] = char(id.size());
  tga[2] = 2;  // true colour
  tga[12] = char(width & 0xFF);
  tga[13] = char(width >> 8);
  tga[14] = char(height & 0xFF);
  tga[15] = char(height >> 8);
  tga[16] = 24;
  tga[17] = 0x20;  // rows top to bottom
  tga += id;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint32_t c = rgb(x, y);
      tga += char(c & 0xFF);
      tga += char((c >> 8) & 0xFF);
      tga += char((c >> 16) & 0xFF);
    }
  return tga;
}

void TObjectTest::SetUp() {
  SetImageDepth(32);
  RandSeed(12345);
  std::fill(std::begin(QX_SDL::Keys), std::end(QX_SDL::Keys), false);
  savedOpener_ = std::move(StreamOpener);
  StreamOpener = std::make_unique<TQXStreamOpener>("", nullptr);
  map_.SetSize(32, 22);
  particles_ = std::make_unique<TParticleEngine>();
  TileMap = &map_;
  SpriteEngine = &engine_;
  ParticleAnims = &anims_;
  ParticleEngine = particles_.get();
  back_ = std::make_unique<TImage>(640, 480);
  savedBack_ = QX_SDL::BackImage;
  QX_SDL::BackImage = back_.get();
}

void TObjectTest::TearDown() {
  // The sprites handed to the engine go while the map-wide globals stand.
  engine_.FreeAll();
  QX_SDL::BackImage = savedBack_;
  TileMap = nullptr;
  SpriteEngine = nullptr;
  ParticleAnims = nullptr;
  ParticleEngine = nullptr;
  StreamOpener = std::move(savedOpener_);
  std::fill(std::begin(QX_SDL::Keys), std::end(QX_SDL::Keys), false);
  SetImageDepth(24);
}

std::string TObjectTest::Picture(const std::string& name, const std::string& tga) {
  WriteFileText(dir_.File(name), tga);
  return dir_.File(name);
}

std::string TObjectTest::Plain(const std::string& name, int width, int height, uint32_t rgb) {
  return Picture(name, MakeTga(width, height, [rgb](int, int) { return rgb; }));
}

std::unique_ptr<TIniFile> TObjectTest::Ini(const std::string& text) {
  TMemoryStream stream(text);
  return std::make_unique<TIniFile>(stream);
}

void TObjectTest::Row(int row, int32_t value, int from, int to) {
  for (int x = from; x <= to; ++x) map_.SetLogic(x, row, value);
}

uint32_t TObjectTest::FadeColour(int index, int frame) const {
  TParticleAnim* anim = anims_.GetAnim(index);
  return anim ? anim->Image->GetPixel(3 * frame + 1, 1) : 0xFFFFFFFF;
}

}  // namespace zorbin::test
