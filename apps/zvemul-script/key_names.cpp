#include "apps/zvemul-script/key_names.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace zv::script {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
  return out;
}

constexpr std::array<std::pair<std::string_view, UINT>, 16> kNamedKeys{{
    {"enter", VK_RETURN},
    {"esc", VK_ESCAPE},
    {"tab", VK_TAB},
    {"backspace", VK_BACK},
    {"delete", VK_DELETE},
    {"insert", VK_INSERT},
    {"home", VK_HOME},
    {"end", VK_END},
    {"left", VK_LEFT},
    {"right", VK_RIGHT},
    {"up", VK_UP},
    {"down", VK_DOWN},
    {"pageup", VK_PRIOR},
    {"pagedown", VK_NEXT},
    {"space", VK_SPACE},
    {"apps", VK_APPS},
}};

}  // namespace

std::optional<UINT> VirtualKeyOfName(std::string_view name) {
  const std::string key = Lower(name);
  if (key.size() == 1) {
    const char c = key[0];
    if (c >= 'a' && c <= 'z') return static_cast<UINT>('A' + (c - 'a'));
    if (c >= '0' && c <= '9') return static_cast<UINT>(c);
    return std::nullopt;
  }
  for (const auto& [n, vk] : kNamedKeys) {
    if (key == n) return vk;
  }
  if (key[0] == 'f' && key.size() <= 3) {
    int number = 0;
    for (std::size_t i = 1; i < key.size(); ++i) {
      if (key[i] < '0' || key[i] > '9') return std::nullopt;
      number = number * 10 + (key[i] - '0');
    }
    if (key[1] != '0' && number >= 1 && number <= 12) return VK_F1 + static_cast<UINT>(number - 1);
  }
  return std::nullopt;
}

bool AddModifier(std::string_view name, platform::KeyModifiers& modifiers) {
  const std::string mod = Lower(name);
  if (mod == "shift") {
    modifiers.shift = true;
  } else if (mod == "ctrl") {
    modifiers.ctrl = true;
  } else if (mod == "alt") {
    modifiers.alt = true;
  } else {
    return false;
  }
  return true;
}

}  // namespace zv::script
