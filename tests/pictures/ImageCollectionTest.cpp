// ImageCollectionTest: named image lists: lookup, list file versions and sections, listing and saving.
#include "formats/QXINIFile.h"
#include "pictures/ImageCollectionUnit.h"
#include "pictures/ImageUnit.h"
#include "pictures/MaskUnit.h"
#include "storage/QXStream.h"
#include "util/Streams.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin {
namespace {

using test::Tga;

std::vector<std::string> Names(TImageCollection& c) {
  std::vector<std::string> names;
  for (int i = 0; i < c.Count(); ++i) names.push_back(c.Item(i).Name);
  return names;
}

// boxes.tga: three 2 x 1 frames (black + red, green, blue) without colour key.
class ImageCollectionFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    StreamOpener = std::make_unique<TQXStreamOpener>("", nullptr);
    SetImageDepth(32);
    Write("boxes.tga", Tga(6, 1, {0, 0xFF0000, 0x00FF00, 0x00FF00, 0, 0x0000FF}, std::string("\x03\x00", 2)));
    Write("tile.tga", Tga(16, 16, std::vector<uint32_t>(256, 0x404040)));
  }
  void TearDown() override {
    SetImageDepth(24);
    StreamOpener.reset();
    std::filesystem::current_path(saved_);
  }
  void Write(const std::string& name, const std::string& bytes) { test::WriteFileText(dir_.File(name), bytes); }

  test::TTempDir dir_;
  std::filesystem::path saved_;
};

TEST(ImageCollection, FindIsCaseSensitiveAndTakesTheFirst) {
  test::TCapturedLog log;
  TImageCollection c;
  c.Add(std::make_unique<TImage>(1, 1), "a", nullptr);
  c.Add(std::make_unique<TImage>(2, 2), "A", nullptr);
  c.Add(std::make_unique<TImage>(3, 3), "a", nullptr);
  ASSERT_NE(c.Find("a"), nullptr);
  EXPECT_NE(c.Find("a"), c.Find("A"));
  EXPECT_EQ(c.FindImage("a")->Width(), 1);
  EXPECT_EQ(c.FindImage("A")->Width(), 2);
  EXPECT_EQ(c.Find("b"), nullptr);
  EXPECT_EQ(c.FindImage("b"), nullptr);
  EXPECT_TRUE(log.Contains("(ImageCollectionUnit, TImageCollection.Find) Image not found! (b)."));
  TImage src(1, 1);
  TMask mask(src, 1);
  c.AssignMask("a", &mask);
  EXPECT_EQ(c.Item(0).Mask, &mask);
  EXPECT_EQ(c.Item(2).Mask, nullptr);
  c.AssignMask("zz", &mask);
  EXPECT_TRUE(log.Contains("(ImageCollectionUnit, TImageCollection.AssignMask) Image not found! (zz)."));
  c.Clear();
  EXPECT_EQ(c.Count(), 0);
  EXPECT_TRUE(log.Contains("<ImageCollectionUnit, TImageCollectionItem.Destroy> Destroying ICItem: A"));
}

TEST_F(ImageCollectionFiles, ListLinesWithForcedKeyAndMask) {
  TImageCollection c;
  EXPECT_TRUE(c.AddImageEx(".boxes.tga[1],box1"));
  TImage* box1 = c.FindImage("box1");
  ASSERT_NE(box1, nullptr);
  EXPECT_EQ(box1->Width(), 2);
  EXPECT_EQ(box1->FrameCount, 1);
  EXPECT_NE(box1->Surface->flags & SDL_SRCCOLORKEY, 0u);
  EXPECT_EQ(box1->Surface->format->colorkey, 0u);
  EXPECT_FALSE(box1->ColorKeyed);
  EXPECT_EQ(c.Find("box1")->Mask, nullptr);

  EXPECT_TRUE(c.AddImageEx("boxes.tga,box,*"));
  TImageCollectionItem* box = c.Find("box");
  EXPECT_EQ(box->Image->Surface->flags & SDL_SRCCOLORKEY, 0u);
  ASSERT_NE(box->Mask, nullptr);
  EXPECT_EQ(box->Mask->Data, (std::vector<uint8_t>{0, 1, 1, 1, 0, 1}));

  // Only the exact "*" builds a mask.
  EXPECT_TRUE(c.AddImageEx("boxes.tga,plain, *"));
  EXPECT_EQ(c.Find("plain")->Mask, nullptr);
  // A mask built for a second entry of a name is built from that entry's
  // image and assigned (AssignMask) to the first entry of the name.
  EXPECT_TRUE(c.AddImageEx("tile.tga,box,*"));
  EXPECT_EQ(c.Item(3).Mask, nullptr);
  ASSERT_NE(c.Item(1).Mask, nullptr);
  EXPECT_EQ(c.Item(1).Mask->Width, 16);
  EXPECT_TRUE(c.AddImageEx("tile.tga,box1,*"));
  EXPECT_EQ(c.Find("box1")->Mask->Width, 16);
  EXPECT_EQ(c.Item(4).Mask, nullptr);
}

TEST_F(ImageCollectionFiles, LinesThatAddNothingOrAnEmptyEntry) {
  test::TCapturedLog log;
  TImageCollection c;
  EXPECT_FALSE(c.AddImageEx(""));
  EXPECT_FALSE(c.AddImageEx("   \t"));
  EXPECT_FALSE(c.AddImageEx("?script"));
  EXPECT_FALSE(c.AddImageEx(".?script"));
  EXPECT_TRUE(
      log.Contains("[ImageCollectionUnit, TImageCollection.AddImageEx] QXScript not supported. Use "
                   "TImageCollectionIP to access QXScript."));
  EXPECT_EQ(c.Count(), 0);
  // No comma: the empty file name, which decodes to nothing, under the whole line.
  EXPECT_TRUE(c.AddImageEx("tile.tga"));
  ASSERT_EQ(c.Count(), 1);
  EXPECT_EQ(c.Item(0).Name, "tile.tga");
  EXPECT_EQ(c.Item(0).Image->Surface, nullptr);
  // A missing picture raises and adds nothing.
  EXPECT_THROW(c.AddImageEx("nothere.tga,x"), std::runtime_error);
  EXPECT_EQ(c.Count(), 1);
}

TEST_F(ImageCollectionFiles, ListLinesStopAtTheCollectionsPixelMemory) {
  // Each line of 16 bytes makes the 16 x 16 tile a 512 x 512 picture of
  // 1 MB: 64 of them fill the collection, later lines add nothing.
  test::TCapturedLog log;
  std::string list;
  for (int i = 0; i < 66; ++i) list += "tile.tga:DDDDD,t\n";
  TMemoryStream stream(list);
  TImageCollection c;
  c.Load(stream);
  EXPECT_EQ(c.Count(), 64);
  EXPECT_FALSE(c.AddImageEx("tile.tga:DDDDD,u,*"));
  EXPECT_TRUE(log.Contains("[ImageCollectionUnit, TImageCollection.Add] Image collection full! (u)"));
  c.Clear();
  EXPECT_TRUE(c.AddImageEx("tile.tga:DDDDD,t"));
}

TEST_F(ImageCollectionFiles, VersionOneListsStopAtEndOrAtTheStreamEnd) {
  test::TCapturedLog log;
  TImageCollection c;
  TMemoryStream list(std::string("tile.tga,t1\r\n\r\nboxes.tga[2],b2\n!END\ntile.tga,after\n"));
  list.SetPosition(7);  // reading starts at the stream's start
  c.Load(list);
  EXPECT_EQ(Names(c), (std::vector<std::string>{"t1", "b2"}));
  EXPECT_TRUE(log.Contains("<ImageCollectionUnit, TImageCollection.Load> LoadListV1"));
  TImageCollection d;
  TMemoryStream noEnd(std::string("tile.tga,t1\ntile.tga,t2"));
  d.Load(noEnd);
  EXPECT_EQ(Names(d), (std::vector<std::string>{"t1", "t2"}));
  // "!end" is not the end marker: it becomes an entry of the empty file name.
  TImageCollection e;
  TMemoryStream lower(std::string("!end\n"));
  e.Load(lower);
  EXPECT_EQ(Names(e), (std::vector<std::string>{"!end"}));
}

TEST_F(ImageCollectionFiles, VersionTwoListsAndSections) {
  test::TCapturedLog log;
  Write("gfx.lst", "[*gfxlist]\n.boxes.tga[0],b0\ntile.tga,t\n[other]\nkey=tile.tga,x\n");
  TImageCollection c;
  c.Load("gfx.lst");
  EXPECT_EQ(Names(c), (std::vector<std::string>{"b0", "t"}));
  EXPECT_TRUE(log.Contains("<ImageCollectionUnit, TImageCollection.Load> Filename=gfx.lst"));
  EXPECT_TRUE(log.Contains("<ImageCollectionUnit, TImageCollection.Load> LoadListV2"));
  EXPECT_NE(c.FindImage("b0")->Surface->flags & SDL_SRCCOLORKEY, 0u);

  TImageCollection d;
  d.Load("gfx.lst", "other");
  EXPECT_EQ(d.Count(), 0);
  EXPECT_TRUE(log.Contains("[ImageCollectionUnit, TImageCollection.Load] Invalid section type! [*other]"));
  d.Load("gfx.lst", "GFXList");
  EXPECT_EQ(Names(d), (std::vector<std::string>{"b0", "t"}));
  d.Load(std::vector<std::string>{"tile.tga,s1", "", "tile.tga,s2"});
  EXPECT_EQ(d.Count(), 4);
  EXPECT_THROW(d.Load("missing.lst"), std::runtime_error);
}

TEST_F(ImageCollectionFiles, ListingAndSaving) {
  test::TCapturedLog log;
  TImageCollection c;
  c.Add("tile.tga", "a", nullptr);
  c.Add("x.bmf", "none", nullptr);
  c.Add("boxes.tga", "anim", nullptr);
  c.ListItems();
  auto lines = log.Lines();
  std::vector<std::string> listing(
      std::find(lines.begin(), lines.end(),
                "(ImageCollectionUnit, TImageCollection.ListItems) Imagecollection listing starts..."),
      lines.end());
  ASSERT_GE(listing.size(), 5u);
  EXPECT_EQ(listing[1], "< Trace >   0. a (16x16,Anim=0)");
  EXPECT_EQ(listing[2], "< Trace >   1. none (0x0,Anim=0)");
  EXPECT_EQ(listing[3], "< Trace >   2. anim (6x1,Anim=-1)");
  EXPECT_EQ(listing[4], "(ImageCollectionUnit, TImageCollection.ListItems) Imagecollection listing ends...");

  c.SaveItems();
  EXPECT_TRUE(test::FileExists(dir_.File("IC_000.bmp")));
  EXPECT_FALSE(test::FileExists(dir_.File("IC_001.bmp")));
  SDL_Surface* saved = SDL_LoadBMP(dir_.File("IC_002.bmp").c_str());
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(saved->w, 6);
  SDL_FreeSurface(saved);
}

}  // namespace
}  // namespace zorbin
