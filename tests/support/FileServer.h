#pragma once

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <optional>

// The SMB server, session bus and GVfs that tests/harness/with-file-server starts around a
// test program and describes in the environment; tests without it are skipped.
namespace FileServer {

bool isRunning();
// The server's address, as shortcuts name it: 127.0.0.1.
QString address();
QString user();
QString password();
QStringList guestShares();
// The paths of the NFS exports (nfs://127.0.0.1/PATH); none without an NFS server.
QStringList nfsExports();

// The server's folder of a share, where a test puts the files the share serves.
QString shareFolder(const QString& share);
// smb://[user@]127.0.0.1/share, the share name percent-encoded.
QString smbURL(const QString& share, const QString& user = {});

// GVfs's FUSE folder of a mounted share (server and share in lower case, then ",user=NAME"
// where the URL named a user); none while it is not mounted.
std::optional<QString> gvfsFolder(const QString& share);

// Mounts a share with `gio mount` as a user would: anonymously, or with the harness's
// account in the URL and its password typed at gio's prompt; returns once it can be listed.
bool gioMount(const QString& share, bool withAccount = false);
// Unmounts a share with `gio mount -u` and returns once GVfs lists it no more.
bool gioUnmount(const QString& share);
// Unmounts every GVfs mount (SMB and NFS), so that each test starts from none.
void unmountEverything();

}

#define KESTROVA_REQUIRE_FILE_SERVER()                                                             \
    do {                                                                                           \
        if (!FileServer::isRunning())                                                              \
            GTEST_SKIP() << "needs the file server: run through tests/harness/with-file-server "   \
                            "(as root)";                                                           \
    } while (false)

// Tests against the file server: skipped without it, every GVfs mount undone around each.
class FileServerTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};
