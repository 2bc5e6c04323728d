#include "platform/char_format.h"

#include <algorithm>
#include <cstring>

namespace zv::platform {
namespace {

template <typename Record>
void ApplyCommon(CharFormat& t, const Record& r) {
  if (r.dwMask & CFM_COLOR) {
    t.auto_color = (r.dwEffects & CFE_AUTOCOLOR) != 0;
    t.color = r.crTextColor;
  }
  if (r.dwMask & CFM_BOLD) t.bold = (r.dwEffects & CFE_BOLD) != 0;
  if (r.dwMask & CFM_ITALIC) t.italic = (r.dwEffects & CFE_ITALIC) != 0;
  if (r.dwMask & CFM_UNDERLINE) t.underline = (r.dwEffects & CFE_UNDERLINE) != 0;
  if ((r.dwMask & CFM_SIZE) && r.yHeight > 0) t.height_twips = r.yHeight;
  if (r.dwMask & CFM_CHARSET) t.charset = r.bCharSet;
  if (r.dwMask & CFM_FACE) {
    t.face.assign(r.szFaceName, strnlen(r.szFaceName, LF_FACESIZE));
    t.pitch_and_family = r.bPitchAndFamily;
  }
}

template <typename Record>
void FillCommon(Record& r, const CharFormat& f, DWORD mask) {
  r.dwMask = mask;
  r.dwEffects = 0;
  if (f.auto_color) r.dwEffects |= CFE_AUTOCOLOR;
  if (f.bold) r.dwEffects |= CFE_BOLD;
  if (f.italic) r.dwEffects |= CFE_ITALIC;
  if (f.underline) r.dwEffects |= CFE_UNDERLINE;
  r.yHeight = f.height_twips;
  r.crTextColor = f.color;
  r.bCharSet = f.charset;
  r.bPitchAndFamily = f.pitch_and_family;
  const std::size_t n = std::min(f.face.size(), LF_FACESIZE - 1);
  std::memcpy(r.szFaceName, f.face.data(), n);
  r.szFaceName[n] = '\0';
}

}  // namespace

void ApplyCharFormat(CharFormat& target, const CHARFORMAT2A& record) {
  ApplyCommon(target, record);
  if (record.cbSize != sizeof(CHARFORMATA) && (record.dwMask & CFM_BACKCOLOR)) {
    target.auto_back_color = (record.dwEffects & CFE_AUTOBACKCOLOR) != 0;
    target.back_color = record.crBackColor;
  }
}

void ApplyCharFormat(CharFormat& target, const CHARFORMATA& record) { ApplyCommon(target, record); }

CHARFORMAT2A ToCharFormat2(const CharFormat& format, DWORD mask) {
  CHARFORMAT2A r;
  FillCommon(r, format, mask);
  if (format.auto_back_color) r.dwEffects |= CFE_AUTOBACKCOLOR;
  r.crBackColor = format.back_color;
  r.wWeight = format.bold ? 700 : 400;
  return r;
}

CHARFORMATA ToCharFormat(const CharFormat& format, DWORD mask) {
  CHARFORMATA r;
  FillCommon(r, format, mask & ~CFM_BACKCOLOR);
  return r;
}

DWORD DifferingAttributes(const CharFormat& a, const CharFormat& b) {
  DWORD d = 0;
  if (a.color != b.color || a.auto_color != b.auto_color) d |= CFM_COLOR;
  if (a.back_color != b.back_color || a.auto_back_color != b.auto_back_color) d |= CFM_BACKCOLOR;
  if (a.bold != b.bold) d |= CFM_BOLD;
  if (a.italic != b.italic) d |= CFM_ITALIC;
  if (a.underline != b.underline) d |= CFM_UNDERLINE;
  if (a.height_twips != b.height_twips) d |= CFM_SIZE;
  if (a.charset != b.charset) d |= CFM_CHARSET;
  if (a.face != b.face || a.pitch_and_family != b.pitch_and_family) d |= CFM_FACE;
  return d;
}

}  // namespace zv::platform
