#include "diagnostics/error_log_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "diagnostics/error_log.h"
#include "log_test_support.h"

namespace zv {
namespace {

using testing::ScratchHome;
using testing::HeaderBytes;
using testing::PutU32At;
using testing::ReadText;
using testing::WriteText;

constexpr DWORD kSmallRing = 500'000;

std::string Message(int i) {
  std::string text = "message " + std::to_string(i) + ":";
  text.resize(50 + static_cast<std::size_t>(i * 37 % 900), static_cast<char>('A' + i % 26));
  return text;
}

std::string Tagged(int i) { return Message(i) + "<location file=f line=" + std::to_string(i) + " func=g mdl=n/a>"; }

class ErrorLogReaderTest : public ::testing::Test {
 protected:
  // A small ring holding `count` records written one after another.
  void WriteLog(int count) {
    WriteText(home_.LogPath(), HeaderBytes({kSmallRing, 16, kNoRecord, 0}));
    CErrorLog log;
    for (int i = 1; i <= count; ++i) {
      log.GetErrorWrite2Log(i % 5, i, "f", "g", Message(i));
    }
  }

  ErrorLogReader Reader(const std::string& bytes) {
    ErrorLogReader reader;
    EXPECT_EQ(reader.LoadBytes(bytes), ErrorLogReader::LoadResult::kOk) << reader.error();
    return reader;
  }

  ScratchHome home_;
};

TEST(ErrorLogRing, PlacementCutsSplitsAndMeasures) {
  struct Case {
    DWORD offset, record_size, size, head, tail, next;
  };
  const Case cases[] = {
      {1000, 300, 300, 300, 0, 1300},
      {16, 300'000, 249'900, 249'900, 0, 16 + 249'900},  // more than half the ring less 100: cut
      {kSmallRing - 100, 300, 300, 100, 200, 216},        // split at the ring's end
      {kSmallRing - 300, 300, 300, 300, 0, kSmallRing},   // ends exactly there
      {kSmallRing, 300, 300, 0, 300, 316},                // starts there: all at sixteen
  };
  for (const Case& c : cases) {
    const RingPlacement p = PlaceRecord(kSmallRing, c.offset, c.record_size);
    EXPECT_EQ(std::tie(p.size, p.head, p.tail, p.next), std::tie(c.size, c.head, c.tail, c.next)) << c.offset;
    EXPECT_EQ(RingDistance(kSmallRing, c.offset, p.next), c.size) << c.offset;
  }
  EXPECT_EQ(NextSequence(0), 1u);
  EXPECT_EQ(NextSequence(99'999'998), 99'999'999u);
  EXPECT_EQ(NextSequence(99'999'999), 1u);
  EXPECT_EQ(NextSequence(0xFFFFFFFF), 1u);
  EXPECT_EQ(PreviousSequence(1), 99'999'999u);
}

TEST_F(ErrorLogReaderTest, WrappedRingKeepsTheNewestRecordsThatFit) {
  constexpr int kCount = 1500;
  WriteLog(kCount);
  ErrorLogReader reader;
  ASSERT_EQ(reader.Load(home_.LogPath()), ErrorLogReader::LoadResult::kOk);
  const ErrorLogCheck check = reader.Verify();
  EXPECT_TRUE(check.problems.empty()) << check.problems.front();

  // Survivors: the newest records whose sizes add up to at most the ring.
  std::size_t used = 0;
  int oldest = kCount + 1;
  while (oldest > 1 && used + 76 + Tagged(oldest - 1).size() <= kSmallRing - 16) {
    --oldest;
    used += 76 + Tagged(oldest).size();
  }
  ASSERT_GT(oldest, 1);  // the ring did wrap
  const ErrorLogWalk walk = reader.Records();
  EXPECT_EQ(walk.fault, ErrorLogFault::kNone);
  ASSERT_EQ(walk.records.size(), static_cast<std::size_t>(kCount + 1 - oldest));
  EXPECT_EQ(check.record_count, walk.records.size());
  for (std::size_t k = 0; k < walk.records.size(); ++k) {
    const int i = oldest + static_cast<int>(k);
    EXPECT_EQ(walk.records[k].sequence, static_cast<DWORD>(i));
    EXPECT_EQ(walk.records[k].level, "DSEWI"[i % 5]);
    ASSERT_EQ(walk.records[k].text, Tagged(i)) << i;
  }
}

TEST_F(ErrorLogReaderTest, NewFilesReadEmptyDamagedHeadersAndMissingFilesAreRefused) {
  {
    CErrorLog log;
  }
  ErrorLogReader reader;
  ASSERT_EQ(reader.Load(home_.LogPath()), ErrorLogReader::LoadResult::kOk);
  EXPECT_TRUE(reader.Records().records.empty());
  EXPECT_EQ(reader.Verify().record_count, 0u);
  EXPECT_TRUE(reader.Verify().problems.empty());

  EXPECT_EQ(reader.Load(home_.root() + "/none.log"), ErrorLogReader::LoadResult::kUnreadable);
  EXPECT_NE(reader.error().find("cannot open"), std::string::npos);
  const std::pair<std::string, const char*> damaged[] = {
      {HeaderBytes({kSmallRing, 16, kNoRecord, 0}).substr(0, 15), "truncated"},
      {HeaderBytes({1000, 16, kNoRecord, 0}), "ring size 1000"},
      {HeaderBytes({kSmallRing, 8, kNoRecord, 0}), "next offset 8"},
      {HeaderBytes({kSmallRing, 16, kSmallRing + 1, 0}), "last offset"},
  };
  for (const auto& [bytes, error] : damaged) {
    EXPECT_EQ(reader.LoadBytes(bytes), ErrorLogReader::LoadResult::kDamaged) << error;
    EXPECT_NE(reader.error().find(error), std::string::npos) << reader.error();
  }
  // A record-less header whose next offset has moved does not hold together.
  EXPECT_EQ(Reader(HeaderBytes({kSmallRing, 400, kNoRecord, 0})).Verify().fault, ErrorLogFault::kInconsistent);
}

TEST_F(ErrorLogReaderTest, BrokenChainsStopTheWalkAndAreReported) {
  WriteLog(5);
  const std::string good = ReadText(home_.LogPath());
  const std::vector<ErrorLogRecord> records = Reader(good).Records().records;
  ASSERT_EQ(records.size(), 5u);

  struct Damage {
    std::size_t at;
    DWORD value;
    std::size_t kept;  // newest records still read
    const char* problem;
  };
  const Damage damages[] = {
      {records[2].offset + record_field::kNext, records[3].offset + 1, 2, "next offset"},
      {records[3].offset + record_field::kPrevious, 12345, 2, "record at offset 12345"},
      {records[3].offset + record_field::kPrevious, 8, 2, "outside the ring"},
      {records[1].offset + record_field::kSequence, 7, 3, "sequence number 7, expected 2"},
      {records[4].offset + record_field::kTextLength, 3, 0, "declares 79"},  // and no data
      {8, records[3].offset, 0, "next offset"},  // header's last offset
  };
  for (const Damage& damage : damages) {
    std::string bytes = good;
    PutU32At(bytes, damage.at, damage.value);
    const ErrorLogReader reader = Reader(bytes);
    const ErrorLogWalk walk = reader.Records();
    EXPECT_EQ(walk.fault, ErrorLogFault::kInconsistent) << damage.problem;
    EXPECT_NE(walk.problem.find(damage.problem), std::string::npos) << walk.problem;
    ASSERT_EQ(walk.records.size(), damage.kept) << damage.problem;
    if (damage.kept > 0) {
      EXPECT_EQ(walk.records.back().text, Tagged(5));
    }
    const ErrorLogCheck check = reader.Verify();
    EXPECT_EQ(check.fault, ErrorLogFault::kInconsistent);
    EXPECT_FALSE(check.problems.empty());
  }

  const ErrorLogWalk cut = Reader(good.substr(0, records[4].offset + 80)).Records();
  EXPECT_EQ(cut.fault, ErrorLogFault::kTruncated);
  EXPECT_TRUE(cut.records.empty());
  EXPECT_NE(cut.problem.find("past the end of the file"), std::string::npos);
}

TEST(ErrorLogLine, ShowsFieldsAndEscapesControlCharacters) {
  ErrorLogRecord record{.sequence = 42, .year = 16, .month = 3, .day = 7, .hour = 14, .minute = 5, .second = 9,
                        .hundredths = 37, .first_name = "n/a", .second_name = "Tab\there", .app_name = "Taloon! Res",
                        .level = 'W', .text = "a\r\nb \\ \x01 caf\xE9 \x80 \x81", .data = ""};
  record.text_length = static_cast<WORD>(record.text.size());
  EXPECT_EQ(FormatRecordLine(record),
            "42\t2016-03-07 14:05:09.37\tW\tn/a\tTab\\there\tTaloon! Res\t"
            "a\\r\\nb \\\\ \\x01 caf\xC3\xA9 \xE2\x82\xAC \\x81");
  record.data = "xyz";
  record.data_length = 3;
  EXPECT_TRUE(FormatRecordLine(record).ends_with(" [data: 3 bytes]")) << FormatRecordLine(record);
}

}  // namespace
}  // namespace zv
