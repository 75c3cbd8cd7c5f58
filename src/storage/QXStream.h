// QXStream: the stream opener. Every loader asks it for a resource by name
// and gets back a new stream it owns. Names resolve against a current
// directory and are looked up in a cache of earlier resources, on disk in
// the working directory, under "Data\" beside the program, and finally in
// the mounted archive volumes. ".ZL" files on disk are inflated on opening.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TArchiveVolumes;
class TMemoryStream;
class TStream;

struct TQXCacheItem {
  std::string Name;
  std::unique_ptr<TMemoryStream> Stream;
};

class TQXStreamOpener {
 public:
  static constexpr int kCacheLimit = 65;

  // exeDir: the program's folder with its trailing separator. volumes may
  // be nullptr (no archives); it is not owned.
  TQXStreamOpener(const std::string& exeDir, TArchiveVolumes* volumes);
  ~TQXStreamOpener();

  // Never returns nullptr: raises "OpenStream failed: " + name.
  std::unique_ptr<TStream> OpenStream(const std::string& name);
  bool FileExists(const std::string& name);
  void SetCurrentDir(const std::string& dir);
  // The folder searched for loose files after the working folder; dir ends
  // with a separator.
  void SetBaseDir(const std::string& dir) { baseDir_ = dir; }
  void MountArchive(const std::string& fileName, int priority);
  void UnmountArchive(const std::string& fileName);
  std::string ResolveName(const std::string& name) const;
  // A file held in memory under name (resolved against the current folder
  // now), found before the cache, the disk and the archives: a map an editor
  // plays before it is saved. None are held unless one is put.
  void PutMemoryFile(const std::string& name, std::vector<uint8_t> data);
  void ForgetMemoryFiles() { memoryFiles_.clear(); }
  std::unique_ptr<TMemoryStream> OpenZLStream(const std::string& fileName);

  const std::string& BaseDir() const { return baseDir_; }
  const std::string& CurrentDir() const { return currentDir_; }
  int CacheCount() const { return int(cache_.size()); }
  // Forgets every cached resource, so files changed on disk are read anew.
  void ClearCache();
  // Cached names, least recently used first.
  std::vector<std::string> CacheNames() const;

 private:
  std::unique_ptr<TStream> OpenFromDisk(const std::string& diskName, const std::string& resolved);

  std::string baseDir_;
  std::string currentDir_;
  std::vector<TQXCacheItem> cache_;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> memoryFiles_;
  TArchiveVolumes* volumes_;
};

extern std::unique_ptr<TQXStreamOpener> StreamOpener;

}  // namespace zorbin
