#include "output/label_handles.h"

#include "output/save_file.h"

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

QString fileNamePart(const QString &path)
{
    qsizetype i = path.size();
    while (i > 0) {
        const QChar c = path[i - 1];
#ifdef Q_OS_WIN
        if (c == u'/' || c == u'\\' || c == u':')
            break;
#else
        if (c == u'/')
            break;
#endif
        --i;
    }
    return path.mid(i);
}

QString fileExtension(const QString &path)
{
    const QString name = fileNamePart(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

QString fileBaseName(const QString &path)
{
    const QString name = fileNamePart(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

} // namespace strovex
