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

TEST_F(FontconfigCatalogTest, CourierNewIsPresentThroughItsMetricEquivalent) {
  const auto face = fonts_->Find("Courier New");
  ASSERT_TRUE(face.has_value()) << "fonts-liberation provides Liberation Mono";
  EXPECT_EQ(face->face, "Courier New");
  EXPECT_EQ(face->pitch_and_family, FIXED_PITCH | FF_MODERN);
  EXPECT_EQ(face->charset, ANSI_CHARSET);

  const auto lower = fonts_->Find("courier new");
  ASSERT_TRUE(lower.has_value());
  EXPECT_EQ(lower->face, "courier new");
}

TEST_F(FontconfigCatalogTest, InstalledFamiliesAndTheirPitch) {
  const auto mono = fonts_->Find("Liberation Mono");
  ASSERT_TRUE(mono.has_value());
  EXPECT_EQ(mono->pitch_and_family, FIXED_PITCH | FF_MODERN);
  const auto sans = fonts_->Find("Liberation Sans");
  ASSERT_TRUE(sans.has_value());
  EXPECT_EQ(sans->pitch_and_family & 0x0F, VARIABLE_PITCH);
}

TEST_F(FontconfigCatalogTest, FallbacksDoNotCountAsTheFace) {
  EXPECT_FALSE(fonts_->Find("ZELVANTA Default").has_value());
  EXPECT_FALSE(fonts_->Find("No Such Face Anywhere").has_value());
  EXPECT_FALSE(fonts_->Find("monospace").has_value()) << "a generic name is no face";
  EXPECT_FALSE(fonts_->Find("").has_value());
  EXPECT_FALSE(fonts_->Find(std::string(40, 'A')).has_value()) << "longer than a face name can be";
}

}  // namespace
}  // namespace zv::platform
