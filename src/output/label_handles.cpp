#include "output/label_handles.h"

#include "platform/files.h"

namespace strovex {

void refuseLabelAsOutput(const QStringList &labelFiles, const QString &output)
{
    for (const QString &label : labelFiles) {
        if (isSameFile(label, output))
            throw FileError(QStringLiteral("Cannot create file \"%1\". It is the label being read.").arg(output));
    }
}

} // namespace strovex
