// ZORBMapSetupFailure: how a map set-up that cannot go on ends, after its
// report. By default the process ends with exit code 1; while a
// TMapSetupRecovery lives (a run that watches a map's folder, a tool
// rendering or checking a map) a TMapSetupFailed exception unwinds the
// set-up instead, so the caller can report it and go on.
#pragma once

#include "log/Diagnostics.h"

#include <stdexcept>
#include <string>

namespace zorbin {

class TMapSetupFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reports the failure, then ends the process or raises TMapSetupFailed
// with the failure's message.
[[noreturn]] void FailMapSetup(const TDiagnostic& failure);

class TMapSetupRecovery final {
 public:
  TMapSetupRecovery();
  ~TMapSetupRecovery();
  TMapSetupRecovery(const TMapSetupRecovery&) = delete;
  TMapSetupRecovery& operator=(const TMapSetupRecovery&) = delete;

 private:
  bool saved_;
};

}  // namespace zorbin
