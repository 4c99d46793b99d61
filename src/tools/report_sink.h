#pragma once
// Where a batch run writes its report: the dialog's list box, or plain lines.

#include <QString>
#include <QStringList>

#include <vector>

namespace strovex {

class ReportSink {
public:
    virtual ~ReportSink() = default;
    // Replaces every line (annotate style starts from the file list, log style from nothing).
    virtual void reset(const QStringList &lines) = 0;
    // Annotate style: line `index` (0-based, made by reset) gets a new text.
    virtual void setLine(int index, const QString &text) = 0;
    // Log style: one more line at the end.
    virtual void append(const QString &text) = 0;
    // Why the line set or appended last reports an error about the label at
    // `path`: the designer's own text, shown beside the line, whose text
    // stays as it is.
    virtual void reason(const QString &path, const QString &text) = 0;
};

// The report as a list of lines; what tests compare and what a shell may copy.
class LinesReport : public ReportSink {
public:
    struct Reason {
        int line = 0;
        QString path;
        QString text;
        bool operator==(const Reason &) const = default;
    };

    void reset(const QStringList &lines) override
    {
        lines_ = lines;
        reasons_.clear();
        last_ = -1;
    }
    void setLine(int index, const QString &text) override
    {
        lines_[index] = text;
        last_ = index;
    }
    void append(const QString &text) override
    {
        lines_.append(text);
        last_ = int(lines_.size()) - 1;
    }
    void reason(const QString &path, const QString &text) override { reasons_.push_back({last_, path, text}); }
    const QStringList &lines() const { return lines_; }
    // In the order given, each with the index of its line.
    const std::vector<Reason> &reasons() const { return reasons_; }

private:
    QStringList lines_;
    std::vector<Reason> reasons_;
    int last_ = -1;
};

} // namespace strovex
