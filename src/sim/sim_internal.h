#pragma once
// Pieces shared by the simulated designer's sources; not part of its contract.

#include "automation/dispatch.h"
#include "sim/sim_label_file.h"

#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <memory>
#include <optional>
#include <span>

namespace strovex::sim::detail {

// The application's error texts. Every object opened through one application
// shares them, so a refusal deep in a label shows on quillApp.ErrorText.
struct AppState {
    QString errorText;
    QString errorDetail;
    bool automationFlag = false;
    HeldFiles heldFiles; // label files this application has open

    void clearError() { errorText.clear(); errorDetail.clear(); }
    void setError(const QString &text, const QString &detail) { errorText = text; errorDetail = detail; }
};

// One opened label document. Items hold it; it never holds them.
struct Document {
    std::shared_ptr<AppState> app;
    QString filePath;   // absolute, as given (not resolved through links)
    QJsonObject root;   // the whole file; changes are made in place so Save keeps unknown keys
    std::shared_ptr<HeldFile> held; // the file kept open and locked while the label lives

private:
    struct NameIndex {
        QStringList names;
        QHash<QString, int> first;
    };
    const NameIndex &nameIndex(const QString &listKey) const;
    mutable QHash<QString, NameIndex> nameIndexes_;

public:

    QJsonObject entry(const QString &listKey, int index) const;   // index from 0
    void setEntryField(const QString &listKey, int index, const QString &field, const QJsonValue &value);
    // The entries' names of a list, and where each name first stands; kept until
    // a name changes, so large labels do not rebuild them for every lookup.
    const QStringList &names(const QString &listKey) const;
    int firstIndexOf(const QString &listKey, const QString &name) const; // -1: none
    // A picture path of the document as the designer reports it: relative paths
    // are taken against the label's folder, absolute and drive paths as they are.
    QString resolvePath(const QString &path) const;
};

// A member an object answers: its DispID, its name (for logs and fault paths)
// and the call kinds it accepts.
struct Member {
    int id;
    const char *name;
    unsigned kinds; // bit per CallKind
};
inline constexpr unsigned kGet = 1u << int(CallKind::Get);
inline constexpr unsigned kPut = 1u << int(CallKind::Put);
inline constexpr unsigned kMethod = 1u << int(CallKind::Method);

// Every simulated object: counts itself, goes through the knobs, the log and
// the document's faults before its own member runs.
class SimObject : public Dispatch {
public:
    SimObject(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc, QString path);
    ~SimObject() override;
    SimObject(const SimObject &) = delete;
    SimObject &operator=(const SimObject &) = delete;

    Value invoke(int dispId, CallKind kind, std::span<const Value> args) final;
    const QString &path() const { return path_; }

protected:
    virtual std::span<const Member> members() const = 0;
    virtual Value call(const Member &member, CallKind kind, std::span<const Value> args) = 0;
    // The fault path of a call; lists override it so Item(2) reads "Objects[2]".
    virtual QString faultPath(const Member &member, CallKind kind, std::span<const Value> args) const;

    QString memberPath(const char *name) const;

    std::shared_ptr<AppState> app_;
    std::shared_ptr<Document> doc_;
    QString path_;

private:
    Value invokeMember(const Member *found, int dispId, CallKind kind, std::span<const Value> args);
};

// Argument and value helpers. Each raises AutomationError on a wrong argument.
void requireArgs(std::span<const Value> args, std::size_t count, const char *member);
QString argText(std::span<const Value> args, std::size_t index, const char *member);
std::int32_t argInt(std::span<const Value> args, std::size_t index, const char *member);
QString argForPath(const Value &value);

Value textValue(const QString &text);
QString jsonText(const QJsonValue &value);
std::int32_t jsonInt(const QJsonValue &value);
bool jsonBool(const QJsonValue &value);
Value jsonToValue(const QJsonValue &value);
[[noreturn]] void raise(const QString &text);

// The application object and the label object factory.
DispatchRef makeApplication();
DispatchRef makeLabel(std::shared_ptr<AppState> app, std::shared_ptr<Document> doc);

void countLabel(int delta);

} // namespace strovex::sim::detail
