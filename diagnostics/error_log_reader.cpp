#include "diagnostics/error_log_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>

#include "platform/code_page.h"
#include "platform/locked_file.h"

namespace zv {
namespace {

std::string Hex(DWORD value) {
  char buffer[16];
  std::snprintf(buffer, sizeof(buffer), "0x%X", value);
  return buffer;
}

std::string At(DWORD offset) { return "record at offset " + std::to_string(offset) + ": "; }

std::string NameField(const std::string& raw, std::size_t at) {
  const std::string field = raw.substr(at, kNameFieldSize);
  return field.substr(0, field.find('\0'));
}

std::string HeaderProblem(const LogFileHeader& header) {
  if (header.ring_size < static_cast<DWORD>(kMinRingSize) || header.ring_size > static_cast<DWORD>(kMaxRingSize)) {
    return "damaged header: ring size " + std::to_string(header.ring_size) + " is outside " +
           std::to_string(kMinRingSize) + ".." + std::to_string(kMaxRingSize);
  }
  const std::string ring = "the ring " + std::to_string(kLogHeaderSize) + ".." + std::to_string(header.ring_size);
  if (header.next < kLogHeaderSize || header.next > header.ring_size) {
    return "damaged header: next offset " + std::to_string(header.next) + " is outside " + ring;
  }
  return "damaged header: last offset " + std::to_string(header.last) + " is outside " + ring;
}

void AppendEscaped(std::string& out, const std::string& text) {
  std::string plain;
  const auto flush = [&] {
    out += platform::Cp1252ToUtf8(plain);
    plain.clear();
  };
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    // The five bytes the code page leaves undefined are C1 controls.
    const bool control = byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F ||
                         byte == 0x90 || byte == 0x9D;
    if (!control && ch != '\\') {
      plain += ch;
      continue;
    }
    flush();
    switch (ch) {
      case '\\':
        out += "\\\\";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default: {
        char buffer[8];
        std::snprintf(buffer, sizeof(buffer), "\\x%02X", byte);
        out += buffer;
      }
    }
  }
  flush();
}

}  // namespace

ErrorLogReader::LoadResult ErrorLogReader::Load(const std::string& path) {
  bytes_.clear();
  // Never more than the largest ring: the rest of a file is not the log's.
  int error = 0;
  std::optional<std::string> bytes = platform::ReadRegularFile(path, kMaxRingSize, error);
  if (!bytes) {
    error_ = "cannot open " + path + ": " + (error == EINVAL ? "not a regular file" : platform::SystemErrorText(error));
    while (!error_.empty() && (error_.back() == '\n' || error_.back() == '\r')) error_.pop_back();
    return LoadResult::kUnreadable;
  }
  const LoadResult result = LoadBytes(std::move(*bytes));
  if (result != LoadResult::kOk) {
    error_ = path + ": " + error_;
  }
  return result;
}

ErrorLogReader::LoadResult ErrorLogReader::LoadBytes(std::string bytes) {
  error_.clear();
  header_ = LogFileHeader{};
  bytes_ = std::move(bytes);
  if (bytes_.size() < kLogHeaderSize) {
    error_ = "truncated: " + std::to_string(bytes_.size()) + " bytes, shorter than the 16-byte header";
    bytes_.clear();
    return LoadResult::kDamaged;
  }
  header_ = DecodeLogFileHeader(reinterpret_cast<const BYTE*>(bytes_.data()));
  if (!IsTrustedHeader(header_)) {
    error_ = HeaderProblem(header_);
    bytes_.clear();
    return LoadResult::kDamaged;
  }
  if (bytes_.size() > header_.ring_size) {
    bytes_.resize(header_.ring_size);
  }
  return LoadResult::kOk;
}

bool ErrorLogReader::ReadRing(DWORD offset, std::size_t length, std::string& out) const {
  out.clear();
  const DWORD ring = header_.ring_size;
  std::size_t position = offset == ring ? kLogHeaderSize : offset;
  while (length > 0) {
    const std::size_t chunk = std::min<std::size_t>(length, ring - position);
    if (position + chunk > bytes_.size()) {
      return false;
    }
    out.append(bytes_, position, chunk);
    length -= chunk;
    position = kLogHeaderSize;
  }
  return true;
}

bool ErrorLogReader::ReadRecord(DWORD offset, DWORD end, ErrorLogRecord& record, ErrorLogFault& fault,
                                std::string& problem) const {
  const DWORD ring = header_.ring_size;
  const DWORD longest = MaxWrittenRecordSize(ring);
  const auto fail = [&](ErrorLogFault what, std::string why) {
    fault = what;
    problem = At(offset) + std::move(why);
    return false;
  };
  if (offset < kLogHeaderSize || offset > ring) {
    return fail(ErrorLogFault::kInconsistent, "the offset is outside the ring");
  }
  std::string raw;
  if (!ReadRing(offset, kRecordHeaderSize, raw)) {
    return fail(ErrorLogFault::kTruncated, "its header lies past the end of the file");
  }
  const auto* p = reinterpret_cast<const BYTE*>(raw.data());
  record = ErrorLogRecord{};
  record.offset = offset;
  record.next = GetU32(p + record_field::kNext);
  record.previous = GetU32(p + record_field::kPrevious);
  record.sequence = GetU32(p + record_field::kSequence);
  record.year = p[record_field::kYear];
  record.month = p[record_field::kMonth];
  record.day = p[record_field::kDay];
  record.hour = p[record_field::kHour];
  record.minute = p[record_field::kMinute];
  record.second = p[record_field::kSecond];
  record.hundredths = p[record_field::kHundredths];
  record.first_name = NameField(raw, record_field::kFirstName);
  record.second_name = NameField(raw, record_field::kSecondName);
  record.app_name = NameField(raw, record_field::kAppName);
  record.level = static_cast<char>(p[record_field::kLevel]);
  record.code1 = GetU16(p + record_field::kCode1);
  record.code2 = GetU16(p + record_field::kCode2);
  record.text_length = GetU16(p + record_field::kTextLength);
  record.data_length = GetU16(p + record_field::kDataLength);

  if (end != kNoRecord && record.next != end) {
    return fail(ErrorLogFault::kInconsistent,
                "next offset " + std::to_string(record.next) + ", expected " + std::to_string(end));
  }
  if (record.next < kLogHeaderSize || record.next > ring) {
    return fail(ErrorLogFault::kInconsistent, "next offset " + std::to_string(record.next) + " is outside the ring");
  }
  const DWORD extent = RingDistance(ring, offset, record.next);
  if (extent < kRecordHeaderSize || extent > longest) {
    return fail(ErrorLogFault::kInconsistent, "it would be " + std::to_string(extent) + " bytes long");
  }
  if (record.data_length > kMaxRecordData) {
    return fail(ErrorLogFault::kInconsistent, "data length " + std::to_string(record.data_length) + " exceeds 4096");
  }
  const DWORD declared = kRecordHeaderSize + record.text_length + record.data_length;
  if (extent != std::min(declared, longest)) {
    return fail(ErrorLogFault::kInconsistent, "it is " + std::to_string(extent) + " bytes long but declares " +
                                                  std::to_string(declared));
  }
  const DWORD stored_text = std::min<DWORD>(record.text_length, extent - kRecordHeaderSize);
  const DWORD stored_data = extent - kRecordHeaderSize - stored_text;
  std::string whole;
  if (!ReadRing(offset, extent, whole)) {
    return fail(ErrorLogFault::kTruncated, "its text lies past the end of the file");
  }
  record.text = whole.substr(kRecordHeaderSize, stored_text);
  record.data = whole.substr(kRecordHeaderSize + stored_text, stored_data);
  return true;
}

ErrorLogWalk ErrorLogReader::Records() const {
  ErrorLogWalk walk;
  if (bytes_.empty()) {
    return walk;
  }
  const DWORD ring = header_.ring_size;
  const DWORD capacity = ring - kLogHeaderSize;
  if (header_.last == kNoRecord) {
    if (header_.next != kLogHeaderSize) {
      walk.fault = ErrorLogFault::kInconsistent;
      walk.problem = "the header names no record, yet its next offset is " + std::to_string(header_.next);
    }
    return walk;
  }
  DWORD offset = header_.last;
  DWORD end = header_.next;
  DWORD sequence = header_.sequence;
  DWORD used = 0;  // ring bytes taken by the records read so far
  // Each record read takes at least a record header of the ring, so the walk
  // ends within capacity / 76 steps.
  for (;;) {
    if (offset < kLogHeaderSize || offset > ring) {
      walk.fault = ErrorLogFault::kInconsistent;
      walk.problem = At(offset) + "the offset is outside the ring";
      break;
    }
    // A record is never longer than the cut, overwritten or not.
    const DWORD extent = RingDistance(ring, offset, end);
    if (extent < kRecordHeaderSize || extent > MaxWrittenRecordSize(ring)) {
      walk.fault = ErrorLogFault::kInconsistent;
      walk.problem = At(offset) + "it would be " + std::to_string(extent) + " bytes long";
      break;
    }
    if (!walk.records.empty() && std::uint64_t{used} + extent > capacity) {
      break;  // overwritten by newer records: the previous one was the oldest
    }
    ErrorLogRecord record;
    if (!ReadRecord(offset, end, record, walk.fault, walk.problem)) {
      break;
    }
    if (record.sequence != sequence) {
      walk.fault = ErrorLogFault::kInconsistent;
      walk.problem = At(offset) + "sequence number " + std::to_string(record.sequence) + ", expected " +
                     std::to_string(sequence);
      break;
    }
    used += extent;
    const DWORD previous = record.previous;
    walk.records.push_back(std::move(record));
    if (previous == kNoRecord) {
      break;  // the first record of the file
    }
    end = offset;
    offset = previous;
    sequence = PreviousSequence(sequence);
  }
  std::reverse(walk.records.begin(), walk.records.end());
  return walk;
}

ErrorLogCheck ErrorLogReader::Verify() const {
  ErrorLogCheck check;
  const ErrorLogWalk back = Records();
  check.record_count = back.records.size();
  check.fault = back.fault;
  if (back.fault != ErrorLogFault::kNone) {
    check.problems.push_back("previous chain: " + back.problem);
  }
  if (back.records.empty()) {
    return check;
  }
  const auto note = [&check](ErrorLogFault fault, std::string problem) {
    check.problems.push_back("next chain: " + std::move(problem));
    check.fault = std::max(check.fault, fault);
  };
  const DWORD capacity = header_.ring_size - kLogHeaderSize;
  DWORD offset = back.records.front().offset;
  DWORD previous = back.records.front().previous;
  DWORD sequence = back.records.front().sequence;
  DWORD used = 0;
  std::vector<DWORD> forward;
  for (;;) {
    ErrorLogRecord record;
    ErrorLogFault fault = ErrorLogFault::kNone;
    std::string problem;
    if (!ReadRecord(offset, kNoRecord, record, fault, problem)) {
      note(fault, problem);
      break;
    }
    if (record.previous != previous || record.sequence != sequence) {
      note(ErrorLogFault::kInconsistent, At(offset) + "previous offset " + Hex(record.previous) + " and sequence " +
                                             std::to_string(record.sequence) + ", expected " + Hex(previous) +
                                             " and " + std::to_string(sequence));
      break;
    }
    used += RingDistance(header_.ring_size, offset, record.next);
    if (used > capacity) {
      note(ErrorLogFault::kInconsistent, "it runs past the newest record without reaching it");
      break;
    }
    forward.push_back(offset);
    if (offset == header_.last) {
      if (record.next != header_.next) {
        note(ErrorLogFault::kInconsistent, At(offset) + "the newest record ends at " + std::to_string(record.next) +
                                               ", the header says " + std::to_string(header_.next));
      }
      break;
    }
    previous = offset;
    offset = record.next;
    sequence = NextSequence(sequence);
  }
  if (back.fault == ErrorLogFault::kNone && check.fault == ErrorLogFault::kNone) {
    std::vector<DWORD> backward;
    for (const ErrorLogRecord& record : back.records) {
      backward.push_back(record.offset);
    }
    if (forward != backward) {
      note(ErrorLogFault::kInconsistent, "it finds " + std::to_string(forward.size()) +
                                             " records where the previous chain finds " +
                                             std::to_string(backward.size()));
    }
  }
  return check;
}

std::string FormatRecordLine(const ErrorLogRecord& record) {
  char stamp[64];
  std::snprintf(stamp, sizeof(stamp), "%u\t%04d-%02u-%02u %02u:%02u:%02u.%02u\t", record.sequence, 2000 + record.year,
                record.month, record.day, record.hour, record.minute, record.second, record.hundredths);
  std::string line = stamp;
  AppendEscaped(line, std::string(1, record.level));
  for (const std::string* name : {&record.first_name, &record.second_name, &record.app_name}) {
    line += '\t';
    AppendEscaped(line, *name);
  }
  line += '\t';
  AppendEscaped(line, record.text);
  if (record.data_length > 0) {
    line += " [data: " + std::to_string(record.data_length) + " bytes]";
  }
  return line;
}

namespace {

std::string LevelName(char letter) {
  switch (letter) {
    case 'D':
      return "debug";
    case 'S':
      return "system";
    case 'E':
      return "error";
    case 'W':
      return "warning";
    case 'I':
      return "info";
    default:
      return std::string(1, letter);
  }
}

// The value of `key=` inside a location tag, up to the next " key=" or the
// end; function names hold no blanks, file names may.
std::string TagValue(std::string_view tag, std::string_view key, std::string_view next_key) {
  const std::size_t at = tag.find(key);
  if (at == std::string_view::npos) return {};
  const std::size_t start = at + key.size();
  const std::size_t end = next_key.empty() ? tag.size() : tag.find(next_key, start);
  return std::string(tag.substr(start, end == std::string_view::npos ? tag.size() - start : end - start));
}

std::string Escaped(std::string_view text) {
  std::string out;
  AppendEscaped(out, std::string(text));
  return out;
}

}  // namespace

ReadableRecord ReadRecord(const ErrorLogRecord& record) {
  ReadableRecord out;
  char stamp[32];
  std::snprintf(stamp, sizeof(stamp), "%04d-%02u-%02u %02u:%02u:%02u.%02u", 2000 + record.year, record.month,
                record.day, record.hour, record.minute, record.second, record.hundredths);
  out.time = stamp;
  out.level = LevelName(record.level);
  out.application = Escaped(record.app_name);
  std::string_view text = record.text;
  constexpr std::string_view kTag = "<location file=";
  const std::size_t tag = text.rfind(kTag);
  if (tag != std::string_view::npos && text.ends_with('>')) {
    const std::string_view inside = text.substr(tag + 1, text.size() - tag - 2);
    const std::string file = TagValue(inside, "file=", " line=");
    const std::string line = TagValue(inside, " line=", " func=");
    out.function = Escaped(TagValue(inside, " func=", " mdl="));
    out.module = Escaped(TagValue(inside, " mdl=", ""));
    out.location = Escaped(line.empty() ? file : file + ":" + line);
    text = text.substr(0, tag);
  }
  out.message = Escaped(text);
  if (record.data_length > 0) out.message += " [data: " + std::to_string(record.data_length) + " bytes]";
  return out;
}

std::string FormatRecordTable(const std::vector<ErrorLogRecord>& records) {
  static constexpr std::size_t kMaxColumn = 40;  // a longer name stays whole and pushes its line on
  std::vector<ReadableRecord> rows;
  rows.reserve(records.size());
  for (const ErrorLogRecord& record : records) rows.push_back(ReadRecord(record));
  ReadableRecord header{"TIME", "LEVEL", "APPLICATION", "MODULE", "FUNCTION", "MESSAGE", "LOCATION"};
  using Field = std::string ReadableRecord::*;
  static constexpr Field kAligned[] = {&ReadableRecord::time, &ReadableRecord::level, &ReadableRecord::application,
                                       &ReadableRecord::module, &ReadableRecord::function};
  std::size_t widths[std::size(kAligned)];
  for (std::size_t c = 0; c < std::size(kAligned); ++c) {
    widths[c] = (header.*kAligned[c]).size();
    for (const ReadableRecord& row : rows) widths[c] = std::max(widths[c], std::min((row.*kAligned[c]).size(), kMaxColumn));
  }
  std::string out;
  const auto append = [&](const ReadableRecord& row) {
    for (std::size_t c = 0; c < std::size(kAligned); ++c) {
      const std::string& value = row.*kAligned[c];
      out += value;
      out.append(value.size() < widths[c] ? widths[c] - value.size() + 2 : 2, ' ');
    }
    out += row.message;
    if (!row.location.empty()) out += "  (at " + row.location + ")";
    out += '\n';
  };
  append(header);
  for (const ReadableRecord& row : rows) append(row);
  return out;
}

}  // namespace zv
