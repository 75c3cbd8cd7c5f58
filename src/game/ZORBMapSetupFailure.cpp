// ZORBMapSetupFailure: ending the process or unwinding the set-up.
#include "game/ZORBMapSetupFailure.h"

#include "util/ProcessExit.h"

namespace zorbin {

static bool gRecover = false;

void FailMapSetup(const TDiagnostic& failure) {
  Report(failure);
  if (gRecover) throw TMapSetupFailed(failure.Message);
  HaltProcess(1);
}

TMapSetupRecovery::TMapSetupRecovery() : saved_(gRecover) { gRecover = true; }

TMapSetupRecovery::~TMapSetupRecovery() { gRecover = saved_; }

}  // namespace zorbin
