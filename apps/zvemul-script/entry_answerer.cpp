#include "apps/zvemul-script/entry_answerer.h"

#ifdef ZV_SCRIPT_DEMO_HOST
#include "apps/zvemul-script/demo_host_answerer.h"
#endif

namespace zv::script {

std::string EchoAnswerer::Answer(int /*session*/, std::string_view entry) {
  std::string page = "\x11\x02" "ECHO ";
  page.append(entry);
  page.append("|END OF ECHO");
  return page;
}

std::vector<std::string> AnswererNames() {
#ifdef ZV_SCRIPT_DEMO_HOST
  return {"demo", "echo"};
#else
  return {"echo"};
#endif
}

std::string DefaultAnswererName() { return AnswererNames().front(); }

std::unique_ptr<EntryAnswerer> MakeAnswerer(std::string_view name) {
  if (name == "echo") return std::make_unique<EchoAnswerer>();
#ifdef ZV_SCRIPT_DEMO_HOST
  if (name == "demo") return MakeDemoHostAnswerer();
#endif
  return nullptr;
}

}  // namespace zv::script
