#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A desktop of the test's own: XDG data, config and state folders under a temporary folder,
// the system's MIME database, no applications but the test's, and the recording viewer
// (tests/tools/RecordingViewer.cpp) as default application of the sample types in a
// private mimeapps.list. A second application, the decoy viewer ("env ... /bin/false",
// StartupWMClass=DecoyViewer), claims the same types without being their default.
//
// GLib reads the XDG variables once, on first use: apply() must come before anything
// in the process asks GIO about applications or types. Children get environment().
class PrivateDesktop {
public:
    static constexpr const char* kViewerId = "kestrova-recording-viewer.desktop";
    static constexpr const char* kDecoyId = "kestrova-decoy-viewer.desktop";
    // Types the viewer is the default application of.
    static QStringList sampleTypes();

    PrivateDesktop();
    bool isValid() const { return m_valid; }

    // Data folders searched before the private system folder (an installation prefix's
    // share/, for example); call before apply() or environment().
    void prependDataDir(const QString& folder) { m_extraDataDirs.prepend(folder); }

    void apply() const;
    QProcessEnvironment environment() const;

    QString root() const { return m_root.path(); }
    QString recordingFile() const;
    // What the viewer recorded, one object per start: {"pid": ..., "arguments": [...]}.
    QList<QJsonObject> records() const;

private:
    bool writeFile(const QString& relativePath, const QByteArray& contents) const;
    QList<QPair<QString, QString>> variables() const;

    QTemporaryDir m_root;
    QStringList m_extraDataDirs;
    bool m_valid = false;
};
