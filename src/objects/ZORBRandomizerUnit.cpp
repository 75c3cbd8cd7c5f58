// ZORBRandomizerUnit: members taking turns at random.
#include "objects/ZORBRandomizerUnit.h"

#include "util/QXToolbox.h"

namespace zorbin {

int32_t TRandomizer::NextActive() { return Random(int32_t(Members.size())); }

}  // namespace zorbin
