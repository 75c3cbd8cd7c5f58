// CommandQueue: the ring's two indexes count on and wrap; a slot is handed
// over by the release store of the index that follows writing it.
#include "audio/CommandQueue.h"

namespace zorbin {

bool TCommandQueue::Push(const TAudioCommand& command) {
  uint32_t tail = tail_.load(std::memory_order_relaxed);
  if (tail - head_.load(std::memory_order_acquire) == kCapacity) return false;
  items_[tail & (kCapacity - 1)] = command;
  tail_.store(tail + 1, std::memory_order_release);
  return true;
}

bool TCommandQueue::Pop(TAudioCommand& command) {
  uint32_t head = head_.load(std::memory_order_relaxed);
  if (head == tail_.load(std::memory_order_acquire)) return false;
  command = items_[head & (kCapacity - 1)];
  head_.store(head + 1, std::memory_order_release);
  return true;
}

}  // namespace zorbin
