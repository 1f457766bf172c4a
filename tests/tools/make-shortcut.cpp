#include "support/ShellLinkWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cstdio>

// Writes a sample shortcut: make-shortcut --net '\\127.0.0.1\Demo' --suffix 'docs\a.txt' OUT.lnk
// (NetName when Latin-1 holds the share, else NetNameUnicode), --env adds an environment block.
namespace {

const char* const usage = "usage: make-shortcut (--net UNC [--suffix PATH] | --local PATH) [--env "
                          "TEXT] [--prefer-env] OUT.lnk\n";

bool fitsLatin1(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

struct Options {
    std::optional<QString> net;
    std::optional<QString> suffix;
    std::optional<QString> local;
    std::optional<QString> environment;
    bool preferEnvironment = false;
    QString output;
};

std::optional<Options> parse(QStringList arguments)
{
    Options options;
    const std::pair<const char*, std::optional<QString> Options::*> valued[] = {
        {"--net", &Options::net}, {"--suffix", &Options::suffix}, {"--local", &Options::local},
        {"--env", &Options::environment}};
    while (arguments.size() > 1) {
        const QString option = arguments.takeFirst();
        options.preferEnvironment |= option == QLatin1String("--prefer-env");
        if (option == QLatin1String("--prefer-env"))
            continue;
        const auto* known = std::find_if(std::begin(valued), std::end(valued),
            [&](const auto& entry) { return option == QLatin1String(entry.first); });
        if (known == std::end(valued) || arguments.size() < 2)
            return std::nullopt;
        options.*(known->second) = arguments.takeFirst();
    }
    if (arguments.size() != 1 || options.net.has_value() == options.local.has_value())
        return std::nullopt;
    options.output = arguments.first();
    return options;
}

std::optional<ShellLinkContents> contentsFor(const Options& options)
{
    ShellLinkContents contents;
    if (options.local) {
        if (!fitsLatin1(*options.local))
            return std::nullopt;
        contents.localBasePath = options.local->toLatin1();
    } else {
        if (fitsLatin1(*options.net))
            contents.netName = options.net->toLatin1();
        else
            contents.netNameUnicode = *options.net;
        const QString suffix = options.suffix.value_or(QString());
        contents.commonPathSuffix = fitsLatin1(suffix) ? suffix.toLatin1() : QByteArray("?");
        contents.commonPathSuffixUnicode = suffix;
    }
    if (options.environment)
        contents.extraDataBlocks << ShellLinkWriter::environmentBlock(
            options.environment->toLatin1(), *options.environment);
    if (options.preferEnvironment)
        contents.extraLinkFlags |= ShellLinkWriter::kPreferEnvironmentPath;
    return contents;
}

}

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const std::optional<Options> options = parse(QCoreApplication::arguments().mid(1));
    if (!options) {
        (void)std::fputs(usage, stderr);
        return 1;
    }
    const std::optional<ShellLinkContents> contents = contentsFor(*options);
    if (!contents) {
        (void)std::fputs("make-shortcut: a local path must be Latin-1 text\n", stderr);
        return 1;
    }
    QFile file(options->output);
    const QByteArray bytes = ShellLinkWriter::write(*contents);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
        || !file.flush()) {
        (void)std::fprintf(stderr, "make-shortcut: %s: %s\n", qUtf8Printable(options->output),
            qUtf8Printable(file.errorString()));
        return 2;
    }
    return 0;
}
