// QXStream: name resolution, the resource cache and the disk/archive search.
#include "storage/QXStream.h"

#include "log/Diagnostics.h"
#include "log/Logger.h"
#include "storage/ArchiveVolumes.h"
#include "storage/MyZStreamUnit.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <stdexcept>

namespace zorbin {

std::unique_ptr<TQXStreamOpener> StreamOpener;

static const char* kOpenContext = "QXStream, TQXStreamOpener.OpenStream";
static const char* kExistsContext = "QXStream, TQXStreamOpener.FileExists";

TQXStreamOpener::TQXStreamOpener(const std::string& exeDir, TArchiveVolumes* volumes)
    : baseDir_(exeDir + "Data\\"), volumes_(volumes) {}

TQXStreamOpener::~TQXStreamOpener() = default;

std::string TQXStreamOpener::ResolveName(const std::string& name) const {
  if (name.size() >= 2 && name[0] == '\\' && name[1] == '\\') return name;
  if (!name.empty() && name[0] == '\\') return name.substr(1);
  std::string rest = name;
  std::string dir = currentDir_;
  while (rest.compare(0, 3, "..\\") == 0) {
    rest = rest.substr(3);
    if (dir.empty()) continue;
    // Cut back to just after the second-last "\".
    size_t last = dir.rfind('\\');
    size_t secondLast = last == 0 || last == std::string::npos ? std::string::npos : dir.rfind('\\', last - 1);
    dir = secondLast == std::string::npos ? std::string() : dir.substr(0, secondLast + 1);
  }
  return dir + rest;
}

void TQXStreamOpener::SetCurrentDir(const std::string& dir) {
  currentDir_ = dir;
  if (!currentDir_.empty() && currentDir_.back() != '\\') currentDir_ += '\\';
}

std::unique_ptr<TMemoryStream> TQXStreamOpener::OpenZLStream(const std::string& fileName) {
  Log->Debug("Decompressing .ZL file", "QXStream, OpenZLStream");
  TFileStream file(fileName, TFileMode::OpenRead);
  auto result = std::make_unique<TMemoryStream>();
  InflateStream(file, *result);
  result->SetPosition(0);
  return result;
}

std::unique_ptr<TStream> TQXStreamOpener::OpenFromDisk(const std::string& diskName, const std::string& resolved) {
  if (!FileExistsOnDisk(diskName)) return nullptr;
  if (resolved.size() > 3 && UpperCase(resolved.substr(resolved.size() - 3)) == ".ZL") return OpenZLStream(diskName);
  return std::make_unique<TFileStream>(diskName, TFileMode::OpenRead);
}

void TQXStreamOpener::PutMemoryFile(const std::string& name, std::vector<uint8_t> data) {
  std::string r = ResolveName(name);
  for (auto& [held, content] : memoryFiles_)
    if (SameText(held, r)) {
      content = std::move(data);
      return;
    }
  memoryFiles_.emplace_back(r, std::move(data));
}

std::unique_ptr<TStream> TQXStreamOpener::OpenStream(const std::string& name) {
  Log->Debug("OpenStream('" + name + "')", kOpenContext);
  std::string r = ResolveName(name);
  for (const auto& [held, content] : memoryFiles_)
    if (SameText(held, r)) return std::make_unique<TMemoryStream>(content);

  Log->Debug("Check in cache (" + r + ")", kOpenContext);
  for (size_t i = 0; i < cache_.size(); ++i) {
    if (!SameText(cache_[i].Name, r)) continue;
    auto copy = std::make_unique<TMemoryStream>(cache_[i].Stream->Data());
    TQXCacheItem item = std::move(cache_[i]);
    cache_.erase(cache_.begin() + long(i));
    item.Stream->SetPosition(0);
    cache_.push_back(std::move(item));
    return copy;
  }

  Log->Debug("Check on disk (" + r + ")", kOpenContext);
  std::unique_ptr<TStream> result = OpenFromDisk(r, r);
  if (!result) {
    Log->Debug("Check on disk - Base dir (" + baseDir_ + r + ")", kOpenContext);
    result = OpenFromDisk(baseDir_ + r, r);
  }
  if (!result) {
    Log->Debug("Check in MAD4 (" + r + ")", kOpenContext);
    if (volumes_ && volumes_->IsExists(r)) result = volumes_->OpenFile(r);
  }
  if (!result) {
    Report({.Kind = TDiagnosticKind::MissingFile,
            .Message = "Openstream failed: " + name,
            .Context = kOpenContext,
            .File = r});
    throw std::runtime_error("OpenStream failed: " + name);
  }

  // Keep the complete content in memory and hand the caller a copy, so a
  // file stream is read once and closed here. Decoded archive files are in
  // memory already: their bytes move into the cache rather than being
  // copied twice.
  std::vector<uint8_t> bytes;
  if (auto* memory = dynamic_cast<TMemoryStream*>(result.get())) {
    bytes = std::move(memory->Data());
  } else {
    result->SetPosition(0);
    bytes = result->ReadAll();
  }
  auto content = std::make_unique<TMemoryStream>(std::move(bytes));
  if (int(cache_.size()) > kCacheLimit - 1) cache_.erase(cache_.begin());
  auto handed = std::make_unique<TMemoryStream>(content->Data());
  cache_.push_back(TQXCacheItem{r, std::move(content)});
  return handed;
}

bool TQXStreamOpener::FileExists(const std::string& name) {
  std::string r = ResolveName(name);
  for (const auto& held : memoryFiles_)
    if (SameText(held.first, r)) return true;
  Log->Debug("Check on disk (" + r + ")", kExistsContext);
  Log->Debug("Check on disk - Base dir (" + baseDir_ + r + ")", kExistsContext);
  Log->Debug("Check in MAD4 (" + r + ")", kExistsContext);
  if (FileExistsOnDisk(r)) return true;
  if (FileExistsOnDisk(baseDir_ + r)) return true;
  return volumes_ && volumes_->IsExists(r);
}

void TQXStreamOpener::MountArchive(const std::string& fileName, int priority) {
  if (volumes_) volumes_->Mount(fileName, priority, true);
}

void TQXStreamOpener::UnmountArchive(const std::string& fileName) {
  if (volumes_) volumes_->Unmount(fileName);
}

void TQXStreamOpener::ClearCache() { cache_.clear(); }

std::vector<std::string> TQXStreamOpener::CacheNames() const {
  std::vector<std::string> names;
  for (const TQXCacheItem& item : cache_) names.push_back(item.Name);
  return names;
}

}  // namespace zorbin
