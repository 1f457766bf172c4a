#include "volumes/KTCifsServerMount.h"

#include <gtest/gtest.h>

namespace {

struct FstabCase {
    const char* name;
    const char* fstab;
    const char* share;
    // Null when no line lets users mount the share.
    const char* mountPoint;
};

void PrintTo(const FstabCase& c, std::ostream* out)
{
    *out << c.name;
}

class CifsFstab : public testing::TestWithParam<FstabCase> { };

TEST_P(CifsFstab, FindsTheLineThatLetsUsersMountTheShare)
{
    const FstabCase& c = GetParam();
    const std::optional<QString> mountPoint =
        KTCifsServerMount::userMountPointInFstab(c.fstab, QString::fromUtf8(c.share));
    if (c.mountPoint)
        EXPECT_EQ(mountPoint, QString::fromUtf8(c.mountPoint));
    else
        EXPECT_EQ(mountPoint, std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(KTCifsServerMount, CifsFstab,
    testing::Values(FstabCase {"userOption", "//fs1/Projects /mnt/projects cifs user,noauto 0 0\n",
                        "//fs1/Projects", "/mnt/projects"},
        FstabCase {"usersOptionAnyCase", "//FS1/projects\t/mnt/p  cifs  noauto,users 0 0\n",
            "//fs1/Projects", "/mnt/p"},
        FstabCase {"backslashesAndTrailingSlash", "\\\\fs1\\Projects\\ /mnt/p smb3 user 0 0\n",
            "//fs1/Projects", "/mnt/p"},
        FstabCase {"escapedMountPoint", "//fs1/Projects /mnt/My\\040Projects cifs user 0 0\n",
            "//fs1/Projects", "/mnt/My Projects"},
        FstabCase {"noUserOption", "//fs1/Projects /mnt/p cifs noauto,username=alice 0 0\n",
            "//fs1/Projects", nullptr},
        FstabCase {"userIsOnlyAPrefix", "//fs1/Projects /mnt/p cifs username=bob 0 0\n",
            "//fs1/Projects", nullptr},
        FstabCase {"otherShare", "//fs1/Other /mnt/o cifs user 0 0\n", "//fs1/Projects", nullptr},
        FstabCase {"otherType", "//fs1/Projects /mnt/p nfs user 0 0\n", "//fs1/Projects", nullptr},
        FstabCase {
            "commentedOut", "#//fs1/Projects /mnt/p cifs user 0 0\n", "//fs1/Projects", nullptr},
        FstabCase {"shortLine", "//fs1/Projects /mnt/p\n", "//fs1/Projects", nullptr}));

}
