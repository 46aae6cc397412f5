// A virtual calibrator served in process on its own pseudo-terminal, and a link to it.
#pragma once

#include "link/interface.h"
#include "simulator/virtualcalibrator.h"
#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

namespace testsupport {

class SimFixture : public ::testing::Test {
protected:
    explicit SimFixture(sim::World world = {}) : vc(std::move(world)) {}
    void SetUp() override
    {
        ASSERT_EQ(vc.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
        link.Frames().Initialise(vc.PortPath(), 115200, 1, 150);
        link.Frames().SetLinkLost([this](int r) { lost.push_back(r); });
    }
    ScopedSimDir simDir;
    sim::VirtualCalibrator vc;
    devlink::TInterface link;
    std::vector<int> lost;
};

} // namespace testsupport
