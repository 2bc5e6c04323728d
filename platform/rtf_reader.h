// Reads RTF into formatted text: our own dialect exactly (rtf_dialect.h) and
// the common subset of other writers (font and colour tables, \cf, \highlight,
// \cb, underline, bold, italic, \fs, \f, \plain, \par, \line, \tab, \'hh,
// \uN with \ucN, symbols such as \~). Unknown control words are ignored and
// unknown or \* destinations skipped. Any input is read in time and memory
// linear in its size, without recursion: nesting deeper than a fixed limit
// no longer saves formats, font and colour indexes that do not exist give
// the base format, numbers saturate.
#pragma once

#include <string_view>

#include "platform/char_format.h"

namespace zv::platform {

struct RtfReadOptions {
  // The document replaces the whole text: its last paragraph end, when the
  // text ends with one, is the engine's final paragraph mark and is dropped.
  // Off for insertion into a selection, where every paragraph end counts.
  bool last_par_is_final_mark = false;
};

// Text starts in `base` (with the document's default font, when it names
// one); \plain returns to it. Returns false, with `out` empty, when the input
// is not RTF (it must start with "{\rtf", after white space). Broken RTF is
// read as far as it goes and counts as read. When given, `end_format`
// receives the format at the end of the document: that of the dropped final
// mark, or the one in force before the closing brace. An automatic colour
// or background keeps the base format's colour value beside its flag.
bool ReadRtf(std::string_view input, const CharFormat& base, FormattedText& out, const RtfReadOptions& options = {},
             CharFormat* end_format = nullptr);

}  // namespace zv::platform
