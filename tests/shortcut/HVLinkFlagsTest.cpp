#include "shortcut/HVLinkFlags.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(HVLinkFlags, DescriptionListsTenFlagsShellItemIdFirst)
{
    const HVLinkFlags flags((1u << 0) | (1u << 1) | (1u << 7) | (1u << 25));
    EXPECT_EQ(flags.description(),
        QStringLiteral("hasShellItemId: 1\nisFileOrDir: 1\nhasName: 0\nhasRelativePath: 0\n"
                       "hasWorkingDir: 0\nhasArguments: 0\nhasIconLocation: 0\nhasExpString: 0\n"
                       "isUnicode: 1\npreferEnvironmentPath: 1"));
}

TEST(HVLinkFlags, EachQueryReadsItsOwnBit)
{
    const std::pair<int, bool (HVLinkFlags::*)() const> queries[] = {
        {0, &HVLinkFlags::hasShellItemId},
        {1, &HVLinkFlags::isFileOrDir},
        {2, &HVLinkFlags::hasName},
        {3, &HVLinkFlags::hasRelativePath},
        {4, &HVLinkFlags::hasWorkingDir},
        {5, &HVLinkFlags::hasArguments},
        {6, &HVLinkFlags::hasIconLocation},
        {7, &HVLinkFlags::isUnicode},
        {9, &HVLinkFlags::hasExpString},
        {25, &HVLinkFlags::preferEnvironmentPath},
    };
    for (const auto& [bit, query] : queries) {
        EXPECT_TRUE((HVLinkFlags(1u << bit).*query)()) << bit;
        EXPECT_FALSE((HVLinkFlags(~(1u << bit)).*query)()) << bit;
    }
    HVLinkFlags flags;
    EXPECT_EQ(flags.flags(), 0u);
    flags.setFlags(0xFFFFFFFF);
    EXPECT_EQ(flags.flags(), 0xFFFFFFFFu);
}
