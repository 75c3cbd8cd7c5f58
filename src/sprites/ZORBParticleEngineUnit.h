// ZORBParticleEngineUnit: the map's particles — the named list of small
// colour animations that objects share (TParticleAnims) and the one sprite
// that flies every particle from its start to its end point while stepping
// through its animation (TParticleEngine).
#pragma once

#include "sprites/ZORBSpriteUnit.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace zorbin {

class TImage;

// One animation: a strip of 3 x 3 frames side by side (frame f at x = 3f),
// black transparent.
struct TParticleAnim {
  std::string Name;
  std::unique_ptr<TImage> Image;
};

// Names -> animations in insertion order; the position is the animation's
// index. The list owns the animations and their images. Names compare
// ignoring letter case.
class TParticleAnims final {
 public:
  TParticleAnims() = default;
  ~TParticleAnims();
  TParticleAnims(const TParticleAnims&) = delete;
  TParticleAnims& operator=(const TParticleAnims&) = delete;

  // The index of Name. When Name is new the list takes image; when it is
  // already there the list keeps its own and the image passed is freed.
  int AddAnim(std::unique_ptr<TImage> image, const std::string& name);
  // The fade from colour 1 to colour 2 in steps frames, made on first use
  // and named "R1,G1,B1,R2,G2,B2,Steps".
  int GetFade(uint8_t r1, uint8_t g1, uint8_t b1, uint8_t r2, uint8_t g2, uint8_t b2, int32_t steps);
  // nullptr when index is out of range.
  TParticleAnim* GetAnim(int index) const;
  int IndexOf(const std::string& name) const;
  int Count() const { return int(anims_.size()); }
  // Frees the animations from the last to the first.
  void Clear();

 private:
  std::vector<std::unique_ptr<TParticleAnim>> anims_;
  std::unordered_map<std::string, int> index_;  // lower-cased name -> index
};

// A fade keeps at most this many frames, so that its strip fits a surface
// (whose row length in bytes is 16-bit at 32 bits per pixel); longer fades
// spread their colours over these.
constexpr int32_t kMaxFadeFrames = 5461;

struct TParticle {
  int32_t StartX = 0, StartY = 0;
  int32_t EndX = 0, EndY = 0;
  int32_t X = 0, Y = 0;
  TParticleAnim* Anim = nullptr;  // not owned
  int32_t Frame = 0;
  int32_t FrameCount = 0;  // the animation's width div 3
  int32_t Step = 0;        // frames lived
  int32_t Steps = 0;       // frames to live
};
using PParticle = TParticle*;

// One sprite of the map's sprite engine that moves and draws every
// particle. Particles take their animations from the map-wide ParticleAnims,
// which outlives the engine.
class TParticleEngine final : public TZorbSprite {
 public:
  TParticleEngine();

  // Adds a particle at its start point; nothing when ParticleAnims has no
  // animation at animIndex. Returns the new particle or nullptr.
  PParticle Spawn(int32_t startX, int32_t startY, int32_t endX, int32_t endY, int32_t steps, int animIndex);
  void Move() override;
  // Three pixels per particle: the 2 x 2 top-left corner of its plus-shaped
  // frame, on the sprite's Target.
  void Draw() override;

  // In creation order.
  std::vector<std::unique_ptr<TParticle>> Particles;
};

}  // namespace zorbin
