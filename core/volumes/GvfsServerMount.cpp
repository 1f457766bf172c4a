#include "volumes/GvfsServerMount.h"

#include "platform/FileNames.h"
#include "platform/FolderListing.h"
#include "platform/GLibPtr.h"
#include "platform/GObjectRef.h"
#include "platform/SystemLog.h"
#include "volumes/MountOperation.h"

#include <QUrl>

#include <gio/gio.h>

#include <chrono>
#include <thread>

namespace {

constexpr auto readableLimit = std::chrono::seconds(5);
constexpr auto readableRetryInterval = std::chrono::milliseconds(50);
// How often the mount's loop wakes to see whether the server has had its time.
constexpr guint limitCheckMilliseconds = 100;

struct PendingMount {
    bool finished = false;
    GErrorPtr error;
};

void mountFinished(GObject* file, GAsyncResult* result, gpointer pending)
{
    GError* error = nullptr;
    g_file_mount_enclosing_volume_finish(G_FILE(file), result, &error);
    auto* mount = static_cast<PendingMount*>(pending);
    mount->error.reset(error);
    mount->finished = true;
}

// GIO wants the URI with its scheme in lower case and every other character escaped.
QByteArray gioURI(const QString& url)
{
    QUrl parsed(url, QUrl::StrictMode);
    parsed.setScheme(parsed.scheme().toLower());
    return parsed.toEncoded();
}

gboolean keepTicking(gpointer)
{
    return G_SOURCE_CONTINUE;
}

// Runs the context until the mount has finished, cancelling it once the server has had
// its time; GIO then finishes it with G_IO_ERROR_CANCELLED. Whether it was given up on.
bool waitForMount(GMainContext* context, const PendingMount& pending,
    const MountOperation& operation, GCancellable* cancellable, std::chrono::milliseconds limit)
{
    const GSourcePtr ticker(g_timeout_source_new(limitCheckMilliseconds));
    g_source_set_callback(ticker.get(), keepTicking, nullptr, nullptr);
    g_source_attach(ticker.get(), context);
    const auto started = std::chrono::steady_clock::now();
    bool givenUp = false;
    while (!pending.finished) {
        g_main_context_iteration(context, TRUE);
        const auto serverTime =
            std::chrono::steady_clock::now() - started - operation.timeInPrompt();
        if (!givenUp && serverTime > limit) {
            givenUp = true;
            g_cancellable_cancel(cancellable);
        }
    }
    return givenUp;
}

std::optional<QString> rootPathOfMount(GFile* file)
{
    GError* error = nullptr;
    const auto mount =
        GObjectRef<GMount>::adopt(g_file_find_enclosing_mount(file, nullptr, &error));
    const GErrorPtr failure(error);
    if (!mount)
        return std::nullopt;
    const auto root = GObjectRef<GFile>::adopt(g_mount_get_root(mount.get()));
    const GCharPtr path(g_file_get_path(root.get()));
    if (!path)
        return std::nullopt;
    return FileNames::decode(path.get());
}

// A share mounted again right after it was unmounted answers EIO in its FUSE folder for
// up to about a second; the caller is about to open a file there.
void waitUntilReadable(const QString& folder)
{
    const auto deadline = std::chrono::steady_clock::now() + readableLimit;
    while (!FolderListing::canList(folder) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(readableRetryInterval);
}

// Why a mount that ended with an error did, for the log; none when GVfs already showed it.
std::optional<QString> failureOf(const QString& url, const GError* error,
    const MountOperation& operation, bool givenUp, std::chrono::milliseconds limit)
{
    if (givenUp)
        return QStringLiteral("gave up mounting %1: the server did not answer within %2 s")
            .arg(url)
            .arg(std::chrono::duration<double>(limit).count());
    if (operation.cancelledAtPrompt())
        return QStringLiteral("mounting %1 cancelled at the password question").arg(url);
    if (operation.attemptsExhausted())
        return QStringLiteral("mounting %1 failed: the server refused the credentials %2 times")
            .arg(url)
            .arg(MountOperation::maximumAttempts);
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_FAILED_HANDLED))
        return std::nullopt;
    return QStringLiteral("mounting %1 failed: %2").arg(url, QString::fromUtf8(error->message));
}

}

GvfsServerMount::GvfsServerMount(
    CredentialPrompt& prompt, std::chrono::milliseconds limit, GuestServers* guests)
    : m_prompt(prompt)
    , m_limit(limit)
    , m_guests(guests)
{
}

ServerMountResult GvfsServerMount::mountServerVolume(const QString& url)
{
    const GMainContextPtr context(g_main_context_new());
    g_main_context_push_thread_default(context.get());
    const auto file = GObjectRef<GFile>::adopt(g_file_new_for_uri(gioURI(url).constData()));
    MountOperation operation(m_prompt, m_guests, QUrl(url).host());
    PendingMount pending;
    const auto cancellable = GObjectRef<GCancellable>::adopt(g_cancellable_new());
    g_file_mount_enclosing_volume(file.get(), G_MOUNT_MOUNT_NONE, operation.get(),
        cancellable.get(), mountFinished, &pending);
    const bool givenUp =
        waitForMount(context.get(), pending, operation, cancellable.get(), m_limit);

    ServerMountResult result;
    result.mounted = !pending.error
        || g_error_matches(pending.error.get(), G_IO_ERROR, G_IO_ERROR_ALREADY_MOUNTED);
    if (result.mounted) {
        result.rootPath = rootPathOfMount(file.get());
        if (result.rootPath)
            waitUntilReadable(*result.rootPath);
    } else if (const std::optional<QString> failure =
                   failureOf(url, pending.error.get(), operation, givenUp, m_limit)) {
        SystemLog::write(QStringLiteral("Mounter: ") + *failure);
    }
    operation.keepGuestChoice(result.mounted);
    g_main_context_pop_thread_default(context.get());
    return result;
}
