#include "FakeMountParts.h"
#include "support/LogCapture.h"
#include "volumes/CifsServerMount.h"
#include "volumes/KTMounter.h"
#include "volumes/MountEntries.h"
#include "volumes/MountNames.h"
#include "volumes/MountTable.h"
#include "volumes/MountURL.h"
#include "volumes/TerminalCredentialPrompt.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <future>

using namespace Qt::StringLiterals;

namespace {

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The fields themselves are MountInfo's; here the sources become //server/share.
TEST(MountEntries, GiveTypeShareFormSourceAndMountPoint)
{
    const char* const cases[][4] = {
        {"97 27 0:50 / /mnt/p rw,relatime shared:55 - cifs //fs1/Projects rw,username=alice",
            "cifs", "//fs1/Projects", "/mnt/p"},
        {"97 27 0:50 / /mnt/p rw - cifs \\134\\134fs1\\134Projects rw", "cifs", "//fs1/Projects",
            "/mnt/p"},
        {"97 27 0:50 / /mnt/p rw - smb3 //fs1/Projects rw", "smb3", "//fs1/Projects", "/mnt/p"},
        {"98 27 0:51 / /mnt/h rw - nfs fs2:/export/home rw,addr=10.0.0.2", "nfs",
            "//fs2/export/home", "/mnt/h"},
        {"98 27 0:51 / /mnt/s rw master:3 shared:7 - nfs4 [fd00::2]:/srv rw", "nfs4",
            "//[fd00::2]/srv", "/mnt/s"},
        {"98 27 0:51 / /mnt/a rw - nfs fs2:/ rw", "nfs", "//fs2/", "/mnt/a"},
        {"98 27 0:51 / /mnt/x rw - nfs fs2 rw", "nfs", "fs2", "/mnt/x"},
        {"69 46 0:41 / /run/user/0/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw", "fuse.gvfsd-fuse",
            "gvfsd-fuse", "/run/user/0/gvfs"}};
    for (const auto& [line, type, source, mountPoint] : cases) {
        SCOPED_TRACE(line);
        const QList<MountEntry> entries = MountEntries::parse(line);
        ASSERT_EQ(entries.size(), 1);
        EXPECT_EQ(entries[0].fileSystemType(), text(type));
        EXPECT_EQ(entries[0].rawMountSource(), QByteArray(source));
        EXPECT_EQ(entries[0].rawMountPoint(), QByteArray(mountPoint));
    }
}

// Sources are decoded to give host and share; mount points keep escapes, part of a folder name.
TEST(MountEntry, DecodesTheSourceAndReadsItAsServerAndPath)
{
    // Source, decoded, host (null: none), share path (null: no URL).
    const char* const cases[][4] = {
        {"//alice@FS1/Projects/plans", "//alice@FS1/Projects/plans", "fs1", "Projects/plans"},
        {"//fs1/My%20Files", "//fs1/My Files", "fs1", "My Files"},
        {"//fs1/Donn%C3%A9es", "//fs1/Données", "fs1", "Données"},
        {"//fs1/a#b?c", "//fs1/a#b?c", "fs1", "a#b?c"},
        {"//fs1/a%FFb", "//fs1/a%FFb", "fs1", "a%FFb"},
        {"//bob@[fd00::2]:2049/srv", "//bob@[fd00::2]:2049/srv", "[fd00::2]", "srv"},
        {"//fs2/", "//fs2/", "fs2", ""}, {"/dev/vda", "/dev/vda", nullptr, "dev/vda"},
        {"//", "//", nullptr, nullptr}};
    for (const auto& [source, decoded, host, sharePath] : cases) {
        SCOPED_TRACE(source);
        const MountEntry entry(u"cifs"_s, source, "/g/my%20files");
        EXPECT_EQ(entry.mountSource(), text(decoded));
        EXPECT_EQ(entry.mountPoint(), u"/g/my%20files"_s);
        ASSERT_EQ(entry.sourceURL().has_value(), sharePath != nullptr);
        if (!sharePath)
            continue;
        EXPECT_EQ(entry.sourceURL()->host(), host ? std::optional(text(host)) : std::nullopt);
        EXPECT_EQ(entry.sourceURL()->sharePath(), text(sharePath));
    }
    EXPECT_EQ(MountNames::decode(QByteArrayView("//fs1/a\0junk", 12)), u"//fs1/a"_s);
}

TEST(MountTable, LongestMountPointAboveThePathWinsAndOfOnePointTheLastMounted)
{
    const auto volume = [](const char* source, const char* mountPoint) {
        return MountEntry(u"cifs"_s, source, mountPoint);
    };
    const MountTable table({volume("/dev/vda", "/"), volume("//fs1/Old", "/mnt/p"),
        volume("//fs1/New", "/mnt/p"), volume("tmpfs", "/mnt")});
    const char* const cases[][2] = {{"/mnt/p/a.doc", "//fs1/New"}, {"/mnt/p", "//fs1/New"},
        {"/mnt/pX/a", "tmpfs"}, {"/mnt", "tmpfs"}, {"/home/a", "/dev/vda"}, {"/", "/dev/vda"}};
    for (const auto& [path, source] : cases)
        EXPECT_EQ(table.volumeForPath(text(path))->mountSource(), text(source)) << path;
    EXPECT_EQ(MountTable().volumeForPath(u"/"), nullptr);
    const MountTable gvfs =
        MountTable::fromMountInfo("69 27 0:41 / /run/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n",
            {volume("//fs1/projects", "/run/gvfs/smb-share:server=fs1,share=projects")});
    EXPECT_EQ(gvfs.volumeForPath(u"/run/gvfs/smb-share:server=fs1,share=projects/a")->mountSource(),
        u"//fs1/projects"_s);
    EXPECT_EQ(gvfs.volumeForPath(u"/run/gvfs/smb-share:server=fs1,share=gone/a"), nullptr);
}

// Names reach mount.cifs's option list and GVfs's GMountSpec: syntax there must not pass.
TEST(MountURL, EncodesTheShareAndRefusesNamesThatHoldSyntax)
{
    const char* const accepted[][2] = {{"//fs1/Projects", "smb://fs1/Projects"},
        {"//FS1/My Files/a b", "smb://FS1/My%20Files/a%20b"},
        {"//fs1/Données", "smb://fs1/Donn%C3%A9es"}, {"//fs1/a#b%20", "smb://fs1/a%23b%2520"},
        {"//fs1/s/a?b@c", "smb://fs1/s/a%3Fb%40c"},
        {"//bücher.example/s", "smb://xn--bcher-kva.example/s"},
        {"//[fd00::2]/s", "smb://[fd00::2]/s"},
        {"//127.0.0.1/tmp/e x/nfs", "smb://127.0.0.1/tmp/e%20x/nfs"}};
    for (const auto& [share, expected] : accepted) {
        const Result<QString> url = MountURL::forShare(text(share), u"smb"_s);
        EXPECT_EQ(url ? *url : url.reason(), text(expected)) << share;
    }
    for (const char* share : {"//127.0.0.1/s,ip=192.0.2.7,vers=1.0", "//127.0.0.1,ip=192.0.2.7/s",
             "//fs1/s/dir,vers=1.0", "//fs1/s=x", "//fs1/s\"x", "//fs1/a\\b", "//fs1/s;x",
             "//fs1/s:x", "//fs1/s\nx", "//fs1/s/\x1b]0;x\x07", "//fs1/s\u0085x", "//fs1/s\x7f",
             "//user@fs1/s", "//fs1:445/s", "//fs 1/s", "//fs1%2C/s", "//[fd00::2/s", "///s",
             "fs1/s"}) {
        const Result<QString> url = MountURL::forShare(text(share), u"smb"_s);
        EXPECT_FALSE(url) << share << " became " << (url ? *url : QString()).toStdString();
    }
    const Result<QString> refused = MountURL::forShare(text("//fs1/a,b\x1b"), u"cifs"_s);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.reason(),
        u"//fs1/a,b\\x1b cannot be mounted: the share name holds \",\" (U+002C)"_s);
}

TEST(CifsFstab, FindsTheLineThatLetsUsersMountTheShare)
{
    // An fstab and its user mount point of //fs1/Projects (null: none).
    const char* const cases[][2] = {{"//fs1/Projects /mnt/p cifs user,noauto 0 0\n", "/mnt/p"},
        {"//FS1/projects\t/mnt/p  cifs  noauto,users 0 0\n", "/mnt/p"},
        {"\\\\fs1\\Projects\\ /mnt/p smb3 user 0 0\n", "/mnt/p"},
        {"//fs1/Projects /mnt/My\\040P cifs user 0 0\n", "/mnt/My P"},
        {"//fs1/Projects /mnt/p cifs noauto,username=alice 0 0\n", nullptr},
        {"//fs1/Other /mnt/o cifs user 0 0\n", nullptr},
        {"//fs1/Projects /mnt/p nfs user 0 0\n", nullptr},
        {"#//fs1/Projects /mnt/p cifs user 0 0\n", nullptr}, {"//fs1/Projects /mnt/p\n", nullptr}};
    for (const auto& [fstab, expected] : cases)
        EXPECT_EQ(CifsServerMount::userMountPointInFstab(fstab, u"//fs1/Projects"_s),
            expected ? std::optional(text(expected)) : std::nullopt)
            << fstab;
}

class Mounter : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* folder : {"projects/plans", "projects2", "myfiles", "home", "v6"})
            ASSERT_TRUE(QDir(m_root.path()).mkpath(QString::fromUtf8(folder)));
    }
    QString path(const char* relative) const
    {
        return m_root.path() + u'/' + QString::fromUtf8(relative);
    }
    MountEntry volume(const char* source, const char* relativeMountPoint) const
    {
        return MountEntry(u"cifs"_s, source, QFile::encodeName(path(relativeMountPoint)));
    }
    static MountEntry localDisk() { return MountEntry(u"ext4"_s, "/dev/vda", "/"); }
    std::optional<QString> find(const char* share)
    {
        return m_mounter.networkVolumeForShare(QString::fromUtf8(share));
    }
    bool mount(const char* share, const char* method = "smb")
    {
        return m_mounter.mountNetworkVolume(QString::fromUtf8(share), QString::fromUtf8(method));
    }
    QTemporaryDir m_root;
    FakeMountTable m_table;
    FakeServerMount m_server;
    RecordingStatusDisplay m_status;
    KTMounter m_mounter {m_table, m_server, [this] { return &m_status; }};
    LogCapture m_log;
};

// A volume whose root is missing, or hidden under a later mount, is passed over.
TEST_F(Mounter, ScanFindsTheFirstVisibleVolumeOfServerAndShareIgnoringCaseAndUser)
{
    m_table.setVolumes(
        {localDisk(), volume("//fs1/Projects", "missing"), volume("//fs1/Projects", "home"),
            MountEntry(u"tmpfs"_s, "tmpfs", QFile::encodeName(path("home"))),
            volume("//alice@fs1/Projects", "projects"), volume("//fs1/projects", "projects2"),
            volume("//fs1/My%20Files", "myfiles"), volume("//fs2/export/home", "v6")});
    // A share and the folder it is found in (null: none). Of an NFS export only the last
    // component is compared with the share name.
    const char* const cases[][2] = {{"//FS1/projects", "projects"},
        {"//fs1/Projects/plans", "projects"}, {"//fs1/my files", "myfiles"}, {"//FS2/home", "v6"},
        {"//fs2/export", nullptr}, {"//fs1", nullptr}, {"//fs1/", nullptr}, {"fs1", nullptr},
        {"", nullptr}, {"//", nullptr}, {"//fs1/Other", nullptr}};
    for (const auto& [share, folder] : cases)
        EXPECT_EQ(find(share), folder ? std::optional(path(folder)) : std::nullopt) << share;
    EXPECT_TRUE(m_mounter.mountPoints().isEmpty());
}

TEST_F(Mounter, MountsMethodColonEncodedShareShowingTheStatusMeanwhileAndRefusesSyntax)
{
    bool shownDuringMount = false;
    m_server.duringMount = [&] { shownDuringMount = m_status.shown; };
    m_server.result = {true, std::nullopt};
    EXPECT_TRUE(mount("//fs1/My Files", "afp"));
    EXPECT_EQ(m_server.urls, QStringList {u"afp://fs1/My%20Files"_s});
    EXPECT_TRUE(shownDuringMount);
    EXPECT_EQ(m_status.calls.join(u'|'),
        u"setTitle Mounting drive afp://fs1/My%20Files|show true|hideNow"_s);
    EXPECT_TRUE(m_mounter.mountPoints().isEmpty());
    // A share name that holds syntax is refused before any mount.
    m_server.urls.clear();
    m_status.calls.clear();
    for (const char* method : {"smb", "afp", "nfs", "cifs"})
        EXPECT_FALSE(mount("//127.0.0.1/s,ip=192.0.2.7,vers=1.0", method));
    EXPECT_TRUE(m_server.urls.isEmpty() && m_status.calls.isEmpty());
    KTMounter withoutStatus(m_table, m_server, [] { return nullptr; });
    m_server.result = {true, path("missing")};
    EXPECT_TRUE(withoutStatus.mountNetworkVolume(u"//fs1/P"_s, u"smb"_s));
    EXPECT_TRUE(withoutStatus.mountPoints().isEmpty()) << "a root that cannot be examined";
}

// A source that is no URL (an NFS source without a path) is found through the record only.
TEST_F(Mounter, RecordIsKeptUnderTheLowerCaseShareUntilAnotherVolumeTakesItsPlace)
{
    m_table.setVolumes({localDisk(), volume("fs9", "myfiles")});
    m_server.result = {true, path("myfiles")};
    ASSERT_TRUE(mount("//fs1/My Files"));
    EXPECT_EQ(m_table.awaited, QStringList {path("myfiles")});
    EXPECT_EQ(m_mounter.mountPoints(),
        (QHash<QString, MountRecord> {{u"//fs1/my files"_s, {u"fs9"_s, path("myfiles")}}}));
    EXPECT_EQ(find("//FS1/MY FILES"), path("myfiles"));
    // A gone mount point keeps the record; another volume there, or none, removes it.
    ASSERT_TRUE(QDir(path("myfiles")).removeRecursively());
    EXPECT_EQ(find("//fs1/My Files"), std::nullopt);
    EXPECT_EQ(m_mounter.mountPoints().size(), 1);
    ASSERT_TRUE(QDir().mkpath(path("myfiles")));
    for (const QList<MountEntry>& volumes :
        {QList {localDisk(), volume("//fs9/Other", "myfiles")}, QList {localDisk()}}) {
        ASSERT_TRUE(mount("//fs1/My Files"));
        m_table.setVolumes(volumes);
        EXPECT_EQ(find("//fs1/My Files"), std::nullopt);
        EXPECT_TRUE(m_mounter.mountPoints().isEmpty());
        m_table.setVolumes({localDisk(), volume("fs9", "myfiles")});
    }
    // Mounted again elsewhere, the record follows.
    ASSERT_TRUE(mount("//fs1/My Files"));
    m_table.setVolumes({localDisk(), volume("fs9", "home")});
    m_server.result = {true, path("home")};
    ASSERT_TRUE(mount("//FS1/my files"));
    EXPECT_EQ(m_mounter.mountPoints().value(u"//fs1/my files"_s).mnto, path("home"));
}

TEST_F(Mounter, TransformGivesServerPathsOnNetworkVolumesOnly)
{
    m_table.setVolumes({localDisk(), volume("//alice@fs1/Projects", "projects"),
        volume("//fs2/export/home", "home"), volume("//fs2/", "nfsroot"),
        volume("//fs1/Pct", "pct%41"), volume("//fs1/my%20files", "myfiles"),
        volume("//fs1/Donn%C3%A9es", "donnees"), volume("//[fd00::2]/srv", "v6")});
    // A path under the folder and its server path (null: unchanged).
    const char* const cases[][2] = {{"projects/plans/a.doc", "//fs1/Projects/plans/a.doc"},
        {"projects", "//fs1/Projects"}, {"projects/", "//fs1/Projects"},
        {"projects//plans///a.doc", "//fs1/Projects/plans/a.doc"},
        {"projects/./plans/../a.doc", "//fs1/Projects/a.doc"},
        {"home/bob/notes.txt", "//fs2/export/home/bob/notes.txt"},
        {"nfsroot/etc/motd", "//fs2/etc/motd"}, {"nfsroot", "//fs2/"},
        {"pct%41/x.doc", "//fs1/Pct/x.doc"}, {"myfiles/a b.doc", "//fs1/my files/a b.doc"},
        {"donnees/é.txt", "//fs1/Données/é.txt"}, {"v6/a", "//[fd00::2]/srv/a"},
        {"local/a.doc", nullptr}};
    for (const auto& [local, serverPath] : cases)
        EXPECT_EQ(m_mounter.transformToNetworkVolumePath(path(local)),
            serverPath ? QString::fromUtf8(serverPath) : path(local));
    EXPECT_EQ(m_mounter.transformToNetworkVolumePath(QString()), QString());
    // Links are followed only for a path that is on no network volume as written.
    ASSERT_TRUE(QFile::link(path("projects/plans"), path("plans-link")));
    EXPECT_EQ(
        m_mounter.transformToNetworkVolumePath(path("plans-link/a.doc")), path("plans-link/a.doc"));
    ASSERT_TRUE(QFile(path("projects/plans/a.doc")).open(QIODevice::WriteOnly));
    EXPECT_EQ(m_mounter.transformToNetworkVolumePath(path("plans-link/a.doc")),
        u"//fs1/Projects/plans/a.doc"_s);
}

// Asks on a real pseudo-terminal, where a user types the next keys at each prompt (text
// ending in ": "); the answer, and what the screen showed.
std::pair<std::optional<Credentials>, QByteArray> askAtTerminal(
    const CredentialRequest& request, QList<QByteArray> keys)
{
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return {};
    auto answer = std::async(
        std::launch::async, [&] { return TerminalCredentialPrompt(slave).askPassword(request); });
    QByteArray screen;
    // Reads on once the prompt has answered, until all is quiet: the last echo may come later.
    for (char buffer[256];;) {
        pollfd terminal {master, POLLIN, 0};
        const ssize_t count =
            ::poll(&terminal, 1, 20) > 0 ? ::read(master, buffer, sizeof buffer) : 0;
        if (count <= 0 && answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
            break;
        screen.append(buffer, std::max<ssize_t>(count, 0));
        if (count > 0 && screen.endsWith(": ") && !keys.isEmpty()) {
            const QByteArray typed = keys.takeFirst();
            (void)!::write(master, typed.constData(), size_t(typed.size()));
        }
    }
    ::close(master);
    ::close(slave);
    return {answer.get(), screen};
}

TEST(TerminalCredentialPrompt, AsksWhatTheServerNeedsWithoutEchoingThePassword)
{
    CredentialRequest request;
    request.message = u"Enter user and password for share “private” on “127.0.0.1”"_s;
    request.defaultUser = u"root"_s;
    request.defaultDomain = u"WORKGROUP"_s;
    request.needsUser = request.needsDomain = request.needsPassword = true;
    const struct {
        bool guestAllowed;
        bool savingSupported;
        QList<QByteArray> keys;
        const char* prompts; // what the screen shows after the server's message
        std::optional<Credentials> answer; // none: cancelled
    } cases[] = {
        {false, false, {"kestrova\n", "\n", "s3cret pass\n"},
            "User [root]: kestrova\r\nDomain [WORKGROUP]: \r\nPassword: \r\n",
            Credentials {false, u"kestrova"_s, u"WORKGROUP"_s, u"s3cret pass"_s, {}}},
        {false, true, {"\n", "\n", "pw\n", " Forever\n"},
            "Password: \r\nRemember the password? [n]o, until [l]ogout, [f]orever [n]:  Forever",
            Credentials {false, u"root"_s, u"WORKGROUP"_s, u"pw"_s, PasswordSave::Permanently}},
        {true, true, {"y\n"}, "Connect as guest? [y/N]: y\r\n", Credentials {true, {}, {}, {}, {}}},
        {true, false, {"n\n", "kestrova\n", "\x04"},
            "Connect as guest? [y/N]: n\r\nUser [root]: kestrova\r\nDomain [WORKGROUP]: ",
            std::nullopt},
    };
    for (const auto& c : cases) {
        request.anonymousAllowed = c.guestAllowed;
        request.savingSupported = c.savingSupported;
        const auto [credentials, screen] = askAtTerminal(request, c.keys);
        EXPECT_TRUE(screen.startsWith(request.message.toUtf8())) << screen.toStdString();
        EXPECT_TRUE(screen.contains(c.prompts)) << screen.toStdString();
        ASSERT_EQ(credentials.has_value(), c.answer.has_value());
        if (credentials) {
            EXPECT_EQ(credentials->anonymous, c.answer->anonymous);
            EXPECT_EQ(credentials->save, c.answer->save);
            EXPECT_EQ(QStringList({credentials->user, credentials->domain, credentials->password}),
                QStringList({c.answer->user, c.answer->domain, c.answer->password}));
        }
    }
}

}
