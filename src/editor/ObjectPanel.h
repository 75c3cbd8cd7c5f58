// ObjectPanel: the small panel of the chosen object: its section and type,
// and the main keys of its type with their values, one of them chosen for
// typing. It stands in the play area's upper corner away from the object.
#pragma once

#include <string>
#include <vector>

namespace zorbin {

class TObjectFile;
struct TShownObject;

class TObjectPanel final {
 public:
  static constexpr int kRowHeight = 11;
  static constexpr int kWidth = 260;

  struct TRow {
    std::string Key;
    std::string Value;  // empty: the key is not given
    bool Number = false;
  };

  // The rows of the object's panel section, read from file; the chosen
  // row stays when it still exists.
  void Show(const TObjectFile& file, const TShownObject& object);
  void Hide() { section_.clear(); }
  bool Visible() const { return !section_.empty(); }

  const std::string& Section() const { return section_; }
  const std::string& Title() const { return title_; }
  const std::vector<TRow>& Rows() const { return rows_; }
  int Chosen() const { return chosen_; }
  void ChooseNext(int step);
  void Choose(int row);

  // The panel's rectangle on the screen, and the row at a screen pixel
  // (-1 for none).
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Height() const { return int(rows_.size() + 1) * kRowHeight + 6; }
  int RowAt(int x, int y) const;
  bool Contains(int x, int y) const;

 private:
  std::string section_;
  std::string title_;
  std::vector<TRow> rows_;
  int chosen_ = 0;
  int left_ = 0;
  int top_ = 0;
};

}  // namespace zorbin
