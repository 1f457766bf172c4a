#include "filesvc/GvfsFiles.h"

#include "platform/GLibPtr.h"
#include "platform/GvfsPath.h"

#include <QFile>

#include <gio/gio.h>

namespace {

using namespace GvfsFiles;
using GvfsPath::fileFor;

Attempt failed(GError* error)
{
    const GErrorPtr owned(error);
    if (!owned)
        return {Outcome::Failed, QStringLiteral("failed")};
    return {g_error_matches(owned.get(), G_IO_ERROR, G_IO_ERROR_EXISTS) ? Outcome::NameTaken
                                                                        : Outcome::Failed,
        QString::fromUtf8(owned->message)};
}

}

namespace GvfsFiles {

Attempt create(const QString& path, const QByteArray& bytes)
{
    const GObjectRef<GFile> file = fileFor(path);
    GError* error = nullptr;
    const auto stream = GObjectRef<GFileOutputStream>::adopt(
        g_file_create(file.get(), G_FILE_CREATE_NONE, nullptr, &error));
    if (!stream)
        return failed(error);
    GOutputStream* output = G_OUTPUT_STREAM(stream.get());
    gsize written = 0;
    const bool wrote = bytes.isEmpty()
        || g_output_stream_write_all(
            output, bytes.constData(), gsize(bytes.size()), &written, nullptr, &error);
    // The server has the bytes once the file is closed.
    const bool closed = g_output_stream_close(output, nullptr, wrote ? &error : nullptr);
    if (wrote && closed)
        return {};
    (void)g_file_delete(file.get(), nullptr, nullptr);
    return failed(error);
}

Attempt renameWhereNone(const QString& from, const QString& to)
{
    GError* error = nullptr;
    if (g_file_move(fileFor(from).get(), fileFor(to).get(), G_FILE_COPY_NO_FALLBACK_FOR_MOVE,
            nullptr, nullptr, nullptr, &error))
        return {};
    return failed(error);
}

void remove(const QString& path)
{
    (void)g_file_delete(fileFor(path).get(), nullptr, nullptr);
}

}
