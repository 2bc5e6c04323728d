// For containers: while it lives, each exception a catch-all guard of the
// logic ends is written to the error log as an error record naming the
// guard's file, line and function.
#pragma once

#include <string>

#include "platform/catch_all.h"

namespace zv {

class CCaughtExceptionLog {
 public:
  // `app_name` names the container in the records.
  explicit CCaughtExceptionLog(std::u16string app_name);
  ~CCaughtExceptionLog();
  CCaughtExceptionLog(const CCaughtExceptionLog&) = delete;
  CCaughtExceptionLog& operator=(const CCaughtExceptionLog&) = delete;

 private:
  std::u16string m_appName;
  platform::CaughtExceptionReporter m_previous;
};

}  // namespace zv
