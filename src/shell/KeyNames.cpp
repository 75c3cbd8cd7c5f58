// KeyNames: the table of SDL 1.2's key names.
#include "shell/KeyNames.h"

#include <SDL.h>

#include <array>

namespace zorbin {

static_assert(kKeyNameCount == SDLK_LAST);

namespace {

struct TKeyEntry {
  int Symbol;
  const char* Name;
};

// Every named symbol but the "world" keys, which are numbered.
// clang-format off
constexpr TKeyEntry kKeyNames[] = {
    {8, "backspace"}, {9, "tab"}, {12, "clear"}, {13, "return"}, {19, "pause"}, {27, "escape"}, {32, "space"},
    {33, "!"}, {34, "\""}, {35, "#"}, {36, "$"}, {38, "&"}, {39, "'"}, {40, "("}, {41, ")"}, {42, "*"}, {43, "+"},
    {44, ","}, {45, "-"}, {46, "."}, {47, "/"}, {48, "0"}, {49, "1"}, {50, "2"}, {51, "3"}, {52, "4"}, {53, "5"},
    {54, "6"}, {55, "7"}, {56, "8"}, {57, "9"}, {58, ":"}, {59, ";"}, {60, "<"}, {61, "="}, {62, ">"}, {63, "?"},
    {64, "@"}, {91, "["}, {92, "\\"}, {93, "]"}, {94, "^"}, {95, "_"}, {96, "`"}, {97, "a"}, {98, "b"}, {99, "c"},
    {100, "d"}, {101, "e"}, {102, "f"}, {103, "g"}, {104, "h"}, {105, "i"}, {106, "j"}, {107, "k"}, {108, "l"},
    {109, "m"}, {110, "n"}, {111, "o"}, {112, "p"}, {113, "q"}, {114, "r"}, {115, "s"}, {116, "t"}, {117, "u"},
    {118, "v"}, {119, "w"}, {120, "x"}, {121, "y"}, {122, "z"}, {127, "delete"}, {256, "[0]"}, {257, "[1]"},
    {258, "[2]"}, {259, "[3]"}, {260, "[4]"}, {261, "[5]"}, {262, "[6]"}, {263, "[7]"}, {264, "[8]"}, {265, "[9]"},
    {266, "[.]"}, {267, "[/]"}, {268, "[*]"}, {269, "[-]"}, {270, "[+]"}, {271, "enter"}, {272, "equals"},
    {273, "up"}, {274, "down"}, {275, "right"}, {276, "left"}, {277, "insert"}, {278, "home"}, {279, "end"},
    {280, "page up"}, {281, "page down"}, {282, "f1"}, {283, "f2"}, {284, "f3"}, {285, "f4"}, {286, "f5"},
    {287, "f6"}, {288, "f7"}, {289, "f8"}, {290, "f9"}, {291, "f10"}, {292, "f11"}, {293, "f12"}, {294, "f13"},
    {295, "f14"}, {296, "f15"}, {300, "numlock"}, {301, "caps lock"}, {302, "scroll lock"}, {303, "right shift"},
    {304, "left shift"}, {305, "right ctrl"}, {306, "left ctrl"}, {307, "right alt"}, {308, "left alt"},
    {309, "right meta"}, {310, "left meta"}, {311, "left super"}, {312, "right super"}, {313, "alt gr"},
    {314, "compose"}, {315, "help"}, {316, "print screen"}, {317, "sys req"}, {318, "break"}, {319, "menu"},
    {320, "power"}, {321, "euro"}, {322, "undo"}
};
// clang-format on

constexpr int kFirstWorldKey = SDLK_WORLD_0;
constexpr int kLastWorldKey = SDLK_WORLD_95;

const std::array<std::string, kKeyNameCount>& Names() {
  static const std::array<std::string, kKeyNameCount> names = [] {
    std::array<std::string, kKeyNameCount> table;
    for (const TKeyEntry& entry : kKeyNames) table[size_t(entry.Symbol)] = entry.Name;
    for (int k = kFirstWorldKey; k <= kLastWorldKey; ++k)
      table[size_t(k)] = "world " + std::to_string(k - kFirstWorldKey);
    return table;
  }();
  return names;
}

}  // namespace

const std::string& KeyName(int symbol) {
  static const std::string none;
  return symbol >= 0 && symbol < kKeyNameCount ? Names()[size_t(symbol)] : none;
}

}  // namespace zorbin
