#include "apps/zvemul-script/entry_answerer.h"

#include "apps/zvemul-script/demo_host_answerer.h"
#include "host/host_link.h"

namespace zv::script {

std::string EchoAnswerer::Answer(int session, std::string_view entry) { return host::EchoPage(session, entry); }

std::vector<std::string> AnswererNames() { return {"demo", "echo"}; }

std::string DefaultAnswererName() { return AnswererNames().front(); }

std::unique_ptr<EntryAnswerer> MakeAnswerer(std::string_view name) {
  if (name == "echo") return std::make_unique<EchoAnswerer>();
  if (name == "demo") return MakeDemoHostAnswerer();
  return nullptr;
}

}  // namespace zv::script
