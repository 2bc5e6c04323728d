// Shared pieces of the driver tests: a driver over the real control in a
// home of its own.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "apps/zvemul-script/driver.h"
#include "tests/support/scratch_home.h"

namespace zv::script::testing {

using zv::testing::ScratchHome;

class DriverTest : public ::testing::Test {
 protected:
  DriverTest() {
    RegisterZVEmulClassObjects();
    EXPECT_EQ(CreateControl(&control_), S_OK);
    driver_ = std::make_unique<Driver>(*control_.Get(), desktop_);
    EXPECT_TRUE(driver_->Start(1024, 768));
  }

  // The reply to one request line, parsed.
  Json Send(std::string_view line) { return Json::parse(driver_->HandleLine(line)); }
  std::string Screen(int window = 0) {
    return Send(R"({"agent": "screen", "window": )" + std::to_string(window) + "}")["result"]["text"];
  }

  ScratchHome home_;
  HeadlessDesktop desktop_;
  platform::ComPtr<IZVEmulControl> control_;
  std::unique_ptr<Driver> driver_;
};

}  // namespace zv::script::testing
