#include "diagnostics/caught_exception_log.h"

#include "diagnostics/error_log.h"

namespace zv {
namespace {

constexpr int kErrorLevel = 2;

}  // namespace

CCaughtExceptionLog::CCaughtExceptionLog(std::u16string app_name)
    : m_appName(std::move(app_name)),
      m_previous(platform::SetCaughtExceptionReporter([this](std::string_view what, const platform::CatchSite& where) {
        // A writer per record: the log's place follows the profile the
        // container settles on after start-up.
        CErrorLog log(nullptr, m_appName.c_str(), nullptr, nullptr);
        log.GetErrorWrite2Log(kErrorLevel, static_cast<int>(where.line), where.file, where.function,
                              "Exception ended by a catch-all guard: " + std::string(what));
      })) {}

CCaughtExceptionLog::~CCaughtExceptionLog() { platform::SetCaughtExceptionReporter(std::move(m_previous)); }

}  // namespace zv
