#include "platform/char_format.h"

#include <gtest/gtest.h>

namespace zv::platform {
namespace {

TEST(CharFormatRecords, MaskLimitsWhatChanges) {
  CharFormat f;
  CHARFORMAT2A r;
  r.dwMask = CFM_COLOR;
  r.crTextColor = 0x0000FFFF;
  r.dwEffects = CFE_BOLD | CFE_UNDERLINE;  // not in the mask: ignored
  ApplyCharFormat(f, r);
  EXPECT_EQ(f.color, 0x0000FFFFu);
  EXPECT_FALSE(f.bold);
  EXPECT_FALSE(f.underline);
}

TEST(CharFormatRecords, RoundTripThroughRecord) {
  CharFormat f;
  f.color = 0x000000FF;
  f.back_color = 0x00FF0000;
  f.auto_back_color = false;
  f.underline = true;
  f.height_twips = 240;
  f.face = "Liberation Mono";
  CharFormat g;
  ApplyCharFormat(g, ToCharFormat2(f));
  EXPECT_EQ(g, f);
  EXPECT_EQ(DifferingAttributes(f, g), 0u);
  g.face = "A face name far longer than the thirty-one characters a record holds";
  EXPECT_EQ(DifferingAttributes(f, g), CFM_FACE);
  CharFormat h;
  ApplyCharFormat(h, ToCharFormat2(g));
  EXPECT_EQ(h.face.size(), LF_FACESIZE - 1);
}

}  // namespace
}  // namespace zv::platform
