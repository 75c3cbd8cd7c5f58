// Observers: the subscription handle.
#include "shell/Observers.h"

namespace zorbin {

TSubscription::TSubscription(TSubscription&& other) noexcept : cancel_(std::move(other.cancel_)) {
  other.cancel_ = nullptr;
}

TSubscription& TSubscription::operator=(TSubscription&& other) noexcept {
  if (this != &other) {
    Cancel();
    cancel_ = std::move(other.cancel_);
    other.cancel_ = nullptr;
  }
  return *this;
}

void TSubscription::Cancel() {
  // Taken out first: the cancel function may destroy what it captured.
  std::function<void()> cancel = std::move(cancel_);
  cancel_ = nullptr;
  if (cancel) cancel();
}

}  // namespace zorbin
