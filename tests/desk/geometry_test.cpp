// The terminal's rows for each part of the control, and the client size at
// which the control's own page arithmetic shows exactly those rows.

#include <gtest/gtest.h>

#include "apps/zvemul/geometry.h"
#include "apps/zvemul/view_painter.h"
#include "control/zvemul_surface.h"
#include "tests/support/scratch_home.h"
#include "platform/desktop.h"
#include "platform/window.h"

namespace zv::desk {
namespace {

void ExpectBand(const Band& band, int top, int height, const char* what) {
  EXPECT_EQ(band.top, top) << what;
  EXPECT_EQ(band.height, height) << what;
}

TEST(Geometry, TwoFramesTakeTheRowsBetweenTheirStripsAndTheStatusBar) {
  const ScreenLayout layout = LayOutScreen(30, 100, Chrome{});
  ASSERT_FALSE(layout.too_small);
  ExpectBand(layout.tabs[0], 0, 1, "strip 1");
  ExpectBand(layout.frames[0], 1, 13, "frame 1");
  ExpectBand(layout.tabs[1], 14, 1, "strip 2");
  ExpectBand(layout.frames[1], 15, 14, "frame 2 takes the odd row");
  ExpectBand(layout.status, 29, 1, "status bar");
  EXPECT_EQ(FrameRows(layout), 13);
}

TEST(Geometry, TwoFramesOnlyWhereEachShowsAWholeAnswerOfAPage) {
  EXPECT_EQ(StartingLayout(24), 1) << "80 x 24 shows a whole display in one frame";
  EXPECT_EQ(StartingLayout(34), 1) << "frames of 15 and 16 rows: the page's heading would scroll away";
  EXPECT_EQ(StartingLayout(35), 2);
  EXPECT_EQ(StartingLayout(60), 2);
}

TEST(Geometry, OneFrameAndCompactChrome) {
  const ScreenLayout one = LayOutScreen(24, 80, Chrome{1, true, true});
  ExpectBand(one.tabs[0], 0, 1, "the strip of all windows");
  ExpectBand(one.frames[0], 1, 22, "the one frame");
  EXPECT_EQ(one.frames[1].height, 0);

  const ScreenLayout bare = LayOutScreen(24, 80, Chrome{2, false, false});
  ExpectBand(bare.frames[0], 0, 12, "frame 1 without strips");
  ExpectBand(bare.frames[1], 12, 12, "frame 2 without strips");
  EXPECT_EQ(bare.status.height, 0);
}

TEST(Geometry, BelowTheSmallestTerminalNothingIsLaidOut) {
  EXPECT_TRUE(LayOutScreen(24, 79, Chrome{}).too_small);
  EXPECT_TRUE(LayOutScreen(23, 80, Chrome{}).too_small);
  EXPECT_FALSE(LayOutScreen(24, 80, Chrome{}).too_small);
}

// The estimate against the real control: every shown window's page is the
// frame's rows, so the caret the control keeps in view is on the terminal.
class GeometryWithControl : public ::testing::Test {
 protected:
  GeometryWithControl() : scope_(desktop_) {
    RegisterZVEmulClassObjects();
    CLSID clsid{};
    EXPECT_EQ(platform::CLSIDFromProgID(kZVEmulProgId, &clsid), S_OK);
    EXPECT_EQ(
        platform::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IZVEmulControl::kIid, control_.PutVoid()),
        S_OK);
    EXPECT_TRUE(control_->CreateControlWindow(nullptr, RECT{0, 0, 600, 480}));
    line_height_ = control_->View().windows[0].engine->LineHeight();
  }
  ~GeometryWithControl() override { control_->DestroyControlWindow(); }

  // Sizes the control for the terminal and answers the lines of its pages.
  int PageLinesAt(int rows, int columns, const Chrome& chrome) {
    const SIZE client = ClientSizeFor(LayOutScreen(rows, columns, chrome), line_height_);
    control_->ControlWindow()->Move(RECT{0, 0, client.cx, client.cy});
    return PageLines(control_->View());
  }

  zv::testing::ScratchHome home_;
  platform::Desktop desktop_;
  platform::DesktopScope scope_;
  platform::ComPtr<IZVEmulControl> control_;
  LONG line_height_ = 0;
};

TEST_F(GeometryWithControl, TwoFramesPagesFitTheirRows) {
  const struct {
    int rows;
    int columns;
  } sizes[] = {{24, 80}, {30, 100}, {41, 132}, {60, 200}};
  for (const auto& size : sizes) {
    EXPECT_EQ(PageLinesAt(size.rows, size.columns, Chrome{}), FrameRows(LayOutScreen(size.rows, size.columns, Chrome{})))
        << size.rows << " rows";
  }
}

TEST_F(GeometryWithControl, TheOneFramePageFitsItsRows) {
  platform::DispatchTable& automation = control_->Automation();
  const platform::Variant zero = platform::Variant::Short(0);
  automation.Invoke(*automation.IdOfName("Resize"), platform::InvokeKind::kMethod, {&zero, 1});
  if (control_->View().layout != 1) GTEST_SKIP() << "Resize does not change the layout in this build";
  const Chrome one{1, true, true};
  EXPECT_EQ(PageLinesAt(30, 100, one), FrameRows(LayOutScreen(30, 100, one)));
}

}  // namespace
}  // namespace zv::desk
