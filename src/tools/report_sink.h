#pragma once
// Where a batch run writes its report: the dialog's list box, or plain lines.

#include <QString>
#include <QStringList>

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
};

// The report as a list of lines; what tests compare and what a shell may copy.
class LinesReport : public ReportSink {
public:
    void reset(const QStringList &lines) override { lines_ = lines; }
    void setLine(int index, const QString &text) override { lines_[index] = text; }
    void append(const QString &text) override { lines_.append(text); }
    const QStringList &lines() const { return lines_; }

private:
    QStringList lines_;
};

} // namespace strovex
