// ZORBParticleEngineUnit: the animation list with its generated colour
// fades, and the particle engine's flight, removal and drawing.
#include "sprites/ZORBParticleEngineUnit.h"

#include "pictures/ImageUnit.h"
#include "sprites/MapGlobals.h"
#include "util/QXToolbox.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace zorbin {

TParticleAnims::~TParticleAnims() { Clear(); }

void TParticleAnims::Clear() {
  while (!anims_.empty()) anims_.pop_back();
  index_.clear();
}

int TParticleAnims::IndexOf(const std::string& name) const {
  auto it = index_.find(LowerCase(name));
  return it == index_.end() ? -1 : it->second;
}

int TParticleAnims::AddAnim(std::unique_ptr<TImage> image, const std::string& name) {
  int found = IndexOf(name);
  if (found >= 0) return found;
  auto anim = std::make_unique<TParticleAnim>();
  anim->Name = name;
  anim->Image = std::move(image);
  anims_.push_back(std::move(anim));
  int index = int(anims_.size()) - 1;
  index_.emplace(LowerCase(name), index);
  return index;
}

int TParticleAnims::GetFade(uint8_t r1, uint8_t g1, uint8_t b1, uint8_t r2, uint8_t g2, uint8_t b2, int32_t steps) {
  // A bridge asks for one fade per pixel of its tile: the name is built in
  // place, and being digits and commas it is its own lower-case key.
  char text[64];
  char* end = text;
  for (int32_t v : {int32_t(r1), int32_t(g1), int32_t(b1), int32_t(r2), int32_t(g2), int32_t(b2), steps}) {
    end = std::to_chars(end, text + sizeof text, v).ptr;
    *end++ = ',';
  }
  const std::string name(text, size_t(end - text - 1));
  if (auto it = index_.find(name); it != index_.end()) return it->second;
  // A fade of no steps has no frames: an image without a surface, which
  // particles draw as nothing.
  int32_t frames = std::clamp<int32_t>(steps, 0, kMaxFadeFrames);
  auto image = frames > 0 ? std::make_unique<TImage>(frames * 3, 3) : std::make_unique<TImage>();
  auto between = [frames](int c1, int c2, int k) { return uint8_t(c1 + k * (c2 - c1) / frames); };
  for (int k = 0; k < frames; ++k) {
    uint8_t r = between(r1, r2, k), g = between(g1, g2, k), b = between(b1, b2, k);
    int x = 3 * k;
    image->PutPixel(x + 1, 0, r, g, b);
    image->PutPixel(x, 1, r, g, b);
    image->PutPixel(x + 1, 1, r, g, b);
    image->PutPixel(x + 2, 1, r, g, b);
    image->PutPixel(x + 1, 2, r, g, b);
  }
  image->ColorKeyed = true;
  image->ApplyColorKey();
  return AddAnim(std::move(image), name);
}

TParticleAnim* TParticleAnims::GetAnim(int index) const {
  if (index < 0 || index >= int(anims_.size())) return nullptr;
  return anims_[size_t(index)].get();
}

TParticleEngine::TParticleEngine() : TZorbSprite(0, 0, nullptr) { ZOrder = 0; }

PParticle TParticleEngine::Spawn(int32_t startX, int32_t startY, int32_t endX, int32_t endY, int32_t steps,
                                 int animIndex) {
  TParticleAnim* anim = ParticleAnims ? ParticleAnims->GetAnim(animIndex) : nullptr;
  if (!anim) return nullptr;
  auto particle = std::make_unique<TParticle>();
  particle->StartX = startX;
  particle->StartY = startY;
  particle->EndX = endX;
  particle->EndY = endY;
  particle->X = startX;
  particle->Y = startY;
  particle->Anim = anim;
  particle->FrameCount = anim->Image ? anim->Image->Width() / 3 : 0;
  particle->Steps = steps;
  Particles.push_back(std::move(particle));
  return Particles.back().get();
}

// start + (end - start) * step div steps, truncating toward zero; 64-bit so
// that far-apart points from object files cannot overflow.
static int32_t Between(int32_t start, int32_t end, int32_t step, int32_t steps) {
  return int32_t(int64_t(start) + (int64_t(end) - start) * step / steps);
}

void TParticleEngine::Move() {
  for (size_t i = Particles.size(); i-- > 0;) {
    TParticle& p = *Particles[i];
    p.Step += 1;
    if (p.Step < p.Steps) {
      p.X = Between(p.StartX, p.EndX, p.Step, p.Steps);
      p.Y = Between(p.StartY, p.EndY, p.Step, p.Steps);
      p.Frame = int32_t(int64_t(p.FrameCount) * p.Step / p.Steps);
    } else {
      Particles.erase(Particles.begin() + std::ptrdiff_t(i));
    }
  }
}

static bool FitsInt16(int32_t v) {
  return v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max();
}

void TParticleEngine::Draw() {
  if (!Target) return;
  for (const auto& p : Particles) {
    // Blits take 16-bit positions: a particle beyond them is off the surface
    // anyway and must not wrap back onto it.
    if (!FitsInt16(p->X) || !FitsInt16(p->Y)) continue;
    Target->DrawPart(p->X, p->Y, p->Frame * 3, 0, 2, 2, p->Anim->Image.get());
  }
}

}  // namespace zorbin
