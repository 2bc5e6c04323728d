// The request loop: bounded lines, one reply per request line, and the end
// of input.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "apps/zvemul-script/line_reader.h"
#include "driver_test_support.h"

namespace zv::script::testing {
namespace {

using ::testing::HasSubstr;

TEST(LineReaderTest, DropsLinesLongerThanTheBoundWhole) {
  std::istringstream in("abcd\nabcde\nab\r\nxy\r\r\nabcd\r\nlast");
  LineReader reader(in, 4);
  std::string line;
  EXPECT_EQ(reader.Next(line), LineReader::Status::kLine);
  EXPECT_EQ(line, "abcd");
  EXPECT_EQ(reader.Next(line), LineReader::Status::kTooLong);
  EXPECT_EQ(reader.Next(line), LineReader::Status::kLine);
  EXPECT_EQ(line, "ab");
  EXPECT_EQ(reader.Next(line), LineReader::Status::kLine);
  EXPECT_EQ(line, "xy\r");
  EXPECT_EQ(reader.Next(line), LineReader::Status::kLine);
  EXPECT_EQ(line, "abcd");
  EXPECT_EQ(reader.Next(line), LineReader::Status::kLine);
  EXPECT_EQ(line, "last");
  EXPECT_EQ(reader.Next(line), LineReader::Status::kEnd);
  EXPECT_EQ(reader.Next(line), LineReader::Status::kEnd);
}

class DriverRunTest : public DriverTest {
 protected:
  std::vector<Json> Run(const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    driver_->Run(in, out);
    std::vector<Json> replies;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) replies.push_back(Json::parse(line));
    return replies;
  }
};

TEST_F(DriverRunTest, EveryRequestLineGetsOneReplyAndBlankLinesNone) {
  const std::vector<Json> replies = Run("{\"get\": \"WindowCount\"}\r\n\n   \nnonsense\n{\"dispid\": \"HostEntry\"}");
  ASSERT_EQ(replies.size(), 3u);
  EXPECT_EQ(replies[0]["result"], 10);
  EXPECT_EQ(replies[1]["ok"], false);
  EXPECT_EQ(replies[2]["result"], 9);
}

TEST_F(DriverRunTest, AnOverlongLineIsRefusedAndTheNextOneAnswered) {
  const std::string huge = R"({"call": "ScreenInput", "args": [1, ")" + std::string(Driver::kMaxLineBytes, 'A') + "\"]}";
  const std::vector<Json> replies = Run(huge + "\n{\"get\": \"WindowCount\"}\n");
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0]["ok"], false);
  EXPECT_THAT(replies[0]["error"]["description"].get<std::string>(), HasSubstr("longer than 1048576 bytes"));
  EXPECT_EQ(replies[1]["result"], 10);
  // Nothing of the overlong line reached the control.
  EXPECT_EQ(control_->View().windows[0].engine->Text(), ">");
}

TEST_F(DriverRunTest, EndOfInputOrAFailedWriteEndsTheRunAndTheSettingsAreWritten) {
  const HWND window = control_->ControlWindow()->handle();
  Run("{\"put\": \"WindowCount\", \"value\": 1}\n");
  EXPECT_FALSE(platform::IsWindow(window));
  EXPECT_TRUE(std::filesystem::exists(home_.root() + "/Application Data/ZELVANTA/ZVEMUL.DAT"));
  driver_->Finish();  // finishing again does nothing

  std::istringstream in("{\"get\": \"WindowCount\"}\n{\"get\": \"WindowCount\"}\n");
  std::ostringstream out;
  out.setstate(std::ios::badbit);
  driver_->Run(in, out);
  EXPECT_FALSE(in.eof());
}

}  // namespace
}  // namespace zv::script::testing
