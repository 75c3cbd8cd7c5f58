// A test fixture that opens a small display on a virtual clock and shuts it
// down after each test, with the log captured.
#pragma once

#include "pictures/ImageUnit.h"
#include "shell/ClockUnit.h"
#include "shell/QX_SDL.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zorbin::test {

class TShellFixture : public ::testing::Test {
 protected:
  explicit TShellFixture(int width = 32, int height = 24) : width_(width), height_(height) {}
  void SetUp() override {
    SetClock(&clock_);
    QX_SDL::RestartSchedule();
    QX_SDL::Initialize(uint16_t(width_), uint16_t(height_), 32, QX_SDL::kBackBufferOption);
  }
  void TearDown() override {
    if (QX_SDL::Display().IsOpen()) QX_SDL::Finalize();
    SetClock(nullptr);
    SetImageDepth(24);
  }
  TVirtualClock clock_;
  TCapturedLog log_;

 private:
  int width_;
  int height_;
};

}  // namespace zorbin::test
