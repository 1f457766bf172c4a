#include "TestAppEnvironment.h"

#include "shortcut/HVWindowsShortcut.h"

using namespace Qt::StringLiterals;

TestAppEnvironment::TestAppEnvironment()
    : m_domain(PreferencesPaths {m_folder.filePath(u"settings.json"_s), {}})
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
    m_environment.primarySelection = [this] { return pasteboard(m_selection); };
    m_environment.clipboardContents = [this] { return clipboardPasteboard(); };
    m_environment.setClipboardText = [this](const QString& text) {
        ++m_clipboardWrites;
        m_clipboardText = text;
        return true;
    };
}

QString TestAppEnvironment::networkVolumePath(const QString& path) const
{
    for (const auto& [folder, share] : m_volumes) {
        if (path.startsWith(folder + QLatin1Char('/')))
            return share + path.mid(folder.size());
    }
    return path;
}

std::unique_ptr<QMimeData> TestAppEnvironment::clipboardPasteboard() const
{
    if (m_clipboardFiles)
        return pasteboard({{u"text/uri-list"_s, *m_clipboardFiles}});
    if (m_clipboardText)
        return pasteboard({{u"text/plain"_s, m_clipboardText->toUtf8()}});
    return pasteboard({});
}

std::unique_ptr<QMimeData> pasteboard(const PasteboardItems& items)
{
    auto result = std::make_unique<QMimeData>();
    for (const auto& [type, data] : items)
        result->setData(type, data);
    return result;
}
