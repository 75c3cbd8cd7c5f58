// CommandQueue: commands from the game's thread to the audio callback. A ring
// of fixed size with one producer and one consumer: neither side ever waits
// for the other, locks, or allocates.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace zorbin {

enum class TAudioOp : uint8_t { Play, PlayMusic, Volume, MusicVolume, Mute, StopAll };

struct TAudioCommand {
  TAudioOp Op = TAudioOp::Play;
  int32_t Value = 0;
};

class TCommandQueue {
 public:
  // A power of two; far more than a frame sends.
  static constexpr uint32_t kCapacity = 256;

  // The producer's side; false when the queue is full (the command is lost).
  bool Push(const TAudioCommand& command);
  // The consumer's side; false when there is none.
  bool Pop(TAudioCommand& command);

 private:
  std::array<TAudioCommand, kCapacity> items_{};
  std::atomic<uint32_t> head_{0};  // the next to pop; only the consumer writes it
  std::atomic<uint32_t> tail_{0};  // the next to push; only the producer writes it
};

}  // namespace zorbin
