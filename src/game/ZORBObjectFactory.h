// ZORBObjectFactory: TObjectFactory, which turns the sections of an object
// file into sprites: the table of map object types by their "Type" value,
// and the groups, repeaters and macros that name further objects.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TIniFile;
class TObjectGroup;
class TPlayer;
class TSprite;
class TSpriteEngine;

struct TObjectKind {
  const char* Type;  // upper case
  // Moved by the factory's (DX, DY) right after construction.
  bool Shifted;
  std::unique_ptr<TSprite> (*Create)(TIniFile& ini, const std::string& section);
};

// Follows the factory's work (the pack checker does): each entry as it is
// made, each object it makes, each macro it reads.
class TObjectFactoryWatch {
 public:
  virtual ~TObjectFactoryWatch() = default;
  // Entry section of ini begins; false skips it (it still counts as an
  // entry). LeaveEntry follows unless making the entry raises: the watch
  // then still knows the innermost entry.
  virtual bool EnterEntry(TIniFile& ini, const std::string& section) = 0;
  virtual void LeaveEntry() = 0;
  // An object of the current entry, made and about to be added.
  virtual void ObjectMade(const TSprite& sprite) = 0;
  // A macro file filled in and parsed, before its objects are made; name as
  // the entry gives it.
  virtual void MacroRead(TIniFile& macro, const std::string& name) = 0;
};

// One factory serves one map set-up: its entry budget covers all the
// objects of the map.
class TObjectFactory final {
 public:
  // Groups, repeaters and macros name further objects: a section that names
  // itself, directly or through others, would nest without end.
  static constexpr int kMaxNesting = 16;
  // Repeaters multiply (a repeater of repeaters, a Times of millions): one
  // map set-up makes at most this many object entries, far more than a
  // playable map holds (its 704 cells, each with a few objects, and groups).
  // A map that asks for more is a broken map: the set-up ends with exit code
  // 1 rather than build a smaller map than the file describes.
  static constexpr int64_t kMaxEntries = 65536;

  // The objects named by the items of the list section, in item order.
  void CreateObjects(TSpriteEngine& engine, TIniFile& ini, const std::string& listSection, int32_t dx, int32_t dy);
  // The object (or objects) of one section, added to engine.
  void CreateObject(TSpriteEngine& engine, TIniFile& ini, const std::string& section, int32_t dx, int32_t dy);
  // The last player made (held by an engine or a group), or nullptr.
  TPlayer* Player() const { return player_; }
  // Not owned; nullptr for none.
  TObjectFactoryWatch* Watch = nullptr;

  // The kind for an upper-case type name; nullptr when the type is unknown.
  static const TObjectKind* FindKind(const std::string& type);
  // An empty ROTATOR or RANDOMIZER; nullptr for any other type.
  static std::unique_ptr<TObjectGroup> CreateGroupObject(const std::string& type);

 private:
  void CreateGroup(TSpriteEngine& engine, TIniFile& ini, const std::string& section, const std::string& type,
                   int32_t dx, int32_t dy);
  void CreateRepeater(TSpriteEngine& engine, TIniFile& ini, const std::string& section, int32_t dx, int32_t dy);
  void CreateMacro(TSpriteEngine& engine, TIniFile& ini, const std::string& section, int32_t dx, int32_t dy);
  void CreateKind(TSpriteEngine& engine, TIniFile& ini, const std::string& section, const std::string& type, int32_t dx,
                  int32_t dy);

  // The object types by name; a new kind is one line.
  static const TObjectKind kKinds[];

  int nesting_ = 0;
  int64_t entriesLeft_ = kMaxEntries;
  TPlayer* player_ = nullptr;
};

// Fills a macro file's placeholders: "%1" is the first value. Any other use
// of "%" (a non-digit, a digit without a value) is replaced by nothing and
// reported through warnings; lines are kept whole.
std::string ExpandMacroLine(const std::string& line, const std::vector<std::string>& values,
                            std::vector<std::string>& warnings);
// "a,,b," gives a, "", b; an empty text gives no values.
std::vector<std::string> SplitMacroValues(const std::string& text);

}  // namespace zorbin
