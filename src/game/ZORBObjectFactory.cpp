// ZORBObjectFactory: type names to object constructors.
#include "game/ZORBObjectFactory.h"

#include "formats/QXINIFile.h"
#include "game/ZORBPlayerUnit.h"
#include "objects/ZORBMapSelectPortUnit.h"
#include "objects/ZORBLinearMoverUnit.h"
#include "objects/ZORBObjectGroup.h"
#include "objects/ZORBPathMoverUnit.h"
#include "objects/ZORBRandomizerUnit.h"
#include "objects/ZORBRotatorUnit.h"

namespace zorbin {

template <typename T>
static std::unique_ptr<TSprite> Make(TIniFile& ini, const std::string& section) {
  return std::make_unique<T>(ini, section);
}

static const TObjectKind kKinds[] = {
    {"LINEARMOVER", true, Make<TLinearMover>},
    {"PLAYER", true, Make<TPlayer>},
    {"PATHMOVER", false, Make<TPathMover>},
    {"MAPSELECTPORT", true, Make<TMapSelectPort>},
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
