// A host reached through a child process speaking JSON lines: the container
// writes {"session": S, "entry": E} lines to its standard input and reads
// {"session": S, "response": R} lines from its standard output. Strings are
// UTF-8 on the wire and Windows-1252 on this side.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_link.h"

namespace zv::host {

struct SubprocessOptions {
  std::string command;      // run as /bin/sh -c COMMAND
  std::string stderr_path;  // the child's standard error, appended to; empty: /dev/null
  std::size_t max_line_bytes = 4 << 20;  // a longer line is skipped as bad
};

// One line of the child's output (without its "\n"): an answer, a blank
// line (spaces and tabs only), or a bad line.
enum class AnswerLine { kAnswer, kBlank, kBad };
AnswerLine ParseAnswerLine(std::string_view line, HostAnswer& answer);

class SubprocessLink final : public HostLink {
 public:
  // Starts the child at once; if it cannot be started the link is down.
  explicit SubprocessLink(SubprocessOptions options);
  ~SubprocessLink() override;
  SubprocessLink(const SubprocessLink&) = delete;
  SubprocessLink& operator=(const SubprocessLink&) = delete;

  void Send(int session, std::string_view entry) override;
  int PollFd() const override { return fd_; }
  short PollEvents() const override;
  // While the child runs, at least once a second, so that a child that died
  // without closing its output (a grandchild may hold it) is still noticed.
  int PollTimeoutMs() override;
  std::vector<HostAnswer> Poll() override;
  // "ONLINE", "ONLINE - 2 BAD LINES", "DOWN: EXIT 3", "DOWN: SIGNAL 9",
  // "DOWN: OUTPUT CLOSED", "DOWN: CANNOT START", "CLOSED".
  std::string StatusText() const override { return status_; }
  bool Alive() const override { return fd_ >= 0; }
  // Closes the child's input, gives it a moment to end, then kills its
  // process group and reaps it. Entries still unanswered get LinkDownResponse().
  void Close() override;

  pid_t pid() const { return pid_; }
  std::size_t bad_lines() const { return bad_lines_; }

 private:
  void Start();
  void ReadAvailable(bool& end_of_output);
  void TakeBytes(std::string_view bytes);
  void HandleLine(std::string_view line);
  void BadLine();
  bool Flush();
  bool ChildEnded() const;
  // Ends the link: the status says `reason` unless the child ended by itself.
  void Shutdown(std::string_view reason);

  SubprocessOptions options_;
  int fd_ = -1;
  pid_t pid_ = -1;
  std::string status_;
  std::string out_;  // bytes not yet written to the child
  std::string in_;   // a line being received
  bool skipping_line_ = false;
  std::size_t bad_lines_ = 0;
  std::deque<int> unanswered_;  // sessions of entries sent and not yet answered, oldest first
  std::vector<HostAnswer> ready_;
};

}  // namespace zv::host
