#include "large_label.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace strovex::bench {

QByteArray largeLabelDocument(int objects, int variables)
{
    // Text, barcode, graphics, rectangle and paragraph objects in turn.
    static const int kKinds[] = {301, 304, 303, 302, 309};
    static const char *const kFonts[] = {"Arial", "Courier New", "Times New Roman", "Verdana"};
    QJsonArray objectList;
    for (int i = 0; i < objects; ++i) {
        const int kind = kKinds[i % 5];
        QJsonObject object{{QStringLiteral("Name"), QStringLiteral("Object %1").arg(i)},
                           {QStringLiteral("Kind"), kind},
                           {QStringLiteral("Left"), (i * 37) % 20000},
                           {QStringLiteral("Top"), (i * 53) % 15000},
                           {QStringLiteral("Width"), 1500},
                           {QStringLiteral("Height"), 400},
                           {QStringLiteral("Status"), i % 17 == 0 ? 1 : 0},
                           {QStringLiteral("Locked"), i % 2 == 0}};
        if (kind == 303) {
            object.insert(QStringLiteral("Contents"), QStringLiteral("pictures/picture%1.bmp").arg(i % 50));
        } else if (kind != 302) {
            object.insert(QStringLiteral("Contents"), QStringLiteral("Contents of object %1").arg(i));
            object.insert(QStringLiteral("FontName"), QString::fromLatin1(kFonts[i % 4]));
            object.insert(QStringLiteral("FontSize"), 80 + i % 100);
            object.insert(QStringLiteral("Bold"), i % 3 == 0);
            object.insert(QStringLiteral("Italic"), i % 7 == 0);
        }
        if (variables > 0 && i % 5 == 0)
            object.insert(QStringLiteral("Variable"), QStringLiteral("Variable %1").arg(i % variables));
        objectList.append(object);
    }
    QJsonArray variableList;
    for (int i = 0; i < variables; ++i) {
        const int kind = i % 4 == 3 ? 2 : i % 4 == 2 ? 4 : 1;
        variableList.append(QJsonObject{{QStringLiteral("ID"), i + 1},
                                        {QStringLiteral("Name"), QStringLiteral("Variable %1").arg(i)},
                                        {QStringLiteral("Kind"), kind},
                                        {QStringLiteral("Length"), 1 + i % 40},
                                        {QStringLiteral("InputFormat"), i % 3},
                                        {QStringLiteral("DefaultValue"), QStringLiteral("Default %1").arg(i)},
                                        {QStringLiteral("PromptMode"), i % 5 == 0 ? 2 : 0},
                                        {QStringLiteral("PromptOrder"), i},
                                        {QStringLiteral("IsUsed"), i % 5 == 0}});
    }
    const QJsonObject document{
        {QStringLiteral("SimulatedLabel"), 1},
        {QStringLiteral("Version"), 6},
        {QStringLiteral("PrinterName"), QStringLiteral("Office")},
        {QStringLiteral("PrinterPort"), QStringLiteral("LPT1:")},
        {QStringLiteral("OriginalPrinter"), QStringLiteral("Office")},
        {QStringLiteral("FormName"), QStringLiteral("A4")},
        {QStringLiteral("HorizontalResolution"), 300},
        {QStringLiteral("VerticalResolution"), 300},
        {QStringLiteral("Settings"),
         QJsonObject{{QStringLiteral("Title"), QStringLiteral("Large label")},
                     {QStringLiteral("Unit"), 0},
                     {QStringLiteral("Width"), QStringLiteral("20.00")},
                     {QStringLiteral("Length"), QStringLiteral("15.00")}}},
        {QStringLiteral("PrinterSettings"), QJsonObject{{QStringLiteral("PRINTSPEED"), QStringLiteral("4")}}},
        {QStringLiteral("SpeedUnit"), QStringLiteral("in/s")},
        {QStringLiteral("DarknessValues"), QStringLiteral("\"Not Available\"")},
        {QStringLiteral("Objects"), objectList},
        {QStringLiteral("Variables"), variableList}};
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

bool writeLargeLabel(const QString &path, int objects, int variables)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(largeLabelDocument(objects, variables)) >= 0 && file.flush();
}

} // namespace strovex::bench
