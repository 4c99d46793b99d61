#pragma once
// A plain-text view for source code: fixed-pitch font ("Courier New", else the
// system's monospace font), an optional line-number gutter, and highlighters
// for the two languages a label carries (VBScript functions, database SQL).

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSyntaxHighlighter>

#include <vector>

namespace strovex {

QFont codeFont();

class CodeView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CodeView(QWidget *parent = nullptr);

    void setLineNumbersShown(bool shown);
    bool lineNumbersShown() const { return lineNumbersShown_; }
    int gutterWidth() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class LineNumberGutter;
    void paintGutter(QPaintEvent *event);
    void updateGutterWidth();
    void updateGutter(const QRect &rect, int dy);

    QWidget *gutter_;
    bool lineNumbersShown_ = false;
};

// Keywords (case-insensitive), numbers, strings and comments; of a string
// and a comment, the one that opens first on a line wins.
class CodeHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
protected:
    CodeHighlighter(QTextDocument *document, const QStringList &keywords);
    void highlightBlock(const QString &text) override;

    struct Rule {
        QRegularExpression pattern;
        QTextCharFormat format;
    };
    std::vector<Rule> rules_; // keywords and numbers
    QTextCharFormat stringFormat_;
    QTextCharFormat commentFormat_;
    QChar stringQuote_;               // doubled inside a string for itself
    QRegularExpression lineComment_;  // runs to the end of the line
    // A comment spanning lines (SQL's /* */); empty patterns for none.
    QRegularExpression blockCommentStart_;
    QRegularExpression blockCommentEnd_;
};

class VbScriptHighlighter : public CodeHighlighter {
    Q_OBJECT
public:
    explicit VbScriptHighlighter(QTextDocument *document);
};

class SqlHighlighter : public CodeHighlighter {
    Q_OBJECT
public:
    explicit SqlHighlighter(QTextDocument *document);
};

} // namespace strovex
