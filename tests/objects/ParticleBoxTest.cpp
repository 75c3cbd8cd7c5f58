// ParticleBoxTest: particle streams in every direction, colour fades, rate, life cycle and bad numbers.
#include "objects/ZORBParticleBoxUnit.h"

#include "ObjectTestSupport.h"
#include "util/Streams.h"

#include <set>

namespace zorbin {
namespace {

class ParticleBoxTest : public test::TObjectTest {
 protected:
  std::unique_ptr<TParticleBox> Make(const std::string& keys, const std::string& more = "") {
    ini_ = Ini("[Shaft]\nType=ParticleBox\n" + keys + more);
    return std::make_unique<TParticleBox>(*ini_, "Shaft");
  }
  const TParticle& Last() const { return *particles_->Particles.back(); }
  std::unique_ptr<TIniFile> ini_;
};

TEST_F(ParticleBoxTest, RisingStreamEveryFifthFrame) {
  auto box = Make("Bounds=128,32,157,109\nDirection=Up\nRate=5\nSteps=64\n");
  std::set<int32_t> xs;
  for (int f = 1; f <= 500; ++f) {
    size_t before = ParticleCount();
    box->Move();
    ASSERT_EQ(ParticleCount() - before, f % 5 == 0 ? 1u : 0u) << f;
    if (f % 5 != 0) continue;
    const TParticle& p = Last();
    EXPECT_EQ(p.StartX, p.EndX);
    EXPECT_GE(p.StartX, 192);
    EXPECT_LE(p.StartX, 221);
    EXPECT_EQ(p.StartY, 173);
    EXPECT_EQ(p.EndY, 96);
    EXPECT_EQ(p.Steps, 64);
    xs.insert(p.StartX);
  }
  EXPECT_EQ(*xs.begin(), 192);
  EXPECT_EQ(*xs.rbegin(), 221);
}

TEST_F(ParticleBoxTest, EachDirectionCrossesTheRectangle) {
  struct Case {
    const char* direction;
    int32_t fromX, fromY, toX, toY;  // -1: the random coordinate
  };
  for (const Case& c : {Case{"up", -1, 80, -1, 70}, Case{"DOWN", -1, 70, -1, 80}, Case{"Right", 74, -1, 84, -1},
                        Case{"lEfT", 84, -1, 74, -1}}) {
    particles_->Particles.clear();
    auto box = Make(std::string("Bounds=10,6,20,16\nRate=1\nDirection=") + c.direction + "\n");
    for (int f = 0; f < 100; ++f) box->Move();
    ASSERT_EQ(ParticleCount(), 100u) << c.direction;
    for (const auto& p : particles_->Particles) {
      if (c.fromX >= 0) {
        EXPECT_EQ(p->StartX, c.fromX);
        EXPECT_EQ(p->EndX, c.toX);
        EXPECT_EQ(p->StartY, p->EndY);
        EXPECT_TRUE(p->StartY >= 70 && p->StartY <= 80) << c.direction;
      } else {
        EXPECT_EQ(p->StartY, c.fromY);
        EXPECT_EQ(p->EndY, c.toY);
        EXPECT_EQ(p->StartX, p->EndX);
        EXPECT_TRUE(p->StartX >= 74 && p->StartX <= 84) << c.direction;
      }
    }
  }
}

TEST_F(ParticleBoxTest, AnUnknownDirectionIsLoggedAndStreamsRight) {
  test::TCapturedLog log;
  auto box = Make("Direction=Sideways\n");
  EXPECT_TRUE(
      log.Contains("{ZORBParticleBoxUnit, TParticleBox.Create} Invalid direction. (Object: Shaft ,Data: Sideways)"));
  EXPECT_EQ(box->Direction, TParticleBox::TDirection::Right);
  // The defaults: up, one particle every 15 frames of 16 steps over the play area.
  auto plain = Make("");
  EXPECT_EQ(plain->Direction, TParticleBox::TDirection::Up);
  for (int f = 0; f < 15; ++f) plain->Move();
  ASSERT_EQ(ParticleCount(), 1u);
  EXPECT_EQ(Last().StartY, 447);
  EXPECT_EQ(Last().EndY, 64);
  EXPECT_EQ(Last().Steps, 16);
}

TEST_F(ParticleBoxTest, ColourItemsAreCompletedToFades) {
  auto box = Make("Colors=Glow\n", "[*Glow]\nff0000\nFF0000,00ff00\n3073c0,303030,4\n4080\n");
  ASSERT_EQ(box->Fades.size(), 4u);
  // Red to black in 16 steps, red to green in 16, a blue to grey in 4, and a
  // short text padded on the left: 004080 to black.
  EXPECT_EQ(anims_.GetAnim(box->Fades[0])->Name, "255,0,0,0,0,0,16");
  EXPECT_EQ(anims_.GetAnim(box->Fades[1])->Name, "255,0,0,0,255,0,16");
  EXPECT_EQ(anims_.GetAnim(box->Fades[2])->Name, "48,115,192,48,48,48,4");
  EXPECT_EQ(anims_.GetAnim(box->Fades[3])->Name, "0,64,128,0,0,0,16");
  EXPECT_EQ(FadeColour(box->Fades[2], 0), Rgb(0x3073C0));
  // A bare colour is completed to all three parts before its steps are read.
  EXPECT_EQ(CompleteColourItem("0000ff"), "0000ff,000000,16");
  EXPECT_EQ(CompleteColourItem("ff0000,00ff00"), "ff0000,00ff00,16");
  EXPECT_EQ(CompleteColourItem("1,2,3,4"), "1,2,3,4");

  // Every particle takes one of the fades, and all of them are used.
  auto rate1 = Make("Colors=Glow\nRate=1\n", "[*Glow]\nff0000\nFF0000,00ff00\n3073c0,303030,4\n4080\n");
  std::set<const TParticleAnim*> used;
  for (int f = 0; f < 200; ++f) rate1->Move();
  EXPECT_EQ(ParticleCount(), 200u);
  for (const auto& p : particles_->Particles) used.insert(p->Anim);
  EXPECT_EQ(used.size(), 4u);
  EXPECT_EQ(anims_.Count(), 4);
}

TEST_F(ParticleBoxTest, WithoutColoursParticlesFadeWhiteToBlack) {
  for (const char* keys : {"", "Colors=*\n", "Colors=NoSuchList\n"}) {
    auto box = Make(keys);
    ASSERT_EQ(box->Fades.size(), 1u) << keys;
    EXPECT_EQ(anims_.GetAnim(box->Fades[0])->Name, "255,255,255,0,0,0,16");
  }
}

TEST_F(ParticleBoxTest, RateAndLifeCycle) {
  auto box = Make("Rate=0\nLifeCycle=6\n");
  for (int f = 1; f <= 5; ++f) box->Move();
  EXPECT_FALSE(box->Killed);
  box->Move();
  EXPECT_TRUE(box->Killed);
  EXPECT_EQ(box->LifeLeft, 6);
  EXPECT_EQ(ParticleCount(), 0u);  // a rate of 0 never comes round
}

TEST_F(ParticleBoxTest, ParticlesLiveAtMostTenMinutes) {
  test::TCapturedLog log;
  auto box = Make("Steps=2000000000\nRate=1\n");
  EXPECT_TRUE(
      log.Contains("[ZORBParticleBoxUnit, TParticleBox.Create] Steps out of range, using 60000. (Object: Shaft)"));
  EXPECT_EQ(box->Steps, 60000);
}

TEST_F(ParticleBoxTest, BadNumbersRaise) {
  EXPECT_THROW(Make("Colors=C\n", "[*C]\nff0000,000000,many\n"), EConvertError);
  EXPECT_THROW(Make("Bounds=1,2\n"), EConvertError);
  EXPECT_THROW(Make("Rate=often\n"), EConvertError);
  // Colours that are not hexadecimal read as black.
  auto box = Make("Colors=C\n", "[*C]\nzz0000,#00000\n");
  EXPECT_EQ(anims_.GetAnim(box->Fades[0])->Name, "0,0,0,0,0,0,16");
}

}  // namespace
}  // namespace zorbin
