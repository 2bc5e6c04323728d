// Any output of a subprocess host, line by line: each line is an answer, a
// blank or a bad line; an answer's response is Windows-1252 no longer than
// its line.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "host/subprocess_link.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    zv::host::HostAnswer answer;
    if (zv::host::ParseAnswerLine(line, answer) == zv::host::AnswerLine::kAnswer) {
      zv::fuzz::Check(answer.response.size() <= line.size());
    }
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
  return 0;
}
