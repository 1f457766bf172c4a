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

TEST(ShortcutComposition, MountStringSplitsIntoShareAndFilename)
{
    // Text, share, filename, composed link name.
    const char* const rows[][4] = {{"\\\\srv\\data\\dir\\file.doc", "//srv/data", "dir/file.doc",
                                       "smb://srv/data/dir/file.doc"},
        {"//srv/data/dir/file.doc", "//srv/data", "dir/file.doc", "smb://srv/data/dir/file.doc"},
        {"file://srv/data/dir/file.doc", "//srv/data", "dir/file.doc",
            "smb://srv/data/dir/file.doc"},
        {"FILE:////srv/data/dir/file.doc", "//srv/data", "dir/file.doc",
            "smb://srv/data/dir/file.doc"},
        {"file:///Users/me/file.doc", "//Users/me", "file.doc", "smb://Users/me/file.doc"},
        // Line breaks are removed, blanks trimmed, quotes stay.
        {"//srv/da\nta/d\rir/fi\xc2\x85le.doc", "//srv/data", "dir/file.doc",
            "smb://srv/data/dir/file.doc"},
        {" \t\xe2\x80\xa8//srv/data/a b.doc \xe3\x80\x80\n", "//srv/data", "a b.doc",
            "smb://srv/data/a b.doc"},
        {"\"\\\\srv\\data\\file.doc\"", kNone, "\"//srv/data/file.doc\"",
            "\"//srv/data/file.doc\""},
        {"smb://srv/data/file.doc", kNone, "smb://srv/data/file.doc", "smb://srv/data/file.doc"},
        {"//srv/data", "//srv/data", "", "smb://srv/data/"}, {"//srv", kNone, kNone, kNone},
        {"X:\\dir\\file.doc", kNone, "X:/dir/file.doc", "X:/dir/file.doc"},
        {"ab", kNone, "ab", "ab"}, {"a", kNone, kNone, kNone}, {"", kNone, kNone, kNone},
        {"/////", kNone, kNone, kNone}, {"///x/y", "//x/y", "", "smb://x/y/"}};
    for (const auto& [text, share, filename, composed] : rows) {
        SCOPED_TRACE(text);
        const auto shortcut = HVWindowsShortcut::initWithMountString(QString::fromUtf8(text));
        ASSERT_TRUE(shortcut);
        EXPECT_EQ(orNone(shortcut->networkShare()), QString::fromUtf8(share));
        EXPECT_EQ(orNone(shortcut->filename()), QString::fromUtf8(filename));
        EXPECT_EQ(orNone(shortcut->composedLinkName()), QString::fromUtf8(composed));
    }
}

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

TEST(ShortcutComposition, DriveMappingReplacesFirstMatchOfFirstMatchingMapping)
{
    const struct {
        const char* text;
        DriveMappingList mappings;
        const char* share;
        const char* filename;
    } rows[] = {
        {"X:\\dir\\file.doc", mappings({{"x:", "\\\\srv\\data"}}), "//srv/data", "dir/file.doc"},
        {"X:\\Y:\\a", mappings({{"Y:", "b"}, {"X:", "\\\\srv\\data"}}), kNone, "X:/b/a"},
        {"//srv/data/X:/dir", mappings({{"X:", "sub"}}), "//srv/data", "sub/dir"},
        {"X:\\X:\\a", mappings({{"X:", "\\\\srv\\d"}}), "//srv/d", "X:/a"},
        {"%HOMESHARE%\\a.doc", mappings({{"%homeshare%", "\\\\home\\me"}}), "//home/me", "a.doc"},
        {"X:\\a", mappings({{"", "\\\\srv\\data"}, {"X:", "\\\\srv\\x"}}), "//srv/x", "a"},
        {"X:\\a",
            DriveMappingList {
                KTDriveMapping(u"X:"_s, std::nullopt), KTDriveMapping(std::nullopt, u"//a/b"_s)},
            kNone, "X:/a"},
        {"Q:\\a", mappings({{"X:", "\\\\srv\\data"}}), kNone, "Q:/a"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto shortcut =
            HVWindowsShortcut::initWithMountString(QString::fromUtf8(row.text), row.mappings);
        shortcut->setMappingEnabled(true);
        EXPECT_EQ(orNone(shortcut->networkShare()), QString::fromUtf8(row.share));
        EXPECT_EQ(orNone(shortcut->filename()), QString::fromUtf8(row.filename));
    }
    // Changes of the list and of the switch show at the next call.
    const auto shortcut = HVWindowsShortcut::initWithMountString(u"X:\\a.doc"_s);
    shortcut->setMappingEnabled(true);
    EXPECT_FALSE(shortcut->networkShare());
    shortcut->setDriveMapping(mappings({{"X:", "\\\\srv\\data"}}));
    EXPECT_EQ(shortcut->networkShare(), u"//srv/data"_s);
    shortcut->setMappingEnabled(false);
    EXPECT_FALSE(shortcut->networkShare());
}
