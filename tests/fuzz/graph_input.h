#pragma once
// Turns arbitrary bytes into a label document for the graph writers: the
// fuzzer's input, and the corpus replayed through Graphviz by a test.
//
// The bytes are read as UTF-8 with one escape: 0xFF followed by two bytes is
// that UTF-16 code unit as it is (so names may hold NUL and lone surrogates,
// which a JSON document can carry). Lines (LF) are names: the first is the
// label file's base name, then variables, objects, functions and databases
// in turn. Objects show the variable before them; functions and databases
// take the variables as inputs and outputs.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace strovex::fuzz {

// The bytes as text: UTF-8, with 0xFF and two bytes standing for that code unit.
inline QString fuzzText(const char *data, std::size_t size)
{
    QString text;
    QByteArray run;
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == 0xFF && i + 2 < size) {
            text += QString::fromUtf8(run);
            run.clear();
            text += QChar(char16_t((static_cast<unsigned char>(data[i + 1]) << 8) | static_cast<unsigned char>(data[i + 2])));
            i += 2;
        } else {
            run += char(c);
        }
    }
    return text + QString::fromUtf8(run);
}

inline QStringList graphNames(const char *data, std::size_t size)
{
    return fuzzText(data, size).split(QLatin1Char('\n'));
}

// A JSON string literal holding `text` code unit by code unit.
inline QByteArray jsonString(const QString &text)
{
    QByteArray out = "\"";
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F && u != u'"' && u != u'\\')
            out += char(u);
        else
            out += "\\u" + QByteArray::number(u, 16).rightJustified(4, '0');
    }
    return out + '"';
}

// A file base name the file system takes: no '/', no NUL, not "." or "..",
// at most 100 bytes; empty becomes "label".
inline QString fileBaseFrom(const QString &name)
{
    QString base;
    for (const QChar c : name) {
        if (c != u'/' && c != QChar(0) && !c.isSurrogate())
            base += c;
    }
    while (base.toUtf8().size() > 100)
        base.chop(1);
    if (base.isEmpty() || base == QStringLiteral(".") || base == QStringLiteral(".."))
        base = QStringLiteral("label");
    return base;
}

// The document for `names` (as graphNames gives them, the first one skipped).
inline QByteArray graphDocument(const QStringList &names)
{
    QByteArray variables, objects, functions, databases;
    QStringList variableNames;
    const auto add = [](QByteArray &list, const QByteArray &entry) {
        if (!list.isEmpty())
            list += ',';
        list += entry;
    };
    const auto nameList = [&](qsizetype from) {
        QByteArray list;
        for (qsizetype k = from; k < variableNames.size() && k < from + 2; ++k)
            add(list, jsonString(variableNames[k]));
        return '[' + list + ']';
    };
    for (qsizetype i = 1; i < names.size(); ++i) {
        const QByteArray name = jsonString(names[i]);
        switch ((i - 1) % 4) {
        case 0:
            variableNames << names[i];
            add(variables, "{\"Name\":" + name + ",\"Kind\":1,\"Length\":5}");
            break;
        case 1:
            add(objects, "{\"Name\":" + name + ",\"Kind\":301"
                             + (variableNames.isEmpty() ? QByteArray() : ",\"Variable\":" + jsonString(variableNames.last()))
                             + '}');
            break;
        case 2:
            add(functions, "{\"Name\":" + name + ",\"Kind\":1,\"InputVariables\":" + nameList(0)
                               + ",\"OutputVariables\":" + nameList(variableNames.size() - 1) + '}');
            break;
        default:
            add(databases, "{\"Name\":" + name + ",\"InputVariables\":" + nameList(variableNames.size() - 1)
                               + ",\"OutputVariables\":" + nameList(0) + '}');
            break;
        }
    }
    return "{\"SimulatedLabel\":1,\"Variables\":[" + variables + "],\"Objects\":[" + objects + "],\"Functions\":["
        + functions + "],\"Databases\":[" + databases + "]}";
}

} // namespace strovex::fuzz
