#include "support/ShellLinkWriter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

// Writes a sample shortcut: make-shortcut --net '\\127.0.0.1\Demo' --suffix 'docs\a.txt' OUT.lnk
// (NetName when Latin-1 holds the share, else NetNameUnicode), --env adds an environment block.
namespace {

bool fitsLatin1(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

ShellLinkContents contentsFor(const QCommandLineParser& options)
{
    ShellLinkContents contents;
    const QString net = options.value(u"net"_s), suffix = options.value(u"suffix"_s);
    if (options.isSet(u"local"_s))
        contents.localBasePath = options.value(u"local"_s).toLatin1();
    else if (fitsLatin1(net))
        contents.netName = net.toLatin1();
    else
        contents.netNameUnicode = net;
    if (options.isSet(u"net"_s)) {
        contents.commonPathSuffix = fitsLatin1(suffix) ? suffix.toLatin1() : QByteArray("?");
        contents.commonPathSuffixUnicode = suffix;
    }
    if (const QString text = options.value(u"env"_s); options.isSet(u"env"_s))
        contents.extraDataBlocks << ShellLinkWriter::environmentBlock(text.toLatin1(), text);
    if (options.isSet(u"prefer-env"_s))
        contents.extraLinkFlags |= ShellLinkWriter::kPreferEnvironmentPath;
    return contents;
}

int fail(const QString& message, int status)
{
    (void)std::fprintf(stderr, "%s\n", qUtf8Printable(message));
    return status;
}

}

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser options;
    for (const char* name : {"net", "suffix", "local", "env"})
        options.addOption({QString::fromLatin1(name), QString(), u"TEXT"_s});
    options.addOption({u"prefer-env"_s, QString()});
    if (!options.parse(QCoreApplication::arguments()) || options.positionalArguments().size() != 1
        || options.isSet(u"net"_s) == options.isSet(u"local"_s))
        return fail(u"usage: make-shortcut (--net UNC [--suffix PATH] | --local PATH) [--env TEXT] "
                    "[--prefer-env] OUT.lnk"_s,
            1);
    if (!fitsLatin1(options.value(u"local"_s)))
        return fail(u"make-shortcut: a local path must be Latin-1 text"_s, 1);
    QFile file(options.positionalArguments().first());
    const QByteArray bytes = ShellLinkWriter::write(contentsFor(options));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
        || !file.flush())
        return fail(u"make-shortcut: %1: %2"_s.arg(file.fileName(), file.errorString()), 2);
    return 0;
}
