// The label view's grids at scale: filling and sorting 100,000 object rows,
// re-sorting them by each column, and filling the Objects page of a simulated
// label with 10,000 objects, column fitting included.
//
//   STROVEX_SIM_LATENCY_US  latency of each designer call (default 0)

#include "automation/designer.h"
#include "inspect/grid_pages.h"
#include "inspect/label_rows.h"
#include "sim/sim_designer.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace strovex;

const char *const kKinds[] = {"Text", "Barcode", "Graphics", "Rectangle", "Paragraph", "Line"};

std::vector<TObjectRow> objectRows(int count)
{
    QRandomGenerator random(20240611); // the same rows on every run
    std::vector<TObjectRow> rows;
    rows.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        TObjectRow row;
        row.Name = QStringLiteral("Object %1").arg(random.bounded(1000000));
        row.Type = QString::fromLatin1(kKinds[random.bounded(6)]);
        row.Status = random.bounded(10) ? QStringLiteral("OK") : QStringLiteral("Out of label");
        row.Contents = QStringLiteral("Contents of object %1 with some text").arg(random.bounded(100000));
        row.Left = QStringLiteral("%1 cm").arg(random.bounded(2000) / 100.0, 5, 'f', 2);
        row.Top = QStringLiteral("%1 cm").arg(random.bounded(2000) / 100.0, 5, 'f', 2);
        row.Variable = random.bounded(3) ? QString() : QStringLiteral("var%1").arg(random.bounded(500));
        row.Locked = random.bounded(2) ? QStringLiteral("Yes") : QStringLiteral("No");
        row.AdditionalInfo = QStringLiteral("Arial; %1 pt; Bold").arg(random.bounded(8, 72));
        rows.push_back(std::move(row));
    }
    return rows;
}

void BM_ObjectGridFillAndSort(benchmark::State &state)
{
    const std::vector<TObjectRow> rows = objectRows(int(state.range(0)));
    auto model = createObjectGridModel();
    for (auto _ : state) {
        model->setRows(rows); // copies the rows, then sorts by Name
        benchmark::DoNotOptimize(model->cellText(0, 0));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ObjectGridFillAndSort)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ObjectGridResortByColumn(benchmark::State &state)
{
    auto model = createObjectGridModel();
    model->setRows(objectRows(100000));
    const int column = int(state.range(0));
    Qt::SortOrder order = Qt::AscendingOrder;
    for (auto _ : state) {
        model->sort(column, order);
        order = order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
        benchmark::DoNotOptimize(model->cellText(0, column));
    }
    state.SetLabel(model->columns()[std::size_t(column)].title.toStdString());
}
BENCHMARK(BM_ObjectGridResortByColumn)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

// A label document with `count` objects of mixed kinds.
QByteArray labelDocument(int count)
{
    QJsonArray objects;
    for (int i = 0; i < count; ++i) {
        const int kind = (i % 3 == 0) ? 301 : (i % 3 == 1) ? 304 : 302;
        objects.append(QJsonObject{{QStringLiteral("Name"), QStringLiteral("Object %1").arg(i)},
                                   {QStringLiteral("Kind"), kind},
                                   {QStringLiteral("Left"), (i * 37) % 20000},
                                   {QStringLiteral("Top"), (i * 53) % 15000},
                                   {QStringLiteral("Contents"), QStringLiteral("Contents %1").arg(i)},
                                   {QStringLiteral("FontName"), QStringLiteral("Arial")},
                                   {QStringLiteral("FontSize"), 100 + i % 50},
                                   {QStringLiteral("Bold"), i % 2 == 0}});
    }
    const QJsonObject document{{QStringLiteral("SimulatedLabel"), 1},
                               {QStringLiteral("HorizontalResolution"), 300},
                               {QStringLiteral("VerticalResolution"), 300},
                               {QStringLiteral("Settings"), QJsonObject{{QStringLiteral("Unit"), 0}}},
                               {QStringLiteral("Objects"), objects}};
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

void BM_ObjectsPageFill(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.lbl"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(labelDocument(int(state.range(0)))) < 0) {
        state.SkipWithError("cannot write the label document");
        return;
    }
    file.close();
    const QuillApp app(sim::createApplication());
    const IQuillmark label = app.OpenLabel(path);
    const IObjectList objects = label.Objects();
    ObjectsPage page;
    page.resize(1000, 600);
    page.show();
    for (auto _ : state) {
        std::vector<TObjectRow> rows;
        FillObjectRows(label, objects, rows);
        page.showRows(std::move(rows)); // designer reads, rows, sort, caption, column fitting
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ObjectsPageFill)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
