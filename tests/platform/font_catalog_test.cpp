#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/font_catalogs.h"
#include "tests/support/scratch_home.h"

namespace zv::platform {
namespace {

// fontconfig reads per-user configuration and may write a cache: keep both
// in a temporary home.
class FontconfigCatalogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    home_ = new zv::testing::ScratchHome();
    fonts_ = new FontconfigCatalog();
  }
  static void TearDownTestSuite() {
    delete fonts_;
    fonts_ = nullptr;
    delete home_;
    home_ = nullptr;
  }

  static inline zv::testing::ScratchHome* home_ = nullptr;
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
