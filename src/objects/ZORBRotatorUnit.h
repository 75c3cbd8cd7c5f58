// ZORBRotatorUnit: a group whose members act one at a time, in list order:
// when the acting member kills itself, the next one is revived.
#pragma once

#include "objects/ZORBObjectGroup.h"

#include <memory>
#include <vector>

namespace zorbin {

class TRotator : public TObjectGroup {
 public:
  TRotator() = default;
  void AddMember(std::unique_ptr<TSprite> member) override;
  void Move() override;
  void Draw() override;

  std::vector<std::unique_ptr<TSprite>> Members;
  int32_t Active = 0;

 protected:
  // The member that acts after the given one died.
  virtual int32_t NextActive();
};

}  // namespace zorbin
