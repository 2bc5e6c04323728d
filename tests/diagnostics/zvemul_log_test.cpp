// The zvemul-log program, run as built.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "diagnostics/error_log.h"
#include "diagnostics/error_log_reader.h"
#include "log_test_support.h"
#include "platform/clocks.h"

namespace zv {
namespace {

using testing::ScratchHome;
using testing::ReadText;
using testing::WriteText;

constexpr char kProgram[] = ZV_BINARY_DIR "/apps/zvemul-log/zvemul-log";

struct Outcome {
  int status = -1;
  std::vector<std::string> lines;  // standard output
  std::string errors;              // standard error
};

class ZvemulLogTest : public ::testing::Test {
 protected:
  ZvemulLogTest() {
    platform::Desktop desktop(testing::ServicesWithClock({2016, 3, 7, 14, 5, 9, 375, 0}));
    platform::DesktopScope scope(desktop);
    CErrorLog log(nullptr, u"Taloon! Res", u"ZVEmul.ocx", nullptr);
    log.GetErrorWrite2Log(4, 1, "Brimlux", "CBrimlux::InitRules", "BRIMLUX initialized successfully");
    log.GetErrorWrite2Log(2, 2, "Brimlux", "CBrimlux::ParseRules", "two\r\nlines");
    log.GetErrorWrite2Log(0, 3, "Brimlux", "CBrimlux::Refresh", "third");
  }

  // Runs the program with `arguments` (paths from the temporary folder only).
  Outcome Run(const std::string& arguments) {
    const std::string out = home_.root() + "/stdout.txt";
    const std::string err = home_.root() + "/stderr.txt";
    const int status = std::system((std::string(kProgram) + " " + arguments + " >" + out + " 2>" + err).c_str());
    Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, {}, ReadText(err)};
    std::istringstream lines(ReadText(out));
    for (std::string line; std::getline(lines, line);) outcome.lines.push_back(line);
    return outcome;
  }

  ScratchHome home_;
};

TEST_F(ZvemulLogTest, ListsATableNewestFirstOrOldestFirstOrEveryFieldWithTabs) {
  const Outcome newest = Run(home_.LogPath());
  EXPECT_EQ(newest.status, 0) << newest.errors;
  ASSERT_EQ(newest.lines.size(), 4u);
  // A header naming the columns, the columns aligned under it, the location
  // apart from the message.
  const std::string& header = newest.lines[0];
  EXPECT_TRUE(header.starts_with("TIME                    LEVEL  APPLICATION  MODULE      FUNCTION")) << header;
  const std::string& second = newest.lines[2];
  EXPECT_TRUE(second.starts_with("2016-03-07 14:05:09.37  error  Taloon! Res  ZVEmul.ocx  CBrimlux::ParseRules")) << second;
  EXPECT_EQ(second.find("MESSAGE"), std::string::npos);
  EXPECT_EQ(second.substr(header.find("MESSAGE")), "two\\r\\nlines  (at Brimlux:2)");

  const Outcome oldest = Run("--oldest-first " + home_.LogPath());
  EXPECT_EQ(oldest.status, 0);
  EXPECT_EQ(oldest.lines, (std::vector<std::string>{header, newest.lines[3], newest.lines[2], newest.lines[1]}));

  const Outcome tabs = Run("--tabs " + home_.LogPath());
  ASSERT_EQ(tabs.lines.size(), 3u);
  EXPECT_EQ(tabs.lines[1],
            "2\t2016-03-07 14:05:09.37\tE\tn/a\tn/a\tTaloon! Res\t"
            "two\\r\\nlines<location file=Brimlux line=2 func=CBrimlux::ParseRules mdl=ZVEmul.ocx>");

  // Without a path: the writer's location, here $ZVEMUL_LOGFILE.
  EXPECT_EQ(Run("").lines, newest.lines);
}

TEST_F(ZvemulLogTest, VerifyCountsRecordsAndReportsInconsistencies) {
  const Outcome good = Run("--verify");
  EXPECT_EQ(good.status, 0);
  EXPECT_EQ(good.lines, (std::vector<std::string>{"3 records, both chains consistent"}));

  ErrorLogReader reader;
  ASSERT_EQ(reader.Load(home_.LogPath()), ErrorLogReader::LoadResult::kOk);
  std::string bytes = ReadText(home_.LogPath());
  testing::PutU32At(bytes, reader.Records().records.at(1).offset + record_field::kSequence, 9);  // record 2
  WriteText(home_.LogPath(), bytes);
  const Outcome bad = Run("--verify " + home_.LogPath());
  EXPECT_EQ(bad.status, 1);
  ASSERT_FALSE(bad.lines.empty());
  EXPECT_NE(bad.lines[0].find("problem"), std::string::npos);
  EXPECT_NE(bad.lines.at(1).find("sequence number 9, expected 2"), std::string::npos);

  // Listing shows what holds together and says why it stopped.
  const Outcome listed = Run(home_.LogPath());
  EXPECT_EQ(listed.status, 1);
  EXPECT_EQ(listed.lines.size(), 2u);  // the header and the newest record
  EXPECT_NE(listed.errors.find("older records not shown"), std::string::npos);
}

TEST_F(ZvemulLogTest, UnreadableDamagedOrTruncatedFilesExitWithTwo) {
  const Outcome missing = Run(home_.root() + "/none.log");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.errors.find("cannot open"), std::string::npos);
  // A FIFO at the path is refused at once, not waited on for a writer.
  const std::string fifo = home_.root() + "/fifo.log";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const Outcome piped = Run("--verify " + fifo);
  EXPECT_EQ(piped.status, 2);
  EXPECT_NE(piped.errors.find("not a regular file"), std::string::npos) << piped.errors;

  const std::string good = ReadText(home_.LogPath());
  WriteText(home_.LogPath(), good.substr(0, good.size() - 10));
  for (const char* option : {"", "--verify "}) {
    const Outcome truncated = Run(option + home_.LogPath());
    EXPECT_EQ(truncated.status, 2) << option;
    std::string said = truncated.errors;
    for (const std::string& line : truncated.lines) {
      said += line;
    }
    EXPECT_NE(said.find("past the end of the file"), std::string::npos) << said;
  }

  std::string damaged = good;
  testing::PutU32At(damaged, 0, 12);  // ring size
  WriteText(home_.LogPath(), damaged);
  const Outcome header = Run("--verify " + home_.LogPath());
  EXPECT_EQ(header.status, 2);
  EXPECT_TRUE(header.lines.empty());
  EXPECT_NE(header.errors.find("damaged header: ring size 12"), std::string::npos);
}

}  // namespace
}  // namespace zv
