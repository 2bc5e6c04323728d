#include "host/container_keys.h"

namespace zv::host {
namespace {

// InputReflect: the type of a reflected key and the modifier mask of Ctrl.
constexpr int kReflectedKey = 2;
constexpr int kReflectedCtrl = 1;
// SendKey's flags.
constexpr int kSendCtrl = 1;
constexpr int kSendShift = 2;

}  // namespace

std::optional<ContainerKey> AcceleratorKey(const MSG& msg, DWORD modifiers) {
  if (msg.message != WM_KEYDOWN) return std::nullopt;
  switch (msg.wParam) {
    case VK_F8:
    case VK_F9:
      if (modifiers != 0) return std::nullopt;
      return ContainerKey{static_cast<UINT>(msg.wParam), 0};
    case VK_INSERT:
      if ((modifiers & KEYMOD_CONTROL) == 0) return std::nullopt;
      return ContainerKey{VK_INSERT, kSendCtrl};  // copy
    default:
      return std::nullopt;  // F4 has no use in these containers
  }
}

std::optional<ContainerKey> ReflectedKey(std::span<const platform::Variant> args) {
  if (args.size() == 5 && args[1].integer() == kReflectedKey && args[2].integer() == 'V' &&
      args[4].integer() == kReflectedCtrl) {
    return ContainerKey{VK_INSERT, kSendShift};
  }
  return std::nullopt;
}

}  // namespace zv::host
