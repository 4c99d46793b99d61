#include "inspect/code_view.h"

#include <algorithm>
#include <limits>

#include <QFontDatabase>
#include <QPainter>
#include <QTextBlock>

namespace strovex {

QFont codeFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (!QFontInfo(font).fixedPitch()) {
        // Where no platform theme names a fixed font (Qt's offscreen platform
        // on Windows gives the default font): any fixed-pitch family there is.
        const QStringList families = QFontDatabase::families();
        const auto fixed = std::find_if(families.cbegin(), families.cend(),
                                        [](const QString &family) { return QFontDatabase::isFixedPitch(family); });
        if (fixed != families.cend())
            font.setFamily(*fixed);
    }
    return font;
}

class LineNumberGutter : public QWidget {
public:
    explicit LineNumberGutter(CodeView *view) : QWidget(view), view_(view) {}
    QSize sizeHint() const override { return {view_->gutterWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent *event) override { view_->paintGutter(event); }

private:
    CodeView *view_;
};

CodeView::CodeView(QWidget *parent) : QPlainTextEdit(parent), gutter_(new LineNumberGutter(this))
{
    setFont(codeFont());
    setLineWrapMode(QPlainTextEdit::NoWrap);
    gutter_->hide();
    connect(this, &QPlainTextEdit::blockCountChanged, this, &CodeView::updateGutterWidth);
    connect(this, &QPlainTextEdit::updateRequest, this, &CodeView::updateGutter);
}

void CodeView::setLineNumbersShown(bool shown)
{
    lineNumbersShown_ = shown;
    gutter_->setVisible(shown);
    updateGutterWidth();
}

int CodeView::gutterWidth() const
{
    if (!lineNumbersShown_)
        return 0;
    const int digits = int(QString::number(qMax(1, blockCount())).size());
    return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * qMax(2, digits);
}

void CodeView::updateGutterWidth()
{
    setViewportMargins(gutterWidth(), 0, 0, 0);
}

void CodeView::updateGutter(const QRect &rect, int dy)
{
    if (!lineNumbersShown_)
        return;
    if (dy)
        gutter_->scroll(0, dy);
    else
        gutter_->update(0, rect.y(), gutter_->width(), rect.height());
}

void CodeView::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect inner = contentsRect();
    gutter_->setGeometry(inner.left(), inner.top(), gutterWidth(), inner.height());
}

void CodeView::paintGutter(QPaintEvent *event)
{
    QPainter painter(gutter_);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (block.isVisible() && top + height >= event->rect().top())
            painter.drawText(0, top, gutter_->width() - 4, fontMetrics().height(), Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        block = block.next();
        top += height;
    }
}

CodeHighlighter::CodeHighlighter(QTextDocument *document, const QStringList &keywords) : QSyntaxHighlighter(document)
{
    QTextCharFormat keyword;
    keyword.setForeground(QColor(0x00, 0x00, 0x80));
    keyword.setFontWeight(QFont::Bold);
    rules_.push_back({QRegularExpression(QStringLiteral("\\b(?:%1)\\b").arg(keywords.join(QLatin1Char('|'))),
                                         QRegularExpression::CaseInsensitiveOption),
                      keyword});
    QTextCharFormat number;
    number.setForeground(QColor(0x80, 0x00, 0x80));
    rules_.push_back({QRegularExpression(QStringLiteral("\\b\\d+(?:\\.\\d+)?\\b")), number});
    stringFormat_.setForeground(QColor(0xA0, 0x00, 0x00));
    commentFormat_.setForeground(QColor(0x00, 0x80, 0x00));
    commentFormat_.setFontItalic(true);
}

// Keywords and numbers first; strings and comments then read left to right,
// so that whichever opens first wins: a quote inside a comment is comment,
// a comment mark inside a string is string.
void CodeHighlighter::highlightBlock(const QString &text)
{
    for (const Rule &rule : rules_) {
        for (auto it = rule.pattern.globalMatch(text); it.hasNext();) {
            const auto match = it.next();
            setFormat(int(match.capturedStart()), int(match.capturedLength()), rule.format);
        }
    }
    const bool blockComments = !blockCommentStart_.pattern().isEmpty();
    setCurrentBlockState(0);
    qsizetype pos = 0;
    if (blockComments && previousBlockState() == 1) {
        const auto end = blockCommentEnd_.match(text);
        if (!end.hasMatch()) {
            setFormat(0, int(text.size()), commentFormat_);
            setCurrentBlockState(1);
            return;
        }
        setFormat(0, int(end.capturedEnd()), commentFormat_);
        pos = end.capturedEnd();
    }
    while (pos < text.size()) {
        const qsizetype quote = text.indexOf(stringQuote_, pos);
        const auto line = lineComment_.match(text, pos);
        const auto block = blockComments ? blockCommentStart_.match(text, pos) : QRegularExpressionMatch();
        constexpr qsizetype none = std::numeric_limits<qsizetype>::max();
        const qsizetype atQuote = quote >= 0 ? quote : none;
        const qsizetype atLine = line.hasMatch() ? line.capturedStart() : none;
        const qsizetype atBlock = block.hasMatch() ? block.capturedStart() : none;
        const qsizetype first = std::min({atQuote, atLine, atBlock});
        if (first == none)
            return;
        if (first == atQuote) {
            // A doubled quote stands for one quote inside the string; an
            // unclosed string runs to the end of the line.
            qsizetype end = quote + 1;
            while (end < text.size()) {
                if (text.at(end) == stringQuote_) {
                    if (end + 1 < text.size() && text.at(end + 1) == stringQuote_) {
                        end += 2;
                        continue;
                    }
                    ++end;
                    break;
                }
                ++end;
            }
            setFormat(int(quote), int(end - quote), stringFormat_);
            pos = end;
        } else if (first == atLine) {
            setFormat(int(atLine), int(text.size() - atLine), commentFormat_);
            return;
        } else {
            const auto end = blockCommentEnd_.match(text, block.capturedEnd());
            if (!end.hasMatch()) {
                setFormat(int(atBlock), int(text.size() - atBlock), commentFormat_);
                setCurrentBlockState(1);
                return;
            }
            setFormat(int(atBlock), int(end.capturedEnd() - atBlock), commentFormat_);
            pos = end.capturedEnd();
        }
    }
}

VbScriptHighlighter::VbScriptHighlighter(QTextDocument *document)
    : CodeHighlighter(document,
                      {QStringLiteral("And"),      QStringLiteral("ByRef"),   QStringLiteral("ByVal"),
                       QStringLiteral("Call"),     QStringLiteral("Case"),    QStringLiteral("Class"),
                       QStringLiteral("Const"),    QStringLiteral("Dim"),     QStringLiteral("Do"),
                       QStringLiteral("Each"),     QStringLiteral("Else"),    QStringLiteral("ElseIf"),
                       QStringLiteral("Empty"),    QStringLiteral("End"),     QStringLiteral("Erase"),
                       QStringLiteral("Error"),    QStringLiteral("Exit"),    QStringLiteral("Explicit"),
                       QStringLiteral("False"),    QStringLiteral("For"),     QStringLiteral("Function"),
                       QStringLiteral("Get"),      QStringLiteral("GoTo"),    QStringLiteral("If"),
                       QStringLiteral("In"),       QStringLiteral("Is"),      QStringLiteral("Let"),
                       QStringLiteral("Loop"),     QStringLiteral("Mod"),     QStringLiteral("New"),
                       QStringLiteral("Next"),     QStringLiteral("Not"),     QStringLiteral("Nothing"),
                       QStringLiteral("Null"),     QStringLiteral("On"),      QStringLiteral("Option"),
                       QStringLiteral("Or"),       QStringLiteral("Private"), QStringLiteral("Property"),
                       QStringLiteral("Public"),   QStringLiteral("ReDim"),   QStringLiteral("Resume"),
                       QStringLiteral("Select"),   QStringLiteral("Set"),     QStringLiteral("Step"),
                       QStringLiteral("Sub"),      QStringLiteral("Then"),    QStringLiteral("To"),
                       QStringLiteral("True"),     QStringLiteral("Until"),   QStringLiteral("Wend"),
                       QStringLiteral("While"),    QStringLiteral("With"),    QStringLiteral("Xor")})
{
    stringQuote_ = u'"';
    lineComment_ = QRegularExpression(QStringLiteral("'|\\bRem\\b"), QRegularExpression::CaseInsensitiveOption);
}

SqlHighlighter::SqlHighlighter(QTextDocument *document)
    : CodeHighlighter(document,
                      {QStringLiteral("ALL"),    QStringLiteral("AND"),    QStringLiteral("AS"),
                       QStringLiteral("ASC"),    QStringLiteral("BETWEEN"), QStringLiteral("BY"),
                       QStringLiteral("CASE"),   QStringLiteral("DELETE"), QStringLiteral("DESC"),
                       QStringLiteral("DISTINCT"), QStringLiteral("ELSE"), QStringLiteral("END"),
                       QStringLiteral("EXISTS"), QStringLiteral("FROM"),   QStringLiteral("GROUP"),
                       QStringLiteral("HAVING"), QStringLiteral("IN"),     QStringLiteral("INNER"),
                       QStringLiteral("INSERT"), QStringLiteral("INTO"),   QStringLiteral("IS"),
                       QStringLiteral("JOIN"),   QStringLiteral("LEFT"),   QStringLiteral("LIKE"),
                       QStringLiteral("NOT"),    QStringLiteral("NULL"),   QStringLiteral("ON"),
                       QStringLiteral("OR"),     QStringLiteral("ORDER"),  QStringLiteral("OUTER"),
                       QStringLiteral("RIGHT"),  QStringLiteral("SELECT"), QStringLiteral("SET"),
                       QStringLiteral("THEN"),   QStringLiteral("TOP"),    QStringLiteral("UNION"),
                       QStringLiteral("UPDATE"), QStringLiteral("VALUES"), QStringLiteral("WHEN"),
                       QStringLiteral("WHERE")})
{
    stringQuote_ = u'\'';
    lineComment_ = QRegularExpression(QStringLiteral("--"));
    blockCommentStart_ = QRegularExpression(QStringLiteral("/\\*"));
    blockCommentEnd_ = QRegularExpression(QStringLiteral("\\*/"));
}

} // namespace strovex
