// Monkey: choosing random plans, steering to ports, and pressing the keys.
#include "Monkey.h"

#include "DemoScript.h"
#include "formats/TileMapUnit.h"
#include "game/ZORBPlayerUnit.h"
#include "shell/QX_SDL.h"
#include "sprites/MapGlobals.h"
#include "sprites/SpriteEngine.h"
#include "util/ProcessExit.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace zorbin::demo {

namespace {

// The keys the monkey plays, as bits of a key set. Escape is not among them.
constexpr int kMonkeyKeys[] = {SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE, SDLK_TAB, SDLK_q};
constexpr uint32_t kLeftBit = 1, kRightBit = 2, kSpaceBit = 4, kTabBit = 8, kAppearBit = 16;

// A port is a cell whose value above the low byte names a map; the figure
// takes it only above 256.
bool IsPortCell(int32_t value) { return value > 256 && ((value >> 8) & 0xFF) != 0; }

TPlayer* FindPlayerSprite() {
  if (!SpriteEngine) return nullptr;
  for (int i = 0; i < SpriteEngine->Count(); ++i)
    if (auto* player = dynamic_cast<TPlayer*>(SpriteEngine->Items(i))) return player;
  return nullptr;
}

// The key that walks the figure towards column `to`; 0 when it is there.
uint32_t TowardsColumn(const TPlayer& player, int32_t to) {
  // A walk that ends on the column next frame stops there: a key still
  // held when the step ends starts the next one.
  if (player.State == TPlayer::kWalking) {
    int32_t arriving = player.TileX + (player.Direction == TPlayer::kFacingRight ? 1 : -1);
    if (arriving == to && player.Timer <= 1) return 0;
    if (player.Timer > 1) return player.Direction == TPlayer::kFacingRight ? kRightBit : kLeftBit;
  }
  if (player.TileX < to) return kRightBit;
  if (player.TileX > to) return kLeftBit;
  return 0;
}

// The nearest column in the figure's own rows that leads up (a lift in its
// body cells) or down (no floor under its feet); -1 when there is none.
int32_t NearestWayTo(const TPlayer& player, bool up) {
  int32_t best = -1;
  for (int32_t x = TileMap->OriginX; x < TileMap->OriginX + TileMap->Width(); ++x) {
    bool way = false;
    if (up) {
      for (int32_t y = player.TileY; y <= player.TileY + 1; ++y)
        way = way || (TileMap->GetLogic(x, y) & (TPlayer::kCellLift | TPlayer::kCellStrongLift)) != 0;
    } else {
      way = (TileMap->GetLogic(x, player.TileY + 2) & (TPlayer::kCellFloor | TPlayer::kCellLift)) == 0;
    }
    if (way && (best < 0 || std::abs(x - player.TileX) < std::abs(best - player.TileX))) best = x;
  }
  return best;
}

}  // namespace

uint64_t TMonkeyRandom::Next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint32_t TMonkeyRandom::Between(uint32_t lo, uint32_t hi) { return lo + uint32_t(Next() % (uint64_t(hi) - lo + 1)); }

TMonkey::TMonkey(uint64_t seed, std::optional<uint32_t> maxFrames) : random_(seed), maxFrames_(maxFrames) {}

void TMonkey::Install() {
  beforePoll_ = QX_SDL::Input().BeforePoll().Add([this] { BeforePoll(); });
}

void TMonkey::BeforePoll() {
  uint32_t frame = QX_SDL::FrameCount();
  bool waiting = frame == framesAtLastPoll_;
  framesAtLastPoll_ = frame;
  if (frame >= maxFrames_.value_or(kFramesAfterInput)) {
    // The run has played what it was asked to: a success, unlike a closed window.
    if (!maxFrames_)
      std::fprintf(stderr, "zorbin-demo: the monkey stops at frame %u (--max-frames sets another limit)\n", frame);
    SDL_Quit();
    HaltProcess(0);
  }
  uint32_t wanted = 0;
  if (waiting) {
    // A title card waits for Space; the map's first frame chooses a new plan.
    wanted = kSpaceBit;
    planEnd_ = 0;
  } else {
    if (frame >= planEnd_) ChoosePlan(frame);
    wanted = WantedKeys(frame);
  }
  // The key table is the truth: the game clears it when a map starts.
  for (size_t i = 0; i < std::size(kMonkeyKeys); ++i) {
    bool down = (wanted & (1u << i)) != 0;
    if (down != QX_SDL::Keys[kMonkeyKeys[i]]) PushKey(kMonkeyKeys[i], down);
  }
}

void TMonkey::ChoosePlan(uint32_t frame) {
  TPlayer* player = FindPlayerSprite();
  if (player && TileMap && random_.Between(0, 99) < 30 && FindPort(*player, target_)) {
    plan_ = TPlan::SeekPort;
    spaceUntil_ = 0;
    planEnd_ = frame + 1200;
    return;
  }
  uint32_t roll = random_.Between(0, 99);
  if (roll < 55) {
    plan_ = TPlan::Walk;
    walkKey_ = random_.Between(0, 1) ? kRightBit : kLeftBit;
    // Mostly a few cells, sometimes across the map.
    planEnd_ = frame + (random_.Between(0, 2) ? random_.Between(4, 80) : random_.Between(80, 600));
  } else if (roll < 70) {
    plan_ = TPlan::Idle;
    planEnd_ = frame + random_.Between(1, 100);
  } else if (roll < 82) {
    plan_ = TPlan::Space;
    planEnd_ = frame + random_.Between(1, 6);
  } else if (roll < 92) {
    plan_ = TPlan::Tab;
    planEnd_ = frame + random_.Between(1, 80);
  } else {
    plan_ = TPlan::Appear;
    planEnd_ = frame + random_.Between(1, 3);
  }
}

bool TMonkey::FindPort(const TPlayer& player, TPort& port) {
  std::vector<TPort> level, all;
  for (int32_t y = TileMap->OriginY; y < TileMap->OriginY + TileMap->Height(); ++y)
    for (int32_t x = TileMap->OriginX; x < TileMap->OriginX + TileMap->Width(); ++x) {
      if (!IsPortCell(TileMap->GetLogic(x, y))) continue;
      all.push_back(TPort{x, y});
      if (y == player.TileY + 2) level.push_back(all.back());
    }
  if (all.empty()) return false;
  // Mostly one within reach; sometimes one on another level.
  const std::vector<TPort>& from = !level.empty() && random_.Between(0, 3) ? level : all;
  port = from[random_.Between(0, uint32_t(from.size() - 1))];
  return true;
}

uint32_t TMonkey::WantedKeys(uint32_t frame) {
  switch (plan_) {
    case TPlan::Walk: return walkKey_;
    case TPlan::Space: return kSpaceBit;
    case TPlan::Tab: return kTabBit;
    case TPlan::Appear: return kAppearBit;
    case TPlan::SeekPort: return SeekKeys(frame);
    case TPlan::Idle: break;
  }
  return 0;
}

uint32_t TMonkey::SeekKeys(uint32_t frame) {
  TPlayer* player = FindPlayerSprite();
  if (!player || !TileMap) {
    planEnd_ = frame;
    return 0;
  }
  if (spaceUntil_ > 0) {
    if (frame < spaceUntil_) return kSpaceBit;
    planEnd_ = frame;  // pressed: the port takes the figure, or it was no port after all
    return 0;
  }
  int32_t feet = player->TileY + 2;
  bool ready = player->State == TPlayer::kStanding;
  if (feet == target_.Row) {
    if (ready && player->TileX == target_.Column) {
      spaceUntil_ = frame + 3;
      return kSpaceBit;
    }
    return TowardsColumn(*player, target_.Column);
  }
  // Another level: to a lift when the port is above, to a gap when below.
  if (!ready && player->State != TPlayer::kWalking) return 0;
  int32_t way = NearestWayTo(*player, target_.Row < feet);
  if (way < 0) {
    planEnd_ = frame;
    return 0;
  }
  return TowardsColumn(*player, way);
}

}  // namespace zorbin::demo
