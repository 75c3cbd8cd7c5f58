// ZORBRandomizerUnit: a group whose members act one at a time; when the
// acting member kills itself, a member chosen at random takes over (it may
// be the same one, revived at once).
#pragma once

#include "objects/ZORBRotatorUnit.h"

namespace zorbin {

class TRandomizer final : public TRotator {
 protected:
  int32_t NextActive() override;
};

}  // namespace zorbin
