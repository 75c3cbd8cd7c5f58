// ZORBRotatorUnit: members taking turns in list order.
#include "objects/ZORBRotatorUnit.h"

namespace zorbin {

void TRotator::AddMember(std::unique_ptr<TSprite> member) {
  if (!member) return;
  Members.push_back(std::move(member));
  X = Members[size_t(Active)]->X;
  Y = Members[size_t(Active)]->Y;
}

int32_t TRotator::NextActive() { return (Active + 1) % int32_t(Members.size()); }

void TRotator::Move() {
  if (Members.empty()) return;  // a group without members does nothing
  TSprite* acting = Members[size_t(Active)].get();
  acting->Move();
  if (acting->Killed) {
    Active = NextActive();
    Members[size_t(Active)]->Revive();
  }
  X = Members[size_t(Active)]->X;
  Y = Members[size_t(Active)]->Y;
}

void TRotator::Draw() {
  if (!Members.empty()) Members[size_t(Active)]->Draw();
}

}  // namespace zorbin
