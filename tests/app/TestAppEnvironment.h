#pragma once

#include "alerts/AppAlerts.h"
#include "environment/AppEnvironment.h"
#include "preferences/KTPreferences.h"
#include "preferences/PreferencesDomain.h"
#include "shortcut/HVWindowsShortcut.h"
#include "support/LogCapture.h"

#include <QMimeData>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

using PasteboardItems = QList<QPair<QString, QByteArray>>;

// A pasteboard with the given types and their data.
inline std::unique_ptr<QMimeData> pasteboard(const PasteboardItems& items)
{
    auto result = std::make_unique<QMimeData>();
    for (const auto& [type, data] : items)
        result->setData(type, data);
    return result;
}

// The application's handlers over stand-ins: settings in a temporary domain, alerts that
// are only recorded, a mounter that maps the folders a test names to shares, a clipboard
// that is a string, and an opener that records each shortcut it is handed and answers as
// the test says. Log lines are kept instead of logged.
class TestAppEnvironment {
public:
    TestAppEnvironment()
        : m_domain(PreferencesPaths {m_folder.filePath(QStringLiteral("settings.json")), {}})
        , m_preferences(m_domain)
    {
        m_environment.preferences = &m_preferences;
        m_environment.alerts = &m_alerts;
        m_environment.openShortcut = [this](HVWindowsShortcut& shortcut) {
            opened << OpenedShortcut {shortcut.fullFilename(), shortcut.networkShare(),
                shortcut.filename(), shortcut.mountMethod(), shortcut.mappingEnabled()};
            return openSucceeds;
        };
        m_environment.networkVolumePath = [this](const QString& path) -> QString {
            for (const auto& [folder, share] : volumes) {
                if (path.startsWith(folder + QLatin1Char('/')))
                    return share + path.mid(folder.size());
            }
            return path;
        };
        m_environment.primarySelection = [this] { return pasteboard(selection); };
        m_environment.clipboardContents = [this] {
            if (clipboardFiles)
                return pasteboard({{QStringLiteral("text/uri-list"), *clipboardFiles}});
            if (clipboardText)
                return pasteboard({{QStringLiteral("text/plain"), clipboardText->toUtf8()}});
            return pasteboard({});
        };
        m_environment.setClipboardText = [this](const QString& text) {
            ++clipboardWrites;
            clipboardText = text;
            return true;
        };
    }

    const AppEnvironment& environment() const { return m_environment; }
    KTPreferences& preferences() { return m_preferences; }
    // Sets a value in the domain as any program could have stored it.
    void storeValue(const QString& key, const QJsonValue& value) { m_domain.setValue(key, value); }
    AppAlerts& alerts() { return m_alerts; }

    // A shortcut the opener was handed: its target and settings at that moment.
    struct OpenedShortcut {
        std::optional<QString> fullFilename;
        std::optional<QString> networkShare;
        std::optional<QString> filename;
        QString mountMethod;
        bool mappingEnabled = false;
    };
    QList<OpenedShortcut> opened;
    bool openSucceeds = true;
    // Paths below a folder (first) are on its share (second): //server/share/rest.
    QList<QPair<QString, QString>> volumes;
    std::optional<QString> clipboardText;
    int clipboardWrites = 0;
    // What the selection and the clipboard offer as pasteboards.
    PasteboardItems selection;
    std::optional<QByteArray> clipboardFiles;
    LogCapture log;

private:
    QTemporaryDir m_folder;
    PreferencesDomain m_domain;
    KTPreferences m_preferences;
    AppAlerts m_alerts;
    AppEnvironment m_environment;
};
