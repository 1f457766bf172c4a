#include "FakeOpeningSystem.h"
#include "filesvc/JLAlias.h"
#include "filesvc/JLCarbonUtilities.h"
#include "shortcut/HVWindowsShortcut.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct AliasCase {
    const char* what;
    // The target as a Windows path; "SHARE" stands for the share, "LOCAL" for the
    // temporary folder seen as a local path.
    const char* target;
    bool shareMounted;
    bool shareMountable;
    const char* aliasName;
    const char* error; // empty: the alias is written
};

class SaveAsAlias : public testing::TestWithParam<AliasCase> {
protected:
    QTemporaryDir m_temporary;
    QDir m_root {m_temporary.path()};
};

TEST_P(SaveAsAlias, WritesAnAliasOfTheComposedTargetOrSaysWhy)
{
    const AliasCase& row = GetParam();
    ASSERT_TRUE(m_root.mkpath(QStringLiteral("share/plans")));
    QFile target(m_root.filePath(QStringLiteral("share/plans/a.doc")));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.close();
    FakeOpeningSystem system;
    const QString mountPoint = m_root.filePath(QStringLiteral("share"));
    if (row.shareMounted)
        system.mounted.insert(QStringLiteral("//srv/data"), mountPoint);
    if (row.shareMountable)
        system.mountable.insert(QStringLiteral("//srv/data"), mountPoint);
    QString text = QString::fromUtf8(row.target);
    text.replace(QStringLiteral("LOCAL"), m_root.path());
    const auto shortcut = HVWindowsShortcut::initWithMountString(text);
    shortcut->setOpeningServices(system.services());
    const QString aliasPath = m_root.filePath(QString::fromUtf8(row.aliasName));

    const bool saved = shortcut->saveAsAlias(aliasPath);
    EXPECT_EQ(saved, QByteArray(row.error).isEmpty()) << row.what;
    EXPECT_EQ(shortcut->errorMessage().value_or(QString()), QString::fromUtf8(row.error));
    EXPECT_TRUE(system.events.filter(QStringLiteral("exists")).isEmpty())
        << "no wait for the target";
    if (!saved) {
        EXPECT_FALSE(QFile::exists(aliasPath)
            && JLCarbonUtilities::resolveAliasFile(aliasPath) != aliasPath);
        return;
    }
    EXPECT_EQ(JLCarbonUtilities::resolveAliasFile(aliasPath), target.fileName());
    EXPECT_TRUE(JLCarbonUtilitiesFinderInfoFlags::isAliasFinderInfoFlag(aliasPath));
}

INSTANTIATE_TEST_SUITE_P(HVWindowsShortcut, SaveAsAlias,
    testing::Values(
        AliasCase {"mounted share", "\\\\srv\\data\\plans\\a.doc", true, false, "a.doc", ""},
        AliasCase {"share mounted now", "\\\\srv\\data\\plans\\a.doc", false, true, "a.doc", ""},
        AliasCase {"local target", "LOCAL/share/plans/a.doc", false, false, "Report.doc", ""},
        AliasCase {"mount fails", "\\\\srv\\data\\plans\\a.doc", false, false, "a.doc",
            "Mount of network drive failed"},
        AliasCase {"target missing", "\\\\srv\\data\\plans\\gone.doc", true, false, "gone.doc",
            "Failed to create alias"},
        AliasCase {"no folder for the alias", "\\\\srv\\data\\plans\\a.doc", true, false,
            "missing/a.doc", "Failed to create alias"}));

}
