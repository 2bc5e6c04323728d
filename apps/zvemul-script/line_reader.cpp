#include "apps/zvemul-script/line_reader.h"

namespace zv::script {

LineReader::Status LineReader::Next(std::string& line) {
  line.clear();
  std::streambuf* buffer = in_.rdbuf();
  if (buffer == nullptr) return Status::kEnd;
  using Traits = std::char_traits<char>;
  bool any = false;
  bool too_long = false;
  for (;;) {
    const Traits::int_type c = buffer->sbumpc();
    if (Traits::eq_int_type(c, Traits::eof())) {
      if (!any) return Status::kEnd;
      break;
    }
    any = true;
    if (Traits::to_char_type(c) == '\n') break;
    if (too_long) continue;
    // One byte more than the bound is kept, so that a "\r" before the line
    // end still fits.
    if (line.size() > max_bytes_) {
      too_long = true;
      line.clear();
      line.shrink_to_fit();
      continue;
    }
    line.push_back(Traits::to_char_type(c));
  }
  if (too_long) return Status::kTooLong;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > max_bytes_) {
    line.clear();
    return Status::kTooLong;
  }
  return Status::kLine;
}

}  // namespace zv::script
