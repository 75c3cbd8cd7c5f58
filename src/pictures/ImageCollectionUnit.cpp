// ImageCollectionUnit: the named image list, its list-file readers and its
// diagnostics.
#include "pictures/ImageCollectionUnit.h"

#include "formats/QXINIFile.h"
#include "log/Logger.h"
#include "pictures/ImageUnit.h"
#include "pictures/MaskUnit.h"
#include "storage/QXStream.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <SDL.h>

namespace zorbin {

std::unique_ptr<TImageCollection> ImageCollection;

static const char* const kLoadContext = "ImageCollectionUnit, TImageCollection.Load";

TImageCollectionItem::TImageCollectionItem(std::string name, std::unique_ptr<TImage> image, TMask* mask)
    : Name(std::move(name)), Image(std::move(image)), Mask(mask) {}

TImageCollectionItem::~TImageCollectionItem() {
  Log->Debug("Destroying ICItem: " + Name, "ImageCollectionUnit, TImageCollectionItem.Destroy");
}

TImageCollection::TImageCollection() = default;

TImageCollection::~TImageCollection() { Clear(); }

void TImageCollection::Clear() {
  items_.clear();
  ownMasks_.clear();
  pixelBytes_ = 0;
}

bool TImageCollection::Add(std::unique_ptr<TImage> image, const std::string& name, TMask* mask) {
  const SDL_Surface* surface = image ? image->Surface : nullptr;
  const size_t bytes = surface ? size_t(surface->pitch) * size_t(surface->h) : 0;
  if (bytes > kMaxPixelBytes - pixelBytes_) {
    Log->Warning("Image collection full! (" + name + ")", "ImageCollectionUnit, TImageCollection.Add");
    return false;
  }
  pixelBytes_ += bytes;
  items_.push_back(std::make_unique<TImageCollectionItem>(name, std::move(image), mask));
  return true;
}

bool TImageCollection::Add(const std::string& fileName, const std::string& name, TMask* mask) {
  return Add(std::make_unique<TImage>(fileName), name, mask);
}

bool TImageCollection::AddImageEx(const std::string& text) {
  if (Trim(text).empty()) return false;
  std::string line = text;
  bool forceColorKey = line[0] == '.';
  if (forceColorKey) line.erase(0, 1);
  if (!line.empty() && line[0] == '?') {
    Log->Warning("QXScript not supported. Use TImageCollectionIP to access QXScript.",
                 "ImageCollectionUnit, TImageCollection.AddImageEx");
    return false;
  }
  // Without a comma the file name is empty and the whole line is the name.
  std::string fileName;
  size_t comma = line.find(',');
  if (comma != std::string::npos) {
    fileName = line.substr(0, comma);
    line.erase(0, comma + 1);
  }
  std::string name = line, maskField;
  comma = line.find(',');
  if (comma != std::string::npos) {
    name = line.substr(0, comma);
    maskField = line.substr(comma + 1);
  }

  auto image = std::make_unique<TImage>(fileName);
  if (forceColorKey && image->Surface) SDL_SetColorKey(image->Surface, SDL_SRCCOLORKEY | SDL_RLEACCEL, 0);
  TImage* added = image.get();
  if (!Add(std::move(image), name, nullptr)) return false;
  if (maskField == "*") {
    // Built from the image just added and attached with AssignMask, which
    // gives it to the first entry of that name; the collection frees it.
    ownMasks_.push_back(std::make_unique<TMask>(*added, 1));
    AssignMask(name, ownMasks_.back().get());
  }
  return true;
}

int TImageCollection::IndexOf(const std::string& name, const char* context) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i]->Name == name) return int(i);
  Log->Status("Image not found! (" + name + ").", context);
  return -1;
}

TImageCollectionItem* TImageCollection::Find(const std::string& name) {
  int i = IndexOf(name, "ImageCollectionUnit, TImageCollection.Find");
  return i < 0 ? nullptr : items_[size_t(i)].get();
}

TImage* TImageCollection::FindImage(const std::string& name) {
  TImageCollectionItem* item = Find(name);
  return item ? item->Image.get() : nullptr;
}

void TImageCollection::AssignMask(const std::string& name, TMask* mask) {
  int i = IndexOf(name, "ImageCollectionUnit, TImageCollection.AssignMask");
  if (i >= 0) items_[size_t(i)]->Mask = mask;
}

void TImageCollection::Load(TStream& stream) {
  std::string first;
  stream.SetPosition(0);
  ReadLine(stream, first);
  stream.SetPosition(0);
  if (UpperCase(first) == "[*GFXLIST]") {
    Log->Debug("LoadListV2", kLoadContext);
    TIniFile ini(stream);
    int count = ini.ListItemCount("GFXList");
    for (int i = 0; i < count; ++i) AddImageEx(ini.ReadListItem("GFXList", i));
    return;
  }
  Log->Debug("LoadListV1", kLoadContext);
  // A list without "!END" ends with the stream.
  std::string line;
  while (ReadLine(stream, line) && line != "!END") AddImageEx(line);
}

void TImageCollection::Load(const std::string& fileName) {
  Log->Debug("Filename=" + fileName, kLoadContext);
  std::unique_ptr<TStream> stream = StreamOpener->OpenStream(fileName);
  Load(*stream);
}

void TImageCollection::Load(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) AddImageEx(line);
}

void TImageCollection::Load(TIniFile& ini, const std::string& section) {
  if (ini.SectionType(section) != stList) {
    Log->Warning("Invalid section type! [*" + section + "]", kLoadContext);
    return;
  }
  int count = ini.ListItemCount(section);
  for (int i = 0; i < count; ++i) AddImageEx(ini.ReadListItem(section, i));
}

void TImageCollection::Load(const std::string& fileName, const std::string& section) {
  TIniFile ini(fileName, true);
  Load(ini, section);
}

void TImageCollection::ListItems() const {
  static const char* const kContext = "ImageCollectionUnit, TImageCollection.ListItems";
  Log->Status("Imagecollection listing starts...", kContext);
  for (size_t i = 0; i < items_.size(); ++i) {
    const TImageCollectionItem& item = *items_[i];
    std::string number = IntToStr(int64_t(i));
    if (number.size() < 3) number.insert(0, 3 - number.size(), ' ');
    const TImage* image = item.Image.get();
    Log->Trace(number + ". " + item.Name + " (" + IntToStr(image ? image->Width() : 0) + "x" +
               IntToStr(image ? image->Height() : 0) + ",Anim=" + (image && image->Animated ? "-1" : "0") + ")");
  }
  Log->Status("Imagecollection listing ends...", kContext);
}

void TImageCollection::SaveItems() const {
  for (size_t i = 0; i < items_.size(); ++i) {
    const TImage* image = items_[i]->Image.get();
    if (!image || !image->Surface) continue;
    std::string fileName = "IC_" + ZeroPad(int64_t(i), 3) + ".bmp";
    SDL_SaveBMP(image->Surface, fileName.c_str());
  }
}

}  // namespace zorbin
