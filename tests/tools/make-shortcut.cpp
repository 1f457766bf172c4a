#include "support/ShellLinkWriter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstdio>

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
    if (options.isSet(QStringLiteral("local"))) {
        contents.localBasePath = options.value(QStringLiteral("local")).toLatin1();
    } else {
        const QString net = options.value(QStringLiteral("net"));
        if (fitsLatin1(net))
            contents.netName = net.toLatin1();
        else
            contents.netNameUnicode = net;
        const QString suffix = options.value(QStringLiteral("suffix"));
        contents.commonPathSuffix = fitsLatin1(suffix) ? suffix.toLatin1() : QByteArray("?");
        contents.commonPathSuffixUnicode = suffix;
    }
    if (const QString text = options.value(QStringLiteral("env"));
        options.isSet(QStringLiteral("env")))
        contents.extraDataBlocks << ShellLinkWriter::environmentBlock(text.toLatin1(), text);
    if (options.isSet(QStringLiteral("prefer-env")))
        contents.extraLinkFlags |= ShellLinkWriter::kPreferEnvironmentPath;
    return contents;
}

}

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser options;
    for (const char* name : {"net", "suffix", "local", "env"})
        options.addOption({QString::fromLatin1(name), QString(), QStringLiteral("TEXT")});
    options.addOption({QStringLiteral("prefer-env"), QString()});
    options.addPositionalArgument(QStringLiteral("OUT.lnk"), QString());
    const bool parsed = options.parse(QCoreApplication::arguments());
    if (!parsed || options.positionalArguments().size() != 1
        || options.isSet(QStringLiteral("net")) == options.isSet(QStringLiteral("local"))) {
        (void)std::fputs("usage: make-shortcut (--net UNC [--suffix PATH] | --local PATH) [--env "
                         "TEXT] [--prefer-env] OUT.lnk\n",
            stderr);
        return 1;
    }
    if (!fitsLatin1(options.value(QStringLiteral("local")))) {
        (void)std::fputs("make-shortcut: a local path must be Latin-1 text\n", stderr);
        return 1;
    }
    QFile file(options.positionalArguments().first());
    const QByteArray bytes = ShellLinkWriter::write(contentsFor(options));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
        || !file.flush()) {
        (void)std::fprintf(stderr, "make-shortcut: %s: %s\n", qUtf8Printable(file.fileName()),
            qUtf8Printable(file.errorString()));
        return 2;
    }
    return 0;
}
