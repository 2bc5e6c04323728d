// Services the logic asks of the desktop, each an interface so that a
// container chooses the real implementation and tests a deterministic one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace zv::platform {

struct LocalTime {
  int year = 2000;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int day_of_week = 6;  // 0 = Sunday
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since some start; wraps at 2^32 like the desktop's tick count.
  virtual DWORD TickCount() = 0;
  virtual LocalTime Now() = 0;
};

// A modal message box: shows text and caption with the buttons and icon of
// `type` (MB_*) and answers the button pressed (IDOK, IDCANCEL, IDYES, IDNO).
class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  virtual int Show(std::string_view text, std::string_view caption, UINT type) = 0;
};

// Plain 8-bit text (Windows-1252) on the clipboard.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual bool HasText() = 0;
  virtual std::optional<std::string> GetText() = 0;
  virtual bool SetText(std::string_view text) = 0;
};

struct OsVersion {
  DWORD major = 5;
  DWORD minor = 1;
};

class SystemValues {
 public:
  virtual ~SystemValues() = default;
  virtual OsVersion GetOsVersion() = 0;
  // Most significant version word of the rich-edit engine, e.g. 0x0005001E for 5.30.
  virtual DWORD RichEditVersion() = 0;
  virtual COLORREF SysColor(int index) = 0;
  // Keyboard layout name such as "00000409" (US English).
  virtual std::string KeyboardLayoutName() = 0;
  virtual std::string UserName() = 0;
};

struct FontFace {
  std::string face;  // the family name as asked for
  BYTE charset = ANSI_CHARSET;
  BYTE pitch_and_family = FIXED_PITCH | FF_MODERN;
};

class FontCatalog {
 public:
  virtual ~FontCatalog() = default;
  // The face when a family of that name, or one configured as its metric
  // equivalent, is installed; nothing otherwise.
  virtual std::optional<FontFace> Find(std::string_view face) = 0;
};

}  // namespace zv::platform
