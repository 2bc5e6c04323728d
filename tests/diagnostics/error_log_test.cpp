#include "diagnostics/error_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "diagnostics/error_log_reader.h"
#include "log_test_support.h"
#include "platform/clocks.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/locked_file.h"

namespace zv {
namespace {

using testing::ScratchHome;
using testing::HeaderBytes;
using testing::HeaderOf;
using testing::ReadText;
using testing::U32At;
using testing::WriteText;

std::string Field(const std::string& bytes, std::size_t record, std::size_t field, std::size_t length) {
  return bytes.substr(record + field, length);
}

unsigned FileMode(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class ErrorLogTest : public ::testing::Test {
 protected:
  // The records as the reader finds them, oldest first; fails the test when
  // the chains do not hold together.
  std::vector<ErrorLogRecord> Records() {
    ErrorLogReader reader;
    EXPECT_EQ(reader.Load(home_.LogPath()), ErrorLogReader::LoadResult::kOk) << reader.error();
    const ErrorLogCheck check = reader.Verify();
    EXPECT_TRUE(check.problems.empty()) << check.problems.front();
    return reader.Records().records;
  }

  void CreateLog(const LogFileHeader& header) { WriteText(home_.LogPath(), HeaderBytes(header)); }

  ScratchHome home_;
  // Records are dated by the current desktop's clock.
  platform::Desktop desktop_{testing::ServicesWithClock({2016, 3, 7, 14, 5, 9, 375, 0})};
  platform::DesktopScope scope_{desktop_};
  platform::ManualClock& clock_ = static_cast<platform::ManualClock&>(desktop_.clock());
};

TEST_F(ErrorLogTest, NewFileGetsHeaderAndFirstRecordAtSixteen) {
  CErrorLog log;
  EXPECT_EQ(FileMode(home_.LogPath()), 0600u);
  std::string bytes = ReadText(home_.LogPath());
  ASSERT_EQ(bytes.size(), 16u);
  EXPECT_EQ(HeaderOf(bytes), (LogFileHeader{static_cast<DWORD>(kDefaultRingSize), 16, kNoRecord, 0}));
  EXPECT_EQ(log.RingSize(), kDefaultRingSize);

  EXPECT_EQ(log.GetErrorWrite2Log(2, 55, "HiddenRichEditCtrl", "CHiddenRichEditCtrl::CHiddenRichEditCtrl",
                                  "Failed to create the hidden rich edit window for formatting!"),
            S_OK);
  const std::string text =
      "Failed to create the hidden rich edit window for formatting!<location file=HiddenRichEditCtrl line=55 "
      "func=CHiddenRichEditCtrl::CHiddenRichEditCtrl mdl=n/a>";
  const DWORD size = 76 + static_cast<DWORD>(text.size());
  bytes = ReadText(home_.LogPath());
  ASSERT_EQ(bytes.size(), 16 + size);
  EXPECT_EQ(U32At(bytes, 16), 16 + size);     // next
  EXPECT_EQ(U32At(bytes, 20), kNoRecord);     // previous
  EXPECT_EQ(U32At(bytes, 24), 1u);            // sequence
  EXPECT_EQ(Field(bytes, 16, 12, 7), std::string("\x10\x03\x07\x0e\x05\x09\x25", 7));  // 2016-03-07 14:05:09.37
  const std::string na = "n/a" + std::string(13, '\0');
  EXPECT_EQ(Field(bytes, 16, 19, 48), na + na + na);
  EXPECT_EQ(Field(bytes, 16, 67, 9), std::string("E\0\0\0\0", 5) + static_cast<char>(text.size()) +
                                         static_cast<char>(text.size() >> 8) + std::string("\0\0", 2));
  EXPECT_EQ(bytes.substr(16 + 76), text);
  EXPECT_EQ(HeaderOf(bytes), (LogFileHeader{static_cast<DWORD>(kDefaultRingSize), 16 + size, 16, 1}));

  clock_.SetLocalTime({2255, 12, 31, 23, 59, 58, 999, 0});
  log.GetErrorWrite2Log(4, 1, "f", "g", "again");
  bytes = ReadText(home_.LogPath());
  EXPECT_EQ(Field(bytes, 16 + size, 12, 7), "\xff\x0c\x1f\x17\x3b\x3a\x63");  // 2255-12-31 23:59:58.99
  EXPECT_EQ(U32At(bytes, 16 + size + 4), 16u);  // previous: the first record
  EXPECT_EQ(U32At(bytes, 16 + size + 8), 2u);
  EXPECT_EQ(HeaderOf(bytes).last, 16 + size);
}

TEST_F(ErrorLogTest, NamesAreConvertedCutToSixteenBytesAndDefaulted) {
  {
    CErrorLog log(u"ABCDEFGHIJKLMNOPQR", u"Taloon! Res", u"ZVEmul.ocx", nullptr);
    log.GetErrorWrite2Log(4, 1, "f", "g", "named");
  }
  {
    CErrorLog log(u"", u"Caf\u00e9 \u20ac \U0001F600", nullptr, u"0123456789ABCDEF");
    log.GetErrorWrite2Log(4, 2, "f", "g", "converted");
  }
  const std::string bytes = ReadText(home_.LogPath());
  // A 16-byte name fills its field with no terminator; the next field follows.
  EXPECT_EQ(Field(bytes, 16, 19, 19), "ABCDEFGHIJKLMNOPn/a");
  EXPECT_EQ(Field(bytes, 16, 51, 12), std::string("Taloon! Res\0", 12));
  const std::vector<ErrorLogRecord> records = Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].first_name, "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(records[0].second_name, "n/a");
  EXPECT_EQ(records[0].text, "named<location file=f line=1 func=g mdl=ZVEmul.ocx>");
  EXPECT_EQ(records[1].first_name, "n/a");
  EXPECT_EQ(records[1].second_name, "0123456789ABCDEF");
  EXPECT_EQ(records[1].app_name, "Caf\xE9 \x80 ?");
  EXPECT_EQ(records[1].text, "converted<location file=f line=2 func=g mdl=n/a>");
}

TEST_F(ErrorLogTest, LevelLettersLastErrorTextAndCuts) {
  CErrorLog log;
  for (const int level : {0, 1, 2, 3, 4, 5, -1, 0x10002, 0x7FFF0004}) {  // the low sixteen bits count
    log.GetErrorWrite2Log(level, -3, "f", "g", "m");
  }
  errno = ENOENT;  // an empty message stands for the last error's text
  log.GetErrorWrite2Log(2, 7, "ResRich", "CResRichEdit::OnChar", "");
  const std::string message(70'000, 'x');
  log.GetErrorWrite2Log(2, 1, "f", "g", message);
  const std::string data(5000, '\x7f');
  EXPECT_EQ(log.WriteRecord(3, 1, 2, "with data", reinterpret_cast<const BYTE*>(data.data()), 5000), S_OK);

  const std::vector<ErrorLogRecord> records = Records();
  ASSERT_EQ(records.size(), 12u);
  std::string letters;
  for (std::size_t i = 0; i < 9; ++i) letters += records[i].level;
  EXPECT_EQ(letters, "DSEWI??EI");
  EXPECT_EQ(records[8].text, "m<location file=f line=-3 func=g mdl=n/a>");
  EXPECT_EQ(records[9].text,
            "No such file or directory\r\n<location file=ResRich line=7 func=CResRichEdit::OnChar mdl=n/a>");
  EXPECT_EQ(records[10].text_length, 65535);
  EXPECT_EQ(records[10].text, message.substr(0, 65535));
  EXPECT_EQ(records[11].code1, 1);
  EXPECT_EQ(records[11].code2, 2);
  EXPECT_EQ(records[11].data, data.substr(0, 4096));
  EXPECT_EQ(records[11].next - records[11].offset, 76u + 9u + 4096u);
}

TEST_F(ErrorLogTest, ExistingFileKeepsItsRingSizeAndRecordsSplitAtItsEnd) {
  const DWORD ring = 600'000;
  CreateLog({ring, ring - 30, kNoRecord, 0});
  CErrorLog log;
  EXPECT_EQ(log.RingSize(), 600'000);
  log.GetErrorWrite2Log(3, 9, "f", "g", "split across the end of the ring");
  const std::string text = "split across the end of the ring<location file=f line=9 func=g mdl=n/a>";
  const DWORD size = 76 + static_cast<DWORD>(text.size());
  std::string bytes = ReadText(home_.LogPath());
  ASSERT_EQ(bytes.size(), ring);  // never beyond the ring
  EXPECT_EQ(HeaderOf(bytes), (LogFileHeader{ring, size - 30 + 16, ring - 30, 1}));
  const std::string record = bytes.substr(ring - 30) + bytes.substr(16, size - 30);  // head, then tail
  EXPECT_EQ(U32At(record, 0), size - 30 + 16);
  EXPECT_EQ(U32At(record, 8), 1u);
  EXPECT_EQ(record.substr(76), text);
  EXPECT_EQ(Records().at(0).text, text);
}

TEST_F(ErrorLogTest, NextOffsetAtTheRingEndSendsTheNextRecordWholeToSixteen) {
  const DWORD ring = 500'000;
  const std::string text = "m<location file=f line=1 func=g mdl=n/a>";
  const DWORD size = 76 + static_cast<DWORD>(text.size());
  CreateLog({ring, ring - size, kNoRecord, 0});  // the first record ends exactly at the ring's end
  CErrorLog log;
  log.GetErrorWrite2Log(4, 1, "f", "g", "m");
  EXPECT_EQ(HeaderOf(ReadText(home_.LogPath())).next, ring);
  log.GetErrorWrite2Log(4, 1, "f", "g", "m");
  const std::string bytes = ReadText(home_.LogPath());
  EXPECT_EQ(HeaderOf(bytes), (LogFileHeader{ring, 16 + size, ring, 2}));
  EXPECT_EQ(U32At(bytes, 16), 16 + size);
  EXPECT_EQ(U32At(bytes, 20), ring - size);
  EXPECT_EQ(bytes.substr(16 + 76, text.size()), text);
  const std::vector<ErrorLogRecord> records = Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].offset, ring);
}

TEST_F(ErrorLogTest, SequenceStartsAgainAtOneAfterTheLargest) {
  CreateLog({static_cast<DWORD>(kDefaultRingSize), 16, kNoRecord, 99'999'998});
  CErrorLog log;
  for (int i = 0; i < 3; ++i) {
    log.GetErrorWrite2Log(4, i, "f", "g", "m");
  }
  std::vector<DWORD> sequences;
  for (const ErrorLogRecord& record : Records()) {
    sequences.push_back(record.sequence);
  }
  EXPECT_EQ(sequences, (std::vector<DWORD>{99'999'999, 1, 2}));
}

TEST_F(ErrorLogTest, DamagedFileIsLeftAsItIs) {
  const DWORD ring = 500'000;
  const std::string tail(100, '\x55');
  const std::vector<std::string> damaged = {
      HeaderBytes({499'999, 16, kNoRecord, 0}) + tail,
      HeaderBytes({50'000'001, 16, kNoRecord, 0}) + tail,
      HeaderBytes({0xFFFFFFFF, 16, kNoRecord, 0}) + tail,
      HeaderBytes({ring, 15, kNoRecord, 0}) + tail,
      HeaderBytes({ring, ring + 1, kNoRecord, 0}) + tail,
      HeaderBytes({ring, 16, ring + 1, 0}) + tail,
      HeaderBytes({ring, 16, 8, 0}) + tail,
      HeaderBytes({ring, 16, kNoRecord, 0}).substr(0, 10),
      std::string("\x20\xA1", 2),
  };
  for (const std::string& bytes : damaged) {
    WriteText(home_.LogPath(), bytes);
    CErrorLog log;
    EXPECT_EQ(log.GetErrorWrite2Log(2, 1, "f", "g", "must not be written"), S_OK);
    log.WriteRecord(2, 0, 0, "nor this", nullptr, 0);
    EXPECT_EQ(ReadText(home_.LogPath()), bytes);
  }
}

TEST_F(ErrorLogTest, SymbolicLinkAtTheLogPathIsRefused) {
  const std::string target = home_.root() + "/target.log";
  const std::string fresh = HeaderBytes({static_cast<DWORD>(kDefaultRingSize), 16, kNoRecord, 0});
  WriteText(target, fresh);
  ASSERT_EQ(::symlink(target.c_str(), home_.LogPath().c_str()), 0);
  {
    CErrorLog log;
    EXPECT_EQ(log.GetErrorWrite2Log(2, 1, "f", "g", "m"), S_OK);
    EXPECT_EQ(log.WriteRecord(2, 0, 0, "m", nullptr, 0), E_FAIL);
  }
  EXPECT_EQ(ReadText(target), fresh);

  // A dangling link is not followed to create its target either.
  ASSERT_EQ(::unlink(target.c_str()), 0);
  CErrorLog log;
  log.GetErrorWrite2Log(2, 1, "f", "g", "m");
  EXPECT_NE(::access(target.c_str(), F_OK), 0);
}

TEST_F(ErrorLogTest, LocationFollowsTheStateFolderAndIsCreatedWhenWritten) {
  ::unsetenv("ZVEMUL_LOGFILE");
  const std::string state = home_.root() + "/state/zvemul";
  EXPECT_EQ(platform::ErrorLogFile(), state + "/logfile.log");
  {
    CErrorLog log;
    EXPECT_EQ(log.LogFilePath(), state + "/logfile.log");
    std::filesystem::remove_all(home_.root() + "/state");  // folders gone while the writer lives
    EXPECT_EQ(log.WriteRecord(4, 0, 0, "m", nullptr, 0), S_OK);
  }
  EXPECT_EQ(FileMode(state), 0700u);
  EXPECT_EQ(FileMode(state + "/logfile.log"), 0600u);
  EXPECT_EQ(HeaderOf(ReadText(state + "/logfile.log")).sequence, 1u);

  ::setenv("XDG_STATE_HOME", "relative/state", 1);  // not absolute: ignored
  EXPECT_EQ(platform::ErrorLogFile(), home_.root() + "/.local/state/zvemul/logfile.log");
}

// Another process that holds the file through all 100 attempts makes the
// record drop, silently; once it lets go, writing goes on.
TEST_F(ErrorLogTest, AFileHeldByAnotherProcessDropsTheRecordSilently) {
  CErrorLog first;
  CErrorLog second(nullptr, u"Second", nullptr, nullptr);
  first.GetErrorWrite2Log(4, 1, "f", "g", "one");
  int holding[2];
  int release[2];
  ASSERT_EQ(::pipe(holding), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t holder = ::fork();
  if (holder == 0) {
    platform::LockedFile file;
    const char held = file.Open(home_.LogPath()) == platform::OpenStatus::kOpened ? 'y' : 'n';
    char ignored;
    if (::write(holding[1], &held, 1) != 1 || ::read(release[0], &ignored, 1) < 0) ::_exit(1);
    ::_exit(0);
  }
  char held = 0;
  ASSERT_EQ(::read(holding[0], &held, 1), 1);
  ASSERT_EQ(held, 'y');
  EXPECT_EQ(second.WriteRecord(2, 0, 0, "dropped", nullptr, 0), E_FAIL);
  EXPECT_EQ(second.GetErrorWrite2Log(2, 1, "f", "g", "dropped"), S_OK);
  ASSERT_EQ(::write(release[1], "x", 1), 1);
  int status = -1;
  ASSERT_EQ(::waitpid(holder, &status, 0), holder);
  EXPECT_EQ(status, 0);
  for (int fd : {holding[0], holding[1], release[0], release[1]}) ::close(fd);

  second.GetErrorWrite2Log(4, 1, "f", "g", "two");
  first.GetErrorWrite2Log(4, 1, "f", "g", "three");
  const std::vector<ErrorLogRecord> records = Records();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[1].app_name, "Second");
  EXPECT_EQ(records[2].sequence, 3u);
}

// Four processes write into a small ring at once: a writer that finds the
// file held sleeps until the holder closes it, so no record is dropped, the
// chain stays whole and the newest records are intact.
TEST_F(ErrorLogTest, FourProcessesShareASmallRing) {
  constexpr int kWriters = 4;
  constexpr int kRecordsEach = 500;
  CreateLog({500'000, 16, kNoRecord, 0});
  const auto payload = [](int writer, int index) {
    std::string text = "writer " + std::to_string(writer) + " record " + std::to_string(index) + " ";
    text.resize(400, static_cast<char>('a' + writer));
    return text;
  };
  std::vector<pid_t> children;
  for (int writer = 0; writer < kWriters; ++writer) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      CErrorLog log(nullptr, u"Writer", u"test", nullptr);
      for (int i = 0; i < kRecordsEach; ++i) {
        log.GetErrorWrite2Log(4, i, "proc" + std::to_string(writer), "Writer::Run", payload(writer, i));
      }
      ::_exit(0);
    }
    children.push_back(pid);
  }
  for (const pid_t child : children) {
    int status = -1;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
  }

  ErrorLogReader reader;
  ASSERT_EQ(reader.Load(home_.LogPath()), ErrorLogReader::LoadResult::kOk);
  const ErrorLogCheck check = reader.Verify();
  EXPECT_TRUE(check.problems.empty()) << check.problems.front();
  const std::vector<ErrorLogRecord> records = reader.Records().records;
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(records.size(), check.record_count);
  EXPECT_EQ(records.back().sequence, reader.header().sequence);
  EXPECT_EQ(reader.header().sequence, static_cast<DWORD>(kWriters * kRecordsEach));
  // The ring wrapped: what survives fills it but for less than one record.
  DWORD used = 0;
  for (const ErrorLogRecord& record : records) {
    used += RingDistance(500'000, record.offset, record.next);
  }
  EXPECT_GT(used, 500'000u - 16u - 600u);

  int last_index[kWriters] = {-1, -1, -1, -1};
  for (const ErrorLogRecord& record : records) {
    int writer = -1;
    int index = -1;
    ASSERT_EQ(std::sscanf(record.text.c_str(), "writer %d record %d", &writer, &index), 2) << record.text;
    ASSERT_TRUE(writer >= 0 && writer < kWriters);
    EXPECT_EQ(record.text, payload(writer, index) + "<location file=proc" + std::to_string(writer) + " line=" +
                               std::to_string(index) + " func=Writer::Run mdl=test>");
    EXPECT_GT(index, last_index[writer]);  // each writer's records in its own order
    last_index[writer] = index;
  }
}

}  // namespace
}  // namespace zv
