#include "automation/designer.h"

#include <QDir>

namespace strovex {

QString toQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar *>(text.data()), qsizetype(text.size()));
}

std::u16string toU16(const QString &text)
{
    return std::u16string(reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size()));
}

QString valueToText(const Value &value)
{
    return std::visit([](const auto &v) -> QString {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::u16string>)
            return toQString(v);
        else if constexpr (std::is_same_v<T, std::int32_t>)
            return QString::number(v);
        else if constexpr (std::is_same_v<T, double>)
            return QString::number(v, 'g', 15);
        else if constexpr (std::is_same_v<T, bool>)
            return v ? QStringLiteral("-1") : QStringLiteral("0");
        else if constexpr (std::is_same_v<T, DispatchRef>)
            throw AutomationError(u"Type mismatch: an object where a text was expected");
        else
            return QString();
    }, value);
}

int valueToInt(const Value &value)
{
    return std::visit([](const auto &v) -> int {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::int32_t>)
            return v;
        else if constexpr (std::is_same_v<T, bool>)
            return v ? -1 : 0;
        else if constexpr (std::is_same_v<T, double>) {
            if (!(v >= -2147483648.0 && v <= 2147483647.0))
                throw AutomationError(u"Type mismatch: number out of range");
            return int(v);
        } else if constexpr (std::is_same_v<T, std::u16string>) {
            bool ok = false;
            const int n = toQString(v).trimmed().toInt(&ok);
            if (!ok)
                throw AutomationError(u"Type mismatch: \"" + v + u"\" is not a number");
            return n;
        } else if constexpr (std::is_same_v<T, DispatchRef>)
            throw AutomationError(u"Type mismatch: an object where a number was expected");
        else
            return 0;
    }, value);
}

bool valueToBool(const Value &value)
{
    if (const auto *b = std::get_if<bool>(&value))
        return *b;
    if (const auto *d = std::get_if<double>(&value))
        return *d != 0.0;
    return valueToInt(value) != 0;
}

DispatchRef valueToObject(const Value &value)
{
    if (const auto *ref = std::get_if<DispatchRef>(&value))
        return *ref;
    if (std::holds_alternative<std::monostate>(value))
        return nullptr;
    throw AutomationError(u"Type mismatch: a value where an object was expected");
}

Dispatch &DesignerObject::target() const
{
    if (!ref_)
        throw AutomationError(u"The designer object is not available.");
    return *ref_;
}

Value DesignerObject::get(int dispId) const
{
    return target().invoke(dispId, CallKind::Get, {});
}

void DesignerObject::put(int dispId, Value value) const
{
    target().invoke(dispId, CallKind::Put, std::span<const Value>(&value, 1));
}

Value DesignerObject::call(int dispId, std::initializer_list<Value> args) const
{
    return target().invoke(dispId, CallKind::Method, std::span<const Value>(args.begin(), args.size()));
}

IVar IVariableList::FindByName(const QString &name) const
{
    return IVar(valueToObject(call(dispid::List::FindByName, {Value(toU16(name))})));
}

int IObjectItem::SetFileName(const QString &path) const
{
    return valueToInt(call(dispid::Object::SetFileName, {Value(toU16(path))}));
}

void IQuillmark::ExportPreview(const QString &file, int width, int height) const
{
    call(dispid::Label::ExportPreview, {Value(toU16(file)), Value(std::int32_t(width)), Value(std::int32_t(height)),
              Value(std::int32_t(1)), Value(std::int32_t(0)), Value(true)});
}

LabelHandles LabelHandles::fromLabel(const IQuillmark &label, const QString &labelFile)
{
    LabelHandles handles;
    if (!labelFile.isEmpty())
        handles.labelFiles = {labelFile};
    handles.FLabel = label;
    handles.FVariables = label.Variables();
    handles.FObjects = label.Objects();
    handles.FDatabases = label.Databases();
    handles.FFunctions = label.Functions();
    return handles;
}

void LabelHandles::release()
{
    FObjects.release();
    FVariables.release();
    FDatabases.release();
    FFunctions.release();
    FLabel.release();
}

QString QuillApp::LastErrorText() const
{
    const QString text = ErrorText();
    if (text.isEmpty())
        return text;
    const QString detail = ErrorDetail();
    return detail.isEmpty() ? text : text + QStringLiteral("\r\n") + detail;
}

QString designerPath(const QString &path)
{
    if (path.isEmpty())
        return path;
    return QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
}

} // namespace strovex
