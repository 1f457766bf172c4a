#include "link/KTLinkService.h"

#include "TestAppEnvironment.h"
#include "preferences/DriveMappingStorage.h"
#include "support/QtPrinters.h"

#include <QJsonObject>

#include <gtest/gtest.h>

#include <ostream>

namespace {

const QString plain = QStringLiteral("text/plain");
const QString uriList = QStringLiteral("text/uri-list");

class LinkServiceTest : public testing::Test {
protected:
    void mapDrives(const QList<QPair<std::optional<QString>, QString>>& mappings)
    {
        KTDriveMappingList list;
        for (const auto& [from, to] : mappings)
            list << KTDriveMapping(from, to);
        m_app.preferences().setDriveMapping(list);
        m_app.preferences().setMappingEnabled(true);
    }

    QString openLink(const QList<QPair<QString, QByteArray>>& items)
    {
        QString error = QStringLiteral("untouched");
        m_service.doOpenLinkService(*pasteboard(items), &error);
        return error;
    }

    QString copyPaths(const QStringList& files)
    {
        QByteArray uris;
        for (const QString& file : files)
            uris += QUrl::fromLocalFile(file).toEncoded() + "\r\n";
        QString error = QStringLiteral("untouched");
        m_service.doCopyPathToClipboardService(*pasteboard({{uriList, uris}}), &error);
        return error;
    }

    TestAppEnvironment m_app;
    KTLinkService m_service {m_app.environment()};
};

}

TEST_F(LinkServiceTest, OpenLinkHandsDecodedTextWithSettingsToShortcut)
{
    mapDrives({{QStringLiteral("X:"), QStringLiteral("\\\\fs1\\Projects")}});
    m_app.preferences().setMountMethod(QStringLiteral("afp"));
    EXPECT_EQ(openLink({{plain, "X:\\plans\\a%20b.doc"}}), QStringLiteral("untouched"));
    ASSERT_EQ(m_app.opened().size(), 1);
    const auto& opened = m_app.opened().first();
    EXPECT_EQ(opened.fullFilename, QStringLiteral("X:/plans/a b.doc"));
    EXPECT_EQ(opened.networkShare, QStringLiteral("//fs1/Projects"));
    EXPECT_EQ(opened.filename, QStringLiteral("plans/a b.doc"));
    EXPECT_EQ(opened.mountMethod, QStringLiteral("afp"));
    EXPECT_TRUE(opened.mappingEnabled);
    EXPECT_TRUE(m_app.logLines().contains(
        QStringLiteral("Follow Windows Link Share: //fs1/Projects file: plans/a b.doc")));
    EXPECT_TRUE(m_app.alerts().takeAlerts().isEmpty());
}

TEST_F(LinkServiceTest, OpenLinkUnknownMountMethodKeepsSmb)
{
    m_app.preferences().setMountMethod(QStringLiteral("webdav"));
    openLink({{plain, "\\\\fs1\\share\\a.doc"}});
    ASSERT_EQ(m_app.opened().size(), 1);
    EXPECT_EQ(m_app.opened().first().mountMethod, QStringLiteral("smb"));
}

TEST_F(LinkServiceTest, OpenLinkEmptyTextGoesOnToShortcut)
{
    EXPECT_EQ(openLink({{plain, ""}}), QStringLiteral("untouched"));
    ASSERT_EQ(m_app.opened().size(), 1);
    EXPECT_EQ(m_app.opened().first().fullFilename.value_or(QString()), QString());
}

TEST_F(LinkServiceTest, OpenLinkErrorTexts)
{
    EXPECT_EQ(openLink({{uriList, "file:///tmp/a.doc\r\n"}}),
        QStringLiteral("Error: Pasteboard doesn't contain a proper selection"));
    EXPECT_EQ(openLink({{plain, "\\\\fs1\\share\\caf%C3%A9.doc"}}),
        QStringLiteral("Error: Pasteboard contains empty String selection"));
    EXPECT_EQ(openLink({{QStringLiteral("text/rtf"), "not rtf"}}),
        QStringLiteral("Error: Pasteboard contains empty String selection"));
    EXPECT_TRUE(m_app.opened().isEmpty());
    EXPECT_TRUE(m_app.alerts().takeAlerts().isEmpty());
}

TEST_F(LinkServiceTest, OpenLinkFailureAlertsAndSetsNoError)
{
    m_app.setOpenSucceeds(false);
    EXPECT_EQ(openLink({{plain, "\\\\fs1\\share\\a.doc"}}), QStringLiteral("untouched"));
    const QList<AppAlert> alerts = m_app.alerts().takeAlerts();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, QStringLiteral("Could not follow link"));
}

TEST_F(LinkServiceTest, CopyPathsOneLineEachInOrder)
{
    m_app.addNetworkVolume(QStringLiteral("/run/gvfs/s"), QStringLiteral("//srv/share"));
    EXPECT_EQ(copyPaths({QStringLiteral("/run/gvfs/s/c.doc"), QStringLiteral("/home/u/a.doc"),
                  QStringLiteral("/run/gvfs/s/dir/b.doc")}),
        QStringLiteral("untouched"));
    EXPECT_EQ(m_app.clipboardText(),
        QStringLiteral("//srv/share/c.doc\n/home/u/a.doc\n//srv/share/dir/b.doc"));
    EXPECT_EQ(m_app.clipboardWrites(), 1);
}

TEST_F(LinkServiceTest, CopyPathsQuotedWithBackslashes)
{
    m_app.addNetworkVolume(QStringLiteral("/run/gvfs/s"), QStringLiteral("//srv/share"));
    mapDrives({{QStringLiteral("X:"), QStringLiteral("\\\\srv\\share")}});
    m_app.preferences().setUseQuotationMarks(true);
    m_app.preferences().setUseBackwardSlash(true);
    copyPaths({QStringLiteral("/run/gvfs/s/dir/a.doc"), QStringLiteral("/home/u/b.doc")});
    EXPECT_EQ(m_app.clipboardText(), QStringLiteral("\"X:\\dir\\a.doc\"\n\"\\home\\u\\b.doc\""));
}

TEST_F(LinkServiceTest, CopyPathsMappingOffKeepsShare)
{
    m_app.addNetworkVolume(QStringLiteral("/mnt/s"), QStringLiteral("//srv/share"));
    mapDrives({{QStringLiteral("X:"), QStringLiteral("//srv/share")}});
    m_app.preferences().setMappingEnabled(false);
    copyPaths({QStringLiteral("/mnt/s/a.doc")});
    EXPECT_EQ(m_app.clipboardText(), QStringLiteral("//srv/share/a.doc"));
}

TEST_F(LinkServiceTest, CopyPathsRefusesPlainTextAndLeavesClipboard)
{
    m_app.setClipboardText(QStringLiteral("before"));
    QString error;
    m_service.doCopyPathToClipboardService(*pasteboard({{plain, "/tmp/a.doc"}}), &error);
    EXPECT_EQ(error, QStringLiteral("Error: Pasteboard doesn't contain a proper selection"));
    EXPECT_EQ(m_app.clipboardText(), QStringLiteral("before"));
    EXPECT_EQ(m_app.clipboardWrites(), 0);
}

TEST_F(LinkServiceTest, CopyPathsEmptyListWritesNothing)
{
    m_app.setClipboardText(QStringLiteral("before"));
    QString error = QStringLiteral("untouched");
    m_service.doCopyPathToClipboardService(*pasteboard({{uriList, ""}}), &error);
    EXPECT_EQ(error, QStringLiteral("untouched"));
    EXPECT_EQ(m_app.clipboardWrites(), 0);
}

TEST_F(LinkServiceTest, CopyPathsWithoutClipboardSaysSo)
{
    m_app.setClipboardAvailable(false);
    EXPECT_EQ(copyPaths({QStringLiteral("/tmp/a.doc")}), KTLinkService::noClipboardError);
}

namespace {

struct InverseMappingCase {
    const char* name;
    QList<QPair<std::optional<QString>, QString>> mappings;
    QString networkPath;
    QString expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const InverseMappingCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class InverseMapping : public testing::TestWithParam<InverseMappingCase> { };

}

TEST_P(InverseMapping, FirstMatchingShareInListOrderBecomesDriveLetter)
{
    TestAppEnvironment app;
    // Stored as another program may have written it: a mapping may lack its letter.
    QJsonArray stored;
    for (const auto& [from, to] : GetParam().mappings) {
        QJsonObject element {{DriveMappingStorage::driveNameKey, to}};
        if (from)
            element.insert(DriveMappingStorage::driveLetterKey, *from);
        stored.append(element);
    }
    app.storeValue(KTDRIVEMAP, stored);
    app.preferences().setMappingEnabled(true);
    app.addNetworkVolume(QStringLiteral("/mnt"), GetParam().networkPath);
    const KTLinkService service(app.environment());
    EXPECT_EQ(service.windowsPath(QStringLiteral("/mnt/f.doc")), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, InverseMapping,
    testing::Values(InverseMappingCase {"EarlierWinsOverLonger",
                        {{QStringLiteral("Y:"), QStringLiteral("\\\\srv\\data")},
                            {QStringLiteral("Z:"), QStringLiteral("\\\\srv\\data\\sub")}},
                        QStringLiteral("//srv/data/sub"), QStringLiteral("Y:/sub/f.doc")},
        InverseMappingCase {"IgnoresCase",
            {{QStringLiteral("X:"), QStringLiteral("\\\\SRV\\DATA")}}, QStringLiteral("//srv/data"),
            QStringLiteral("X:/f.doc")},
        InverseMappingCase {"ShareInTheMiddle",
            {{QStringLiteral("X:"), QStringLiteral("//srv/data")}},
            QStringLiteral("/backup//srv/data/d"), QStringLiteral("/backupX:/d/f.doc")},
        InverseMappingCase {"PrefixOfLongerShareName",
            {{QStringLiteral("X:"), QStringLiteral("\\\\srv\\data")}},
            QStringLiteral("//srv/database"), QStringLiteral("X:base/f.doc")},
        InverseMappingCase {"EmptyShareSkipped",
            {{QStringLiteral("W:"), QString()}, {QStringLiteral("X:"), QStringLiteral("//srv/s")}},
            QStringLiteral("//srv/s"), QStringLiteral("X:/f.doc")},
        InverseMappingCase {"NoDriveLetterSkipped",
            {{std::nullopt, QStringLiteral("//srv/s")},
                {QStringLiteral("X:"), QStringLiteral("//srv")}},
            QStringLiteral("//srv/s"), QStringLiteral("X:/s/f.doc")},
        InverseMappingCase {"NoMatchKeepsPath",
            {{QStringLiteral("X:"), QStringLiteral("//other/s")}}, QStringLiteral("//srv/s"),
            QStringLiteral("//srv/s/f.doc")}),
    [](const testing::TestParamInfo<InverseMappingCase>& testCase) { return testCase.param.name; });
