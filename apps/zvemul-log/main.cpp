// zvemul-log: shows the records of the error log, newest first, and checks
// the file's chains of records.
//   exit 0: all well; 1: the records do not hold together; 2: the file cannot
//   be read, its header is damaged or it is truncated.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

#include "diagnostics/error_log_reader.h"
#include "platform/file_system.h"

namespace {

int ExitStatusOf(zv::ErrorLogFault fault) {
  switch (fault) {
    case zv::ErrorLogFault::kNone:
      return 0;
    case zv::ErrorLogFault::kInconsistent:
      return 1;
    case zv::ErrorLogFault::kTruncated:
      return 2;
  }
  return 2;
}

int Verify(const zv::ErrorLogReader& reader) {
  const zv::ErrorLogCheck check = reader.Verify();
  std::cout << check.record_count << (check.record_count == 1 ? " record" : " records");
  if (check.problems.empty()) {
    std::cout << ", both chains consistent\n";
    return 0;
  }
  std::cout << ", " << check.problems.size() << (check.problems.size() == 1 ? " problem:\n" : " problems:\n");
  for (const std::string& problem : check.problems) {
    std::cout << "  " << problem << '\n';
  }
  return ExitStatusOf(check.fault);
}

int List(const zv::ErrorLogReader& reader, bool oldest_first, bool tabs) {
  zv::ErrorLogWalk walk = reader.Records();
  if (!oldest_first) std::reverse(walk.records.begin(), walk.records.end());
  if (tabs) {
    for (const zv::ErrorLogRecord& record : walk.records) std::cout << zv::FormatRecordLine(record) << '\n';
  } else {
    std::cout << zv::FormatRecordTable(walk.records);
  }
  std::cout.flush();
  if (walk.fault != zv::ErrorLogFault::kNone) {
    std::cerr << "zvemul-log: " << walk.problem << " (older records not shown)\n";
  }
  return ExitStatusOf(walk.fault);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Shows the records of the ZVEmul error log, newest first."};
  std::string path;
  bool oldest_first = false;
  bool verify = false;
  bool tabs = false;
  app.add_option("file", path, "Log file (default: $ZVEMUL_LOGFILE, else $XDG_STATE_HOME/zvemul/logfile.log)");
  app.add_flag("--oldest-first", oldest_first, "List the oldest record first");
  app.add_flag("--tabs", tabs,
               "One line per record with every field, separated by tabs: sequence number, time, level letter, "
               "the three names, the text with its location tag");
  app.add_flag("--verify", verify,
               "Walk the chains of previous and next offsets and report the record count and any "
               "inconsistency (exit status 1)");
  CLI11_PARSE(app, argc, argv);

  if (path.empty()) path = zv::platform::ErrorLogFile().string();
  zv::ErrorLogReader reader;
  if (reader.Load(path) != zv::ErrorLogReader::LoadResult::kOk) {
    std::cerr << "zvemul-log: " << reader.error() << '\n';
    return 2;
  }
  return verify ? Verify(reader) : List(reader, oldest_first, tabs);
}
