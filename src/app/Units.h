// Units: the one explicit initialisation and finalisation sequence of the
// process-wide services, in dependency order (parameters, log, storage,
// pictures, sprites). Each unit writes its "uses" line as it starts.
#pragma once

#include <string>
#include <vector>

namespace zorbin {

// Builds the parameter list from args (element 0 the program path), opens
// the log and starts every unit. Also installs FinalizeUnits as the hook of
// HaltProcess.
void InitializeUnits(const std::vector<std::string>& args);
// The program file's full path (from the running executable), so the log
// and the data file are found beside the program however it was started.
std::string ProgramPath(const std::string& argv0);
// Frees the services in reverse order; the log writes its closing line last.
// Safe to call when nothing was initialised.
void FinalizeUnits();

}  // namespace zorbin
