// ObjectFactoryTest: every object type named in an object file builds its object.
#include "game/ZORBObjectFactory.h"

#include "ObjectTestSupport.h"
#include "game/ZORBMapSetupFailure.h"
#include "game/ZORBPlayerUnit.h"
#include "objects/ZORBBoxesUnit.h"
#include "objects/ZORBBridgeUnit.h"
#include "objects/ZORBLinearMoverUnit.h"
#include "objects/ZORBMapSelectPortUnit.h"
#include "objects/ZORBObjectGroup.h"
#include "objects/ZORBParticleBoxUnit.h"
#include "objects/ZORBPathMoverUnit.h"
#include "objects/ZORBRotatorUnit.h"
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
    const TObjectKind* kind = TObjectFactory::FindKind(c.type);
    ASSERT_NE(kind, nullptr) << c.type;
    EXPECT_EQ(kind->Shifted, c.shifted) << c.type;
    std::unique_ptr<TSprite> made = kind->Create(*ini, "S");
    EXPECT_TRUE(c.is(made)) << c.type;
  }
  for (const char* other : {"volcano", "ROTATOR", "RANDOMIZER", "REPEATER", "MACRO", "Unknown", ""})
    EXPECT_EQ(TObjectFactory::FindKind(other), nullptr) << other;
  EXPECT_NE(TObjectFactory::CreateGroupObject("RANDOMIZER"), nullptr);
  EXPECT_EQ(TObjectFactory::CreateGroupObject("VOLCANO"), nullptr);
}

TEST_F(ObjectFactoryTest, RepeatersGroupsThePlayerAndTheNestingLimit) {
  std::string image = Plain("thing.tga", 16, 16, 0x808080);
  auto ini = Ini("[*Objects]\nHero\nRow\nTurns\nSelf\n[Hero]\nType=Player\nImage=" + image +
                 "\n[Row]\nType=Repeater\nRepeatObject=Mover\nTimes=3\nDeltaX=16\n"
                 "[Mover]\nType=LinearMover\nSpeedX=0\nImage=" +
                 image +
                 "\n[Turns]\nType=Rotator\nList=TurnList\n[*TurnList]\nMover\nMover\n"
                 "[Self]\nType=Repeater\nRepeatObject=Self\nTimes=1\n");
  test::TCapturedLog log;
  TObjectFactory factory;
  factory.CreateObjects(engine_, *ini, "Objects", 0, 0);
  ASSERT_NE(factory.Player(), nullptr);
  EXPECT_EQ(engine_.Items(engine_.IndexOfName("Hero")), factory.Player());
  std::vector<int> movers;
  for (int i = 0; i < engine_.Count(); ++i)
    if (engine_.Items(i)->Name == "Mover") movers.push_back(engine_.Items(i)->X);
  std::sort(movers.begin(), movers.end());
  EXPECT_EQ(movers, (std::vector<int>{64, 80, 96}));  // the group's two are its own
  auto* turns = dynamic_cast<TRotator*>(engine_.Items(engine_.IndexOfName("Turns")));
  ASSERT_NE(turns, nullptr);
  EXPECT_EQ(turns->Members.size(), 2u);
  EXPECT_TRUE(log.Contains("{ZORBPlay1MapUnit, TPlay1Map.CreateObject} Objects nested too deeply (Object=Self)"));
}

// What the checker learns of each fault: its kind, the object and the key's
// line, or the file; where the game would stop, the set-up unwinds instead.
TEST_F(ObjectFactoryTest, FaultsAreReportedWithTheirKindAndPlace) {
  auto ini =
      Ini("[*Objects]\nOdd\nMover\nRow\n"
          "[Odd]\nType=Teleporter\n"
          "[Mover]\nType=LinearMover\nSpeedX=99999999\nImage=absent.tga\n"
          "[Row]\nType=Repeater\nRepeatObject=Mover\nTimes=70000\n");
  test::TCapturedLog log;
  test::TRecordedReports reports;
  TObjectFactory factory;
  TMapSetupRecovery recovery;
  EXPECT_THROW(factory.CreateObjects(engine_, *ini, "Objects", 0, 0), TMapSetupFailed);

  TDiagnostic type = reports.First(TDiagnosticKind::UnknownType);
  EXPECT_EQ(type.Object, "Odd");
  EXPECT_EQ(type.Key, "Type");
  EXPECT_EQ(type.Line, 6);
  TDiagnostic speed = reports.First(TDiagnosticKind::BadValue);
  EXPECT_EQ(speed.Severity, TSeverity::Warning);
  EXPECT_EQ(speed.Key, "SpeedX");
  EXPECT_EQ(speed.Line, 9);
  EXPECT_EQ(reports.First(TDiagnosticKind::MissingFile).File, "absent.tga");
  TDiagnostic picture = reports.First(TDiagnosticKind::MissingPicture);
  EXPECT_EQ(picture.File, "absent.tga");
  EXPECT_EQ(picture.Object, "Mover");
  EXPECT_EQ(reports.First(TDiagnosticKind::TooManyObjects).Object, "Row");
  // The log holds the lines it always held.
  EXPECT_TRUE(
      log.Contains("{ZORBPlay1MapUnit, TPlay1Map.CreateObject} Unknown object type (Object=Odd, Type=TELEPORTER)"));
  EXPECT_TRUE(log.Contains("{ZORBLinearMoverUnit, TLinearMover.Create} LinearMover image not found. (absent.tga)"));
  EXPECT_TRUE(log.Contains("{ZORBPlay1MapUnit, TPlay1Map.CreateObject} Too many objects (Object=Row)"));
}

}  // namespace
}  // namespace zorbin
