// The demo host against its transcript, tests/host/data/demo_host_transcript.txt:
// each "# " section starts a fresh host (today 01JUN2026, a Monday), each
// "S> entry" line is an entry of session S, and the indented lines below it
// are the rows of the answer the host must give ("\xNN" escapes the control
// characters, a backslash and a row's last blank). With ZV_UPDATE_TRANSCRIPT
// set the test writes the answers the host gives instead.
#include "host/demo_host.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "host_test_support.h"

namespace zv::host {
namespace {

using testing::ExpectWellFormed;
using testing::Message;

struct Exchange {
  int session = 1;
  std::string entry;
  std::string answer;
};

struct Section {
  std::string name;
  std::vector<Exchange> exchanges;
};

std::string Escape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool last_blank = c == ' ' && (i + 1 == text.size() || text[i + 1] == '|');
    if (c < 0x20 || c >= 0x7F || c == '\\' || last_blank) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The answer as the transcript shows it: one indented line per row.
std::string Rows(const std::string& answer) {
  std::string out;
  std::size_t start = 0;
  for (std::size_t bar; (bar = answer.find('|', start)) != std::string::npos; start = bar + 1) {
    out += "  " + Escape(answer.substr(start, bar - start)) + "\n";
  }
  return out + "  " + Escape(answer.substr(start)) + "\n";
}

std::vector<Section> ReadTranscript(const std::string& path) {
  std::vector<Section> sections;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("# ")) {
      sections.push_back({line.substr(2), {}});
    } else if (line.size() > 2 && line[1] == '>' && !sections.empty()) {
      sections.back().exchanges.push_back({line[0] - '0', Unescape(std::string_view(line).substr(3)), {}});
    } else if (line.starts_with("  ") && !sections.empty() && !sections.back().exchanges.empty()) {
      std::string& answer = sections.back().exchanges.back().answer;
      if (!answer.empty()) answer += '|';
      answer += Unescape(std::string_view(line).substr(2));
    }
  }
  return sections;
}

void WriteTranscript(const std::string& path, const std::vector<Section>& sections) {
  std::ofstream out(path, std::ios::trunc);
  for (const Section& section : sections) {
    out << "# " << section.name << "\n";
    for (const Exchange& e : section.exchanges) out << e.session << "> " << Escape(e.entry) << "\n" << Rows(e.answer);
    out << "\n";
  }
}

TEST(DemoHostTranscript, EveryEntryGetsItsRecordedAnswer) {
  const std::string path = ZV_TEST_DATA_DIR "/demo_host_transcript.txt";
  std::vector<Section> sections = ReadTranscript(path);
  ASSERT_FALSE(sections.empty()) << path;
  const bool update = std::getenv("ZV_UPDATE_TRANSCRIPT") != nullptr;
  for (Section& section : sections) {
    DemoHost host;
    for (Exchange& e : section.exchanges) {
      const std::string answer = host.Answer(e.session, e.entry);
      ExpectWellFormed(answer, e.entry);
      if (update) {
        e.answer = answer;
      } else {
        EXPECT_EQ(Rows(answer), Rows(e.answer)) << section.name << ", entry " << e.entry;
      }
    }
  }
  if (update) WriteTranscript(path, sections);
}

TEST(DemoHostSchedule, EveryCityPairFitsTheScreen) {
  const Inventory inventory;
  const Date date{2026, 6, 10};
  for (const City& from : Cities()) {
    for (const City& to : Cities()) {
      if (&from == &to) continue;
      EXPECT_LE(AvailabilityHeading(from, to, date).size(), kRowWidth);
      const auto flights = Schedule(from, to);
      ASSERT_GE(flights.size(), 3u) << from.code << to.code;
      for (std::size_t i = 0; i < flights.size(); ++i) {
        const Flight& f = flights[i];
        EXPECT_LE(AvailabilityRow(static_cast<int>(i) + 1, f, date, inventory).size(), kRowWidth);
        EXPECT_TRUE(f.number >= 1 && f.number <= 9999 && f.arrival >= 0 && f.arrival < 24 * 60 &&
                    f.arrival_day >= -1 && f.arrival_day <= 2 && (i == 0 || f.departure > flights[i - 1].departure))
            << from.code << to.code << " " << i;
      }
    }
  }
}

TEST(DemoHostProtocol, EveryResponseIsWellFormed) {
  DemoHost host;
  std::vector<std::string> entries;
  for (const char* odd : {"", " ", "|", "||", "HELLO", "Z", "8", "N", "0", "*", "X", "-", "9", "\xA3\x80\xFF",
                          "A10JUN|LON PAR", "-SMITH|JOHN"}) {
    entries.emplace_back(odd);
  }
  entries.push_back(std::string(1020, 'A'));
  entries.push_back("5" + std::string(1019, '|'));
  entries.push_back("-" + std::string(1019, 'B'));
  for (const City& from : Cities()) entries.push_back("A10JUN" + std::string(from.code) + "TYO");
  for (const std::string& entry : entries) {
    const std::string response = host.Answer(1, entry);
    ExpectWellFormed(response, entry);
  }
  for (const char* unknown : {"HELLO", "Z", "8", "N", "0", "*", "X"}) {
    EXPECT_EQ(Message(host.Answer(2, unknown)), "INVALID FORMAT") << unknown;
  }
}

TEST(DemoHostProtocol, LocatorsAreDistinct) {
  DemoHost host;
  std::set<std::string> seen;
  for (int i = 0; i < 40; ++i) {
    const std::string sell = "01Y" + std::to_string(1 + i % 10);
    for (const char* entry : {"A10JUNLONPAR", sell.c_str(), "-DOE/JOHN", "9 1", "7T/", "6A"}) host.Answer(1, entry);
    const std::string done = Message(host.Answer(1, "E"));
    EXPECT_TRUE(done.starts_with("END OF TRANSACTION")) << done;
    EXPECT_TRUE(seen.insert(done).second) << done;
  }
  EXPECT_EQ(seen.size(), 40u);
}

}  // namespace
}  // namespace zv::host
