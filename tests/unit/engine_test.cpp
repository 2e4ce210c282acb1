#include "engine/motion.h"
#include "engine/run_control.h"
#include "engine/tick.h"
#include "platform/recording_platform.h"
#include "shell/saver.h"

#include <gtest/gtest.h>

namespace linesaver {
namespace {

TEST(Smoke, FirstTickChoosesAndDraws) {
    RecordingPlatform pf;
    Saver saver(pf);
    saver.Form_Load();
    saver.Timer1_Timer();
    EXPECT_EQ(saver.form().q0, 1);
}

} // namespace
} // namespace linesaver
