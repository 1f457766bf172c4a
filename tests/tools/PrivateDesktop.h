#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// XDG folders of the test's own with the system's standard MIME types (built without what
// installed packages add, an installed Kestrova among them), the recording viewer as
// default application of sampleTypes(), and a decoy viewer (StartupWMClass=DecoyViewer)
// that claims them too. GLib reads XDG variables once: apply() before asking GIO anything.
class PrivateDesktop {
public:
    static constexpr const char* kViewerId = "kestrova-recording-viewer.desktop";
    static constexpr const char* kDecoyId = "kestrova-decoy-viewer.desktop";
    // Types the viewer is the default application of.
    static QStringList sampleTypes();

    PrivateDesktop();
    bool isValid() const { return m_valid; }
    // Searched before the private system folder; call before apply() or environment().
    void prependDataDir(const QString& folder) { m_extraDataDirs.prepend(folder); }
    void apply() const;
    QProcessEnvironment environment() const;
    QString root() const { return m_root.path(); }
    QString recordingFile() const;
    // What the viewer recorded, one object per start.
    QList<QJsonObject> records() const;

private:
    bool writeFile(const QString& relativePath, const QByteArray& contents) const;
    QList<QPair<QString, QString>> variables() const;

    QTemporaryDir m_root;
    QStringList m_extraDataDirs;
    bool m_valid = false;
};
