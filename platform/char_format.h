// The resolved format of one character in the text engine, and its exchange
// with the 60- and 84-byte character format records of the logic.
#pragma once

#include <string>
#include <vector>

#include "platform/win_types.h"

namespace zv::platform {

struct CharFormat {
  COLORREF color = 0x00000000;
  bool auto_color = false;
  COLORREF back_color = 0x00FFFFFF;
  bool auto_back_color = true;  // no highlight: the window background shows
  bool bold = false;
  bool italic = false;
  bool underline = false;
  LONG height_twips = 200;  // 10 points
  BYTE charset = ANSI_CHARSET;
  BYTE pitch_and_family = FIXED_PITCH | FF_MODERN;
  std::string face = "Courier New";

  friend bool operator==(const CharFormat&, const CharFormat&) = default;
};

// Every attribute a CharFormat carries, as CHARFORMAT2 mask bits.
inline constexpr DWORD kAllCharFormatMask = CFM_COLOR | CFM_BACKCOLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE |
                                            CFM_SIZE | CFM_CHARSET | CFM_FACE;

// Changes the attributes named in the record's mask. The record is read as
// 60 bytes (no background colour) when its cbSize says so.
void ApplyCharFormat(CharFormat& target, const CHARFORMAT2A& record);
void ApplyCharFormat(CharFormat& target, const CHARFORMATA& record);

// Fills a record from a format; the mask says which attributes are valid.
CHARFORMAT2A ToCharFormat2(const CharFormat& format, DWORD mask = kAllCharFormatMask);
CHARFORMATA ToCharFormat(const CharFormat& format, DWORD mask = kAllCharFormatMask & ~CFM_BACKCOLOR);

// Mask bits of the attributes in which two formats differ.
DWORD DifferingAttributes(const CharFormat& a, const CharFormat& b);

// A run of characters sharing one format.
struct FormatRun {
  std::size_t length = 0;
  CharFormat format;
};

// Text with its formats, as exchanged between the text engine and RTF.
// In `text` a paragraph end is one byte: '\r' for an ordinary paragraph end
// (read back as "\r\n") and '\n' for the break that reads back as "\r\r\n".
// The runs cover the text exactly, in order.
struct FormattedText {
  std::string text;
  std::vector<FormatRun> runs;
};

}  // namespace zv::platform
