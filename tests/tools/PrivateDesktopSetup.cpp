#include "tools/PrivateDesktopSetup.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<PrivateDesktop>& instance()
{
    static std::unique_ptr<PrivateDesktop> desktop;
    return desktop;
}

class PrivateDesktopEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        instance() = std::make_unique<PrivateDesktop>();
        ASSERT_TRUE(instance()->isValid()) << "could not lay out the private desktop";
        instance()->apply();
    }
    void TearDown() override { instance().reset(); }
};

const testing::Environment* const registered =
    testing::AddGlobalTestEnvironment(new PrivateDesktopEnvironment);

}

const PrivateDesktop& privateDesktop()
{
    return *instance();
}
