// The control wrappers, the worker's only way to the dialog's controls: each message sent as it
// is, and nothing sent without the control.
#include "tests/support/test_window.h"
#include "common/run_state.h"
#include "app/unlock_run.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(ControlWrappers, WithoutControlsDoNothing) {
    PrepareTestWindow();
    RunStateRecord saved = RunState;
    RunState.ProgressBar = nullptr;
    RunState.StatusBar = nullptr;
    SetProgressRange(0, 100);
    SetProgressStep(1);
    SetProgressPos(50);
    SetProgressBarColor();
    SetStatusText(L"x");
    RunState = saved;
    EXPECT_TRUE(Reports.positions.empty());
    EXPECT_TRUE(Reports.statuses.empty());
    SetProgressRange(0, 70000); // each bound cut to 16 bits
    SetProgressPos(42);
    ASSERT_EQ(Reports.ranges.size(), 1u);
    EXPECT_EQ(Reports.ranges[0], MAKELPARAM(0, 70000 & 0xFFFF));
    EXPECT_EQ(Reports.positions, std::vector<int>{42});
    SetProgressRange(0, 100);
    SetProgressBarColor();
    EXPECT_EQ(SendMessageW(RunState.ProgressBar, PBM_GETBARCOLOR, 0, 0), RGB(0, 153, 51));
}

} // namespace
