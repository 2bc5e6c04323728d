// Any log file: the reader walks it without a crash, every record it returns
// lies inside the ring and holds no more text than it declares, and the
// check counts no more records than the ring can hold.
#include <cstddef>
#include <cstdint>
#include <string>

#include "diagnostics/error_log_reader.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using zv::fuzz::Check;
  zv::ErrorLogReader reader;
  if (reader.LoadBytes(std::string(reinterpret_cast<const char*>(data), size)) != zv::ErrorLogReader::LoadResult::kOk) {
    return 0;
  }
  const DWORD ring = reader.header().ring_size;
  const zv::ErrorLogWalk walk = reader.Records();
  for (const zv::ErrorLogRecord& record : walk.records) {
    Check(record.offset >= zv::kLogHeaderSize && record.offset <= ring);
    Check(record.text.size() <= record.text_length && record.data.size() <= record.data_length);
    Check(!zv::FormatRecordLine(record).empty());
  }
  const zv::ErrorLogCheck check = reader.Verify();
  Check(check.record_count <= ring / zv::kRecordHeaderSize);
  Check(check.problems.empty() == (check.fault == zv::ErrorLogFault::kNone));
  return 0;
}
