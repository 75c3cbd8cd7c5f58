// KeySettings: key and joystick bindings from a settings file.
#include "app/KeySettings.h"

#include "formats/QXINIFile.h"
#include "log/Logger.h"
#include "shell/InputScript.h"
#include "shell/QX_SDL.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <sstream>

namespace zorbin {

namespace {

struct TActionName {
  TKeyAction Action;
  const char* Name;
};
constexpr TActionName kActions[] = {
    {TKeyAction::Left, "Left"},       {TKeyAction::Right, "Right"},   {TKeyAction::Action, "Action"},
    {TKeyAction::Values, "Values"},   {TKeyAction::Appear, "Appear"}, {TKeyAction::Quit, "Quit"},
    {TKeyAction::Restart, "Restart"}, {TKeyAction::Leave, "Leave"},   {TKeyAction::Mute, "Mute"}};
static_assert(sizeof kActions / sizeof kActions[0] == size_t(kKeyActionCount));

// The keys of a comma list; false when one of them is no key.
bool ParseKeyList(const std::string& text, std::vector<int>& keys) {
  std::stringstream list(text);
  std::string name;
  while (std::getline(list, name, ',')) {
    int key = KeySymbol(Trim(name));
    if (key < 0) return false;
    keys.push_back(key);
  }
  return !keys.empty();
}

}  // namespace

void LoadKeyBindings(const TIniFile& ini, TKeyBindings& bindings, const TSettingsWarning& warn) {
  auto bad = [&](const std::string& section, const char* key, const std::string& value) {
    warn("Bad value \"" + value + "\" for " + key + " in [" + section + "], the default is used");
  };
  for (const TActionName& action : kActions) {
    std::string value = ini.ReadString("Keys", action.Name, "");
    if (value.empty()) continue;
    std::vector<int> keys;
    if (ParseKeyList(value, keys))
      bindings.BindKeys(action.Action, keys);
    else
      bad("Keys", action.Name, value);
  }
  std::string enabled = Trim(ini.ReadString("Joystick", "Enabled", ""));
  if (enabled == "0" || enabled == "1")
    bindings.JoystickEnabled = enabled == "1";
  else if (!enabled.empty())
    bad("Joystick", "Enabled", enabled);
  for (const TActionName& action : kActions) {
    if (action.Action == TKeyAction::Left || action.Action == TKeyAction::Right) continue;
    std::string value = Trim(ini.ReadString("Joystick", action.Name, ""));
    if (value.empty()) continue;
    int32_t button = 0;
    if (TryStrToInt(value, button) && button >= 0 && button < 256)
      bindings.BindButton(action.Action, button);
    else
      bad("Joystick", action.Name, value);
  }
}

static const TIniFile* gKeySettings = nullptr;

void UseKeySettings(const TIniFile* ini) { gKeySettings = ini; }

void ApplyKeySettings() {
  if (!gKeySettings) return;
  TKeyBindings bindings;
  LoadKeyBindings(*gKeySettings, bindings, [](const std::string& message) { Log->Warning(message, "Settings"); });
  QX_SDL::ApplyBindings(bindings);
}

}  // namespace zorbin
