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

// Asset building (AssetCommands.cpp).
int CmdTga(const TArgs& args);
int CmdQxr(const TArgs& args);

}  // namespace zorbin::tool
