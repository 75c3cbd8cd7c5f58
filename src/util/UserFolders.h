// UserFolders: where a game that cannot write beside itself (an installed
// one) keeps its files, after the XDG base directory rules.
#pragma once

#include <string>

namespace zorbin {

// True when the game may write beside a program in this folder: the process
// may create files there and it is not below /usr/, which the package manager
// owns (root may write there, an installed game still must not).
bool ProgramFolderWritable(const std::string& dir);

// "$XDG_STATE_HOME/zorbin/" (~/.local/state/zorbin/ when unset or relative),
// with its trailing "/"; the folder is not created.
std::string UserStateFolder();
// "$XDG_DATA_HOME/zorbin/" (~/.local/share/zorbin/ when unset or relative).
std::string UserDataFolder();

// Creates the folder and its parents; false when that fails.
bool MakeFolders(const std::string& dir);

// The folder of the log: the program's own while it is writable, else the
// user's state folder (created).
std::string LogFolder(const std::string& exeDir);
// The log file used when no switch names one, in LogFolder; the game's is
// zorbin.log.
std::string DefaultLogName(const std::string& exeDir, const std::string& exeName);

}  // namespace zorbin
