// The host side of the driver: whoever answers the entries that the control
// hands out with DataSourceInput. Entries and answers are Windows-1252, an
// answer starting with the two control characters (command and row).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zv::script {

class EntryAnswerer {
 public:
  virtual ~EntryAnswerer() = default;
  virtual std::string Answer(int session, std::string_view entry) = 0;
};

// Answers every entry with the same page: "ECHO " and the entry on the first
// row, "END OF ECHO" on the second.
class EchoAnswerer final : public EntryAnswerer {
 public:
  std::string Answer(int session, std::string_view entry) override;
};

// The built-in hosts by name: "echo", and "demo" when the demo host is part
// of the build.
std::vector<std::string> AnswererNames();
// "demo" when built in, else "echo".
std::string DefaultAnswererName();
// Null for a name not listed.
std::unique_ptr<EntryAnswerer> MakeAnswerer(std::string_view name);

}  // namespace zv::script
