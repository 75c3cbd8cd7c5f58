// MapGlobals: the map-wide globals that objects meet through — the cell
// grid, the map's sprite engine, the particle registry and the particle
// engine. The map set-up creates them for one map visit and frees them at
// its end; outside a visit they are nullptr. Objects include this unit,
// never the map set-up.
#pragma once

namespace zorbin {

class TTileMap;
class TZorbSpriteEngine;
class TParticleAnims;
class TParticleEngine;

extern TTileMap* TileMap;
extern TZorbSpriteEngine* SpriteEngine;
extern TParticleAnims* ParticleAnims;
extern TParticleEngine* ParticleEngine;

}  // namespace zorbin
