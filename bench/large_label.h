#pragma once
// A large simulated label for the label-view benchmarks: `objects` objects of
// mixed kinds (every fifth shows a variable) and `variables` prompt, clock and
// global variables, the same document on every run.

#include <QByteArray>
#include <QString>

namespace strovex::bench {

QByteArray largeLabelDocument(int objects, int variables);

// Writes the document to `path`; false when it cannot.
bool writeLargeLabel(const QString &path, int objects, int variables);

} // namespace strovex::bench
