// Helpers of the host tests: reading a response apart and checking its shape.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "host/host_link.h"
#include "host/screen_text.h"

namespace zv::host::testing {

// The rows of a response, after its two control characters and before the
// start-of-message row that ends every answer.
inline std::vector<std::string> Rows(std::string_view response) {
  std::vector<std::string> rows;
  if (response.size() < 2) return rows;
  std::string_view text = response.substr(2);
  if (text.ends_with(kSomRow)) text.remove_suffix(kSomRow.size());
  for (;;) {
    const std::size_t bar = text.find('|');
    rows.emplace_back(text.substr(0, bar));
    if (bar == std::string_view::npos) return rows;
    text.remove_prefix(bar + 1);
  }
}

inline bool Clears(std::string_view response) {
  return response.size() >= 2 && response[0] == kCommandClear && response[1] == kRowTop;
}

inline bool AddsBelow(std::string_view response) {
  return response.size() >= 2 && response[0] == kCommandClear && response[1] == kRowBelowEntry;
}

// The text of a one-row response added below the entry (errors, confirmations).
inline std::string Message(std::string_view response) {
  const auto rows = Rows(response);
  return AddsBelow(response) && rows.size() == 1 ? rows[0] : "<not a one-row message: " + std::string(response) + ">";
}

// Either of the two kinds the demo host sends; rows of at most 64 printable
// characters; a cleared screen gets at most one page.
inline void ExpectWellFormed(std::string_view response, std::string_view entry) {
  ASSERT_TRUE(Clears(response) || AddsBelow(response)) << "entry " << entry;
  EXPECT_TRUE(response.ends_with(kSomRow)) << "entry " << entry;
  const auto rows = Rows(response);
  if (Clears(response)) {
    EXPECT_LE(rows.size(), kPageRows) << "entry " << entry;
  }
  for (const std::string& row : rows) {
    EXPECT_LE(row.size(), kRowWidth) << "entry " << entry << " row " << row;
    for (char c : row) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << "entry " << entry << " row " << row;
  }
}

// Answers as (session, response) pairs, to be compared whole.
using Exchange = std::vector<std::pair<int, std::string>>;
inline Exchange Pairs(const std::vector<HostAnswer>& answers) {
  Exchange out;
  for (const HostAnswer& a : answers) out.emplace_back(a.session, a.response);
  return out;
}

}  // namespace zv::host::testing
