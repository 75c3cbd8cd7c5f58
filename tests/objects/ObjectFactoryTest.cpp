// ObjectFactoryTest: every object type named in an object file builds its object.
#include "game/ZORBObjectFactory.h"

#include "ObjectTestSupport.h"
#include "game/ZORBPlayerUnit.h"
#include "objects/ZORBBoxesUnit.h"
#include "objects/ZORBBridgeUnit.h"
#include "objects/ZORBLinearMoverUnit.h"
#include "objects/ZORBMapSelectPortUnit.h"
#include "objects/ZORBObjectGroup.h"
#include "objects/ZORBParticleBoxUnit.h"
#include "objects/ZORBPathMoverUnit.h"
#include "objects/ZORBRunnerUnit.h"
#include "objects/ZORBVolcanoUnit.h"

namespace zorbin {
namespace {

class ObjectFactoryTest : public test::TObjectTest {};

template <typename T>
bool Is(const std::unique_ptr<TSprite>& s) {
  return dynamic_cast<T*>(s.get()) != nullptr;
}

TEST_F(ObjectFactoryTest, EveryTypeBuildsItsObjectAndKnowsWhetherItIsShifted) {
  std::string image = Plain("thing.tga", 16, 16, 0x808080);
  auto ini = Ini("[S]\nImage=" + image + "\nWidth=2\n");
  struct Case {
    const char* type;
    bool shifted;
    bool (*is)(const std::unique_ptr<TSprite>&);
  };
  for (const Case& c : {Case{"VOLCANO", true, Is<TVolcano>}, Case{"BRIDGE", true, Is<TBridge>},
                        Case{"LINEARMOVER", true, Is<TLinearMover>}, Case{"PLAYER", true, Is<TPlayer>},
                        Case{"BOXES", false, Is<TBoxes>}, Case{"PATHMOVER", false, Is<TPathMover>},
                        Case{"PARTICLEBOX", false, Is<TParticleBox>}, Case{"MAPSELECTPORT", true, Is<TMapSelectPort>},
                        Case{"RUNNER", true, Is<TRunner>}}) {
    const TObjectKind* kind = FindObjectKind(c.type);
    ASSERT_NE(kind, nullptr) << c.type;
    EXPECT_EQ(kind->Shifted, c.shifted) << c.type;
    std::unique_ptr<TSprite> made = kind->Create(*ini, "S");
    EXPECT_TRUE(c.is(made)) << c.type;
  }
  for (const char* other : {"volcano", "ROTATOR", "RANDOMIZER", "REPEATER", "MACRO", "Unknown", ""})
    EXPECT_EQ(FindObjectKind(other), nullptr) << other;
  EXPECT_NE(CreateObjectGroup("RANDOMIZER"), nullptr);
  EXPECT_EQ(CreateObjectGroup("VOLCANO"), nullptr);
}

}  // namespace
}  // namespace zorbin
