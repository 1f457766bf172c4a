#include "link/HtmlLinkReader.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The input is an HTML selection as another application offers it (text/html, UTF-8).
// Whatever it holds, the reader ends without loading anything it names.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // QTextDocument lays text out with fonts, which need a GUI application; the offscreen
    // platform needs no display.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const RichTextContent content = HtmlLinkReader::read(
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (content.firstLink && content.firstLink->isEmpty())
        __builtin_trap();
    return 0;
}
