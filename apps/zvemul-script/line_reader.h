// Reads request lines from a stream with a bound on their length: a longer
// line is skipped to its end without being kept, so no input makes the
// reader hold more than the bound.
#pragma once

#include <cstddef>
#include <istream>
#include <string>

namespace zv::script {

class LineReader {
 public:
  enum class Status { kLine, kTooLong, kEnd };

  LineReader(std::istream& in, std::size_t max_bytes) : in_(in), max_bytes_(max_bytes) {}

  // The next line without its "\n" (or "\r\n"); a last line without a line
  // end counts. kTooLong: the line had more than max_bytes bytes and was
  // dropped. Reads only what the stream has ready, byte by byte from its
  // buffer, so a line is answered as soon as it is complete.
  Status Next(std::string& line);

 private:
  std::istream& in_;
  std::size_t max_bytes_;
};

}  // namespace zv::script
