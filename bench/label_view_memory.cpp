// Memory of a label view holding a large simulated label, measured in a
// process of its own so that nothing else's memory mixes in.
//
//   bench_label_view_memory [OBJECTS [VARIABLES]]   (default 10000 0)
//
// Prints the peak resident memory the load added (VmHWM, the simulated
// designer's in-process share included), the heap in use while the view holds
// the label, and the heap the view keeps for its rows once the designer's
// label is let go; each also per grid row.

#include "automation/designer.h"
#include "inspect/label_view.h"
#include "large_label.h"
#include "sim/sim_designer.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>

namespace {

long statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Resets VmHWM to the current resident size (Linux 4.0 and later).
bool resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

double heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int objects = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int variables = argc > 2 ? std::atoi(argv[2]) : 0;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.lbl"));
    if (!strovex::bench::writeLargeLabel(path, objects, variables)) {
        std::fprintf(stderr, "cannot write the label document\n");
        return 1;
    }
    const double documentBytes = double(QFileInfo(path).size());

    strovex::TLabelInfo view;
    view.PrepareGrids();
    view.resize(1000, 700);
    view.show();
    QCoreApplication::processEvents();
    const strovex::QuillApp app(strovex::sim::createApplication());

    malloc_trim(0);
    const double heapBefore = heapInUse();
    const long rssBefore = statusKb("VmRSS");
    if (!resetPeak()) {
        std::fprintf(stderr, "cannot reset the peak resident size\n");
        return 1;
    }

    if (!view.LoadLabel(app, path)) {
        std::fprintf(stderr, "the view did not load the label\n");
        return 1;
    }
    QCoreApplication::processEvents();
    const long peak = statusKb("VmHWM");
    const double heapHolding = heapInUse();

    view.ReleaseLabel();
    QCoreApplication::processEvents();
    malloc_trim(0);
    const double heapRows = heapInUse();
    // The preview picture is kept too, but its size follows the window, not the rows.
    double previewBytes = 0;
    if (const auto *preview = view.findChild<QLabel *>(QStringLiteral("imgLabelPreview")))
        previewBytes = double(preview->pixmap().toImage().sizeInBytes());
    if (strovex::sim::liveLabels() != 0) {
        std::fprintf(stderr, "the designer still holds a label\n");
        return 1;
    }

    const double rows = double(objects + variables);
    const double peakBytes = double(peak - rssBefore) * 1024;
    std::printf("label: %d objects, %d variables (%d grid rows), document %.1f MB\n", objects, variables,
                objects + variables, documentBytes / 1e6);
    std::printf("peak resident growth during the load: %.1f MB, %.0f bytes per row (simulated designer included)\n",
                peakBytes / 1e6, peakBytes / rows);
    std::printf("heap in use while the view holds the label: %.1f MB, %.0f bytes per row (designer's label included)\n",
                (heapHolding - heapBefore) / 1e6, (heapHolding - heapBefore) / rows);
    std::printf("heap the view keeps after letting the label go: %.1f MB; less the preview picture (%.1f MB): "
                "%.0f bytes per row\n",
                (heapRows - heapBefore) / 1e6, previewBytes / 1e6, (heapRows - heapBefore - previewBytes) / rows);
    return 0;
}
