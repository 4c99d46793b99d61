#pragma once
// Draws a label document as a 24-bit BMP picture. Qt Core only: the core
// library and the command-line tool run without a GUI.

#include <QByteArray>
#include <QList>
#include <QString>

namespace strovex::sim {

struct PreviewShape {
    int kind = 0;       // object kind code: 301 text, 303 graphics, 304 barcode, ...
    int left = 0;       // all lengths in thousandths of a centimetre
    int top = 0;
    int width = 0;
    int height = 0;
    int fontSize = 0;   // tenths of a point
    QString text;       // contents for texts and barcodes
};

struct PreviewPage {
    int width = 0;      // label size in thousandths of a centimetre; 0 when unknown
    int length = 0;
    QList<PreviewShape> shapes;
};

// Largest picture drawn, in pixels; bigger requests are refused by the caller.
inline constexpr qint64 kMaxPreviewPixels = 40'000'000;

// A complete BMP file of exactly width x height pixels; empty when either is
// not positive or the picture would be larger than kMaxPreviewPixels.
QByteArray renderPreviewBmp(const PreviewPage &page, int width, int height);

// A BMP file of the given pixels (rows top to bottom, 0xRRGGBB each).
QByteArray encodeBmp24(const QList<quint32> &pixels, int width, int height);

} // namespace strovex::sim
