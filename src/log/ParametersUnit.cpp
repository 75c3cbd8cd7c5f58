// ParametersUnit: the command-line parameter list.
#include "log/ParametersUnit.h"

#include "util/QXToolbox.h"

namespace zorbin {

std::unique_ptr<TParameters> Parameters;

TParameters::TParameters(std::vector<std::string> params) : items_(std::move(params)) {
  if (items_.empty()) items_.push_back(std::string());
}

std::string TParameters::Get(int index) const {
  if (index < 0 || index >= int(items_.size())) return std::string();
  return items_[size_t(index)];
}

int TParameters::IndexOf(const std::string& name, bool remove) {
  int found = -1;
  for (size_t i = 0; i < items_.size() && found < 0; ++i)
    if (SameText(items_[i], "-" + name)) found = int(i);
  for (size_t i = 0; i < items_.size() && found < 0; ++i)
    if (SameText(items_[i], "/" + name)) found = int(i);
  if (found >= 0 && remove) items_.erase(items_.begin() + found);
  return found;
}

void TParameters::GetValue(const std::string& name, bool remove, std::string& value) {
  value.clear();
  int i = IndexOf(name, false);
  if (i < 0 || i + 1 >= int(items_.size())) return;
  value = items_[size_t(i) + 1];
  if (remove) {
    items_.erase(items_.begin() + i + 1);
    items_.erase(items_.begin() + i);
  }
}

}  // namespace zorbin
