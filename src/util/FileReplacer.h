// FileReplacer: writing a file so that a crash at any moment leaves either
// its old contents or the new ones, never a cut file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zorbin {

// The points at which a writer can be stopped, told to a test's observer.
enum class TReplaceStep { TempCreated, TempHalfWritten, TempSynced, Renamed };
using TReplaceObserver = std::function<void(TReplaceStep)>;

// Writes bytes beside path under a temporary name, flushes them to the disk
// and renames the temporary file over path (created under exactly that
// name). False with error when any step fails; path is then untouched.
bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error,
                 const TReplaceObserver& observer = {});

}  // namespace zorbin
