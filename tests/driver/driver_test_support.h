// Shared pieces of the driver tests: a private home for the process, and a
// driver over the fake control.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "apps/zvemul-script/driver.h"
#include "fake_control.h"

namespace zv::script::testing {

// A fresh folder holding HOME, the XDG folders and the log file, set in the
// environment; removed afterwards.
class TempHome {
 public:
  TempHome() {
    char pattern[] = "/tmp/zv-driver-XXXXXX";
    root_ = ::mkdtemp(pattern);
    std::filesystem::create_directories(root_ + "/home");
    ::setenv("HOME", (root_ + "/home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (root_ + "/state").c_str(), 1);
    ::setenv("ZVEMUL_LOGFILE", (root_ + "/logfile.log").c_str(), 1);
    ::setenv("ZVEMUL_PRINT_DIR", (root_ + "/prints").c_str(), 1);
    ::setenv("CUPS_SERVER", (root_ + "/no-cups").c_str(), 1);
  }
  ~TempHome() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;
  const std::string& root() const { return root_; }

 private:
  std::string root_;
};

class DriverTest : public ::testing::Test {
 protected:
  DriverTest() {
    RegisterFakeControl();
    EXPECT_EQ(CreateControl(&control_), S_OK);
    driver_ = std::make_unique<Driver>(*control_.Get(), desktop_);
    EXPECT_TRUE(driver_->Start(1024, 768));
  }

  // The reply to one request line, parsed.
  Json Send(std::string_view line) { return Json::parse(driver_->HandleLine(line)); }

  TempHome home_;
  HeadlessDesktop desktop_;
  platform::ComPtr<IZVEmulControl> control_;
  std::unique_ptr<Driver> driver_;
};

}  // namespace zv::script::testing
