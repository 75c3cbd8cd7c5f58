// MapGlobals: the map-wide globals that objects meet through — the cell
// grid, the map's sprite engine, the particle registry and the particle
// engine — and TMapGlobals, the one owner that sets them for a map visit
// and frees them at its end; outside a visit they are nullptr. Objects
// include this unit, never the map set-up.
#pragma once

#include <memory>

namespace zorbin {

class TTileMap;
class TZorbSpriteEngine;
class TParticleAnims;
class TParticleEngine;

extern TTileMap* TileMap;
extern TZorbSpriteEngine* SpriteEngine;
extern TParticleAnims* ParticleAnims;
extern TParticleEngine* ParticleEngine;

// Creates the sprite engine, the particle registry and the particle engine
// (the engine's first sprite), takes the tile map, and points the globals
// at them. Its end frees the engine's sprites, then the tile map, the
// registry and the engine, and clears the globals. One visit at a time.
class TMapGlobals final {
 public:
  explicit TMapGlobals(std::unique_ptr<TTileMap> tileMap);
  ~TMapGlobals();
  TMapGlobals(const TMapGlobals&) = delete;
  TMapGlobals& operator=(const TMapGlobals&) = delete;

 private:
  std::unique_ptr<TZorbSpriteEngine> spriteEngine_;
  std::unique_ptr<TParticleAnims> particleAnims_;
  std::unique_ptr<TTileMap> tileMap_;
};

}  // namespace zorbin
