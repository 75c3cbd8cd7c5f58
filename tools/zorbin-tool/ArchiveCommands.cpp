// ArchiveCommands: zorbin-tool's archive commands — list, chunks, cat,
// extract, pack, add, remove and append.
#include "ToolCommands.h"

#include "storage/CompressorUnit.h"
#include "storage/MAD4HighLevelUnit.h"
#include "storage/MAD4MidLevelUnit.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <set>

namespace zorbin::tool {

namespace fs = std::filesystem;

static void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

// Mounts an existing archive with the file layer. Mounting a missing name
// would create an archive there, so that is refused first.
static std::unique_ptr<TMAD4MidLevel> MountExisting(const std::string& fileName, bool readOnly, std::string& error) {
  if (!FileExistsOnDisk(fileName)) {
    error = "archive not found: " + fileName;
    return nullptr;
  }
  auto archive = std::make_unique<TMAD4MidLevel>();
  archive->Mount(fileName, readOnly);
  if (archive->State() != TMAD4LowLevel::kStateMounted) {
    error = "not a MAD4 archive: " + fileName;
    return nullptr;
  }
  return archive;
}

int ArchiveList(const TArgs& args) {
  if (args.size() != 1) return Fail("usage: list ARCHIVE");
  std::string error;
  auto archive = MountExisting(args[0], true, error);
  if (!archive) return Fail(error);
  std::string out;
  std::unique_ptr<TStream> reader;  // one handle on the archive file for every flag byte
  for (int i = 0; i < archive->FileCount(); ++i) {
    const TMAD4FileData& file = *archive->FileAt(i);
    const TMAD4ChunkData& chunk = *archive->ChunkAt(archive->ChunkIndexByStart(file.ChunkStart));
    std::string flag = "--";
    if (chunk.FourCC == kFourCCComp && file.DataSize > 0 && file.DataPos < archive->FileSize()) {
      uint32_t size = 0;
      if (!reader) reader = archive->OpenChunkStream(chunk.Start, size);
      if (!reader) return Fail("cannot read " + args[0]);
      reader->SetPosition(file.DataPos);
      flag = IntToHex(reader->ReadByte(), 2);
    }
    out += FourCCText(chunk.FourCC) + "\t" + IntToStr(chunk.Start) + "\t" + IntToStr(file.DataSize) + "\t" + flag +
           "\t" + file.Name + "\n";
  }
  Print(out);
  return 0;
}

int ArchiveChunks(const TArgs& args) {
  if (args.size() != 1) return Fail("usage: chunks ARCHIVE");
  std::string error;
  auto archive = MountExisting(args[0], true, error);
  if (!archive) return Fail(error);
  std::string out;
  for (int i = 0; i < archive->ChunkCount(); ++i) {
    const TMAD4ChunkData& chunk = *archive->ChunkAt(i);
    out += FourCCText(chunk.FourCC) + "\t" + IntToStr(chunk.Start) + "\t" + IntToStr(chunk.Size) + "\n";
  }
  Print(out);
  return 0;
}

int ArchiveCat(const TArgs& args) {
  if (args.size() != 2) return Fail("usage: cat ARCHIVE NAME");
  const std::string& fileName = args[0];
  if (!FileExistsOnDisk(fileName)) return Fail("archive not found: " + fileName);
  MAD4Volumes->Mount(fileName, 100, true);
  if (MAD4Volumes->IndexOfVolume(fileName) < 0) return Fail("not a MAD4 archive: " + fileName);
  std::string name = ArchiveName(args[1]);
  std::unique_ptr<TStream> stream = MAD4Volumes->OpenFile(name);
  MAD4Volumes->Unmount(fileName);
  if (!stream) return Fail("not found in the archive: " + name);
  stream->SetPosition(0);
  std::vector<uint8_t> bytes = stream->ReadAll();
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  return 0;
}

// The path below dir for an archive name, or "" when the name would leave
// dir: absolute names, ".." parts, drive letters (any ':'), or nothing left.
static std::string SafeTarget(const std::string& dir, const std::string& name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/' || name.find(':') != std::string::npos) return "";
  std::string relative;
  std::string part;
  for (size_t i = 0; i <= name.size(); ++i) {
    char c = i < name.size() ? name[i] : '\\';
    if (c != '\\' && c != '/') {
      part += c;
      continue;
    }
    if (part == "..") return "";
    if (!part.empty() && part != ".") relative += (relative.empty() ? "" : "/") + part;
    part.clear();
  }
  if (relative.empty()) return "";
  return (fs::path(dir) / relative).string();
}

int ArchiveExtract(const TArgs& args) {
  if (args.size() != 2) return Fail("usage: extract ARCHIVE DIR");
  std::string error;
  auto archive = MountExisting(args[0], true, error);
  if (!archive) return Fail(error);
  const std::string& dir = args[1];
  int failures = 0;
  std::set<std::string> seen;
  for (int i = 0; i < archive->FileCount(); ++i) {
    const TMAD4FileData& file = *archive->FileAt(i);
    if (archive->ChunkAt(archive->ChunkIndexByStart(file.ChunkStart))->FourCC == kFourCCFver) continue;
    // Only the first of a name can be opened, as in every lookup.
    if (!seen.insert(UpperCase(file.Name)).second) continue;
    std::string target = SafeTarget(dir, file.Name);
    if (target.empty()) {
      failures += Fail("refused, the name leaves the folder: " + file.Name);
      continue;
    }
    try {
      std::unique_ptr<TMemoryStream> content = archive->OpenFile(file.Name);
      if (!content) {
        failures += Fail("no content for: " + file.Name);
        continue;
      }
      fs::create_directories(fs::path(target).parent_path());
      content->SaveToFile(target);
    } catch (const std::exception& e) {
      failures += Fail(file.Name + ": " + e.what());
    }
  }
  return failures > 0 ? 1 : 0;
}

enum class TPackMode { Store, Zlib, Best };

// The chunk of one file: RAWD when stored, else COMP with a compressed block.
static int64_t AddFile(TMAD4LowLevel& archive, const std::string& name, const std::vector<uint8_t>& content,
                       TPackMode mode) {
  std::vector<uint8_t> body = mode == TPackMode::Store  ? content
                              : mode == TPackMode::Zlib ? TCompressor::Compress(content, kFlagZlib)
                                                        : TCompressor::CompressBest(content);
  TMemoryStream payload(TMAD4MidLevel::FilePayload(name, body));
  return archive.Add(mode == TPackMode::Store ? kFourCCRawd : kFourCCComp, payload);
}

static std::vector<uint8_t> ReadWholeFile(const std::string& fileName) {
  TMemoryStream m;
  m.LoadFromFile(fileName);
  return m.Data();
}

// Every regular file below dir, each folder's entries in sorted order,
// named relative to dir with "\" between the parts. Folder links are not
// followed (they could loop).
static void CollectFiles(const fs::path& dir, const std::string& prefix,
                         std::vector<std::pair<std::string, fs::path>>& files) {
  std::vector<fs::directory_entry> entries{fs::directory_iterator(dir), fs::directory_iterator()};
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path().filename().string() < b.path().filename().string(); });
  for (const fs::directory_entry& entry : entries) {
    std::string name = prefix + entry.path().filename().string();
    if (entry.is_directory() && !entry.is_symlink())
      CollectFiles(entry.path(), name + "\\", files);
    else if (entry.is_regular_file())
      files.emplace_back(name, entry.path());
  }
}

int ArchivePack(const TArgs& args) {
  TPackMode mode = TPackMode::Best;
  std::vector<std::string> positional;
  for (const std::string& a : args) {
    if (a == "--store")
      mode = TPackMode::Store;
    else if (a == "--zlib")
      mode = TPackMode::Zlib;
    else if (a == "--best")
      mode = TPackMode::Best;
    else
      positional.push_back(a);
  }
  if (positional.size() != 2) return Fail("usage: pack ARCHIVE DIR [--store|--zlib|--best]");
  const std::string& fileName = positional[0];
  const std::string& dir = positional[1];
  if (!fs::is_directory(dir)) return Fail("not a folder: " + dir);

  std::vector<std::pair<std::string, fs::path>> files;
  CollectFiles(dir, "", files);
  std::error_code ec;
  if (fs::exists(fileName)) {
    // An old archive inside DIR is not packed into the new one.
    std::erase_if(files, [&](const auto& f) { return fs::equivalent(f.second, fileName, ec); });
    fs::remove(fileName);
  }
  for (const auto& f : files)
    if (f.first.size() > 255) return Fail("name longer than 255 bytes: " + f.first);

  try {
    TMAD4LowLevel archive;
    archive.Mount(fileName, false);
    if (archive.State() != TMAD4LowLevel::kStateMounted) return Fail("cannot create " + fileName);
    TProgressLine progress;
    for (size_t i = 0; i < files.size(); ++i) {
      const auto& [name, path] = files[i];
      progress.Show("packing " + std::to_string(i + 1) + "/" + std::to_string(files.size()) + " " + name);
      if (AddFile(archive, name, ReadWholeFile(path.string()), mode) < 0)
        throw std::runtime_error("cannot add " + name);
    }
    archive.Unmount();
  } catch (const std::exception& e) {
    fs::remove(fileName, ec);  // no half-written archive stays behind
    return Fail(e.what());
  }
  return 0;
}

int ArchiveAdd(const TArgs& args) {
  if (args.size() != 3) return Fail("usage: add ARCHIVE FILE NAME");
  const std::string& fileName = args[0];
  std::string name = ArchiveName(args[2]);
  if (name.empty() || name.size() > 255) return Fail("the name must have 1 to 255 bytes: " + name);
  if (!FileExistsOnDisk(args[1])) return Fail("file not found: " + args[1]);
  std::vector<uint8_t> content = ReadWholeFile(args[1]);
  TMAD4MidLevel archive;
  archive.Mount(fileName, false);
  if (archive.State() != TMAD4LowLevel::kStateMounted) return Fail("not a MAD4 archive: " + fileName);
  // A second chunk of the same name would hide or be hidden by the first.
  if (archive.FileExists(name)) return Fail("already in the archive (remove it first): " + name);
  if (AddFile(archive, name, content, TPackMode::Best) < 0) return Fail("cannot add " + name + " to " + fileName);
  archive.Unmount();
  return 0;
}

int ArchiveRemove(const TArgs& args) {
  if (args.size() != 2) return Fail("usage: remove ARCHIVE NAME");
  std::string error;
  auto archive = MountExisting(args[0], false, error);
  if (!archive) return Fail(error);
  std::string name = ArchiveName(args[1]);
  if (!archive->FileExists(name)) return Fail("not found in the archive: " + name);
  if (!archive->RemoveFile(name)) return Fail("cannot free the chunk of " + name);
  archive->Unmount();
  return 0;
}

int ArchiveAppend(const TArgs& args) {
  if (args.size() != 3) return Fail("usage: append HOST ARCHIVE OUT");
  const std::string& host = args[0];
  const std::string& archiveFile = args[1];
  const std::string& out = args[2];
  if (!FileExistsOnDisk(host)) return Fail("file not found: " + host);
  if (!FileExistsOnDisk(archiveFile)) return Fail("archive not found: " + archiveFile);
  std::vector<uint8_t> hostBytes = ReadWholeFile(host);
  std::vector<uint8_t> archiveBytes = ReadWholeFile(archiveFile);

  // Only a standalone archive whose trailer counts the whole file can be
  // found again from the end of OUT.
  TMemoryStream check(archiveBytes);
  bool standalone = archiveBytes.size() >= 20;
  if (standalone) {
    std::string magic(archiveBytes.begin(), archiveBytes.begin() + 4);
    check.SetPosition(int64_t(archiveBytes.size()) - 12);
    uint32_t tag = check.ReadDWord();
    uint32_t size = check.ReadDWord();
    uint32_t length = check.ReadDWord();
    standalone =
        (magic == "MAD4" || magic == "MADU") && tag == kFourCCEnds && size == 4 && length == archiveBytes.size();
  }
  if (!standalone) return Fail("not a standalone archive ending with its trailer: " + archiveFile);

  TMemoryStream joined(hostBytes);
  joined.Seek(0, TSeekOrigin::End);
  joined.WriteBuffer(archiveBytes.data(), archiveBytes.size());
  joined.SaveToFile(out);
  std::error_code ec;
  fs::permissions(out, fs::status(host).permissions(), ec);  // a program stays runnable

  TMAD4LowLevel found;
  found.Mount(out, true);
  if (found.State() != TMAD4LowLevel::kStateMounted || found.Base() != int64_t(hostBytes.size()))
    return Fail("the archive is not found again in " + out);
  return 0;
}

}  // namespace zorbin::tool
