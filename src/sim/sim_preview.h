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

// The drawing of the objects may cost at most this many work units: one per
// object drawn, per character of a text looked at, per pixel written, per
// column or row of a pattern or outline walked. Past it the drawing stops and the picture
// is marked incomplete: a yellow band across its top reading
// "PREVIEW INCOMPLETE". The budget grows with the picture (16 units a pixel)
// so that a larger picture of the same label is not cut sooner.
qint64 previewWorkBudget(int width, int height);

// What a drawing cost, for tests and benchmarks.
struct PreviewStats {
    qint64 work = 0;        // units spent drawing the objects
    qsizetype drawn = 0;    // objects drawn (the last one perhaps in part)
    qsizetype skipped = 0;  // objects off the picture, or hidden by one drawn later
    bool complete = true;   // false: the budget ran out and the marker was drawn
};

// A complete BMP file of exactly width x height pixels; empty when either is
// not positive or the picture would be larger than kMaxPreviewPixels. An
// object is drawn only where a later one does not hide it whole (an opaque
// box over it, or the same object again).
QByteArray renderPreviewBmp(const PreviewPage &page, int width, int height, PreviewStats *stats = nullptr);

// A BMP file of the given pixels (rows top to bottom, 0xRRGGBB each).
QByteArray encodeBmp24(const QList<quint32> &pixels, int width, int height);

} // namespace strovex::sim
