// LoadObjectImageTest: an object's picture loaded by name, or the placeholder when it is missing.
#include "sprites/ZORBSpriteUnit.h"

#include "TestSupport.h"
#include "pictures/ImageUnit.h"
#include "storage/QXStream.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin {
namespace {

// A 3 x 2 true-colour TGA, rows top to bottom.
std::string SmallTga() {
  std::string tga(18, '\0');
  tga[2] = 2;
  tga[12] = 3;
  tga[14] = 2;
  tga[16] = 24;
  tga[17] = 0x20;
  tga += std::string(3 * 2 * 3, '\x7f');
  return tga;
}

TEST(LoadObjectImage, LoadsByNameOrFallsBackToThePlaceholder) {
  test::TTempDir dir;
  std::filesystem::create_directories(dir.File("Data"));
  test::WriteFileText(dir.File("Data/small.tga"), SmallTga());
  test::WriteFileText(dir.File("Data/junk.xyz"), "not a picture");
  auto saved = std::move(StreamOpener);
  StreamOpener = std::make_unique<TQXStreamOpener>(dir.Path(), nullptr);
  {
    test::TCapturedLog log;
    auto found = LoadObjectImage("small.tga");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Width(), 3);
    // Opened but not a picture, or the default "*" that names no file: an
    // image without a surface counts as not loaded.
    for (const char* name : {"junk.xyz", "*"}) {
      auto undecodable = LoadObjectImage(name);
      ASSERT_NE(undecodable, nullptr);
      EXPECT_EQ(undecodable->Width(), 32);
      EXPECT_TRUE(log.Contains(std::string("{ZORBSpriteUnit, LoadObjectImage} Image not found! (") + name + ")"));
    }
    auto missing = LoadObjectImage("..\\common\\nope.tga");
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->Width(), 32);
    EXPECT_EQ(missing->Height(), 16);
    EXPECT_TRUE(log.Contains("{ZORBSpriteUnit, LoadObjectImage} Image not found! (..\\common\\nope.tga)"));
  }
  StreamOpener = std::move(saved);
}

}  // namespace
}  // namespace zorbin
