#include "workspace/GvfsTarget.h"

#include "platform/FileNames.h"
#include "platform/GLibPtr.h"
#include "platform/GObjectRef.h"
#include "platform/GvfsPath.h"
#include "workspace/ContentType.h"
#include "workspace/ExecuteBit.h"

#include <QFileInfo>

#include <gio/gio.h>
#include <sys/stat.h>

namespace GvfsTarget {
namespace {

// Links followed: the type and mode are those of what the path leads to.
const char* const kAttributes = G_FILE_ATTRIBUTE_STANDARD_TYPE
    "," G_FILE_ATTRIBUTE_STANDARD_IS_SYMLINK "," G_FILE_ATTRIBUTE_STANDARD_SYMLINK_TARGET
    "," G_FILE_ATTRIBUTE_UNIX_MODE "," G_FILE_ATTRIBUTE_ACCESS_CAN_EXECUTE;

QString decodedName(const char* name)
{
    return name ? FileNames::decode(QByteArray(name)) : QString();
}

// The name given and, for "." or ".." or a link, the name of what the path leads to.
QStringList namesOf(const QString& path, GFile* file, GFileInfo* info)
{
    QStringList names {QFileInfo(path).fileName()};
    const GCharPtr baseName(g_file_get_basename(file));
    names << decodedName(baseName.get());
    if (g_file_info_get_is_symlink(info))
        names << QFileInfo(decodedName(g_file_info_get_symlink_target(info))).fileName();
    names.removeAll(QString());
    names.removeDuplicates();
    return names;
}

bool hasExecuteBit(GFileInfo* info)
{
    if (g_file_info_has_attribute(info, G_FILE_ATTRIBUTE_UNIX_MODE))
        return (g_file_info_get_attribute_uint32(info, G_FILE_ATTRIBUTE_UNIX_MODE)
                   & (S_IXUSR | S_IXGRP | S_IXOTH))
            != 0;
    return g_file_info_get_attribute_boolean(info, G_FILE_ATTRIBUTE_ACCESS_CAN_EXECUTE);
}

// Empty when the file cannot be read, as for a file on a local disk.
QByteArray headOf(GFile* file)
{
    const auto stream = GObjectRef<GFileInputStream>::adopt(g_file_read(file, nullptr, nullptr));
    if (!stream)
        return {};
    QByteArray head(ContentType::kSniffLength, Qt::Uninitialized);
    gsize filled = 0;
    GInputStream* input = G_INPUT_STREAM(stream.get());
    if (!g_input_stream_read_all(input, head.data(), gsize(head.size()), &filled, nullptr, nullptr))
        filled = 0;
    (void)g_input_stream_close(input, nullptr, nullptr);
    head.truncate(qsizetype(filled));
    return head;
}

Look regularFile(const QString& path, GFile* file, GFileInfo* info)
{
    Look look {Presence::Present, {}};
    look.facts.names = namesOf(path, file, info);
    look.facts.head = headOf(file);
    look.facts.contentType = ContentType::guess(path, look.facts.head);
    look.facts.markedExecutable = hasExecuteBit(info);
    const GCharPtr scheme(g_file_get_uri_scheme(file));
    const bool counts = ExecuteBit::meansSomethingOnGvfsBackend(QString::fromUtf8(scheme.get()));
    look.facts.executeBitCounts = [counts] { return counts; };
    return look;
}

}

Look look(const QString& path)
{
    const GObjectRef<GFile> file = GvfsPath::fileFor(path);
    if (g_file_is_native(file.get()))
        return {};
    GError* error = nullptr;
    const auto info = GObjectRef<GFileInfo>::adopt(
        g_file_query_info(file.get(), kAttributes, G_FILE_QUERY_INFO_NONE, nullptr, &error));
    const GErrorPtr owned(error);
    if (!info)
        return {g_error_matches(owned.get(), G_IO_ERROR, G_IO_ERROR_NOT_FOUND) ? Presence::Absent
                                                                               : Presence::Unknown,
            {}};
    switch (g_file_info_get_file_type(info.get())) {
    case G_FILE_TYPE_REGULAR:
        return regularFile(path, file.get(), info.get());
    case G_FILE_TYPE_DIRECTORY:
        return {Presence::Present,
            {namesOf(path, file.get(), info.get()), QStringLiteral("inode/directory"), {}, false,
                [] { return false; }}};
    default:
        return {};
    }
}

}
