#include "TestAppEnvironment.h"

#include "shortcut/HVWindowsShortcut.h"

TestAppEnvironment::TestAppEnvironment()
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
    m_environment.networkVolumePath = [this](
                                          const QString& path) { return networkVolumePath(path); };
    m_environment.primarySelection = [this] { return selectionPasteboard(); };
    m_environment.clipboardContents = [this] { return clipboardPasteboard(); };
    m_environment.setClipboardText = [this](const QString& text) {
        if (!m_clipboardAvailable)
            return false;
        ++m_clipboardWrites;
        m_clipboardText = text;
        return true;
    };
    m_previousSink = SystemLog::setSink([this](const QString& line) { m_logLines << line; });
}

TestAppEnvironment::~TestAppEnvironment()
{
    SystemLog::setSink(std::move(m_previousSink));
}

void TestAppEnvironment::addNetworkVolume(const QString& localFolder, const QString& share)
{
    m_volumes << qMakePair(localFolder, share);
}

QString TestAppEnvironment::networkVolumePath(const QString& path) const
{
    for (const auto& [folder, share] : m_volumes) {
        if (path.startsWith(folder + QLatin1Char('/')))
            return share + path.mid(folder.size());
    }
    return path;
}

std::unique_ptr<QMimeData> TestAppEnvironment::selectionPasteboard() const
{
    auto result = std::make_unique<QMimeData>();
    for (auto item = m_selection.begin(); item != m_selection.end(); ++item)
        result->setData(item.key(), item.value());
    return result;
}

std::unique_ptr<QMimeData> TestAppEnvironment::clipboardPasteboard() const
{
    auto result = std::make_unique<QMimeData>();
    if (m_clipboardFiles)
        result->setData(QStringLiteral("text/uri-list"), *m_clipboardFiles);
    else if (m_clipboardText)
        result->setData(QStringLiteral("text/plain"), m_clipboardText->toUtf8());
    return result;
}

std::unique_ptr<QMimeData> pasteboard(const QList<QPair<QString, QByteArray>>& items)
{
    auto result = std::make_unique<QMimeData>();
    for (const auto& [type, data] : items)
        result->setData(type, data);
    return result;
}
