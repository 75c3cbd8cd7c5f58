// The map pack and the map set-up: macros, map items, layers, stars, the object budget and a visit's globals.
#include "formats/TileMapUnit.h"
#include "game/ZORBAirMeterUnit.h"
#include "game/ZORBMapSetupFailure.h"
#include "game/ZORBObjectFactory.h"
#include "game/ZORBPlay1MapUnit.h"
#include "game/ZORBPlayMapPackUnit.h"
#include "game/ZORBPlayerUnit.h"
#include "objects/ZORBLinearMoverUnit.h"
#include "objects/ZORBRotatorUnit.h"
#include "pictures/ImageUnit.h"
#include "shell/ClockUnit.h"
#include "shell/QX_SDL.h"
#include "sprites/MapGlobals.h"
#include "sprites/ZORBSpriteUnit.h"
#include "storage/QXStream.h"

#include "TestSupport.h"
#include "e2e/PackBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin {
namespace {

TEST(MacroExpansion, PlaceholdersValuesAndLongLines) {
  std::vector<std::string> values = SplitMacroValues("32,224,197,223,896,160,192");
  ASSERT_EQ(values.size(), 7u);
  std::vector<std::string> warnings;
  EXPECT_EQ(ExpandMacroLine("PositionX=%1", values, warnings), "PositionX=32");
  EXPECT_EQ(ExpandMacroLine("Bounds=%1,%7,%3,%4", values, warnings), "Bounds=32,192,197,223");
  EXPECT_TRUE(warnings.empty());
  std::string tail(400, 'x');
  EXPECT_EQ(ExpandMacroLine("Name=%2" + tail, values, warnings), "Name=224" + tail);
  // A "%" without a value is replaced by nothing and reported.
  EXPECT_EQ(ExpandMacroLine("a%xb%9c%", values, warnings), "abc");
  EXPECT_EQ(warnings.size(), 3u);
  // A value holding a placeholder is not expanded again.
  std::vector<std::string> tricky = {"%1"};
  EXPECT_EQ(ExpandMacroLine("v=%1", tricky, warnings), "v=%1");
}

TEST(MacroExpansion, ValueListSplitting) {
  EXPECT_EQ(SplitMacroValues("4,400,48"), (std::vector<std::string>{"4", "400", "48"}));
  EXPECT_EQ(SplitMacroValues("a,,b,"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(SplitMacroValues("").empty());
}

TEST(MapPack, MapItems) {
  TMapProps select = ParseMapItem("Map_Select,1");
  EXPECT_EQ(select.Dir, "Map_Select");
  EXPECT_TRUE(select.Remember);
  EXPECT_EQ(select.StartX, -1);
  TMapProps plain = ParseMapItem("Map_A");
  EXPECT_EQ(plain.Dir, "Map_A");
  EXPECT_FALSE(plain.Remember);
  EXPECT_FALSE(ParseMapItem("Map_B,0").Remember);
  EXPECT_FALSE(ParseMapItem("Map_C,yes").Remember);
}

// A map visit on loose files in a temporary folder, with the display open
// on a virtual clock.
class MapSetUp : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClock(&clock_);
    QX_SDL::Initialize(640, 480, 32, QX_SDL::kBackBufferOption);
    saved_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    StreamOpener = std::make_unique<TQXStreamOpener>(dir_.Path(), nullptr);
    pack_.WriteRootResources();
    pack_.WritePlayerPicture("player.tga");
    pack_.WriteBlock("mover.tga", 16, 16, {255, 0, 0});
    pack_.WriteBlock("tile.tga", 16, 16, {0, 200, 0});
  }
  void TearDown() override {
    StreamOpener.reset();
    std::filesystem::current_path(saved_);
    QX_SDL::Finalize();
    SetClock(nullptr);
    SetImageDepth(24);
  }
  std::vector<std::string> Rows(const std::string& extra = "") {
    std::vector<std::string> rows(22, std::string(32, ' '));
    for (int r = 19; r < 22; ++r) rows[size_t(r)] = std::string(32, '#');
    if (!extra.empty()) rows[5] = "   " + extra;  // column 3, row 5
    return rows;
  }
  std::vector<TSprite*> Named(const std::string& name) {
    std::vector<TSprite*> found;
    for (int i = 0; i < SpriteEngine->Count(); ++i)
      if (SpriteEngine->Items(i)->Name == name) found.push_back(SpriteEngine->Items(i));
    return found;
  }

  TVirtualClock clock_;
  test::TTempDir dir_;
  e2e::TPackBuilder pack_{dir_.Path()};
  std::filesystem::path saved_;
};

TEST_F(MapSetUp, ASetUpThatStopsHalfWayLeavesNoMapWideGlobals) {
  pack_.WriteMap("M", "Test Map", Rows(), {" ", "#\\tile.tga"});  // no objects.ini
  test::TCapturedLog log;
  EXPECT_THROW(TPlay1Map("M", -1, -1), std::runtime_error);
  EXPECT_EQ(SpriteEngine, nullptr);
  EXPECT_EQ(ParticleEngine, nullptr);
  EXPECT_EQ(ParticleAnims, nullptr);
  EXPECT_EQ(TileMap, nullptr);
  EXPECT_EQ(StreamOpener->CurrentDir(), "") << "names resolve from the root again";
}

TEST_F(MapSetUp, AMapWithoutRowsEndsTheProcessUnlessTheCallerRecovers) {
  pack_.WriteText("M/map00.mpt", "MAPT\r\nWI0\r\nHE0\r\nXX\r\n");
  test::TCapturedLog log;
  {
    TMapSetupRecovery recovery;
    EXPECT_THROW(
        {
          try {
            TPlay1Map("M", -1, -1);
          } catch (const TMapSetupFailed& e) {
            EXPECT_STREQ(e.what(), "No tile map file found! (map00.mpt)");
            throw;
          }
        },
        TMapSetupFailed);
    EXPECT_EQ(SpriteEngine, nullptr);
    EXPECT_EQ(StreamOpener->CurrentDir(), "");
  }
  EXPECT_TRUE(log.Contains("{ZORBPlay1MapUnit, TPlay1Map.Create} No tile map file found! (map00.mpt)"));
  EXPECT_EXIT(TPlay1Map("M", -1, -1), ::testing::ExitedWithCode(1), "");
}

const char* kMover = "Type=LinearMover\r\nSpeedX=0\r\nImage=\\mover.tga\r\n";

TEST_F(MapSetUp, FactoryRepeaterMacroAndPlacedObjects) {
  pack_.WriteMap("M", "Test Map", Rows("m"), {" ", "#\\tile.tga", "", "mPlaced"});
  pack_.WriteText("M/bee.ini",
                  "[*Objects]\r\nBee\r\n[Bee]\r\nType=LinearMover\r\nSpeedX=0\r\nPositionX=%1\r\n"
                  "PositionY=%2\r\nImage=\\mover.tga\r\n");
  pack_.WriteText("M/objects.ini",
                  std::string("[*Objects]\r\nPlayer\r\nRow\r\nNone\r\nBees\r\nHot\r\nOdd\r\n\r\n") +
                      "[Player]\r\nType=Player\r\nPositionX=16\r\nPositionY=272\r\nImage=\\player.tga\r\n" +
                      "[Row]\r\nType=Repeater\r\nRepeatObject=Mover\r\nTimes=3\r\nDeltaY=16\r\n" +
                      "[None]\r\nType=Repeater\r\nRepeatObject=Mover\r\nTimes=0\r\n" + "[Mover]\r\n" + kMover +
                      "PositionY=32\r\n" + "[Bees]\r\nType=Macro\r\nName=bee.ini\r\nValues=100,200\r\n" +
                      "[Hot]\r\nType=volcano\r\nPosition=16\r\n" + "[Odd]\r\nType=Teapot\r\n" + "[Placed]\r\n" +
                      kMover);
  test::TCapturedLog log;
  auto map = std::make_unique<TPlay1Map>("M", -1, -1);
  EXPECT_EQ(QX_SDL::FrameCount(), 64u);  // the title card's frames
  EXPECT_EQ(StreamOpener->CurrentDir(), "M\\");
  ASSERT_NE(map->Player, nullptr);

  std::vector<TSprite*> movers = Named("Mover");
  ASSERT_EQ(movers.size(), 3u);
  std::vector<int> ys;
  for (TSprite* s : movers) ys.push_back(s->Y);
  std::sort(ys.begin(), ys.end());
  EXPECT_EQ(ys, (std::vector<int>{96, 112, 128}));

  std::vector<TSprite*> bees = Named("Bee");
  ASSERT_EQ(bees.size(), 1u);
  EXPECT_EQ(bees[0]->X, 164);
  EXPECT_EQ(bees[0]->Y, 264);

  std::vector<TSprite*> placed = Named("$temp$0");
  ASSERT_EQ(placed.size(), 1u);
  EXPECT_EQ(placed[0]->X, 64 + 48);
  EXPECT_EQ(placed[0]->Y, 64 + 80);

  EXPECT_EQ(Named("Hot").size(), 1u);
  EXPECT_TRUE(log.Contains("{ZORBPlay1MapUnit, TPlay1Map.CreateObject} Unknown object type (Object=Odd, Type=TEAPOT)"));
  EXPECT_TRUE(log.Contains("Object type: VOLCANO"));
  EXPECT_TRUE(log.Contains("Creating object number 2. (Row)"));

  // The particle engine is the first sprite added, and the tile picture is
  // painted on the background under row 19.
  EXPECT_EQ(map->Background->GetPixel(64 + 5, 64 + 19 * 16 + 5), map->Background->MapRGB(0, 200, 0));
  map.reset();
  EXPECT_EQ(SpriteEngine, nullptr);
  EXPECT_EQ(TileMap, nullptr);
  EXPECT_EQ(StreamOpener->CurrentDir(), "");
}

TEST_F(MapSetUp, RotatorTakesItsMembersInListOrder) {
  pack_.WriteMap("M", "Groups", Rows(), {" "});
  pack_.WriteText("M/objects.ini",
                  std::string("[*Objects]\r\nPlayer\r\nTurns\r\nEmpty\r\n") +
                      "[Player]\r\nType=Player\r\nPositionX=16\r\nPositionY=272\r\nImage=\\player.tga\r\n" +
                      "[Turns]\r\nType=Rotator\r\nList=Members\r\n[*Members]\r\nFirst\r\nSecond\r\n" + "[First]\r\n" +
                      kMover + "PositionX=10\r\n[Second]\r\n" + kMover + "PositionX=20\r\n" +
                      "[Empty]\r\nType=Rotator\r\nList=*\r\n");
  auto map = std::make_unique<TPlay1Map>("M", -1, -1);
  std::vector<TSprite*> groups = Named("Turns");
  ASSERT_EQ(groups.size(), 1u);
  auto* rotator = dynamic_cast<TRotator*>(groups[0]);
  ASSERT_NE(rotator, nullptr);
  ASSERT_EQ(rotator->Members.size(), 2u);
  EXPECT_EQ(rotator->Members[0]->X, 74);
  EXPECT_EQ(rotator->Members[1]->X, 84);
  EXPECT_TRUE(Named("Empty").empty());
}

TEST_F(MapSetUp, RememberedPositionPlaysTheAppearEffect) {
  pack_.WriteMap("M", "Back", Rows(), {" "});
  pack_.WriteText("M/objects.ini",
                  "[*Objects]\r\nPlayer\r\n[Player]\r\nType=Player\r\nPositionX=16\r\n"
                  "PositionY=272\r\nImage=\\player.tga\r\n");
  auto map = std::make_unique<TPlay1Map>("M", 176, 64);
  EXPECT_EQ(map->Player->X, 176);
  EXPECT_EQ(map->Player->Y, 64);
  EXPECT_EQ(map->Player->State, TPlayer::kAppearing);
}

// Air that runs out ends nothing unless the map's own files say it
// restarts the map; the hint beside it is read for the title card.
TEST_F(MapSetUp, RunningOutOfAirRestartsOnlyAMapThatSaysSo) {
  const std::string player =
      "[*Objects]\r\nPlayer\r\n[Player]\r\nType=Player\r\nPositionX=16\r\nPositionY=272\r\nImage=\\player.tga\r\n";
  for (bool restarts : {false, true}) {
    std::string dir = restarts ? "Restarts" : "PlaysOn";
    pack_.WriteMap(dir, "Short of air", Rows(), {" "});
    pack_.WriteText(dir + "/objects.ini",
                    player + (restarts ? "[MapInfo]\r\nHint=Hurry up\r\nAirOut=restart\r\n" : ""));
    auto map = std::make_unique<TPlay1Map>(dir, -1, -1);
    EXPECT_EQ(map->Info.Hint, restarts ? "Hurry up" : "");
    int emptyFrames = 0;
    map->StopRequested = [&] {
      if (map->State == TPlayState::Play && map->AirMeter->Air > 1) map->AirMeter->Air = 1;
      if (map->AirMeter->Air == 0) ++emptyFrames;
      return emptyFrames > 300;
    };
    TPlayResult result;
    map->Play(result);
    EXPECT_EQ(result.Code, restarts ? TPlayCode::Restart : TPlayCode::Stopped) << restarts;
  }
}

TEST_F(MapSetUp, PlayEndsWithEscapeDuringTheReveal) {
  pack_.WriteMap("M", "Quit", Rows(), {" "});
  pack_.WriteText("M/objects.ini",
                  "[*Objects]\r\nPlayer\r\n[Player]\r\nType=Player\r\nPositionX=16\r\n"
                  "PositionY=272\r\nImage=\\player.tga\r\n");
  auto map = std::make_unique<TPlay1Map>("M", -1, -1);
  TSubscription escape = QX_SDL::Input().BeforePoll().Add([] {
    if (QX_SDL::FrameCount() == 64 + 10) {
      SDL_Event e{};
      e.type = SDL_KEYDOWN;
      e.key.keysym.sym = SDLK_ESCAPE;
      SDL_PushEvent(&e);
    }
  });
  TPlayResult result;
  result.NextMap = 5;
  map->Play(result);
  escape.Cancel();
  EXPECT_EQ(result.Code, TPlayCode::Escape);
  EXPECT_EQ(result.NextMap, 5);  // only the code is written
  EXPECT_EQ(map->State, TPlayState::Reveal);
  EXPECT_EQ(QX_SDL::FrameCount(), 64u + 10u);
}

}  // namespace
}  // namespace zorbin

namespace zorbin {
namespace {

TEST_F(MapSetUp, SelfNamingGroupsEndAtTheNestingLimit) {
  pack_.WriteMap("M", "Loops", Rows(), {" "});
  pack_.WriteText("M/self.ini", "[*Objects]\r\nAgain\r\n[Again]\r\nType=Macro\r\nName=self.ini\r\n");
  pack_.WriteText("M/objects.ini",
                  std::string("[*Objects]\r\nLoop\r\nMacro\r\nPlayer\r\n") +
                      "[Player]\r\nType=Player\r\nPositionX=16\r\nPositionY=272\r\nImage=\\player.tga\r\n" +
                      "[Loop]\r\nType=Rotator\r\nList=Inner\r\n[*Inner]\r\nLoop\r\n" +
                      "[Macro]\r\nType=Macro\r\nName=self.ini\r\n");
  test::TCapturedLog log;
  auto map = std::make_unique<TPlay1Map>("M", -1, -1);
  EXPECT_NE(map->Player, nullptr);
  int nested = 0;
  for (const std::string& line : log.Lines())
    nested += line.rfind("{ZORBPlay1MapUnit, TPlay1Map.CreateObject} Objects nested too deeply (Object=", 0) == 0;
  EXPECT_EQ(nested, 2);
}

TEST_F(MapSetUp, EveryObjectOfABigMapIsCreated) {
  // An object in each of the 704 cells, a repeater of 1300 movers and a
  // group, then the player: far past the old budget of 1024 entries.
  std::vector<std::string> rows(22, std::string(32, 'm'));
  pack_.WriteMap("M", "Crowded", rows, {" ", "", "mPlaced"});
  pack_.WriteText("M/objects.ini",
                  std::string("[*Objects]\r\nRow\r\nTurns\r\nPlayer\r\n") +
                      "[Row]\r\nType=Repeater\r\nRepeatObject=Mover\r\nTimes=1300\r\nDeltaY=0\r\n" + "[Mover]\r\n" +
                      kMover + "[Placed]\r\n" + kMover +
                      "[Turns]\r\nType=Rotator\r\nList=Members\r\n[*Members]\r\nMover\r\nMover\r\n" +
                      "[Player]\r\nType=Player\r\nPositionX=16\r\nPositionY=272\r\nImage=\\player.tga\r\n");
  test::TCapturedLog log;
  auto map = std::make_unique<TPlay1Map>("M", -1, -1);
  ASSERT_NE(map->Player, nullptr);
  EXPECT_EQ(Named("Mover").size(), 1300u);
  int placed = 0;
  for (int i = 0; i < SpriteEngine->Count(); ++i) placed += SpriteEngine->Items(i)->Name.rfind("$temp$", 0) == 0;
  EXPECT_EQ(placed, 704);
  ASSERT_EQ(Named("Turns").size(), 1u);
  EXPECT_EQ(dynamic_cast<TRotator*>(Named("Turns")[0])->Members.size(), 2u);
  // The particle engine, 704 + 1300 objects, the group and the player.
  EXPECT_EQ(SpriteEngine->Count(), 1 + 704 + 1300 + 1 + 1);
  for (const std::string& line : log.Lines()) EXPECT_NE(line.rfind("{", 0), 0u) << line;
}

TEST_F(MapSetUp, AMapBeyondTheObjectBudgetEndsTheSetUp) {
  // A repeater asking for billions, one of 70000 movers, and a repeater
  // of repeaters whose product is too large: each ends the process with
  // exit code 1 and one Error line naming the object, before it builds
  // what cannot fit.
  pack_.WriteMap("M", "Huge", Rows(), {" "});
  const std::string player = "[Player]\r\nType=Player\r\nPositionX=16\r\nPositionY=272\r\nImage=\\player.tga\r\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"[Many]\r\nType=Repeater\r\nRepeatObject=Many\r\nTimes=2000000000\r\n", "Many"},
      {std::string("[Many]\r\nType=Repeater\r\nRepeatObject=Mover\r\nTimes=70000\r\n[Mover]\r\n") + kMover, "Many"},
      {std::string("[Many]\r\nType=Repeater\r\nRepeatObject=Rows\r\nTimes=300\r\n") +
           "[Rows]\r\nType=Repeater\r\nRepeatObject=Mover\r\nTimes=300\r\n[Mover]\r\n" + kMover,
       "Many"}};
  for (const auto& [objects, name] : cases) {
    pack_.WriteText("M/objects.ini", "[*Objects]\r\nPlayer\r\nMany\r\n" + player + objects);
    StreamOpener = std::make_unique<TQXStreamOpener>(dir_.Path(), nullptr);  // no cached objects.ini
    test::TCapturedLog log;
    EXPECT_EXIT(TPlay1Map("M", -1, -1), ::testing::ExitedWithCode(1), "");
    int errors = 0;
    for (const std::string& line : log.Lines()) errors += line.rfind("{", 0) == 0;
    EXPECT_EQ(errors, 1);
    EXPECT_TRUE(log.Contains("{ZORBPlay1MapUnit, TPlay1Map.CreateObject} Too many objects (Object=" + name + ")"));
  }
}

TEST_F(MapSetUp, StarFieldPaintsTheEvenRowsDownToRowZero) {
  pack_.WriteMap("M", "Stars", Rows(), {" "});
  pack_.WriteText("M/objects.ini", "[*Objects]\r\n");
  auto map = std::make_unique<TPlay1Map>("M", -1, -1);
  // No tile pictures are bound: the play area holds only the stars, one in
  // each even row from 302 up to 0, none in an odd row or below 302 (the
  // inner frame rectangle runs down column 575 and along row 351).
  const uint32_t frame = map->Background->MapRGB(96, 90, 84);
  for (int r = 0; r < 351; ++r) {
    int lit = 0;
    for (int x = 64; x < 64 + 512; ++x) {
      uint32_t v = map->Background->GetPixel(x, 64 + r);
      lit += v != 0 && !(x == 575 && v == frame);
    }
    EXPECT_EQ(lit, r % 2 == 0 && r <= 302 ? 1 : 0) << "row " << r;
  }
}

}  // namespace
}  // namespace zorbin
