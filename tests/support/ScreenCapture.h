#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

// What the X server itself shows, for tests of windows: not what Qt believes it drew.
namespace ScreenCapture {

// A dump by xwd ("-root", or "-id" and a window) through xwdtopnm; a null image, with a
// test failure, where either fails.
QImage capture(const QStringList& xwdArguments);

// Pixels by kind: text near black, a panel near white, a running indicator clear blue.
struct PixelCensus {
    int text = 0;
    int background = 0;
    int highlight = 0;
};
PixelCensus takeCensus(const QImage& image);

// Saves the image as NAME in the build's test-artifacts and names it in the test's report.
void keepAsArtefact(const QImage& image, const QString& name);

}
