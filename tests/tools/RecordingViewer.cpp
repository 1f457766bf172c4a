// A stand-in for a document viewer, registered by tests as the default application of
// sample file types. Each start appends one JSON line to the file named by
// KESTROVA_RECORDING_FILE: {"pid": ..., "arguments": [...], "startupId": "..."} (the
// startup-notification ID it was given, if any), even when it cannot reach a display,
// then shows a window titled
// "Recording viewer: NAME" (WM_CLASS "recording-viewer", "recording-viewer") until it
// is closed or terminated. KESTROVA_RECORDING_WINDOW_DELAY_MS delays the window, so
// that tests can see the application running before it has finished launching.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QTimer>

#include <unistd.h>

namespace {

bool appendRecord(int argc, char* argv[])
{
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    const QString path = qEnvironmentVariable("KESTROVA_RECORDING_FILE");
    if (path.isEmpty())
        return true;
    const QJsonObject record {{QStringLiteral("pid"), qint64(getpid())},
        {QStringLiteral("arguments"), QJsonArray::fromStringList(arguments)},
        {QStringLiteral("startupId"), qEnvironmentVariable("DESKTOP_STARTUP_ID")}};
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    // One write per record: records of viewers started together do not interleave.
    const QByteArray line = QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n';
    return file.write(line) == line.size();
}

}

int main(int argc, char* argv[])
{
    // Recorded before Qt looks for a display (and takes DESKTOP_STARTUP_ID away).
    if (!appendRecord(argc, argv))
        return 2;
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);

    QLabel window(arguments.join(QLatin1Char('\n')));
    window.setWindowTitle(
        QStringLiteral("Recording viewer: %1")
            .arg(arguments.isEmpty() ? QString() : QFileInfo(arguments.first()).fileName()));
    window.setMinimumSize(320, 120);
    const int delay = qEnvironmentVariableIntValue("KESTROVA_RECORDING_WINDOW_DELAY_MS");
    QTimer showing;
    showing.setSingleShot(true);
    QObject::connect(&showing, &QTimer::timeout, &window, &QWidget::show);
    showing.start(delay);
    return application.exec();
}
