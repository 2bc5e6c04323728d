// The RTF that the text engine writes and reads.
//
// Written documents look like this (line breaks as written):
//   {\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fmodern\fprq1\fcharset0 Courier New;}}
//   {\colortbl ;\red255\green0\blue0;}
//   \pard\f0\fs20\cf1\highlight0\ulnone\b0\i0 text\par
//   {\*\zvbrk}\par
//   \par
//   }
// - The font table lists every face used (with its charset, the family keyword
//   and \fprq from the low nibble of pitch-and-family); the colour table every
//   text and background colour used, index 0 being "automatic".
// - The first run states every attribute; each later run only what changed.
// - Text is 1252: "\", "{", "}" are escaped, a tab is \tab, control bytes and
//   bytes from 0x80 up are \'hh, a paragraph end is \par plus CR LF.
// - The break that reads back as "\r\r\n" is {\*\zvbrk}\par: other readers
//   skip the marker and see a paragraph end; ours reads '\n'.
// - The document always ends with the final paragraph mark and the closing
//   brace, "\par\r\n}\r\n", so dropping those 9 characters and appending "}"
//   gives a document for insertion with no trailing paragraph end.
// Font sizes travel in half points, so heights that are not a multiple of
// 10 twips come back rounded.
#pragma once

#include <cstddef>
#include <string_view>

namespace zv::platform {

// The marker control word of the "\r\r\n" break, inside a \* group.
inline constexpr std::string_view kRtfBreakMarker = "zvbrk";

// What every written document ends with.
inline constexpr std::string_view kRtfDocumentEnd = "\\par\r\n}\r\n";

}  // namespace zv::platform
