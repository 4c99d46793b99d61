#include "sim/sim_preview.h"

#include <QRegularExpression>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace strovex::sim {

namespace {

constexpr quint32 kDesk = 0xB0B4BC;
constexpr quint32 kPaper = 0xFFFFFF;
constexpr quint32 kInk = 0x000000;
constexpr quint32 kBorder = 0x404040;
constexpr quint32 kHatch = 0x8090A8;
constexpr quint32 kIncomplete = 0xFFD000;

// 5 x 7 glyphs for ASCII 32 to 126, one byte per column, bit 0 the top row.
constexpr unsigned char kFont[95][5] = {
    {0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x5F, 0x00, 0x00}, {0x00, 0x07, 0x00, 0x07, 0x00},
    {0x14, 0x7F, 0x14, 0x7F, 0x14}, {0x24, 0x2A, 0x7F, 0x2A, 0x12}, {0x23, 0x13, 0x08, 0x64, 0x62},
    {0x36, 0x49, 0x55, 0x22, 0x50}, {0x00, 0x05, 0x03, 0x00, 0x00}, {0x00, 0x1C, 0x22, 0x41, 0x00},
    {0x00, 0x41, 0x22, 0x1C, 0x00}, {0x08, 0x2A, 0x1C, 0x2A, 0x08}, {0x08, 0x08, 0x3E, 0x08, 0x08},
    {0x00, 0x50, 0x30, 0x00, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08}, {0x00, 0x60, 0x60, 0x00, 0x00},
    {0x20, 0x10, 0x08, 0x04, 0x02}, {0x3E, 0x51, 0x49, 0x45, 0x3E}, {0x00, 0x42, 0x7F, 0x40, 0x00},
    {0x42, 0x61, 0x51, 0x49, 0x46}, {0x21, 0x41, 0x45, 0x4B, 0x31}, {0x18, 0x14, 0x12, 0x7F, 0x10},
    {0x27, 0x45, 0x45, 0x45, 0x39}, {0x3C, 0x4A, 0x49, 0x49, 0x30}, {0x01, 0x71, 0x09, 0x05, 0x03},
    {0x36, 0x49, 0x49, 0x49, 0x36}, {0x06, 0x49, 0x49, 0x29, 0x1E}, {0x00, 0x36, 0x36, 0x00, 0x00},
    {0x00, 0x56, 0x36, 0x00, 0x00}, {0x08, 0x14, 0x22, 0x41, 0x00}, {0x14, 0x14, 0x14, 0x14, 0x14},
    {0x00, 0x41, 0x22, 0x14, 0x08}, {0x02, 0x01, 0x51, 0x09, 0x06}, {0x32, 0x49, 0x79, 0x41, 0x3E},
    {0x7E, 0x11, 0x11, 0x11, 0x7E}, {0x7F, 0x49, 0x49, 0x49, 0x36}, {0x3E, 0x41, 0x41, 0x41, 0x22},
    {0x7F, 0x41, 0x41, 0x22, 0x1C}, {0x7F, 0x49, 0x49, 0x49, 0x41}, {0x7F, 0x09, 0x09, 0x09, 0x01},
    {0x3E, 0x41, 0x49, 0x49, 0x7A}, {0x7F, 0x08, 0x08, 0x08, 0x7F}, {0x00, 0x41, 0x7F, 0x41, 0x00},
    {0x20, 0x40, 0x41, 0x3F, 0x01}, {0x7F, 0x08, 0x14, 0x22, 0x41}, {0x7F, 0x40, 0x40, 0x40, 0x40},
    {0x7F, 0x02, 0x0C, 0x02, 0x7F}, {0x7F, 0x04, 0x08, 0x10, 0x7F}, {0x3E, 0x41, 0x41, 0x41, 0x3E},
    {0x7F, 0x09, 0x09, 0x09, 0x06}, {0x3E, 0x41, 0x51, 0x21, 0x5E}, {0x7F, 0x09, 0x19, 0x29, 0x46},
    {0x46, 0x49, 0x49, 0x49, 0x31}, {0x01, 0x01, 0x7F, 0x01, 0x01}, {0x3F, 0x40, 0x40, 0x40, 0x3F},
    {0x1F, 0x20, 0x40, 0x20, 0x1F}, {0x3F, 0x40, 0x38, 0x40, 0x3F}, {0x63, 0x14, 0x08, 0x14, 0x63},
    {0x07, 0x08, 0x70, 0x08, 0x07}, {0x61, 0x51, 0x49, 0x45, 0x43}, {0x00, 0x7F, 0x41, 0x41, 0x00},
    {0x02, 0x04, 0x08, 0x10, 0x20}, {0x00, 0x41, 0x41, 0x7F, 0x00}, {0x04, 0x02, 0x01, 0x02, 0x04},
    {0x40, 0x40, 0x40, 0x40, 0x40}, {0x00, 0x01, 0x02, 0x04, 0x00}, {0x20, 0x54, 0x54, 0x54, 0x78},
    {0x7F, 0x48, 0x44, 0x44, 0x38}, {0x38, 0x44, 0x44, 0x44, 0x20}, {0x38, 0x44, 0x44, 0x48, 0x7F},
    {0x38, 0x54, 0x54, 0x54, 0x18}, {0x08, 0x7E, 0x09, 0x01, 0x02}, {0x0C, 0x52, 0x52, 0x52, 0x3E},
    {0x7F, 0x08, 0x04, 0x04, 0x78}, {0x00, 0x44, 0x7D, 0x40, 0x00}, {0x20, 0x40, 0x44, 0x3D, 0x00},
    {0x7F, 0x10, 0x28, 0x44, 0x00}, {0x00, 0x41, 0x7F, 0x40, 0x00}, {0x7C, 0x04, 0x18, 0x04, 0x78},
    {0x7C, 0x08, 0x04, 0x04, 0x78}, {0x38, 0x44, 0x44, 0x44, 0x38}, {0x7C, 0x14, 0x14, 0x14, 0x08},
    {0x08, 0x14, 0x14, 0x18, 0x7C}, {0x7C, 0x08, 0x04, 0x04, 0x08}, {0x48, 0x54, 0x54, 0x54, 0x20},
    {0x04, 0x3F, 0x44, 0x40, 0x20}, {0x3C, 0x40, 0x40, 0x20, 0x7C}, {0x1C, 0x20, 0x40, 0x20, 0x1C},
    {0x3C, 0x40, 0x30, 0x40, 0x3C}, {0x44, 0x28, 0x10, 0x28, 0x44}, {0x0C, 0x50, 0x50, 0x50, 0x3C},
    {0x44, 0x64, 0x54, 0x4C, 0x44}, {0x00, 0x08, 0x36, 0x41, 0x00}, {0x00, 0x00, 0x7F, 0x00, 0x00},
    {0x00, 0x41, 0x36, 0x08, 0x00}, {0x08, 0x04, 0x08, 0x10, 0x08},
};

// Glyph of a character other than printable ASCII: an empty box.
constexpr unsigned char kBox[5] = {0x7F, 0x41, 0x41, 0x41, 0x7F};

// Pixel coordinates of objects: 64-bit, since a document's object may lie
// billions of pixels off the picture; only the part on the picture is drawn.
using Coord = qint64;

Coord toCoord(double d)
{
    constexpr double kFar = 1.0e15; // far off any picture, and far from overflow
    if (!(d > -kFar))
        return Coord(-kFar);
    if (!(d < kFar))
        return Coord(kFar);
    return Coord(std::floor(d));
}

class Canvas {
public:
    Canvas(int width, int height, quint32 fill) : w_(width), h_(height), pixels_(qsizetype(width) * height, fill) {}

    // Every drawing call below pays for its work first; once a call would pass
    // the budget, nothing more is drawn until a new budget is set.
    void setBudget(qint64 units)
    {
        left_ = units;
        spent_ = 0;
        exhausted_ = false;
    }
    bool spend(qint64 units)
    {
        if (exhausted_ || units > left_) {
            exhausted_ = true;
            return false;
        }
        left_ -= units;
        spent_ += units;
        return true;
    }
    bool exhausted() const { return exhausted_; }
    qint64 spent() const { return spent_; }

    // Unpaid: the caller pays for the row or column it walks.
    void set(Coord x, Coord y, quint32 colour)
    {
        if (x >= clip_.left && x < clip_.right && y >= clip_.top && y < clip_.bottom)
            pixels_[qsizetype(y) * w_ + qsizetype(x)] = colour;
    }
    // Work is bounded by the visible part, never by the rectangle's size.
    void fill(Coord x0, Coord y0, Coord x1, Coord y1, quint32 colour)
    {
        const Rect r = visible(x0, y0, x1, y1);
        if (!spend((r.right - r.left) * (r.bottom - r.top)))
            return;
        for (Coord y = r.top; y < r.bottom; ++y)
            for (Coord x = r.left; x < r.right; ++x)
                pixels_[qsizetype(y) * w_ + qsizetype(x)] = colour;
    }
    void frame(Coord x0, Coord y0, Coord x1, Coord y1, quint32 colour)
    {
        fill(x0, y0, x1, y0 + 1, colour);
        fill(x0, y1 - 1, x1, y1, colour);
        fill(x0, y0, x0 + 1, y1, colour);
        fill(x1 - 1, y0, x1, y1, colour);
    }
    void clipTo(Coord x0, Coord y0, Coord x1, Coord y1) { clip_ = {0, 0, w_, h_}; clip_ = visible(x0, y0, x1, y1); }
    void noClip() { clip_ = {0, 0, w_, h_}; }

    struct Rect {
        Coord left, top, right, bottom;
        bool empty() const { return left >= right || top >= bottom; }
        bool contains(const Rect &r) const
        {
            return left <= r.left && top <= r.top && right >= r.right && bottom >= r.bottom;
        }
        Coord area() const { return empty() ? 0 : (right - left) * (bottom - top); }
    };
    // The part of a rectangle inside the clip (which lies inside the canvas).
    Rect visible(Coord x0, Coord y0, Coord x1, Coord y1) const
    {
        Rect r{std::max(x0, clip_.left), std::max(y0, clip_.top), std::min(x1, clip_.right), std::min(y1, clip_.bottom)};
        if (r.empty())
            r = {clip_.left, clip_.top, clip_.left, clip_.top};
        return r;
    }
    Rect clip() const { return clip_; }

    const QList<quint32> &pixels() const { return pixels_; }

private:
    int w_;
    int h_;
    QList<quint32> pixels_;
    Rect clip_{0, 0, w_, h_};
    qint64 left_ = std::numeric_limits<qint64>::max();
    qint64 spent_ = 0;
    bool exhausted_ = false;
};

// The visible words of an RTF text: control words, groups and braces dropped.
QString plainFromRtf(const QString &rtf)
{
    if (!rtf.trimmed().startsWith(QLatin1String("{\\rtf")))
        return rtf;
    static const QRegularExpression control(QStringLiteral("\\\\[a-zA-Z]+-?\\d* ?|\\\\[{}\\\\]|[{}]"));
    static const QRegularExpression tables(QStringLiteral("\\{\\\\(fonttbl|colortbl|stylesheet)[^{}]*(\\{[^{}]*\\}[^{}]*)*\\}"));
    QString text = rtf;
    text.remove(tables);
    text.remove(control);
    return text.simplified();
}

void drawText(Canvas &canvas, const QString &text, Coord x0, Coord y0, Coord x1, Coord y1, Coord scale, bool wrap)
{
    // Paragraphs wrap at the box's right edge; the canvas clip keeps the text inside the box.
    const Canvas::Rect shown = canvas.visible(x0, y0, x1, y1);
    if (shown.empty())
        return;
    Coord x = x0;
    Coord y = y0;
    const Coord advance = 6 * scale;
    for (const QChar ch : text) {
        if (!canvas.spend(1))
            return;
        if (ch == QLatin1Char('\n') || (wrap && x + 5 * scale > x1)) {
            x = x0;
            y += 8 * scale;
            if (y >= y1 || y >= shown.bottom)
                return;
            if (ch == QLatin1Char('\n'))
                continue;
        }
        if (!wrap && x >= shown.right)
            return; // the rest of a single line is off the picture
        ushort code = ch.unicode();
        // Accented Latin letters are drawn as their base letter (Č as C).
        if (code > 126 && ch.decompositionTag() == QChar::Canonical)
            code = ch.decomposition().front().unicode();
        const unsigned char *glyph = (code >= 32 && code <= 126) ? kFont[code - 32] : kBox;
        if (ch.isLowSurrogate())
            continue; // the high half already drew the box
        if (x + 5 * scale > shown.left && y + 7 * scale > shown.top) {
            for (int col = 0; col < 5; ++col)
                for (int row = 0; row < 7; ++row)
                    if (glyph[col] & (1u << row))
                        canvas.fill(x + col * scale, y + row * scale, x + (col + 1) * scale, y + (row + 1) * scale, kInk);
        }
        x += advance;
    }
}

// Not a real symbology: a stable pattern of bars taken from the data's bits,
// between guard bars, so different contents look different. Module m of
// 1010, then per character its low 7 bits (highest first) and a gap, then 101;
// found per column, so a long text costs nothing where it does not show.
bool barcodeModule(const QString &data, qint64 m)
{
    const qint64 body = 8 * qint64(data.size());
    if (m < 4)
        return m % 2 == 0;
    m -= 4;
    if (m >= body)
        return (m - body) % 2 == 0;
    const int bit = int(m % 8);
    return bit < 7 && ((data[qsizetype(m / 8)].unicode() >> (6 - bit)) & 1);
}

void drawBarcode(Canvas &canvas, const QString &data, Coord x0, Coord y0, Coord x1, Coord y1)
{
    const qint64 modules = 8 * qint64(data.size()) + 7;
    const double perPixel = double(modules) / double(std::max<Coord>(x1 - x0, 1));
    const Canvas::Rect shown = canvas.visible(x0, y0, x1, y1);
    for (Coord x = shown.left; x < shown.right; ++x) {
        if (!canvas.spend(1))
            return;
        if (barcodeModule(data, qint64(std::min(double(x - x0) * perPixel, double(modules - 1)))))
            canvas.fill(x, y0, x + 1, y1, kInk);
    }
}

void drawHatch(Canvas &canvas, Coord x0, Coord y0, Coord x1, Coord y1)
{
    // Per row, straight from one stroke's pixel to the next.
    const Canvas::Rect shown = canvas.visible(x0, y0, x1, y1);
    for (Coord y = shown.top; y < shown.bottom; ++y) {
        Coord x = shown.left + (6 - (shown.left - x0 + y - y0) % 6) % 6;
        if (!canvas.spend(1 + (shown.right - x + 5) / 6))
            return;
        for (; x < shown.right; x += 6)
            canvas.set(x, y, kHatch);
    }
    canvas.frame(x0, y0, x1, y1, kInk);
}

void drawEllipse(Canvas &canvas, Coord x0, Coord y0, Coord x1, Coord y1)
{
    // The outline is found per visible column and per visible row, so it has
    // no gaps and costs what shows, whatever the ellipse's size.
    const double cx = (double(x0) + double(x1) - 1) / 2.0;
    const double cy = (double(y0) + double(y1) - 1) / 2.0;
    const double rx = std::max((double(x1) - double(x0) - 1) / 2.0, 0.5);
    const double ry = std::max((double(y1) - double(y0) - 1) / 2.0, 0.5);
    const Canvas::Rect shown = canvas.visible(x0, y0, x1, y1);
    const auto half = [](double t) { return t >= 1.0 ? 0.0 : std::sqrt(1.0 - t * t); };
    for (Coord x = shown.left; x < shown.right; ++x) {
        if (!canvas.spend(1))
            return;
        const double dy = ry * half(std::fabs(double(x) - cx) / rx);
        canvas.set(x, toCoord(cy - dy + 0.5), kInk);
        canvas.set(x, toCoord(cy + dy + 0.5), kInk);
    }
    for (Coord y = shown.top; y < shown.bottom; ++y) {
        if (!canvas.spend(1))
            return;
        const double dx = rx * half(std::fabs(double(y) - cy) / ry);
        canvas.set(toCoord(cx - dx + 0.5), y, kInk);
        canvas.set(toCoord(cx + dx + 0.5), y, kInk);
    }
}

// Across the top of an incomplete picture: a band in a colour no object is
// drawn in, with the words where the picture is tall enough for them.
void drawIncompleteMarker(Canvas &canvas, int width, int height)
{
    const Coord scale = std::clamp<Coord>(std::min(width, height) / 300, 1, 8);
    const Coord band = std::min<Coord>(11 * scale, height);
    canvas.noClip();
    canvas.fill(0, 0, width, band, kIncomplete);
    canvas.clipTo(0, 0, width, band);
    drawText(canvas, QStringLiteral("PREVIEW INCOMPLETE"), 2 * scale, 2 * scale, width, band, scale, false);
    canvas.noClip();
}

// An object's box in thousandths of a centimetre; 64-bit, as Left + Width may
// pass the range of int.
struct Box {
    qint64 left, top, width, height;
};

// The box of an object, with a size for one the document gives no Width/Height for.
Box boxOf(const PreviewShape &s)
{
    const bool isText = s.kind == 301 || s.kind == 309 || s.kind == 312;
    qint64 height = s.height;
    qint64 width = s.width;
    if (height <= 0)
        height = isText ? std::max(qint64((s.fontSize > 0 ? double(s.fontSize) : 100.0) * 3.528 * 1.2), qint64(200)) : 1000;
    if (width <= 0)
        width = isText ? std::max(qint64(std::min(double(s.text.size()) * double(height) * 0.6, 1.0e15)), qint64(500)) : 1500;
    return {s.left, s.top, width, height};
}

// An object's pixels, and whether it is drawn at all.
struct Placed {
    Coord x0, y0, x1, y1;
    bool draw = true;
};

// What makes two objects draw the very same pixels.
struct Drawing {
    int kind;
    Coord x0, y0, x1, y1;
    int fontSize;
    QString text;
    bool operator==(const Drawing &) const = default;
};

size_t qHash(const Drawing &d, size_t seed = 0)
{
    return qHashMulti(seed, d.kind, d.x0, d.y0, d.x1, d.y1, d.fontSize, d.text);
}

// Leaves out, from the top object down, each object that adds nothing to the
// picture: one whose pixels all lie off the paper, under a later opaque box
// (lines and inverse boxes fill theirs), or that a later object draws again
// exactly. Only the few largest opaque boxes are kept, so the cost stays
// linear in the objects. Returns how many were left out.
qsizetype leaveOutHidden(const PreviewPage &page, QList<Placed> &placed, const Canvas::Rect &paper)
{
    constexpr int kCovers = 4;
    std::array<Canvas::Rect, kCovers> covers{};
    const auto inPaper = [&paper](Coord x0, Coord y0, Coord x1, Coord y1) {
        return Canvas::Rect{std::max(x0, paper.left), std::max(y0, paper.top), std::min(x1, paper.right),
                            std::min(y1, paper.bottom)};
    };
    QSet<Drawing> later;
    qsizetype leftOut = 0;
    for (qsizetype i = placed.size() - 1; i >= 0; --i) {
        Placed &p = placed[i];
        const PreviewShape &s = page.shapes[i];
        // An object draws inside its box; an ellipse's rounding may pass it by one pixel.
        const Canvas::Rect reach = inPaper(p.x0 - 1, p.y0 - 1, p.x1 + 1, p.y1 + 1);
        p.draw = !reach.empty()
                 && std::none_of(covers.begin(), covers.end(), [&reach](const Canvas::Rect &c) { return c.contains(reach); });
        if (p.draw) {
            const Drawing drawing{s.kind, p.x0, p.y0, p.x1, p.y1, s.fontSize, s.text};
            p.draw = !later.contains(drawing);
            if (p.draw)
                later.insert(drawing);
        }
        if (!p.draw) {
            ++leftOut;
            continue;
        }
        if (s.kind == 305 || s.kind == 306) {
            const Canvas::Rect box = inPaper(p.x0, p.y0, p.x1, p.y1);
            auto smallest = std::min_element(covers.begin(), covers.end(),
                                             [](const Canvas::Rect &a, const Canvas::Rect &b) { return a.area() < b.area(); });
            if (box.area() > smallest->area())
                *smallest = box;
        }
    }
    return leftOut;
}

} // namespace

QByteArray encodeBmp24(const QList<quint32> &pixels, int width, int height)
{
    const qint64 stride = (qint64(width) * 3 + 3) & ~qint64(3);
    const qint64 imageSize = stride * height;
    QByteArray out(54 + imageSize, '\0');
    auto *p = reinterpret_cast<uchar *>(out.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(quint32(out.size()), p + 2);
    qToLittleEndian<quint32>(54, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(width, p + 18);
    qToLittleEndian<qint32>(height, p + 22); // positive: rows stored bottom-up
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(24, p + 28);
    qToLittleEndian<quint32>(0, p + 30);
    qToLittleEndian<quint32>(quint32(imageSize), p + 34);
    qToLittleEndian<qint32>(3780, p + 38); // 96 dpi
    qToLittleEndian<qint32>(3780, p + 42);
    for (int y = 0; y < height; ++y) {
        uchar *row = p + 54 + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const quint32 c = pixels[qsizetype(y) * width + x];
            row[x * 3 + 0] = uchar(c & 0xFF);
            row[x * 3 + 1] = uchar((c >> 8) & 0xFF);
            row[x * 3 + 2] = uchar((c >> 16) & 0xFF);
        }
    }
    return out;
}

qint64 previewWorkBudget(int width, int height)
{
    return 16 * qint64(std::max(width, 0)) * std::max(height, 0) + 4'000'000;
}

QByteArray renderPreviewBmp(const PreviewPage &page, int width, int height, PreviewStats *stats)
{
    PreviewStats local;
    PreviewStats &result = stats ? *stats : local;
    result = {};
    if (width <= 0 || height <= 0 || qint64(width) * height > kMaxPreviewPixels)
        return QByteArray();

    QList<Box> boxes;
    boxes.reserve(page.shapes.size());
    // Without a readable label size the label is as large as its objects.
    qint64 right = 0;
    qint64 bottom = 0;
    for (const PreviewShape &s : page.shapes) {
        boxes << boxOf(s);
        right = std::max(right, boxes.last().left + boxes.last().width);
        bottom = std::max(bottom, boxes.last().top + boxes.last().height);
    }
    const qint64 labelW = page.width > 0 ? page.width : std::max(right + 200, qint64(1000));
    const qint64 labelH = page.length > 0 ? page.length : std::max(bottom + 200, qint64(1000));

    Canvas canvas(width, height, kDesk);
    const int margin = std::min({4, width / 8, height / 8});
    const double scale = std::min(double(width - 2 * margin) / double(labelW), double(height - 2 * margin) / double(labelH));
    const int paperW = std::max(int(double(labelW) * scale), 1);
    const int paperH = std::max(int(double(labelH) * scale), 1);
    const int ox = (width - paperW) / 2;
    const int oy = (height - paperH) / 2;
    canvas.fill(ox, oy, ox + paperW, oy + paperH, kPaper);

    const auto px = [&](qint64 v) { return ox + toCoord(double(v) * scale); };
    const auto py = [&](qint64 v) { return oy + toCoord(double(v) * scale); };
    canvas.clipTo(ox + 1, oy + 1, ox + paperW - 1, oy + paperH - 1);
    const Canvas::Rect paper = canvas.clip();

    QList<Placed> placed;
    placed.reserve(boxes.size());
    for (const Box &b : std::as_const(boxes)) {
        const Coord x0 = px(b.left);
        const Coord y0 = py(b.top);
        placed.append({x0, y0, std::max(px(b.left + b.width), x0 + 1), std::max(py(b.top + b.height), y0 + 1)});
    }
    boxes = {};
    result.skipped = leaveOutHidden(page, placed, paper);

    canvas.setBudget(previewWorkBudget(width, height));
    for (qsizetype i = 0; i < page.shapes.size() && !canvas.exhausted(); ++i) {
        const PreviewShape &s = page.shapes[i];
        const auto [x0, y0, x1, y1, draw] = placed[i];
        if (!draw || !canvas.spend(1))
            continue;
        ++result.drawn;
        switch (s.kind) {
        case 301: // text
        case 309: // paragraph
        case 312: { // RTF
            const QString text = s.kind == 312 ? plainFromRtf(s.text) : s.text;
            // A glyph cell is 8 pixels high at scale 1; the font size says how many
            // pixels a line gets, the box height when the size is unknown.
            const int lines = s.kind == 301 ? 1 : std::max(int(text.count(QLatin1Char('\n'))) + 1, 3);
            const double linePixels = s.fontSize > 0 ? s.fontSize * 3.528 * scale : double(y1 - y0) / lines;
            // No glyph is drawn larger than the picture.
            const Coord glyphScale = std::clamp<Coord>(toCoord(linePixels / 8.0 + 0.5), 1, std::max(width, height));
            canvas.clipTo(std::max<Coord>(x0, paper.left), std::max<Coord>(y0, paper.top),
                          std::min<Coord>(x1, paper.right), std::min<Coord>(y1, paper.bottom));
            drawText(canvas, text, x0, y0, x1, y1, glyphScale, s.kind != 301);
            canvas.clipTo(paper.left, paper.top, paper.right, paper.bottom);
            break;
        }
        case 303: // graphics
        case 307: // OLE object
            drawHatch(canvas, x0, y0, x1, y1);
            break;
        case 304:
            drawBarcode(canvas, s.text, x0, y0, x1, y1);
            break;
        case 305: // line: along its longer side
            if (x1 - x0 >= y1 - y0)
                canvas.fill(x0, y0, x1, std::max(y1, y0 + 1), kInk);
            else
                canvas.fill(x0, y0, std::max(x1, x0 + 1), y1, kInk);
            break;
        case 306: // inverse
            canvas.fill(x0, y0, x1, y1, kInk);
            break;
        case 313:
            drawEllipse(canvas, x0, y0, x1, y1);
            break;
        default: // rectangles and kinds without a picture of their own
            canvas.frame(x0, y0, x1, y1, kInk);
            break;
        }
    }
    result.work = canvas.spent();
    result.complete = !canvas.exhausted();
    canvas.setBudget(std::numeric_limits<qint64>::max());
    canvas.noClip();
    canvas.frame(ox, oy, ox + paperW, oy + paperH, kBorder);
    if (!result.complete)
        drawIncompleteMarker(canvas, width, height);
    return encodeBmp24(canvas.pixels(), width, height);
}

} // namespace strovex::sim
