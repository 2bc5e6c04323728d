#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/font_catalogs.h"

namespace zv::platform {
namespace {

// fontconfig reads per-user configuration and may write a cache: keep both
// in a temporary home.
class FontconfigCatalogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    home_ = std::filesystem::temp_directory_path() / ("zv_fonts_" + std::to_string(::getpid()));
    std::filesystem::create_directories(home_);
    ::setenv("HOME", home_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home_ / "cache").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home_ / "data").c_str(), 1);
    fonts_ = new FontconfigCatalog();
  }
  static void TearDownTestSuite() {
    delete fonts_;
    fonts_ = nullptr;
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
  }

  static inline std::filesystem::path home_;
  static inline FontconfigCatalog* fonts_ = nullptr;
};

TEST_F(FontconfigCatalogTest, InstalledFacesAndMetricEquivalentsButNoFallbacks) {
  const auto courier = fonts_->Find("courier new");
  ASSERT_TRUE(courier.has_value()) << "fonts-liberation provides Liberation Mono";
  EXPECT_EQ(courier->face, "courier new") << "named as asked";
  EXPECT_EQ(courier->pitch_and_family, FIXED_PITCH | FF_MODERN);
  EXPECT_EQ(courier->charset, ANSI_CHARSET);
  ASSERT_TRUE(fonts_->Find("Liberation Mono").has_value());
  EXPECT_EQ(fonts_->Find("Liberation Mono")->pitch_and_family, FIXED_PITCH | FF_MODERN);
  ASSERT_TRUE(fonts_->Find("Liberation Sans").has_value());
  EXPECT_EQ(fonts_->Find("Liberation Sans")->pitch_and_family & 0x0F, VARIABLE_PITCH);

  // "monospace" is a generic name; 40 characters are longer than a face name can be.
  for (const std::string& face : {std::string("ZELVANTA Default"), std::string("No Such Face Anywhere"),
                                  std::string("monospace"), std::string(), std::string(40, 'A')}) {
    EXPECT_FALSE(fonts_->Find(face).has_value()) << face;
  }
}

}  // namespace
}  // namespace zv::platform
