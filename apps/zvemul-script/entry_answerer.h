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

// The echo host the desk uses too (host::EchoPage): a page naming the
// session, with the entry on its second row.
class EchoAnswerer final : public EntryAnswerer {
 public:
  std::string Answer(int session, std::string_view entry) override;
};

// The built-in hosts by name: "demo" and "echo".
std::vector<std::string> AnswererNames();
// "demo".
std::string DefaultAnswererName();
// Null for a name not listed.
std::unique_ptr<EntryAnswerer> MakeAnswerer(std::string_view name);

}  // namespace zv::script
