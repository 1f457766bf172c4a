#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Reads what xwd(1) dumps of a TrueColor window (the X.Org XWDFile.h layout, version 7):
// pixels in Z format of 24 or 32 bits. Tests use it to see what the X server itself shows.
struct XwdImage {
    QImage image;
    QString error;

    bool isValid() const { return error.isEmpty(); }
};

[[nodiscard]] XwdImage readXwdImage(const QByteArray& dump);
