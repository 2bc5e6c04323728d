// Writes formatted text as an RTF document of the dialect in rtf_dialect.h.
#pragma once

#include <string>

#include "platform/char_format.h"

namespace zv::platform {

// The whole text as one document, always ending with kRtfDocumentEnd. The
// format of the final paragraph mark is that of the last run. Runs that do
// not cover the text exactly are tolerated: text beyond them takes the last
// run's format (a default one when there are none), runs beyond it are ignored.
std::string WriteRtf(const FormattedText& text);

}  // namespace zv::platform
