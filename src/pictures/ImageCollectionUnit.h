// ImageCollectionUnit: TImageCollection, named TImage objects fetched by a
// short name (the map's tile codes), filled by code or from image list
// files, each entry optionally carrying a collision mask. Also the global
// collection that lives from unit start to unit end.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TImage;
class TIniFile;
class TMask;
class TStream;

class TImageCollectionItem {
 public:
  TImageCollectionItem(std::string name, std::unique_ptr<TImage> image, TMask* mask);
  // Logs "Destroying ICItem: " + Name and frees the image.
  ~TImageCollectionItem();
  TImageCollectionItem(const TImageCollectionItem&) = delete;
  TImageCollectionItem& operator=(const TImageCollectionItem&) = delete;

  std::string Name;
  std::unique_ptr<TImage> Image;
  TMask* Mask = nullptr;  // not owned by the item
};

class TImageCollection {
 public:
  TImageCollection();
  virtual ~TImageCollection();
  TImageCollection(const TImageCollection&) = delete;
  TImageCollection& operator=(const TImageCollection&) = delete;

  // Frees every item, its image and the masks the collection built itself.
  void Clear();
  // The most pixel memory the images of one collection may hold: a list
  // line of a few bytes can name a picture that its frame selection or
  // transforms make megabytes large, and any number of lines can name it.
  static constexpr size_t kMaxPixelBytes = size_t(64) << 20;

  // Appends an entry (duplicates allowed); the collection owns the image.
  // False, with a warning and the image freed, where its pixels would take
  // the collection past kMaxPixelBytes.
  bool Add(std::unique_ptr<TImage> image, const std::string& name, TMask* mask);
  // Loads fileName as TImage does (raises when the file is missing).
  bool Add(const std::string& fileName, const std::string& name, TMask* mask);
  // One image list line: [.]file,name[,*]. True when an entry was added.
  virtual bool AddImageEx(const std::string& line);

  // First entry of exactly that name (case-sensitive), or nullptr with the
  // Status line "Image not found! (name).".
  TImageCollectionItem* Find(const std::string& name);
  TImage* FindImage(const std::string& name);
  // Sets the mask of the first entry of that name; the caller keeps it.
  void AssignMask(const std::string& name, TMask* mask);

  // A list file of version 1 ("!END"-terminated lines) or 2 ("[*GFXLIST]"
  // INI file), read from the stream's start.
  void Load(TStream& stream);
  // Through the stream opener; raises when the file is missing.
  void Load(const std::string& fileName);
  void Load(const std::vector<std::string>& lines);
  // The items of a list section.
  void Load(TIniFile& ini, const std::string& section);
  void Load(const std::string& fileName, const std::string& section);

  // The entries on the log as trace lines between two Status lines.
  void ListItems() const;
  // Every entry's surface as IC_000.bmp, IC_001.bmp, ... in the current
  // directory; entries without surface write nothing.
  void SaveItems() const;

  int Count() const { return int(items_.size()); }
  TImageCollectionItem& Item(int index) { return *items_[size_t(index)]; }

 private:
  int IndexOf(const std::string& name, const char* context) const;

  std::vector<std::unique_ptr<TImageCollectionItem>> items_;
  size_t pixelBytes_ = 0;  // of every item's surface
  // Masks built from "*" lines: the collection made them, so it frees them.
  std::vector<std::unique_ptr<TMask>> ownMasks_;
};

extern std::unique_ptr<TImageCollection> ImageCollection;

}  // namespace zorbin
