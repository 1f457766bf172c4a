#pragma once

#include <QString>

// The names both deliverables share: the preferences domain, the notification that
// announces a change of it, and the keys of the settings. The settings window uses the
// same constants as the application.

inline const QString KTBUNDLENAME = QStringLiteral("com.dovrane.Kestrova");
inline const QString KTNOTIFICATIONNAME = QStringLiteral("Preferences Changed");

inline const QString KTMOUNTMETHODSTR = QStringLiteral("mountMethod");
inline const QString KTCREATEALIASSTR = QStringLiteral("createAlias");
inline const QString KTUSEBACKSLASH = QStringLiteral("useBackslash");
inline const QString KTDRIVEMAP = QStringLiteral("driveMapping");
inline const QString KTMAPPINGENABLED = QStringLiteral("mappingEnabled");
inline const QString KTSHOWDETAILS = QStringLiteral("showDetails");
inline const QString KTUSEQUOTATIONMARKS = QStringLiteral("useQuotationMarks");
inline const QString KTDFSINSTALLED = QStringLiteral("dfsInstalled");
