#pragma once
// Opens small label documents in the simulated designer: a fixture from
// fixtures/, optionally with keys replaced, written to a temporary folder.

#include "automation/designer.h"
#include "sim/sim_designer.h"
#include "support/temp_dir.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace strovex::test {

inline QJsonObject fixture(const char *name)
{
    QFile file(QStringLiteral(STROVEX_TEST_DATA_DIR "/fixtures/") + QString::fromLatin1(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QJsonDocument::fromJson(file.readAll()).object();
}

class SimLabels {
public:
    SimLabels() : app_(sim::createApplication()) {}

    // Opens `document` with the top-level keys of `changes` replacing its own.
    IQuillmark open(QJsonObject document, const QJsonObject &changes = {})
    {
        for (auto it = changes.begin(); it != changes.end(); ++it)
            document.insert(it.key(), it.value());
        const QString path = dir_.write(QStringLiteral("label%1.lbl").arg(++count_),
                                        QJsonDocument(document).toJson());
        IQuillmark label = app_.OpenLabel(path);
        EXPECT_FALSE(label.isNull()) << app_.LastErrorText().toStdString();
        return label;
    }
    IQuillmark open(const char *name, const QJsonObject &changes = {}) { return open(fixture(name), changes); }

    QString lastPath() const { return dir_.file(QStringLiteral("label%1.lbl").arg(count_)); }

private:
    QuillApp app_;
    TempDir dir_;
    int count_ = 0;
};

// {"Faults": {path: {"Raise": text}}}
inline QJsonObject raising(std::initializer_list<std::pair<const char *, const char *>> faults)
{
    QJsonObject entries;
    for (const auto &[path, text] : faults)
        entries.insert(QString::fromLatin1(path), QJsonObject{{QStringLiteral("Raise"), QString::fromUtf8(text)}});
    return QJsonObject{{QStringLiteral("Faults"), entries}};
}

} // namespace strovex::test
