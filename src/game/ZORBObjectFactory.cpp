// ZORBObjectFactory: type names to object constructors.
#include "game/ZORBObjectFactory.h"

#include "formats/QXINIFile.h"
#include "game/ZORBPlayerUnit.h"
#include "objects/ZORBMapSelectPortUnit.h"
#include "objects/ZORBBoxesUnit.h"
#include "objects/ZORBBridgeUnit.h"
#include "objects/ZORBLinearMoverUnit.h"
#include "objects/ZORBObjectGroup.h"
#include "objects/ZORBParticleBoxUnit.h"
#include "objects/ZORBPathMoverUnit.h"
#include "objects/ZORBRandomizerUnit.h"
#include "objects/ZORBRotatorUnit.h"
#include "objects/ZORBRunnerUnit.h"
#include "objects/ZORBVolcanoUnit.h"

namespace zorbin {

template <typename T>
static std::unique_ptr<TSprite> Make(TIniFile& ini, const std::string& section) {
  return std::make_unique<T>(ini, section);
}

static const TObjectKind kKinds[] = {
    {"VOLCANO", true, Make<TVolcano>},
    {"BRIDGE", true, Make<TBridge>},
    {"LINEARMOVER", true, Make<TLinearMover>},
    {"PLAYER", true, Make<TPlayer>},
    {"BOXES", false, Make<TBoxes>},
    {"PATHMOVER", false, Make<TPathMover>},
    {"PARTICLEBOX", false, Make<TParticleBox>},
    {"MAPSELECTPORT", true, Make<TMapSelectPort>},
    {"RUNNER", true, Make<TRunner>},
};

const TObjectKind* FindObjectKind(const std::string& type) {
  for (const TObjectKind& kind : kKinds)
    if (type == kind.Type) return &kind;
  return nullptr;
}

std::unique_ptr<TObjectGroup> CreateObjectGroup(const std::string& type) {
  if (type == "ROTATOR") return std::make_unique<TRotator>();
  if (type == "RANDOMIZER") return std::make_unique<TRandomizer>();
  return nullptr;
}

}  // namespace zorbin
