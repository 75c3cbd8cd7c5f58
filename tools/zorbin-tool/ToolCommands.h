// The commands of zorbin-tool. Each takes the arguments after the command
// name and returns the exit code; failures print one line on stderr.
#pragma once

#include <string>
#include <vector>

namespace zorbin::tool {

using TArgs = std::vector<std::string>;

// Prints "zorbin-tool: " + message on stderr and returns 1.
int Fail(const std::string& message);
// "/" on the command line becomes "\" inside archives.
std::string ArchiveName(const std::string& name);

// Archive commands (ArchiveCommands.cpp).
int ArchiveList(const TArgs& args);     // list ARCHIVE
int ArchiveChunks(const TArgs& args);   // chunks ARCHIVE
int ArchiveCat(const TArgs& args);      // cat ARCHIVE NAME
int ArchiveExtract(const TArgs& args);  // extract ARCHIVE DIR
int ArchivePack(const TArgs& args);     // pack ARCHIVE DIR [--store|--zlib|--best]
int ArchiveAdd(const TArgs& args);      // add ARCHIVE FILE NAME
int ArchiveRemove(const TArgs& args);   // remove ARCHIVE NAME
int ArchiveAppend(const TArgs& args);   // append HOST ARCHIVE OUT

}  // namespace zorbin::tool
