// MapGlobals: storage of the map-wide globals (empty outside a map visit).
#include "sprites/MapGlobals.h"

namespace zorbin {

TTileMap* TileMap = nullptr;
TZorbSpriteEngine* SpriteEngine = nullptr;
TParticleAnims* ParticleAnims = nullptr;
TParticleEngine* ParticleEngine = nullptr;

}  // namespace zorbin
