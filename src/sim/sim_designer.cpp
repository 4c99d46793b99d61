#include "sim/sim_designer.h"
#include "sim/sim_internal.h"

#include "automation/designer.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <thread>

namespace strovex::sim {

namespace {

std::atomic<long> g_liveObjects{0};
std::atomic<long> g_liveLabels{0};
std::atomic<std::uint64_t> g_callCount{0};
std::atomic<std::uint64_t> g_quitCount{0};

// The knobs and the count they are measured against: a sweep sets failCall to
// 1, 2, 3, ... and each setting counts from its own start.
std::mutex g_knobMutex;
Knobs g_knobs;
std::uint64_t g_knobCalls = 0;
QFile *g_logFile = nullptr;

std::uint64_t parseKnob(const char *name)
{
    bool ok = false;
    const qulonglong value = qEnvironmentVariable(name).trimmed().toULongLong(&ok);
    return ok ? value : 0;
}

void spin(std::uint32_t micros)
{
    using clock = std::chrono::steady_clock;
    const auto until = clock::now() + std::chrono::microseconds(micros);
    // Sleeping overshoots by tens of microseconds; short delays are waited out.
    if (micros >= 2000)
        std::this_thread::sleep_until(until - std::chrono::microseconds(500));
    while (clock::now() < until) {
    }
}

const char *kindName(CallKind kind)
{
    switch (kind) {
    case CallKind::Get: return "get";
    case CallKind::Put: return "put";
    case CallKind::Method: return "method";
    }
    return "?";
}

QString argForLog(const Value &value)
{
    return std::visit([](const auto &v) -> QString {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::u16string>) {
            QString text = toQString(v);
            text.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
            text.replace(QLatin1Char('\n'), QLatin1String("\\n")).replace(QLatin1Char('\r'), QLatin1String("\\r"));
            return QLatin1Char('"') + text + QLatin1Char('"');
        } else if constexpr (std::is_same_v<T, bool>) {
            return v ? QStringLiteral("true") : QStringLiteral("false");
        } else if constexpr (std::is_same_v<T, std::int32_t>) {
            return QString::number(v);
        } else if constexpr (std::is_same_v<T, double>) {
            return QString::number(v, 'g', 15);
        } else if constexpr (std::is_same_v<T, DispatchRef>) {
            return QStringLiteral("<object>");
        } else {
            return QStringLiteral("<nothing>");
        }
    }, value);
}

// A crash at the worst moment: nothing is flushed, nothing unwinds.
[[noreturn]] void killProcess()
{
#ifdef SIGKILL
    std::raise(SIGKILL);
#endif
    std::_Exit(137);
}

// Counts the call and applies the process-wide knobs. Throws when a knob says
// this call fails. Returns the call's number counted from the knobs' setting.
std::uint64_t beforeCall(const detail::Document *doc, const QString &objectPath, const detail::Member *member, int dispId, CallKind kind,
                std::span<const Value> args)
{
    ++g_callCount;
    std::uint64_t n = 0;
    Knobs k;
    {
        std::lock_guard lock(g_knobMutex);
        n = ++g_knobCalls;
        k = g_knobs;
        if (g_logFile) {
            QStringList shown;
            for (const Value &arg : args)
                shown << argForLog(arg);
            // The path is made only here: building it on every call would cost a benchmark.
            const QString path = doc ? QFileInfo(doc->filePath).fileName() + QLatin1Char(':') + objectPath : objectPath;
            const QString name = member ? QLatin1String(member->name) : QLatin1Char('#') + QString::number(dispId);
            const QString line = QString::number(n) + QLatin1Char('\t') + path + QLatin1Char('\t') + name
                + QLatin1Char('\t') + QLatin1String(kindName(kind)) + QLatin1Char('\t')
                + shown.join(QLatin1String(", ")) + QLatin1Char('\n');
            g_logFile->write(line.toUtf8());
            g_logFile->flush();
        }
    }
    if (k.killPoint && k.killPoint == 2 * n - 1)
        killProcess();
    if (k.latencyUs)
        spin(k.latencyUs);
    if (k.stopAfter && n > k.stopAfter)
        throw AutomationError(u"The designer does not respond (simulated stop after call "
                              + toU16(QString::number(k.stopAfter)) + u").");
    if (k.failCall && n == k.failCall)
        throw AutomationError(u"Simulated failure of call " + toU16(QString::number(n)) + u".");
    return n;
}

void afterCall(std::uint64_t n)
{
    std::uint64_t killPoint = 0;
    {
        std::lock_guard lock(g_knobMutex);
        killPoint = g_knobs.killPoint;
    }
    if (killPoint && killPoint == 2 * n)
        killProcess();
}

void openLog(const QString &file)
{
    delete g_logFile;
    g_logFile = nullptr;
    if (file.isEmpty())
        return;
    auto *log = new QFile(file);
    if (log->open(QIODevice::WriteOnly | QIODevice::Append))
        g_logFile = log;
    else
        delete log;
}

} // namespace

namespace detail {

void countLabel(int delta)
{
    g_liveLabels += delta;
}

[[noreturn]] void raise(const QString &text)
{
    throw AutomationError(toU16(text));
}

SimObject::SimObject(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc, QString path)
    : app_(std::move(app)), doc_(std::move(doc)), path_(std::move(path))
{
    ++g_liveObjects;
}

SimObject::~SimObject()
{
    --g_liveObjects;
}

QString SimObject::memberPath(const char *name) const
{
    return path_.isEmpty() ? QLatin1String(name) : path_ + QLatin1Char('.') + QLatin1String(name);
}

QString SimObject::faultPath(const Member &member, CallKind kind, std::span<const Value> args) const
{
    QString path = memberPath(member.name);
    if (kind == CallKind::Put)
        return path + QLatin1Char('=');
    if (kind == CallKind::Method && !args.empty()) {
        QStringList shown;
        for (const Value &arg : args)
            shown << argForPath(arg);
        path += QLatin1Char('(') + shown.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    return path;
}

Value SimObject::invoke(int dispId, CallKind kind, std::span<const Value> args)
{
    const Member *found = nullptr;
    for (const Member &m : members()) {
        if (m.id == dispId) {
            found = &m;
            break;
        }
    }
    const std::uint64_t n = beforeCall(doc_.get(), path_, found, dispId, kind, args);
    Value result = invokeMember(found, dispId, kind, args);
    afterCall(n);
    return result;
}

Value SimObject::invokeMember(const Member *found, int dispId, CallKind kind, std::span<const Value> args)
{

    if (!found)
        raise(QStringLiteral("Unknown name: %1 has no member with DispID %2.").arg(path_.isEmpty() ? QStringLiteral("The label") : path_).arg(dispId));
    if (!(found->kinds & (1u << int(kind))))
        raise(QStringLiteral("Member %1 cannot be called as a %2.").arg(memberPath(found->name), QLatin1String(kindName(kind))));

    if (doc_) {
        const QJsonObject faults = doc_->root.value(QLatin1String("Faults")).toObject();
        if (!faults.isEmpty()) {
            QString key = faultPath(*found, kind, args);
            QJsonValue fault = faults.value(key);
            // A method fault may name the member alone, whatever its arguments.
            if (fault.isUndefined() && kind == CallKind::Method && key.endsWith(QLatin1Char(')')))
                fault = faults.value(key.left(key.indexOf(QLatin1Char('('))));
            if (fault.isObject()) {
                const QJsonObject f = fault.toObject();
                if (f.contains(QLatin1String("ErrorText")) || f.contains(QLatin1String("ErrorDetail")))
                    app_->setError(jsonText(f.value(QLatin1String("ErrorText"))), jsonText(f.value(QLatin1String("ErrorDetail"))));
                if (f.contains(QLatin1String("Raise"))) {
                    QString text = jsonText(f.value(QLatin1String("Raise")));
                    if (text.isEmpty())
                        text = QStringLiteral("Simulated failure of %1.").arg(key);
                    raise(text);
                }
                if (jsonBool(f.value(QLatin1String("Nothing"))))
                    return std::monostate{};
                if (f.contains(QLatin1String("Return")))
                    return jsonToValue(f.value(QLatin1String("Return")));
            }
        }
    }
    return call(*found, kind, args);
}

void requireArgs(std::span<const Value> args, std::size_t count, const char *member)
{
    if (args.size() < count)
        raise(QStringLiteral("Wrong number of arguments for %1: %2 expected, %3 given.")
                  .arg(QLatin1String(member)).arg(count).arg(args.size()));
}

QString argText(std::span<const Value> args, std::size_t index, const char *member)
{
    requireArgs(args, index + 1, member);
    const Value &v = args[index];
    if (const auto *text = std::get_if<std::u16string>(&v))
        return toQString(*text);
    if (std::holds_alternative<std::int32_t>(v) || std::holds_alternative<double>(v))
        return valueToText(v);
    raise(QStringLiteral("Type mismatch: argument %1 of %2 must be a text.").arg(index + 1).arg(QLatin1String(member)));
}

std::int32_t argInt(std::span<const Value> args, std::size_t index, const char *member)
{
    requireArgs(args, index + 1, member);
    const Value &v = args[index];
    if (std::holds_alternative<std::monostate>(v) || std::holds_alternative<DispatchRef>(v))
        raise(QStringLiteral("Type mismatch: argument %1 of %2 must be a number.").arg(index + 1).arg(QLatin1String(member)));
    if (const auto *d = std::get_if<double>(&v)) {
        if (!(*d >= -2147483648.0 && *d <= 2147483647.0) || std::trunc(*d) != *d)
            raise(QStringLiteral("Type mismatch: argument %1 of %2 must be a whole number.").arg(index + 1).arg(QLatin1String(member)));
        return std::int32_t(*d);
    }
    try {
        return valueToInt(v);
    } catch (const AutomationError &) {
        raise(QStringLiteral("Type mismatch: argument %1 of %2 must be a number.").arg(index + 1).arg(QLatin1String(member)));
    }
}

QString argForPath(const Value &value)
{
    if (const auto *b = std::get_if<bool>(&value))
        return *b ? QStringLiteral("true") : QStringLiteral("false");
    if (std::holds_alternative<DispatchRef>(value) || std::holds_alternative<std::monostate>(value))
        return QString();
    return valueToText(value);
}

Value textValue(const QString &text)
{
    return Value(toU16(text));
}

QString jsonText(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double: {
        const double d = value.toDouble();
        if (std::trunc(d) == d && std::fabs(d) < 9.0e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    case QJsonValue::Array: {
        // A list given as an array reads as comma text, the designer's own form.
        QStringList items;
        for (const QJsonValue &item : value.toArray()) {
            QString text = jsonText(item);
            if (text.isEmpty() || text.contains(QLatin1Char(' ')) || text.contains(QLatin1Char(','))
                || text.contains(QLatin1Char('"'))) {
                text.replace(QLatin1Char('"'), QLatin1String("\"\""));
                text = QLatin1Char('"') + text + QLatin1Char('"');
            }
            items << text;
        }
        return items.join(QLatin1Char(','));
    }
    default:
        return QString();
    }
}

std::int32_t jsonInt(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Double: {
        const double d = value.toDouble();
        if (!(d >= -2147483648.0 && d <= 2147483647.0))
            return 0;
        return std::int32_t(d);
    }
    case QJsonValue::Bool:
        return value.toBool() ? -1 : 0;
    case QJsonValue::String:
        return value.toString().trimmed().toInt();
    default:
        return 0;
    }
}

bool jsonBool(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Double:
        return value.toDouble() != 0.0;
    case QJsonValue::String: {
        const QString text = value.toString().trimmed();
        return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || text.toInt() != 0;
    }
    default:
        return false;
    }
}

Value jsonToValue(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return textValue(value.toString());
    case QJsonValue::Bool:
        return Value(value.toBool());
    case QJsonValue::Double: {
        const double d = value.toDouble();
        if (std::trunc(d) == d && d >= -2147483648.0 && d <= 2147483647.0)
            return Value(std::int32_t(d));
        return Value(d);
    }
    case QJsonValue::Array:
        return textValue(jsonText(value));
    default:
        return std::monostate{};
    }
}

namespace {

constexpr Member kAppMembers[] = {
    {dispid::App::Quit, "Quit", kMethod},
    {dispid::App::ErrorText, "ErrorText", kGet},
    {dispid::App::ErrorDetail, "ErrorDetail", kGet},
    {dispid::App::OpenLabel, "OpenLabel", kMethod},
    {dispid::App::Initialize, "Initialize", kMethod},
    {dispid::App::AutomationFlag, "AutomationFlag", kPut},
};

const QString kCannotOpen = QStringLiteral("Cannot open label file");

class SimApplication final : public SimObject {
public:
    SimApplication() : SimObject(std::make_shared<AppState>(), nullptr, QStringLiteral("App")) {}

protected:
    std::span<const Member> members() const override { return kAppMembers; }

    Value call(const Member &member, CallKind, std::span<const Value> args) override
    {
        switch (member.id) {
        case dispid::App::Quit:
            ++g_quitCount;
            return std::monostate{};
        case dispid::App::ErrorText:
            return textValue(app_->errorText);
        case dispid::App::ErrorDetail:
            return textValue(app_->errorDetail);
        case dispid::App::OpenLabel:
            return open(argText(args, 0, "OpenLabel"));
        case dispid::App::Initialize:
            return std::monostate{};
        case dispid::App::AutomationFlag:
            requireArgs(args, 1, "AutomationFlag");
            app_->automationFlag = valueToBool(args[0]);
            return std::monostate{};
        }
        return std::monostate{};
    }

private:
    Value refuse(const QString &detail)
    {
        app_->setError(kCannotOpen, detail);
        return std::monostate{};
    }

    Value open(const QString &path)
    {
        app_->clearError();
        if (path.trimmed().isEmpty())
            return refuse(QStringLiteral("No file name was given."));
        const QFileInfo info(path);
        const QString absolute = info.absoluteFilePath();
        if (!info.exists())
            return refuse(QStringLiteral("The file \"%1\" does not exist.").arg(absolute));
        if (info.isDir())
            return refuse(QStringLiteral("\"%1\" is a folder, not a label file.").arg(absolute));
        LabelFileRead read = readLabelFile(absolute, app_->heldFiles);
        if (read.outcome == LabelFileRead::InUse) {
            const QString by = read.holder.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(read.holder);
            app_->setError(QStringLiteral("The file is in use by another process."),
                           QStringLiteral("The file \"%1\" is open in another designer%2.").arg(absolute, by));
            return std::monostate{};
        }
        if (read.outcome != LabelFileRead::Read)
            return refuse(read.reason);
        const QByteArray bytes = std::move(read.bytes);
        // Qt's parser ends the process when memory runs out inside it (its
        // allocations fail where nothing can catch them): ask for the few times
        // the file's size that a parse takes first, and fail as an allocation
        // does when that cannot be had. Untouched, the probe costs no memory.
        if (!std::unique_ptr<char[]>(new (std::nothrow) char[std::size_t(bytes.size()) * 3 + 1]))
            throw std::bad_alloc();
        QJsonParseError error;
        const QJsonDocument json = QJsonDocument::fromJson(bytes, &error);
        if (error.error != QJsonParseError::NoError)
            return refuse(QStringLiteral("The file \"%1\" is damaged or not a label: %2 at offset %3.")
                              .arg(absolute, error.errorString())
                              .arg(error.offset));
        const QJsonValue marker = json.object().value(QLatin1String("SimulatedLabel"));
        if (!json.isObject() || !marker.isDouble() || marker.toDouble() != 1.0)
            return refuse(QStringLiteral("The file \"%1\" is not a label: its label marker is missing.").arg(absolute));

        auto doc = std::make_shared<Document>();
        doc->app = app_;
        doc->filePath = absolute;
        doc->root = json.object();
        doc->held = std::move(read.held);

        const QJsonValue fault = doc->root.value(QLatin1String("Faults")).toObject().value(QLatin1String("OpenLabel"));
        if (fault.isObject()) {
            const QJsonObject f = fault.toObject();
            if (f.contains(QLatin1String("ErrorText")) || f.contains(QLatin1String("ErrorDetail")))
                app_->setError(jsonText(f.value(QLatin1String("ErrorText"))), jsonText(f.value(QLatin1String("ErrorDetail"))));
            if (f.contains(QLatin1String("Raise"))) {
                const QString text = jsonText(f.value(QLatin1String("Raise")));
                raise(text.isEmpty() ? QStringLiteral("Simulated failure of OpenLabel.") : text);
            }
            if (jsonBool(f.value(QLatin1String("Nothing"))))
                return std::monostate{};
            if (f.contains(QLatin1String("Return")))
                return jsonToValue(f.value(QLatin1String("Return")));
        }
        return makeLabel(app_, std::move(doc));
    }
};

} // namespace

DispatchRef makeApplication()
{
    return std::make_shared<SimApplication>();
}

} // namespace detail

DispatchRef createApplication()
{
    return detail::makeApplication();
}

QString designerChoiceError()
{
    const QString which = qEnvironmentVariable("STROVEX_DESIGNER").trimmed();
    if (which.isEmpty() || which == QLatin1String("5") || which == QLatin1String("none"))
        return {};
    return QStringLiteral("STROVEX_DESIGNER=\"%1\" is not understood. Leave it unset or empty for the simulated "
                          "version 6 designer, set it to 5 for version 5, or to none for no designer.")
        .arg(which);
}

void registerFromEnvironment(InProcessServerTable &table)
{
    // A mistyped value must not quietly mean "no designer".
    if (const QString error = designerChoiceError(); !error.isEmpty())
        throw DesignerChoiceError(error.toStdString());
    table.unregisterServer(kProgIdVersion6);
    table.unregisterServer(kProgIdVersion5);
    const QString which = qEnvironmentVariable("STROVEX_DESIGNER").trimmed();
    if (which.isEmpty())
        table.registerServer(kProgIdVersion6, &createApplication);
    else if (which == QLatin1String("5"))
        table.registerServer(kProgIdVersion5, &createApplication);
    loadKnobsFromEnvironment();
}

ProgIdResolver &environmentResolver()
{
    static const bool registered = [] {
        registerFromEnvironment(InProcessServerTable::instance());
        return true;
    }();
    (void)registered;
    return InProcessServerTable::instance();
}

void setKnobs(const Knobs &k)
{
    std::lock_guard lock(g_knobMutex);
    if (k.logFile != g_knobs.logFile || (!k.logFile.isEmpty() && !g_logFile))
        openLog(k.logFile);
    g_knobs = k;
    g_knobCalls = 0;
}

Knobs knobs()
{
    std::lock_guard lock(g_knobMutex);
    return g_knobs;
}

void loadKnobsFromEnvironment()
{
    Knobs k;
    k.failCall = parseKnob("STROVEX_SIM_FAIL_CALL");
    k.stopAfter = parseKnob("STROVEX_SIM_STOP_AFTER");
    k.latencyUs = std::uint32_t(std::min<std::uint64_t>(parseKnob("STROVEX_SIM_LATENCY_US"), std::numeric_limits<std::uint32_t>::max()));
    k.logFile = qEnvironmentVariable("STROVEX_SIM_LOG");
    k.killPoint = parseKnob("STROVEX_SIM_KILL_POINT");
    setKnobs(k);
}

std::uint64_t callCount()
{
    return g_callCount;
}

void resetCallCount()
{
    g_callCount = 0;
}

long liveObjects()
{
    return g_liveObjects;
}

long liveLabels()
{
    return g_liveLabels;
}

std::uint64_t quitCount()
{
    return g_quitCount;
}

} // namespace strovex::sim
