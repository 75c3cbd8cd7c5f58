// Observers: lists of callbacks that any number of parties join and leave.
// The shell tells of its frames and input through them. Joining gives a
// subscription; destroying it (or Cancel) leaves the list again, so a
// party's observers go when the party goes.
#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace zorbin {

// Membership in one observer list. Move-only; outliving the list is harmless.
class TSubscription final {
 public:
  TSubscription() = default;
  explicit TSubscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
  TSubscription(TSubscription&& other) noexcept;
  TSubscription& operator=(TSubscription&& other) noexcept;
  TSubscription(const TSubscription&) = delete;
  TSubscription& operator=(const TSubscription&) = delete;
  ~TSubscription() { Cancel(); }

  // Leaves the list now; the observer is not called again.
  void Cancel();
  bool Active() const { return bool(cancel_); }

 private:
  std::function<void()> cancel_;
};

// Observers are called in the order they joined.
template <typename... TArgs>
class TObserverList final {
 public:
  using TObserver = std::function<void(TArgs...)>;

  TObserverList() = default;
  TObserverList(const TObserverList&) = delete;
  TObserverList& operator=(const TObserverList&) = delete;

  [[nodiscard]] TSubscription Add(TObserver observer) {
    auto entry = std::make_shared<TEntry>(TEntry{std::move(observer), true});
    entries_->push_back(entry);
    return TSubscription([list = std::weak_ptr<TEntries>(entries_), entry] {
      entry->Active = false;
      if (auto entries = list.lock()) std::erase(*entries, entry);
    });
  }

  void Notify(TArgs... args) const {
    if (entries_->empty()) return;
    // Observers may join or leave while they are told: those who left are
    // skipped, those who joined hear the next time.
    TEntries told = *entries_;
    for (const auto& entry : told)
      if (entry->Active) entry->Observer(args...);
  }

  size_t Count() const { return entries_->size(); }

 private:
  struct TEntry {
    TObserver Observer;
    bool Active;
  };
  using TEntries = std::vector<std::shared_ptr<TEntry>>;
  // Shared with the subscriptions only weakly, so that they can tell
  // whether the list still stands.
  std::shared_ptr<TEntries> entries_ = std::make_shared<TEntries>();
};

}  // namespace zorbin
