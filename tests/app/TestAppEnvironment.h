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
            m_opened << OpenedShortcut {shortcut.fullFilename(), shortcut.networkShare(),
                shortcut.filename(), shortcut.mountMethod(), shortcut.mappingEnabled()};
            return m_openSucceeds;
        };
        m_environment.networkVolumePath = [this](const QString& path) -> QString {
            for (const auto& [folder, share] : m_volumes) {
                if (path.startsWith(folder + QLatin1Char('/')))
                    return share + path.mid(folder.size());
            }
            return path;
        };
        m_environment.primarySelection = [this] { return pasteboard(m_selection); };
        m_environment.clipboardContents = [this] {
            if (m_clipboardFiles)
                return pasteboard({{QStringLiteral("text/uri-list"), *m_clipboardFiles}});
            if (m_clipboardText)
                return pasteboard({{QStringLiteral("text/plain"), m_clipboardText->toUtf8()}});
            return pasteboard({});
        };
        m_environment.setClipboardText = [this](const QString& text) {
            ++m_clipboardWrites;
            m_clipboardText = text;
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
    const QList<OpenedShortcut>& opened() const { return m_opened; }
    void setOpenSucceeds(bool succeeds) { m_openSucceeds = succeeds; }

    // Paths below localFolder are on the share: //server/share/rest.
    void addNetworkVolume(const QString& localFolder, const QString& share)
    {
        m_volumes << qMakePair(localFolder, share);
    }

    const std::optional<QString>& clipboardText() const { return m_clipboardText; }
    void setClipboardText(std::optional<QString> text) { m_clipboardText = std::move(text); }
    int clipboardWrites() const { return m_clipboardWrites; }

    // What the selection and the clipboard offer as pasteboards.
    void setSelection(const QString& type, const QByteArray& data) { m_selection = {{type, data}}; }
    void setClipboardFiles(const QByteArray& uriList) { m_clipboardFiles = uriList; }

    const QStringList& logLines() const { return m_log.lines(); }

private:
    QTemporaryDir m_folder;
    PreferencesDomain m_domain;
    KTPreferences m_preferences;
    AppAlerts m_alerts;
    AppEnvironment m_environment;
    QList<OpenedShortcut> m_opened;
    bool m_openSucceeds = true;
    QList<QPair<QString, QString>> m_volumes;
    std::optional<QString> m_clipboardText;
    int m_clipboardWrites = 0;
    PasteboardItems m_selection;
    std::optional<QByteArray> m_clipboardFiles;
    LogCapture m_log;
};
