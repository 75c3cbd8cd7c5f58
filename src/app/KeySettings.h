// KeySettings: the [Keys] and [Joystick] sections of a settings file turned
// into the shell's key bindings. [Keys] Left, Right, Action, Values, Appear
// and Quit each take a comma list of key names as SDL gives them (or key
// numbers) that replaces the action's default key; [Joystick] Enabled (1/0)
// and the button numbers of Action, Values, Appear and Quit. A bad value
// gives one warning naming its key, and the default stays.
#pragma once

#include "shell/KeyBindings.h"

#include <functional>
#include <string>

namespace zorbin {

class TIniFile;

using TSettingsWarning = std::function<void(const std::string& message)>;

// Needs SDL's video started: key names are SDL's.
void LoadKeyBindings(const TIniFile& ini, TKeyBindings& bindings, const TSettingsWarning& warn);

// The settings whose key bindings ApplyKeySettings applies once the display
// is up; nullptr (the default) leaves the keys as they are.
void UseKeySettings(const TIniFile* ini);
void ApplyKeySettings();

}  // namespace zorbin
