#include "host/subprocess_link.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>
#include <nlohmann/json.hpp>
#include <utility>

#include "platform/code_page.h"

namespace zv::host {
namespace {

constexpr std::size_t kMaxPendingOutput = 1 << 20;
constexpr std::size_t kMaxReadPerPoll = 1 << 20;  // a chattering child cannot hold the loop
constexpr int kLivenessCheckMs = 1000;
constexpr int kExitGraceMs = 200;
constexpr int kMaxJsonDepth = 8;

void SleepMs(int ms) {
  timespec pause{0, static_cast<long>(ms) * 1000000L};
  ::nanosleep(&pause, nullptr);
}

std::string DescribeExit(int status) {
  if (WIFSIGNALED(status)) return "DOWN: SIGNAL " + std::to_string(WTERMSIG(status));
  return "DOWN: EXIT " + std::to_string(WEXITSTATUS(status));
}

}  // namespace

SubprocessLink::SubprocessLink(SubprocessOptions options) : options_(std::move(options)) { Start(); }

SubprocessLink::~SubprocessLink() { Close(); }

// The child's standard input and output are one end of a socket pair: writes
// to it can then use MSG_NOSIGNAL, so a dead child never raises SIGPIPE here.
void SubprocessLink::Start() {
  status_ = "DOWN: CANNOT START";
  int sockets[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return;
  const std::string error_path = options_.stderr_path.empty() ? "/dev/null" : options_.stderr_path;
  int error_fd = ::open(error_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (error_fd < 0) error_fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const char* command = options_.command.c_str();

  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only async-signal-safe calls from here to exec.
    ::setpgid(0, 0);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    ::dup2(sockets[1], STDIN_FILENO);
    ::dup2(sockets[1], STDOUT_FILENO);
    if (error_fd >= 0) ::dup2(error_fd, STDERR_FILENO);
    ::close_range(3, ~0U, 0);
    ::execl("/bin/sh", "sh", "-c", command, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(sockets[1]);
  if (error_fd >= 0) ::close(error_fd);
  if (pid < 0) {
    ::close(sockets[0]);
    return;
  }
  ::setpgid(pid, pid);  // here too, so the group exists whichever side runs first
  ::fcntl(sockets[0], F_SETFL, ::fcntl(sockets[0], F_GETFL) | O_NONBLOCK);
  fd_ = sockets[0];
  pid_ = pid;
  status_ = "ONLINE";
}

void SubprocessLink::Send(int session, std::string_view entry) {
  if (fd_ < 0) {
    ready_.push_back({session, LinkDownResponse()});
    return;
  }
  const nlohmann::ordered_json line = {{"session", session}, {"entry", platform::Cp1252ToUtf8(entry)}};
  out_ += line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  out_ += '\n';
  unanswered_.push_back(session);
  if (out_.size() > kMaxPendingOutput) {
    Shutdown("NOT READING");
  } else if (!Flush()) {
    Shutdown("INPUT CLOSED");
  }
}

short SubprocessLink::PollEvents() const {
  if (fd_ < 0) return 0;
  return static_cast<short>(POLLIN | (out_.empty() ? 0 : POLLOUT));
}

int SubprocessLink::PollTimeoutMs() {
  if (!ready_.empty()) return 0;
  return fd_ >= 0 ? kLivenessCheckMs : -1;
}

std::vector<HostAnswer> SubprocessLink::Poll() {
  if (fd_ >= 0) {
    bool end_of_output = false;
    ReadAvailable(end_of_output);
    if (end_of_output) {
      Shutdown("OUTPUT CLOSED");
    } else if (!Flush()) {
      Shutdown("INPUT CLOSED");
    } else if (ChildEnded()) {
      Shutdown("ENDED");
    }
  }
  return std::exchange(ready_, {});
}

void SubprocessLink::Close() {
  if (fd_ < 0) return;
  Shutdown("CLOSED");
  status_ = "CLOSED";
}

void SubprocessLink::ReadAvailable(bool& end_of_output) {
  char buffer[65536];
  std::size_t total = 0;
  while (total < kMaxReadPerPoll) {
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n > 0) {
      total += static_cast<std::size_t>(n);
      TakeBytes(std::string_view(buffer, static_cast<std::size_t>(n)));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) end_of_output = true;
    return;
  }
}

// Splits the bytes into lines; a line longer than the limit is dropped as it
// comes, so the buffer never holds more than the limit.
void SubprocessLink::TakeBytes(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t newline = bytes.find('\n');
    const std::string_view part = bytes.substr(0, newline);
    if (!skipping_line_) {
      if (in_.size() + part.size() > options_.max_line_bytes) {
        BadLine();
        in_.clear();
        skipping_line_ = true;
      } else {
        in_.append(part);
      }
    }
    if (newline == std::string_view::npos) return;
    if (!skipping_line_) HandleLine(in_);
    in_.clear();
    skipping_line_ = false;
    bytes.remove_prefix(newline + 1);
  }
}

AnswerLine ParseAnswerLine(std::string_view line, HostAnswer& answer) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.find_first_not_of(" \t") == std::string_view::npos) return AnswerLine::kBlank;
  // Values nested deeper than any answer needs are dropped while parsing, so
  // a hostile line cannot make a huge tree.
  const auto shallow = [](int depth, nlohmann::json::parse_event_t, nlohmann::json&) {
    return depth <= kMaxJsonDepth;
  };
  const nlohmann::json json = nlohmann::json::parse(line, shallow, false);
  if (json.is_discarded() || !json.is_object()) return AnswerLine::kBad;
  const auto session = json.find("session");
  const auto response = json.find("response");
  if (session == json.end() || response == json.end() || !session->is_number_integer() || !response->is_string()) {
    return AnswerLine::kBad;
  }
  const bool fits = session->is_number_unsigned()
                        ? session->get<std::uint64_t>() <= INT_MAX
                        : session->get<std::int64_t>() >= INT_MIN && session->get<std::int64_t>() <= INT_MAX;
  if (!fits) return AnswerLine::kBad;
  answer.session = session->get<int>();
  answer.response = platform::Utf8ToCp1252(response->get_ref<const std::string&>());
  return AnswerLine::kAnswer;
}

void SubprocessLink::HandleLine(std::string_view line) {
  HostAnswer answer;
  switch (ParseAnswerLine(line, answer)) {
    case AnswerLine::kBlank:
      return;  // blank lines are harmless
    case AnswerLine::kBad:
      return BadLine();
    case AnswerLine::kAnswer:
      break;
  }
  const auto waiting = std::find(unanswered_.begin(), unanswered_.end(), answer.session);
  if (waiting != unanswered_.end()) unanswered_.erase(waiting);
  ready_.push_back(std::move(answer));
}

void SubprocessLink::BadLine() {
  ++bad_lines_;
  status_ = "ONLINE - " + std::to_string(bad_lines_) + (bad_lines_ == 1 ? " BAD LINE" : " BAD LINES");
}

bool SubprocessLink::Flush() {
  while (!out_.empty()) {
    const ssize_t n = ::send(fd_, out_.data(), out_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      out_.erase(0, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }
  return true;
}

// Looks without reaping, so that the process group can still be killed safely.
bool SubprocessLink::ChildEnded() const {
  siginfo_t info{};
  if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return errno == ECHILD;
  return info.si_pid != 0;
}

void SubprocessLink::Shutdown(std::string_view reason) {
  if (fd_ < 0) return;
  bool end_of_output = false;
  ReadAvailable(end_of_output);  // answers already on their way still count
  if (!skipping_line_ && !in_.empty()) HandleLine(in_);  // a last line without its newline
  in_.clear();
  out_.clear();
  ::close(fd_);
  fd_ = -1;

  bool ended = ChildEnded();
  for (int waited = 0; !ended && waited < kExitGraceMs; waited += 5) {
    SleepMs(5);
    ended = ChildEnded();
  }
  if (pid_ > 0) {
    // The whole group: the shell may have started the real gateway as its own child.
    ::kill(-pid_, SIGKILL);
    int status = 0;
    pid_t reaped;
    do {
      reaped = ::waitpid(pid_, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    status_ = ended && reaped == pid_ ? DescribeExit(status) : "DOWN: " + std::string(reason);
  }
  pid_ = -1;
  for (int session : unanswered_) ready_.push_back({session, LinkDownResponse()});
  unanswered_.clear();
}

}  // namespace zv::host
