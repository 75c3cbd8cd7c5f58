// ZORBObjectFactory: type names to object constructors, groups, repeaters
// and macros, within the nesting limit and the entry budget.
#include "game/ZORBObjectFactory.h"

#include "formats/QXINIFile.h"
#include "game/ZORBMapSetupFailure.h"
#include "game/ZORBPlayerUnit.h"
#include "log/Diagnostics.h"
#include "log/Logger.h"
#include "objects/ZORBBoxesUnit.h"
#include "objects/ZORBBridgeUnit.h"
#include "objects/ZORBLinearMoverUnit.h"
#include "objects/ZORBMapSelectPortUnit.h"
#include "objects/ZORBObjectGroup.h"
#include "objects/ZORBParticleBoxUnit.h"
#include "objects/ZORBPathMoverUnit.h"
#include "objects/ZORBRandomizerUnit.h"
#include "objects/ZORBRotatorUnit.h"
#include "objects/ZORBRunnerUnit.h"
#include "objects/ZORBVolcanoUnit.h"
#include "sprites/SpriteEngine.h"
#include "storage/QXStream.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <algorithm>
#include <exception>

namespace zorbin {

// The factory grew out of the map set-up; its log lines still name it.
static const char* kCreateContext = "ZORBPlay1MapUnit, TPlay1Map.CreateObject";

template <typename T>
static std::unique_ptr<TSprite> Make(TIniFile& ini, const std::string& section) {
  return std::make_unique<T>(ini, section);
}

const TObjectKind TObjectFactory::kKinds[] = {
    {"VOLCANO", true, Make<TVolcano>},
    {"BRIDGE", true, Make<TBridge>},
    {"LINEARMOVER", true, Make<TLinearMover>},
    {"PLAYER", true, Make<TPlayer>},
    {"BOXES", false, Make<TBoxes>},
    {"PATHMOVER", false, Make<TPathMover>},
    {"PARTICLEBOX", false, Make<TParticleBox>},
    {"MAPSELECTPORT", true, Make<TMapSelectPort>},
    {"RUNNER", true, Make<TRunner>},
};

const TObjectKind* TObjectFactory::FindKind(const std::string& type) {
  for (const TObjectKind& kind : kKinds)
    if (type == kind.Type) return &kind;
  return nullptr;
}

std::unique_ptr<TObjectGroup> TObjectFactory::CreateGroupObject(const std::string& type) {
  if (type == "ROTATOR") return std::make_unique<TRotator>();
  if (type == "RANDOMIZER") return std::make_unique<TRandomizer>();
  return nullptr;
}

[[noreturn]] static void TooManyObjects(const std::string& section) {
  FailMapSetup({.Kind = TDiagnosticKind::TooManyObjects,
                .Message = "Too many objects (Object=" + section + ")",
                .Context = kCreateContext,
                .Object = section});
}

static void UnknownType(const TIniFile& ini, const std::string& section, const std::string& type) {
  Report({.Kind = TDiagnosticKind::UnknownType,
          .Message = "Unknown object type (Object=" + section + ", Type=" + type + ")",
          .Context = kCreateContext,
          .Object = section,
          .Key = "Type",
          .Line = ini.KeyLine(section, "Type")});
}

void TObjectFactory::CreateObjects(TSpriteEngine& engine, TIniFile& ini, const std::string& listSection, int32_t dx,
                                   int32_t dy) {
  int count = ini.ListItemCount(listSection);
  for (int i = 0; i < count; ++i) {
    std::string item = ini.ReadListItem(listSection, i);
    Log->Write("Creating object number " + std::to_string(i + 1) + ". (");
    Log->WriteLn(item + ")");
    CreateObject(engine, ini, item, dx, dy);
  }
}

void TObjectFactory::CreateObject(TSpriteEngine& engine, TIniFile& ini, const std::string& section, int32_t dx,
                                  int32_t dy) {
  // The watch hears of the entry's end only when it ends without raising.
  struct TWatchScope {
    TWatchScope(TObjectFactoryWatch* w, TIniFile& i, const std::string& s)
        : watch(w), raising(std::uncaught_exceptions()), made(!w || w->EnterEntry(i, s)) {}
    ~TWatchScope() {
      if (watch && std::uncaught_exceptions() == raising) watch->LeaveEntry();
    }
    TObjectFactoryWatch* watch;
    int raising;
    bool made;
  } watching(Watch, ini, section);
  // Every entry counts, also one refused for its depth: a repeater that
  // repeats itself a billion times must still run out of entries.
  if (entriesLeft_ <= 0) TooManyObjects(section);
  --entriesLeft_;
  if (!watching.made) return;
  if (nesting_ >= kMaxNesting) {
    Report({.Kind = TDiagnosticKind::NestedTooDeeply,
            .Message = "Objects nested too deeply (Object=" + section + ")",
            .Context = kCreateContext,
            .Object = section});
    return;
  }
  struct TNesting {
    explicit TNesting(int& depth) : depth_(depth) { ++depth_; }
    ~TNesting() { --depth_; }
    int& depth_;
  } nesting(nesting_);
  std::string type = UpperCase(ini.ReadString(section, "Type", "Unknown", ""));
  Log->WriteLn("Object type: " + type);
  if (type == "ROTATOR" || type == "RANDOMIZER")
    CreateGroup(engine, ini, section, type, dx, dy);
  else if (type == "REPEATER")
    CreateRepeater(engine, ini, section, dx, dy);
  else if (type == "MACRO")
    CreateMacro(engine, ini, section, dx, dy);
  else
    CreateKind(engine, ini, section, type, dx, dy);
}

void TObjectFactory::CreateKind(TSpriteEngine& engine, TIniFile& ini, const std::string& section,
                                const std::string& type, int32_t dx, int32_t dy) {
  const TObjectKind* kind = FindKind(type);
  if (!kind) {
    UnknownType(ini, section, type);
    return;
  }
  std::unique_ptr<TSprite> sprite = kind->Create(ini, section);
  if (Watch) Watch->ObjectMade(*sprite);
  if (kind->Shifted) sprite->MoveBy(dx, dy);
  if (type == "PLAYER") player_ = static_cast<TPlayer*>(sprite.get());
  engine.AddSprite(std::move(sprite), section);
}

void TObjectFactory::CreateGroup(TSpriteEngine& engine, TIniFile& ini, const std::string& section,
                                 const std::string& type, int32_t dx, int32_t dy) {
  std::string list = ini.ReadString(section, "List", "*", "");
  if (list == "*") return;
  std::unique_ptr<TObjectGroup> group = CreateGroupObject(type);
  if (!group) {
    UnknownType(ini, section, type);
    return;
  }
  auto* held = static_cast<TObjectGroup*>(engine.AddSprite(std::move(group), section));
  // The members wait in an engine of their own, which frees them should a
  // constructor raise half-way.
  TSpriteEngine scratch;
  CreateObjects(scratch, ini, list, dx, dy);
  std::vector<std::unique_ptr<TSprite>> members = scratch.ReleaseAll();
  // Rotators take the members from the last to the first of engine order,
  // randomizers from the first to the last.
  if (type == "ROTATOR")
    for (size_t i = members.size(); i-- > 0;) held->AddMember(std::move(members[i]));
  else
    for (auto& member : members) held->AddMember(std::move(member));
}

void TObjectFactory::CreateRepeater(TSpriteEngine& engine, TIniFile& ini, const std::string& section, int32_t dx,
                                    int32_t dy) {
  std::string repeatObject = ini.ReadString(section, "RepeatObject", "*", "");
  if (repeatObject == "*") return;
  Log->Trace("Repeater.");
  int32_t deltaX = ini.ReadInteger(section, "DeltaX", 0, "");
  int32_t deltaY = ini.ReadInteger(section, "DeltaY", 16, "");
  int32_t times = ini.ReadInteger(section, "Times", 2, "");
  // Every repetition makes the same entries, at least one: a repeater whose
  // repetitions cannot all fit ends the set-up before it builds them.
  if (times > entriesLeft_) TooManyObjects(section);
  TSpriteEngine scratch;
  for (int32_t k = 0; k < times; ++k) {
    const int64_t before = entriesLeft_;
    CreateObject(scratch, ini, repeatObject, dx, dy);
    if (k == 0 && (before - entriesLeft_) * int64_t(times - 1) > entriesLeft_) TooManyObjects(section);
    for (std::unique_ptr<TSprite>& sprite : scratch.ReleaseAll()) {
      sprite->MoveBy(k * deltaX, k * deltaY);
      engine.AddSprite(std::move(sprite), "");
    }
  }
}

std::vector<std::string> SplitMacroValues(const std::string& text) {
  std::vector<std::string> values;
  if (text.empty()) return values;
  values = SplitString(text, ',');
  if (values.back().empty()) values.pop_back();
  return values;
}

std::string ExpandMacroLine(const std::string& line, const std::vector<std::string>& values,
                            std::vector<std::string>& warnings) {
  // One pass from left to right: a value that itself holds "%" is not
  // expanded again, so no value can make the expansion run forever.
  std::string out;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '%') {
      out.push_back(line[i]);
      continue;
    }
    char next = i + 1 < line.size() ? line[i + 1] : '\0';
    size_t index = (next >= '1' && next <= '9') ? size_t(next - '1') : values.size();
    if (index < values.size()) {
      out += values[index];
    } else {
      warnings.push_back(std::string("Macro placeholder without a value (%") + (next ? std::string(1, next) : "") +
                         ") in line: " + line);
    }
    if (next) ++i;
  }
  return out;
}

// The values that fill in the macro file do not fit it.
static void ReportMacroValues(const TIniFile& ini, const std::string& section, TSeverity severity,
                              const std::string& message) {
  Report({.Kind = TDiagnosticKind::BadValue,
          .Severity = severity,
          .Message = message,
          .Context = kCreateContext,
          .Object = section,
          .Key = "Values",
          .Line = ini.KeyLine(section, "Values")});
}

void TObjectFactory::CreateMacro(TSpriteEngine& engine, TIniFile& ini, const std::string& section, int32_t dx,
                                 int32_t dy) {
  std::string name = ini.ReadString(section, "Name", "*", "");
  if (name == "*") return;
  std::vector<std::string> values = SplitMacroValues(ini.ReadString(section, "Values", "", ""));
  std::unique_ptr<TStream> file = StreamOpener->OpenStream(name);
  // Placeholders can repeat a long "Values" text many times over: a filled
  // in macro larger than this is refused before it is made.
  constexpr size_t kMaxMacroText = size_t(16) << 20;
  size_t longest = 0;
  for (const std::string& v : values) longest = std::max(longest, v.size());
  TMemoryStream expanded;
  std::string line;
  while (file->Position() < file->Size() && ReadLine(*file, line)) {
    size_t bound = line.size() + 2 + size_t(std::count(line.begin(), line.end(), '%')) * longest;
    if (size_t(expanded.Size()) + bound > kMaxMacroText) {
      ReportMacroValues(ini, section, TSeverity::Error,
                        "Macro too large when filled in (Object=" + section + ", Name=" + name + ")");
      return;
    }
    std::vector<std::string> warnings;
    expanded.WriteString(ExpandMacroLine(line, values, warnings) + "\r\n");
    for (const std::string& w : warnings) ReportMacroValues(ini, section, TSeverity::Warning, w);
  }
  expanded.SetPosition(0);
  TIniFile macro(expanded);
  if (Watch) Watch->MacroRead(macro, name);
  CreateObjects(engine, macro, "Objects", dx, dy);
}

}  // namespace zorbin
