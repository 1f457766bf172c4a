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
const QString untouched = QStringLiteral("untouched");
const QString noSelection = QStringLiteral("Error: Pasteboard doesn't contain a proper selection");
const QString emptySelection = QStringLiteral("Error: Pasteboard contains empty String selection");

using Mappings = QList<QPair<std::optional<QString>, QString>>;

// Stores the mappings as another program may have written them: a mapping may lack
// its letter.
void storeMappings(TestAppEnvironment& app, const Mappings& mappings)
{
    QJsonArray stored;
    for (const auto& [from, to] : mappings) {
        QJsonObject element {{DriveMappingStorage::driveNameKey, to}};
        if (from)
            element.insert(DriveMappingStorage::driveLetterKey, *from);
        stored.append(element);
    }
    app.storeValue(KTDRIVEMAP, stored);
    app.preferences().setMappingEnabled(true);
}

class LinkService : public testing::Test {
protected:
    QString openLink(const QList<QPair<QString, QByteArray>>& items)
    {
        QString error = untouched;
        m_service.doOpenLinkService(*pasteboard(items), &error);
        return error;
    }

    QString copyPaths(const QList<QPair<QString, QByteArray>>& items)
    {
        QString error = untouched;
        m_service.doCopyPathToClipboardService(*pasteboard(items), &error);
        return error;
    }

    TestAppEnvironment m_app;
    KTLinkService m_service {m_app.environment()};
};

}

TEST_F(LinkService, OpenLinkHandsDecodedTextWithSettingsToShortcut)
{
    storeMappings(m_app, {{QStringLiteral("X:"), QStringLiteral("\\\\fs1\\Projects")}});
    m_app.preferences().setMountMethod(QStringLiteral("afp"));
    EXPECT_EQ(openLink({{plain, "X:\\plans\\a%20b.doc"}}), untouched);
    m_app.preferences().setMountMethod(QStringLiteral("webdav"));
    EXPECT_EQ(openLink({{plain, ""}}), untouched);
    ASSERT_EQ(m_app.opened().size(), 2);
    const auto& opened = m_app.opened().first();
    EXPECT_EQ(opened.fullFilename, QStringLiteral("X:/plans/a b.doc"));
    EXPECT_EQ(opened.networkShare, QStringLiteral("//fs1/Projects"));
    EXPECT_EQ(opened.filename, QStringLiteral("plans/a b.doc"));
    EXPECT_EQ(opened.mountMethod, QStringLiteral("afp"));
    EXPECT_TRUE(opened.mappingEnabled);
    EXPECT_TRUE(m_app.logLines().contains(
        QStringLiteral("Follow Windows Link Share: //fs1/Projects file: plans/a b.doc")));
    // An empty text goes on to the shortcut; an unknown mount method keeps smb.
    EXPECT_EQ(m_app.opened().last().fullFilename.value_or(QString()), QString());
    EXPECT_EQ(m_app.opened().last().mountMethod, QStringLiteral("smb"));
    EXPECT_TRUE(m_app.alerts().takeAlerts().isEmpty());
}

TEST_F(LinkService, OpenLinkErrorsAndFailures)
{
    EXPECT_EQ(openLink({{uriList, "file:///tmp/a.doc\r\n"}}), noSelection);
    EXPECT_EQ(openLink({{plain, "\\\\fs1\\share\\caf%C3%A9.doc"}}), emptySelection);
    EXPECT_EQ(openLink({{QStringLiteral("text/rtf"), "not rtf"}}), emptySelection);
    EXPECT_TRUE(m_app.opened().isEmpty());
    EXPECT_TRUE(m_app.alerts().takeAlerts().isEmpty());

    m_app.setOpenSucceeds(false);
    EXPECT_EQ(openLink({{plain, "\\\\fs1\\share\\a.doc"}}), untouched);
    const QList<AppAlert> alerts = m_app.alerts().takeAlerts();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, QStringLiteral("Could not follow link"));
}

TEST_F(LinkService, CopyPathsOneLineEachInOrderAsTheSettingsSay)
{
    m_app.addNetworkVolume(QStringLiteral("/run/gvfs/s"), QStringLiteral("//srv/share"));
    const QByteArray files = "file:///run/gvfs/s/c.doc\r\nfile:///home/u/a.doc\r\n"
                             "file:///run/gvfs/s/dir/b.doc\r\n";
    EXPECT_EQ(copyPaths({{uriList, files}}), untouched);
    EXPECT_EQ(m_app.clipboardText(),
        QStringLiteral("//srv/share/c.doc\n/home/u/a.doc\n//srv/share/dir/b.doc"));
    EXPECT_EQ(m_app.clipboardWrites(), 1);

    storeMappings(m_app, {{QStringLiteral("X:"), QStringLiteral("\\\\srv\\share")}});
    m_app.preferences().setUseQuotationMarks(true);
    m_app.preferences().setUseBackwardSlash(true);
    copyPaths({{uriList, files}});
    EXPECT_EQ(m_app.clipboardText(),
        QStringLiteral("\"X:\\c.doc\"\n\"\\home\\u\\a.doc\"\n\"X:\\dir\\b.doc\""));

    m_app.preferences().setMappingEnabled(false);
    copyPaths({{uriList, "file:///run/gvfs/s/c.doc\r\n"}});
    EXPECT_EQ(m_app.clipboardText(), QStringLiteral("\"\\\\srv\\share\\c.doc\""));
}

TEST_F(LinkService, CopyPathsWithoutFilesLeavesTheClipboard)
{
    m_app.setClipboardText(QStringLiteral("before"));
    EXPECT_EQ(copyPaths({{plain, "/tmp/a.doc"}}), noSelection);
    EXPECT_EQ(copyPaths({{uriList, ""}}), untouched);
    EXPECT_EQ(m_app.clipboardText(), QStringLiteral("before"));
    EXPECT_EQ(m_app.clipboardWrites(), 0);
    m_app.setClipboardAvailable(false);
    EXPECT_EQ(copyPaths({{uriList, "file:///tmp/a.doc\r\n"}}), KTLinkService::noClipboardError);
}

namespace {

struct InverseMappingCase {
    const char* name;
    Mappings mappings;
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
    storeMappings(app, GetParam().mappings);
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
