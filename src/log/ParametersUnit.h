// ParametersUnit: the command-line parameter list the log consults.
// Element 0 is the program path, elements 1..n the arguments in order.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TParameters {
 public:
  explicit TParameters(std::vector<std::string> params);

  // The string at index; empty when out of range.
  std::string Get(int index) const;
  int Count() const { return int(items_.size()); }

  // Index of "-" + name or else "/" + name (case-insensitive); -1 when absent.
  // With remove, a found switch is deleted from the list.
  int IndexOf(const std::string& name, bool remove);
  // The element following the switch; with remove both are deleted.
  void GetValue(const std::string& name, bool remove, std::string& value);

 private:
  std::vector<std::string> items_;
};

extern std::unique_ptr<TParameters> Parameters;

}  // namespace zorbin
