#include "ui/save_dialog.h"

#include "output/save_suffix.h"

#include <QFileDialog>

namespace strovex {

void addSuffixOfSelectedType(QFileDialog &dialog, const QString &fallbackSuffix)
{
    // A dialog kept between uses is set up again: one connection, the latest fallback.
    QObject::disconnect(&dialog, &QFileDialog::filterSelected, &dialog, nullptr);
    dialog.setDefaultSuffix(suffixOfNameFilter(dialog.selectedNameFilter(), fallbackSuffix));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, fallbackSuffix](const QString &filter) {
        dialog.setDefaultSuffix(suffixOfNameFilter(filter, fallbackSuffix));
    });
}

} // namespace strovex
