#include "automation/designer.h"
#include "sim/sim_designer.h"

#include <gtest/gtest.h>

using namespace strovex;

TEST(SimDesigner, Smoke)
{
    QuillApp app(sim::createApplication());
    EXPECT_TRUE(app.ErrorText().isEmpty());
}
