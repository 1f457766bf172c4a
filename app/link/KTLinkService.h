#pragma once

#include <QString>

class QMimeData;
struct AppEnvironment;

// The application's two services over a pasteboard (a QMimeData):
// - doOpenLinkService opens the Windows path or link that the pasteboard's text names
//   (a UNC path, a drive-letter path, a file: URL, or rich text that links to one);
// - doCopyPathToClipboardService puts the Windows form of the pasteboard's files on the
//   clipboard: server share, drive letter, backslashes and quotation marks as the user
//   chose, one path a line, in order.
// Each sets its error text only when the pasteboard holds nothing it can use; other
// failures are alerts. Settings are read afresh at every call.
class KTLinkService {
public:
    static const QString noProperSelectionError;
    static const QString emptySelectionError;
    static const QString noClipboardError;

    explicit KTLinkService(const AppEnvironment& environment);

    void doOpenLinkService(const QMimeData& pasteboard, QString* error);
    void doCopyPathToClipboardService(const QMimeData& pasteboard, QString* error);

    // The Windows form of one local path, as the copy-path service writes it: its
    // server form, with the first matching drive mapping applied, then quoted and with
    // backslashes where the user chose so.
    QString windowsPath(const QString& path) const;

private:
    // The path with the first mapping (in list order) whose share occurs in it,
    // ignoring case, replaced by its drive letter; the path itself when mapping is off
    // or nothing matches.
    QString doInverseMapping(const QString& path) const;

    const AppEnvironment& m_environment;
};
