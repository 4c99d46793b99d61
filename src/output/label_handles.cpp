#include "output/label_handles.h"

#include "platform/files.h"

namespace strovex {

LabelHandles LabelHandles::fromLabel(const IQuillmark &label, const QString &labelFile)
{
    LabelHandles handles;
    if (!labelFile.isEmpty())
        handles.labelFiles = {labelFile};
    handles.FLabel = label;
    handles.FObjects = label.Objects();
    handles.FVariables = label.Variables();
    handles.FDatabases = label.Databases();
    handles.FFunctions = label.Functions();
    return handles;
}

void refuseLabelAsOutput(const QStringList &labelFiles, const QString &output)
{
    for (const QString &label : labelFiles) {
        if (isSameFile(label, output))
            throw FileError(QStringLiteral("Cannot create file \"%1\". It is the label being read.").arg(output));
    }
}

} // namespace strovex
