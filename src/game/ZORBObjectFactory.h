// ZORBObjectFactory: the table of map object types the factory of the map
// set-up builds from an object file's "Type" value.
#pragma once

#include <memory>
#include <string>

namespace zorbin {

class TIniFile;
class TObjectGroup;
class TSprite;

struct TObjectKind {
  const char* Type;  // upper case
  // Moved by the factory's (DX, DY) right after construction.
  bool Shifted;
  std::unique_ptr<TSprite> (*Create)(TIniFile& ini, const std::string& section);
};

// The kind for an upper-case type name; nullptr when the type is unknown.
const TObjectKind* FindObjectKind(const std::string& type);
// An empty ROTATOR or RANDOMIZER; nullptr for any other type.
std::unique_ptr<TObjectGroup> CreateObjectGroup(const std::string& type);

}  // namespace zorbin
