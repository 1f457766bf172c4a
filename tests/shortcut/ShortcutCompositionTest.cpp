#include "shortcut/HVWindowsShortcut.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const char* const kNone = "(none)";

QString orNone(const std::optional<QString>& text)
{
    return text.value_or(QLatin1String(kNone));
}

DriveMappingList mappings(std::initializer_list<std::pair<const char*, const char*>> pairs)
{
    DriveMappingList list;
    for (const auto& [from, to] : pairs)
        list << KTDriveMapping(QString::fromUtf8(from), QString::fromUtf8(to));
    return list;
}

}

struct MountStringCase {
    const char* name;
    const char* text;
    const char* share;
    const char* filename;
    const char* composed;
};

class MountString : public testing::TestWithParam<MountStringCase> { };

TEST_P(MountString, SplitsIntoShareAndFilename)
{
    const auto shortcut =
        HVWindowsShortcut::initWithMountString(QString::fromUtf8(GetParam().text));
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(orNone(shortcut->networkShare()), QString::fromUtf8(GetParam().share));
    EXPECT_EQ(orNone(shortcut->filename()), QString::fromUtf8(GetParam().filename));
    EXPECT_EQ(orNone(shortcut->composedLinkName()), QString::fromUtf8(GetParam().composed));
}

INSTANTIATE_TEST_SUITE_P(ShortcutComposition, MountString,
    testing::Values(MountStringCase {"unc", "\\\\srv\\data\\dir\\file.doc", "//srv/data",
                        "dir/file.doc", "smb://srv/data/dir/file.doc"},
        MountStringCase {"slashes", "//srv/data/dir/file.doc", "//srv/data", "dir/file.doc",
            "smb://srv/data/dir/file.doc"},
        MountStringCase {"fileScheme", "file://srv/data/dir/file.doc", "//srv/data", "dir/file.doc",
            "smb://srv/data/dir/file.doc"},
        MountStringCase {"fileSchemeCapitals", "FILE:////srv/data/dir/file.doc", "//srv/data",
            "dir/file.doc", "smb://srv/data/dir/file.doc"},
        MountStringCase {"fileSchemeLocal", "file:///Users/me/file.doc", "//Users/me", "file.doc",
            "smb://Users/me/file.doc"},
        MountStringCase {"lineBreaksRemoved", "//srv/da\nta/d\rir/fi\xc2\x85le.doc", "//srv/data",
            "dir/file.doc", "smb://srv/data/dir/file.doc"},
        MountStringCase {"blanksTrimmed", " \t\xe2\x80\xa8//srv/data/a b.doc \xe3\x80\x80\n",
            "//srv/data", "a b.doc", "smb://srv/data/a b.doc"},
        MountStringCase {"quotesStay", "\"\\\\srv\\data\\file.doc\"", kNone,
            "\"//srv/data/file.doc\"", "\"//srv/data/file.doc\""},
        MountStringCase {"otherSchemeIsAFilename", "smb://srv/data/file.doc", kNone,
            "smb://srv/data/file.doc", "smb://srv/data/file.doc"},
        MountStringCase {"shareAlone", "//srv/data", "//srv/data", "", "smb://srv/data/"},
        MountStringCase {"serverAlone", "//srv", kNone, kNone, kNone},
        MountStringCase {
            "localPath", "X:\\dir\\file.doc", kNone, "X:/dir/file.doc", "X:/dir/file.doc"},
        MountStringCase {"twoCharacters", "ab", kNone, "ab", "ab"},
        MountStringCase {"oneCharacter", "a", kNone, kNone, kNone},
        MountStringCase {"empty", "", kNone, kNone, kNone},
        MountStringCase {"onlySlashes", "/////", kNone, kNone, kNone},
        MountStringCase {"threeSlashes", "///x/y", "//x/y", "", "smb://x/y/"}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(ShortcutComposition, MountMethodAcceptsFourNamesInAnyCase)
{
    const auto shortcut = HVWindowsShortcut::initWithMountString(u"//srv/data/a"_s);
    EXPECT_EQ(shortcut->mountMethod(), u"smb"_s);
    EXPECT_EQ(shortcut->composedLinkName(false), u"//srv/data/a"_s);
    for (const char* method : {"ftp", "AFP", "", "NFS", "Cifs", "smb"})
        EXPECT_EQ(shortcut->setMountMethod(QLatin1String(method)),
            QByteArray(method) != "ftp" && *method);
    EXPECT_EQ(shortcut->networkShare(true), u"smb://srv/data"_s);
    EXPECT_TRUE(shortcut->setMountMethod(u"AFP"_s));
    EXPECT_EQ(shortcut->networkShare(true), u"AFP://srv/data"_s);
}

struct MappingCase {
    const char* name;
    const char* text;
    DriveMappingList mappings;
    const char* share;
    const char* filename;
};

class DriveMapping : public testing::TestWithParam<MappingCase> { };

TEST_P(DriveMapping, ReplacesFirstMatchOfFirstMatchingMapping)
{
    const auto shortcut = HVWindowsShortcut::initWithMountString(
        QString::fromUtf8(GetParam().text), GetParam().mappings);
    shortcut->setMappingEnabled(true);
    EXPECT_EQ(orNone(shortcut->networkShare()), QString::fromUtf8(GetParam().share));
    EXPECT_EQ(orNone(shortcut->filename()), QString::fromUtf8(GetParam().filename));
}

INSTANTIATE_TEST_SUITE_P(ShortcutComposition, DriveMapping,
    testing::Values(MappingCase {"ignoresCase", "X:\\dir\\file.doc",
                        mappings({{"x:", "\\\\srv\\data"}}), "//srv/data", "dir/file.doc"},
        MappingCase {"earlierMappingWins", "X:\\Y:\\a",
            mappings({{"Y:", "b"}, {"X:", "\\\\srv\\data"}}), kNone, "X:/b/a"},
        MappingCase {
            "insidePath", "//srv/data/X:/dir", mappings({{"X:", "sub"}}), "//srv/data", "sub/dir"},
        MappingCase {"onlyFirstOccurrence", "X:\\X:\\a", mappings({{"X:", "\\\\srv\\d"}}),
            "//srv/d", "X:/a"},
        MappingCase {"environmentVariable", "%HOMESHARE%\\a.doc",
            mappings({{"%homeshare%", "\\\\home\\me"}}), "//home/me", "a.doc"},
        MappingCase {"emptyFromNeverMatches", "X:\\a",
            mappings({{"", "\\\\srv\\data"}, {"X:", "\\\\srv\\x"}}), "//srv/x", "a"},
        MappingCase {"incompleteMappingSkipped", "X:\\a",
            DriveMappingList {
                KTDriveMapping(u"X:"_s, std::nullopt), KTDriveMapping(std::nullopt, u"//a/b"_s)},
            kNone, "X:/a"},
        MappingCase {"noMatch", "Q:\\a", mappings({{"X:", "\\\\srv\\data"}}), kNone, "Q:/a"}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(ShortcutComposition, MappingChangesShowAtNextCall)
{
    const auto shortcut = HVWindowsShortcut::initWithMountString(u"X:\\a.doc"_s);
    shortcut->setMappingEnabled(true);
    EXPECT_FALSE(shortcut->networkShare());
    shortcut->setDriveMapping(mappings({{"X:", "\\\\srv\\data"}}));
    EXPECT_EQ(shortcut->networkShare(), u"//srv/data"_s);
    shortcut->setMappingEnabled(false);
    EXPECT_FALSE(shortcut->networkShare());
}
