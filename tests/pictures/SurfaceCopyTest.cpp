// SurfaceCopyTest: the row-copy blit and the fill against SDL's own over
// random, clipped and off-surface rectangles at 24 and 32 bits, the 24-bit
// conversion against SDL's blit, and the cases left to SDL.
#include "pictures/SurfaceCopy.h"

#include "util/QXToolbox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace zorbin {
namespace {

using TCopySurfacePtr = std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)>;

// A surface of pseudo-random pixels; 24-bit rows of odd width carry padding.
TCopySurfacePtr CopyTestSurface(int w, int h, int depth, uint32_t seed) {
  TCopySurfacePtr s(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, depth, 0, 0, 0, 0), SDL_FreeSurface);
  uint8_t* p = static_cast<uint8_t*>(s->pixels);
  for (int i = 0; i < s->pitch * h; ++i) p[i] = uint8_t((uint32_t(i) + seed) * 2654435761u >> 24);
  return s;
}

std::vector<uint8_t> CopyTestBytes(const SDL_Surface* s) {
  const uint8_t* p = static_cast<const uint8_t*>(s->pixels);
  return std::vector<uint8_t>(p, p + s->pitch * s->h);
}

bool SameRect(const SDL_Rect& a, const SDL_Rect& b) { return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h; }

TEST(SurfaceCopy, MatchesSDLOverRandomAndClippedRectangles) {
  RandSeed(7);
  for (int depth : {24, 32}) {
    for (int round = 0; round < 400; ++round) {
      const int sw = 1 + Random(40), sh = 1 + Random(30), dw = 1 + Random(40), dh = 1 + Random(30);
      TCopySurfacePtr src = CopyTestSurface(sw, sh, depth, uint32_t(round));
      TCopySurfacePtr mine = CopyTestSurface(dw, dh, depth, 99);
      TCopySurfacePtr theirs = CopyTestSurface(dw, dh, depth, 99);
      if (round % 3 == 0) {
        SDL_Rect clip{Sint16(Random(dw)), Sint16(Random(dh)), Uint16(Random(dw)), Uint16(Random(dh))};
        SDL_SetClipRect(mine.get(), &clip);
        SDL_SetClipRect(theirs.get(), &clip);
      }
      SDL_Rect from{Sint16(Random(60) - 20), Sint16(Random(50) - 20), Uint16(Random(60)), Uint16(Random(50))};
      SDL_Rect at{Sint16(Random(80) - 40), Sint16(Random(60) - 30), 0, 0};
      SDL_Rect atMine = at, atTheirs = at, fromMine = from, fromTheirs = from;
      const bool whole = round % 5 == 0;
      const int a = BlitSurface(src.get(), whole ? nullptr : &fromMine, mine.get(), &atMine);
      const int b = SDL_UpperBlit(src.get(), whole ? nullptr : &fromTheirs, theirs.get(), &atTheirs);
      ASSERT_EQ(a, b) << depth << " " << round;
      ASSERT_TRUE(SameRect(atMine, atTheirs)) << depth << " " << round;
      ASSERT_EQ(CopyTestBytes(mine.get()), CopyTestBytes(theirs.get())) << depth << " " << round;
    }
  }
}

TEST(SurfaceCopy, FillMatchesSDLOverRandomAndClippedRectangles) {
  RandSeed(11);
  for (int depth : {24, 32}) {
    for (int round = 0; round < 300; ++round) {
      const int w = 1 + Random(40), h = 1 + Random(30);
      TCopySurfacePtr mine = CopyTestSurface(w, h, depth, uint32_t(round));
      TCopySurfacePtr theirs = CopyTestSurface(w, h, depth, uint32_t(round));
      if (round % 3 == 0) {
        SDL_Rect clip{Sint16(Random(w)), Sint16(Random(h)), Uint16(Random(w)), Uint16(Random(h))};
        SDL_SetClipRect(mine.get(), &clip);
        SDL_SetClipRect(theirs.get(), &clip);
      }
      SDL_Rect rect{Sint16(Random(60) - 20), Sint16(Random(50) - 20), Uint16(Random(60)), Uint16(Random(50))};
      SDL_Rect rectMine = rect, rectTheirs = rect;
      const Uint32 colour = round % 4 == 0 ? 0 : SDL_MapRGB(mine->format, uint8_t(round), 7, uint8_t(200 - round));
      const bool whole = round % 7 == 0;
      ASSERT_EQ(FillSurface(mine.get(), whole ? nullptr : &rectMine, colour),
                SDL_FillRect(theirs.get(), whole ? nullptr : &rectTheirs, colour));
      ASSERT_TRUE(whole || SameRect(rectMine, rectTheirs)) << depth << " " << round;
      ASSERT_EQ(CopyTestBytes(mine.get()), CopyTestBytes(theirs.get())) << depth << " " << round;
    }
  }
}

TEST(SurfaceCopy, ConvertBGRMatchesSDLsBlitOfA24BitSurface) {
  RandSeed(13);
  for (int round = 0; round < 50; ++round) {
    const int w = 1 + Random(30), h = 1 + Random(20);
    std::vector<uint8_t> bgr(size_t(w) * size_t(h) * 3);
    for (uint8_t& b : bgr) b = uint8_t(Random(256));
    // SDL's usual masks, and red in the low byte.
    const Uint32 red = round % 2 == 0 ? 0 : 0xFF, blue = round % 2 == 0 ? 0 : 0xFF0000;
    TCopySurfacePtr mine(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, red, red ? 0xFF00 : 0, blue, 0),
                         SDL_FreeSurface);
    TCopySurfacePtr theirs(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, red, red ? 0xFF00 : 0, blue, 0),
                           SDL_FreeSurface);
    ASSERT_TRUE(ConvertBGR(bgr.data(), w, h, mine.get()));
    SDL_Surface* from = SDL_CreateRGBSurfaceFrom(bgr.data(), w, h, 24, w * 3, 0, 0, 0, 0);
    SDL_BlitSurface(from, nullptr, theirs.get(), nullptr);
    SDL_FreeSurface(from);
    ASSERT_EQ(CopyTestBytes(mine.get()), CopyTestBytes(theirs.get())) << round;
  }
  TCopySurfacePtr narrow = CopyTestSurface(2, 2, 32, 6);
  TCopySurfacePtr shallow = CopyTestSurface(4, 4, 24, 6);
  const std::vector<uint8_t> pixels(4 * 4 * 3, 9);
  EXPECT_FALSE(ConvertBGR(pixels.data(), 4, 4, narrow.get())) << "more pixels than the surface holds";
  EXPECT_FALSE(ConvertBGR(pixels.data(), 4, 4, shallow.get())) << "not 32 bits";
}

TEST(SurfaceCopy, ColourKeyedAndOtherFormatsGoThroughSDL) {
  TCopySurfacePtr keyed = CopyTestSurface(8, 8, 32, 1);
  std::memset(keyed->pixels, 0, size_t(keyed->pitch) * 2);  // two transparent rows
  SDL_SetColorKey(keyed.get(), SDL_SRCCOLORKEY, 0);
  TCopySurfacePtr target = CopyTestSurface(8, 8, 32, 2);
  const std::vector<uint8_t> before = CopyTestBytes(target.get());
  ASSERT_EQ(BlitSurface(keyed.get(), nullptr, target.get(), nullptr), 0);
  const std::vector<uint8_t> after = CopyTestBytes(target.get());
  EXPECT_TRUE(std::equal(before.begin(), before.begin() + target->pitch * 2, after.begin())) << "key colour kept out";

  TCopySurfacePtr deep = CopyTestSurface(4, 4, 32, 3);
  TCopySurfacePtr shallow = CopyTestSurface(4, 4, 24, 4);
  ASSERT_EQ(BlitSurface(shallow.get(), nullptr, deep.get(), nullptr), 0);
  const uint8_t* d = static_cast<const uint8_t*>(deep->pixels);
  const uint8_t* s = static_cast<const uint8_t*>(shallow->pixels);
  EXPECT_EQ(std::memcmp(d, s, 3), 0) << "converted pixel by pixel";
  EXPECT_EQ(BlitSurface(nullptr, nullptr, deep.get(), nullptr), -1);
}

}  // namespace
}  // namespace zorbin
