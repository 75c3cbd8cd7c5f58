// MapGlobals: storage of the map-wide globals and their owner for a visit.
#include "sprites/MapGlobals.h"

#include "formats/TileMapUnit.h"
#include "pictures/ImageUnit.h"
#include "sprites/ZORBParticleEngineUnit.h"
#include "sprites/ZORBSpriteUnit.h"

namespace zorbin {

TTileMap* TileMap = nullptr;
TZorbSpriteEngine* SpriteEngine = nullptr;
TParticleAnims* ParticleAnims = nullptr;
TParticleEngine* ParticleEngine = nullptr;

TMapGlobals::TMapGlobals(std::unique_ptr<TTileMap> tileMap)
    : spriteEngine_(std::make_unique<TZorbSpriteEngine>()),
      particleAnims_(std::make_unique<TParticleAnims>()),
      tileMap_(std::move(tileMap)) {
  SpriteEngine = spriteEngine_.get();
  ParticleAnims = particleAnims_.get();
  ParticleEngine = static_cast<TParticleEngine*>(spriteEngine_->AddSprite(std::make_unique<TParticleEngine>(), ""));
  TileMap = tileMap_.get();
}

TMapGlobals::~TMapGlobals() {
  // The sprites first: the particle engine among them uses the registry.
  spriteEngine_->FreeAll();
  ParticleEngine = nullptr;
  tileMap_.reset();
  TileMap = nullptr;
  particleAnims_.reset();
  ParticleAnims = nullptr;
  spriteEngine_.reset();
  SpriteEngine = nullptr;
}

}  // namespace zorbin
