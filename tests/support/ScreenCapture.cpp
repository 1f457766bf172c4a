#include "support/ScreenCapture.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ScreenCapture {
constexpr int clientTimeoutMilliseconds = 20000;

QImage capture(const QStringList& xwdArguments)
{
    QProcess dump;
    QProcess convert;
    dump.setStandardOutputProcess(&convert);
    dump.start(u"xwd"_s, QStringList {u"-silent"_s} + xwdArguments);
    convert.start(u"xwdtopnm"_s, {});
    // The converter's output is read while waiting for it: a screen does not fit in a pipe.
    if (!convert.waitForFinished(clientTimeoutMilliseconds)
        || !dump.waitForFinished(clientTimeoutMilliseconds) || dump.exitCode() != 0
        || convert.exitCode() != 0) {
        ADD_FAILURE() << "no capture: " << dump.readAllStandardError().toStdString()
                      << convert.readAllStandardError().toStdString();
        return {};
    }
    return QImage::fromData(convert.readAllStandardOutput(), "PPM");
}

PixelCensus takeCensus(const QImage& image)
{
    PixelCensus census;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qGray(pixel) < 80)
                ++census.text;
            else if (qGray(pixel) > 200)
                ++census.background;
            if (qBlue(pixel) - qRed(pixel) > 80)
                ++census.highlight;
        }
    }
    return census;
}

void keepAsArtefact(const QImage& image, const QString& name)
{
    const QString folder = QStringLiteral(KESTROVA_ARTIFACT_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QLatin1Char('/') + name;
    EXPECT_TRUE(image.save(path, "PNG")) << path.toStdString();
    testing::Test::RecordProperty("screenshot", path.toStdString());
}

}
