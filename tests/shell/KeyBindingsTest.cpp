// Key and joystick translation: the key table sees logical keys only, the
// defaults leave every key as it is, and joystick events pushed into the
// event queue walk and press as bound.
#include "pictures/ImageUnit.h"
#include "shell/ClockUnit.h"
#include "shell/KeyBindings.h"
#include "shell/QX_SDL.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

class KeyTranslation : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClock(&clock_);
    QX_SDL::Initialize(32, 24, 32, QX_SDL::kBackBufferOption);
    watch_ = QX_SDL::Input().KeyChange().Add([this](int key, bool down) { changes_.emplace_back(key, down); });
  }
  void TearDown() override {
    watch_.Cancel();
    QX_SDL::Input().SetOnlyQuitFromDevices(false);
    if (QX_SDL::Display().IsOpen()) QX_SDL::Finalize();
    QX_SDL::ApplyBindings(TKeyBindings());
    SetClock(nullptr);
    SetImageDepth(24);
  }
  static void PushKey(int sym, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.type = e.type;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = SDLKey(sym);
    SDL_PushEvent(&e);
  }
  static void PushButton(int button, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    e.jbutton.type = e.type;
    e.jbutton.button = uint8_t(button);
    e.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&e);
  }
  static void PushHat(int value) {
    SDL_Event e{};
    e.type = SDL_JOYHATMOTION;
    e.jhat.type = e.type;
    e.jhat.value = uint8_t(value);
    SDL_PushEvent(&e);
  }
  static void PushAxis(int axis, int value) {
    SDL_Event e{};
    e.type = SDL_JOYAXISMOTION;
    e.jaxis.type = e.type;
    e.jaxis.axis = uint8_t(axis);
    e.jaxis.value = int16_t(value);
    SDL_PushEvent(&e);
  }
  std::vector<TKeyChange> Poll() {
    changes_.clear();
    QX_SDL::PollEvents();
    return changes_;
  }
  TVirtualClock clock_;
  test::TCapturedLog log_;
  std::vector<TKeyChange> changes_;
  TSubscription watch_;
};

using Changes = std::vector<TKeyChange>;

TEST_F(KeyTranslation, DefaultsLeaveEveryKeyAsItIs) {
  TKeyBindings defaults;
  for (int key = 0; key < TKeyBindings::kKeyCount; ++key) EXPECT_EQ(defaults.Translate(key), key);
  EXPECT_EQ(defaults.Translate(512), TKeyBindings::kNoKey);
  PushKey(SDLK_a, true);
  PushKey(SDLK_LEFT, true);
  PushKey(SDLK_LEFT, false);
  EXPECT_EQ(Poll(), (Changes{{SDLK_a, true}, {SDLK_LEFT, true}, {SDLK_LEFT, false}}));
  EXPECT_TRUE(QX_SDL::Keys[SDLK_a]);
  EXPECT_FALSE(QX_SDL::Keys[SDLK_LEFT]);
}

TEST_F(KeyTranslation, BoundKeysReplaceTheDefaultAndTheTableSeesLogicalKeys) {
  TKeyBindings bindings;
  bindings.BindKeys(TKeyAction::Left, {SDLK_a, SDLK_j});
  bindings.BindKeys(TKeyAction::Appear, {SDLK_LEFT});
  bindings.BindKeys(TKeyAction::Quit, {SDLK_F10});
  QX_SDL::ApplyBindings(bindings);
  PushKey(SDLK_j, true);
  PushKey(SDLK_LEFT, true);
  PushKey(SDLK_ESCAPE, true);  // no longer Quit, and no key of its own
  PushKey(SDLK_F10, true);
  EXPECT_EQ(Poll(), (Changes{{SDLK_LEFT, true}, {SDLK_q, true}, {SDLK_ESCAPE, true}}));
  EXPECT_FALSE(QX_SDL::Keys[SDLK_j]);
  EXPECT_TRUE(QX_SDL::Keys[SDLK_LEFT]);
  EXPECT_TRUE(QX_SDL::Keys[SDLK_q]);

  // While a recording plays, devices reach the Quit key only.
  QX_SDL::Input().SetOnlyQuitFromDevices(true);
  PushKey(SDLK_a, false);
  PushButton(0, true);
  PushKey(SDLK_F10, false);
  EXPECT_EQ(Poll(), (Changes{{SDLK_ESCAPE, false}}));
}

TEST_F(KeyTranslation, JoystickHatAndFirstAxisWalkAndButtonsPressAsBound) {
  PushHat(SDL_HAT_LEFT);
  PushHat(SDL_HAT_RIGHTUP);
  PushHat(SDL_HAT_CENTERED);
  EXPECT_EQ(Poll(), (Changes{{SDLK_LEFT, true}, {SDLK_LEFT, false}, {SDLK_RIGHT, true}, {SDLK_RIGHT, false}}));

  PushAxis(0, -TKeyBindings::kAxisDeadZone);  // inside the dead zone
  PushAxis(1, -32768);                        // not the first axis
  PushAxis(0, 32767);
  PushAxis(0, 20000);  // still right: no new change
  PushAxis(0, -32768);
  PushAxis(0, 100);
  EXPECT_EQ(Poll(), (Changes{{SDLK_RIGHT, true}, {SDLK_RIGHT, false}, {SDLK_LEFT, true}, {SDLK_LEFT, false}}));

  // The hat wins over the axis while it is held.
  PushAxis(0, 32767);
  PushHat(SDL_HAT_LEFT);
  PushHat(SDL_HAT_CENTERED);
  EXPECT_EQ(
      Poll(),
      (Changes{{SDLK_RIGHT, true}, {SDLK_RIGHT, false}, {SDLK_LEFT, true}, {SDLK_LEFT, false}, {SDLK_RIGHT, true}}));
  PushAxis(0, 0);
  Poll();

  for (int button : {0, 1, 2, 7, 3}) PushButton(button, true);
  PushButton(0, false);
  EXPECT_EQ(Poll(),
            (Changes{{SDLK_SPACE, true}, {SDLK_TAB, true}, {SDLK_q, true}, {SDLK_ESCAPE, true}, {SDLK_SPACE, false}}));

  TKeyBindings bindings;
  bindings.BindButton(TKeyAction::Action, 5);
  bindings.BindButton(TKeyAction::Quit, -1);
  QX_SDL::ApplyBindings(bindings);
  PushButton(5, true);
  PushButton(0, true);
  PushButton(7, true);
  EXPECT_EQ(Poll(), (Changes{{SDLK_SPACE, true}}));

  bindings.JoystickEnabled = false;
  QX_SDL::ApplyBindings(bindings);
  PushButton(5, false);
  PushHat(SDL_HAT_LEFT);
  EXPECT_EQ(Poll(), Changes{});
}

}  // namespace
}  // namespace zorbin
