#include "FileManagerActions.h"

#include "ThunarActionFile.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>

namespace {

struct Detection {
    QStringList desktopFiles;
    QLatin1StringView executable;
};

Detection detection(FileManagerActions::Manager manager)
{
    using M = FileManagerActions::Manager;
    switch (manager) {
    case M::Nautilus:
        return {{QStringLiteral("org.gnome.Nautilus.desktop")}, QLatin1StringView("nautilus")};
    case M::Nemo:
        return {{QStringLiteral("nemo.desktop")}, QLatin1StringView("nemo")};
    case M::Dolphin:
        return {{QStringLiteral("org.kde.dolphin.desktop")}, QLatin1StringView("dolphin")};
    case M::Thunar:
        return {{QStringLiteral("thunar.desktop"), QStringLiteral("Thunar.desktop")},
            QLatin1StringView("thunar")};
    }
    return {};
}

// The Nautilus script names, which its Scripts menu shows, and the files they run.
const std::pair<const char*, const char*> kNautilusScripts[] = {
    {"Open Windows Link", "nautilus/open-windows-link.sh"},
    {"Copy Windows Path", "nautilus/copy-windows-path.sh"},
};

const char* const kOurThunarIds[] = {"kestrova-open-windows-link", "kestrova-copy-windows-path"};

// Thunar owns this bus name while it runs, as a window or as the daemon (thunar --daemon).
const char* const kThunarBusName = "org.xfce.Thunar";

QStringList splitFolders(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    return (value.isEmpty() ? fallback : value).split(u':', Qt::SkipEmptyParts);
}

QString homeFolder(const char* variable, const char* belowHome)
{
    const QString value = qEnvironmentVariable(variable);
    return value.isEmpty() ? QDir::home().filePath(QLatin1String(belowHome)) : value;
}

// Regular files only: reading a FIFO or a device put there would never end.
Result<QByteArray> readRegularFile(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return Failure {QStringLiteral("%1 is not a regular file").arg(path)};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure {QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString())};
    QByteArray bytes = file.read(ThunarActionFile::kMaximumSize + 1);
    if (file.error() != QFileDevice::NoError)
        return Failure {QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString())};
    return bytes;
}

// Through a temporary file in the same folder, renamed over the file once it is on
// disk whole; a file that is a symbolic link stays one, the file it leads to replaced.
Result<void> writeAtomically(const QString& path, const QByteArray& bytes)
{
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.canonicalFilePath() : path;
    QSaveFile file(target.isEmpty() ? path : target);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Failure {QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString())};
    return {};
}

// A link made under a temporary name and renamed over the old one, so that the name
// never goes missing.
Result<void> replaceLink(const QString& linkPath, const QString& target)
{
    const QString temporary = linkPath + QStringLiteral(".kestrova-new");
    QFile::remove(temporary);
    if (!QFile::link(target, temporary)
        || std::rename(
               QFile::encodeName(temporary).constData(), QFile::encodeName(linkPath).constData())
            != 0) {
        QFile::remove(temporary);
        return Failure {QStringLiteral("%1 cannot be made").arg(linkPath)};
    }
    return {};
}

}

FileManagerActions::Folders FileManagerActions::Folders::fromEnvironment()
{
    return {homeFolder("XDG_CONFIG_HOME", ".config"),
        splitFolders("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg")),
        homeFolder("XDG_DATA_HOME", ".local/share"),
        splitFolders("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share")),
        splitFolders("PATH", QString())};
}

FileManagerActions::FileManagerActions(Folders folders, QString actionsFolder, QDBusConnection bus)
    : m_folders(std::move(folders))
    , m_actionsFolder(std::move(actionsFolder))
    , m_bus(std::move(bus))
{
}

QString FileManagerActions::name(Manager manager)
{
    switch (manager) {
    case Manager::Nautilus:
        return QStringLiteral("Nautilus");
    case Manager::Nemo:
        return QStringLiteral("Nemo");
    case Manager::Dolphin:
        return QStringLiteral("Dolphin");
    case Manager::Thunar:
        return QStringLiteral("Thunar");
    }
    return {};
}

QString FileManagerActions::stateText(State state)
{
    using S = State;
    switch (state) {
    case S::Off:
        return QStringLiteral("Off");
    case S::On:
        return QStringLiteral("On");
    case S::OnForEveryUser:
        return QStringLiteral("On for every user");
    case S::NotInstalled:
        return QStringLiteral("Not installed with Kestrova");
    }
    return {};
}

QString FileManagerActions::thunarRestartAdvice()
{
    return QStringLiteral("Thunar shows them once it is restarted (thunar -q).");
}

QList<FileManagerActions::Status> FileManagerActions::statuses() const
{
    QList<Status> found;
    for (Manager manager : {Manager::Nautilus, Manager::Nemo, Manager::Dolphin, Manager::Thunar}) {
        if (isInstalled(manager))
            found.append({manager, state(manager)});
    }
    return found;
}

bool FileManagerActions::isInstalled(Manager manager) const
{
    const Detection wanted = detection(manager);
    for (const QString& folder : QStringList {m_folders.dataHome} + m_folders.dataDirs) {
        for (const QString& desktopFile : wanted.desktopFiles) {
            if (QFileInfo(folder + QStringLiteral("/applications/") + desktopFile).isFile())
                return true;
        }
    }
    for (const QString& folder : m_folders.executablePath) {
        const QFileInfo program(folder + u'/' + wanted.executable);
        if (program.isFile() && program.isExecutable())
            return true;
    }
    return false;
}

FileManagerActions::State FileManagerActions::state(Manager manager) const
{
    switch (manager) {
    case Manager::Nautilus:
        return nautilusOn() ? State::On : State::Off;
    case Manager::Nemo:
        return sharedState(QStringLiteral("nemo/actions/kestrova-open-windows-link.nemo_action"));
    case Manager::Dolphin:
        return sharedState(QStringLiteral("kio/servicemenus/kestrova-open-windows-link.desktop"));
    case Manager::Thunar:
        return thunarOn() ? State::On : State::Off;
    }
    return State::NotInstalled;
}

FileManagerActions::State FileManagerActions::sharedState(const QString& dataFile) const
{
    for (const QString& folder : QStringList {m_folders.dataHome} + m_folders.dataDirs) {
        if (QFileInfo(folder + u'/' + dataFile).isFile())
            return State::OnForEveryUser;
    }
    return State::NotInstalled;
}

QString FileManagerActions::nautilusScripts() const
{
    return m_folders.dataHome + QStringLiteral("/nautilus/scripts");
}

QString FileManagerActions::userThunarFile() const
{
    return m_folders.configHome + QStringLiteral("/Thunar/uca.xml");
}

bool FileManagerActions::nautilusOn() const
{
    return std::all_of(std::begin(kNautilusScripts), std::end(kNautilusScripts), [&](auto script) {
        return QFileInfo(nautilusScripts() + u'/' + QLatin1String(script.first)).isExecutable();
    });
}

bool FileManagerActions::thunarOn() const
{
    // Thunar reads the system's file while the user has none.
    const Result<QByteArray> bytes = startingThunarFile();
    const Result<ThunarActionFile> file =
        bytes ? ThunarActionFile::parse(*bytes) : Result<ThunarActionFile>(bytes.failure());
    return file
        && std::all_of(std::begin(kOurThunarIds), std::end(kOurThunarIds),
            [&](const char* id) { return file->hasAction(QLatin1String(id)); });
}

FileManagerActions::Outcome FileManagerActions::turnOn() const
{
    Outcome outcome;
    for (const Status& status : statuses()) {
        if (status.state != State::Off)
            continue;
        const Result<void> done =
            status.manager == Manager::Thunar ? turnOnThunar() : turnOnNautilus();
        if (!done)
            outcome.problems.append(name(status.manager) + QStringLiteral(": ") + done.reason());
        else if (status.manager == Manager::Thunar && m_bus.isConnected())
            outcome.thunarNeedsRestart =
                m_bus.interface()->isServiceRegistered(QLatin1String(kThunarBusName)).value();
    }
    return outcome;
}

Result<void> FileManagerActions::turnOnNautilus() const
{
    if (!QDir().mkpath(nautilusScripts()))
        return Failure {QStringLiteral("%1 cannot be made").arg(nautilusScripts())};
    for (const auto& [title, file] : kNautilusScripts) {
        const QString target = QDir(m_actionsFolder).filePath(QLatin1String(file));
        const QString link = nautilusScripts() + u'/' + QLatin1String(title);
        const QFileInfo existing(link);
        if (!QFileInfo(target).isFile())
            return Failure {QStringLiteral("%1 is not installed").arg(target)};
        // A script of the user's own under our name is theirs to keep.
        if (existing.exists() && !existing.isSymLink())
            return Failure {QStringLiteral("%1 is a script of your own, left as it is").arg(link)};
        if (Result<void> made = replaceLink(link, target); !made)
            return made;
    }
    return {};
}

Result<QByteArray> FileManagerActions::startingThunarFile() const
{
    const QFileInfo user(userThunarFile());
    if (user.exists() || user.isSymLink())
        return readRegularFile(userThunarFile());
    // Without a file of their own, the user sees the first one of the system's.
    for (const QString& folder : m_folders.configDirs) {
        const QString system = folder + QStringLiteral("/Thunar/uca.xml");
        if (QFileInfo(system).isFile())
            return readRegularFile(system);
    }
    return QByteArray();
}

Result<void> FileManagerActions::turnOnThunar() const
{
    const Result<QByteArray> ourBytes =
        readRegularFile(QDir(m_actionsFolder).filePath(QStringLiteral("thunar/uca.xml")));
    if (!ourBytes)
        return ourBytes.failure();
    const Result<ThunarActionFile> ours = ThunarActionFile::parse(*ourBytes);
    if (!ours)
        return Failure {QStringLiteral("Kestrova's uca.xml %1").arg(ours.reason())};
    const Result<QByteArray> bytes = startingThunarFile();
    if (!bytes)
        return bytes.failure();
    const Result<ThunarActionFile> file = ThunarActionFile::parse(*bytes);
    if (!file)
        return Failure {
            QStringLiteral("%1 %2; it is left as it is").arg(userThunarFile(), file.reason())};
    const QByteArray merged = file->withActions(ours->actions());
    if (merged == *bytes)
        return {};
    if (!QDir().mkpath(QFileInfo(userThunarFile()).path()))
        return Failure {
            QStringLiteral("%1 cannot be made").arg(QFileInfo(userThunarFile()).path())};
    return writeAtomically(userThunarFile(), merged);
}
