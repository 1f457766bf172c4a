#include "tools/PrivateDesktopSetup.h"

#include <gtest/gtest.h>

namespace {

PrivateDesktop* desktop = nullptr;

class PrivateDesktopEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        desktop = new PrivateDesktop;
        ASSERT_TRUE(desktop->isValid()) << "could not lay out the private desktop";
        desktop->apply();
    }
    void TearDown() override { delete desktop; }
};

const testing::Environment* const registered =
    testing::AddGlobalTestEnvironment(new PrivateDesktopEnvironment);

}

const PrivateDesktop& privateDesktop()
{
    return *desktop;
}
