// Reads the error log's ring file back: the records that survive in the
// ring, newest to oldest through their previous offsets, and a check of both
// chains. Any file, however damaged, is read without a crash; every walk is
// bounded by the ring size.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "diagnostics/error_log_format.h"
#include "platform/win_types.h"

namespace zv {

struct ErrorLogRecord {
  DWORD offset = 0;  // where the record starts in the ring
  DWORD next = 0;
  DWORD previous = 0;
  DWORD sequence = 0;
  BYTE year = 0;  // year - 2000
  BYTE month = 0;
  BYTE day = 0;
  BYTE hour = 0;
  BYTE minute = 0;
  BYTE second = 0;
  BYTE hundredths = 0;
  std::string first_name;
  std::string second_name;
  std::string app_name;
  char level = '?';
  WORD code1 = 0;
  WORD code2 = 0;
  WORD text_length = 0;  // as the record declares it
  WORD data_length = 0;
  std::string text;  // as stored: shorter than text_length in a record cut to fit the ring
  std::string data;
};

enum class ErrorLogFault {
  kNone,
  kInconsistent,  // offsets, lengths or sequence numbers that do not agree
  kTruncated,     // a record reaches past the end of the file
};

struct ErrorLogWalk {
  std::vector<ErrorLogRecord> records;  // oldest first
  ErrorLogFault fault = ErrorLogFault::kNone;
  std::string problem;  // why the walk stopped before the oldest surviving record
};

struct ErrorLogCheck {
  std::size_t record_count = 0;
  ErrorLogFault fault = ErrorLogFault::kNone;  // the worst found
  std::vector<std::string> problems;
};

class ErrorLogReader {
 public:
  enum class LoadResult {
    kOk,
    kUnreadable,  // the file cannot be opened or read
    kDamaged,     // too short for a header, or a header that cannot be trusted
  };

  // Takes a snapshot of the file; error() says why it failed.
  LoadResult Load(const std::string& path);
  LoadResult LoadBytes(std::string bytes);
  const std::string& error() const { return error_; }
  const LogFileHeader& header() const { return header_; }

  // The surviving records, found through the previous offsets from the
  // header's most recent record. Stops at the first record that does not
  // fit the chain, keeping the newer ones.
  ErrorLogWalk Records() const;

  // Walks back as Records() does, then forward through the next offsets
  // from the oldest record reached, and compares the two.
  ErrorLogCheck Verify() const;

 private:
  bool ReadRing(DWORD offset, std::size_t length, std::string& out) const;
  // Reads the record at `offset`; `end` is where its successor should start,
  // or kNoRecord to take its own next offset.
  bool ReadRecord(DWORD offset, DWORD end, ErrorLogRecord& record, ErrorLogFault& fault,
                  std::string& problem) const;

  std::string bytes_;  // the file up to the end of its ring
  LogFileHeader header_;
  std::string error_;
};

// One line for a record: sequence number, date and time, level letter, the
// three names and the text, separated by tabs. Control characters show as
// escapes, other characters are converted to UTF-8.
std::string FormatRecordLine(const ErrorLogRecord& record);

// A record as a person reads it: the location tag that GetErrorWrite2Log
// appends to the message is taken apart into its own fields.
struct ReadableRecord {
  std::string time;  // "2026-12-05 20:13:00.11"
  std::string level;  // "debug", "error", ...
  std::string application;
  std::string module;
  std::string function;
  std::string message;
  std::string location;  // "file.cpp:144", or empty without a tag
};
ReadableRecord ReadRecord(const ErrorLogRecord& record);

// The records as a table in the given order: a header line, then one line
// per record with the named columns aligned and the location last.
std::string FormatRecordTable(const std::vector<ErrorLogRecord>& records);

}  // namespace zv
