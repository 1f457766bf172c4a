// A stand-in document viewer: each start appends {"pid", "arguments", "startupId"} as one
// JSON line to $KESTROVA_RECORDING_FILE, then shows a window (WM_CLASS recording-viewer)
// after $KESTROVA_RECORDING_WINDOW_DELAY_MS, so tests can see it still launching.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QTimer>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

bool appendRecord(int argc, char* argv[])
{
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    const QString path = qEnvironmentVariable("KESTROVA_RECORDING_FILE");
    if (path.isEmpty())
        return true;
    const QJsonObject record {{u"pid"_s, qint64(getpid())},
        {u"arguments"_s, QJsonArray::fromStringList(arguments)},
        {u"startupId"_s, qEnvironmentVariable("DESKTOP_STARTUP_ID")}};
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
    window.setWindowTitle(u"Recording viewer: %1"_s.arg(QFileInfo(arguments.value(0)).fileName()));
    window.setMinimumSize(320, 120);
    QTimer::singleShot(qEnvironmentVariableIntValue("KESTROVA_RECORDING_WINDOW_DELAY_MS"), &window,
        &QWidget::show);
    return application.exec();
}
