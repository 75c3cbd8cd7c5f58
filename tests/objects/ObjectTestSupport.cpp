// Helpers for the map object tests.
#include "ObjectTestSupport.h"

#include "shell/QX_SDL.h"
#include "sprites/MapGlobals.h"
#include "storage/QXStream.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <algorithm>

namespace zorbin::test {

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
  QX_SDL::Display().SetDrawTarget(back_.get());
}

void TObjectTest::TearDown() {
  // The sprites handed to the engine go while the map-wide globals stand.
  engine_.FreeAll();
  QX_SDL::Display().SetDrawTarget(nullptr);
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
  return Picture(name, TgaOf(width, height, [rgb](int, int) { return rgb; }));
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
