#include "apps/zvemul-script/demo_host_answerer.h"

#include "host/demo_host.h"

namespace zv::script {
namespace {

// The host's own today, so that the same script always gets the same answers.
class DemoHostAnswerer final : public EntryAnswerer {
 public:
  std::string Answer(int session, std::string_view entry) override { return host_.Answer(session, entry); }

 private:
  host::DemoHost host_;
};

}  // namespace

std::unique_ptr<EntryAnswerer> MakeDemoHostAnswerer() { return std::make_unique<DemoHostAnswerer>(); }

}  // namespace zv::script
