#include "app/wizard/rich_log.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace dravik::wizard {

QColor ToQColor(engine::Colour c) { return QColor(c.r, c.g, c.b); }

TRichLog::TRichLog(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    document()->setUndoRedoEnabled(false);  // a log is never undone; keep no history
    setTabStopDistance(48);                  // half an inch, as in a rich edit
    // Lets the view scroll past the last line, so that the newest line can
    // stand 23 lines below the top even when more lines would fit.
    setCenterOnScroll(true);
}

void TRichLog::Append(const engine::LogEntry& entry) {
    AppendLogEntry(QString::fromStdString(entry.caption), ToQColor(entry.captionColour),
                   QString::fromStdString(entry.text), ToQColor(entry.textColour));
}

void TRichLog::AppendLogEntry(const QString& caption, const QColor& captionColour, const QString& text,
                              const QColor& textColour) {
    // The cap is tested before the entry goes in, so a log may briefly hold
    // the 1000 lines plus those of the entry being added.
    while (LineCount() > kMaxLines) DeleteFirstLine();

    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (!caption.isEmpty()) {
        QTextCharFormat format;
        format.setForeground(captionColour);
        format.setFontWeight(QFont::Bold);
        cursor.insertText(caption + ": ", format);
    }
    QTextCharFormat format;
    format.setForeground(textColour);
    format.setFontWeight(QFont::Normal);
    cursor.insertText(text + "\r\n", format);  // CR LF makes one line break
    setTextCursor(cursor);
    ScrollToCaret();
}

void TRichLog::ScrollToCaret() {
    const int first = FirstVisibleLine();
    const int line = CaretLine();
    if (line <= first + kScrollLines) return;
    // The scroll bar of a plain-text control counts lines.
    verticalScrollBar()->setValue(verticalScrollBar()->value() + (line - first - kScrollLines));
}

void TRichLog::DeleteFirstLine() {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void TRichLog::Clear() { clear(); }

void TRichLog::SetLines(const QStringList& lines) {
    Clear();
    QTextCursor cursor(document());
    for (const QString& line : lines) cursor.insertText(line + "\r\n");
}

int TRichLog::LineCount() const { return document()->blockCount(); }

QString TRichLog::Line(int i) const { return document()->findBlockByNumber(i).text(); }

QStringList TRichLog::Lines() const {
    QStringList lines;
    for (QTextBlock b = document()->firstBlock(); b.isValid(); b = b.next()) lines << b.text();
    return lines;
}

std::string TRichLog::Text() const { return Lines().join("\r\n").toStdString(); }

int TRichLog::FirstVisibleLine() const { return firstVisibleBlock().blockNumber(); }

int TRichLog::CaretLine() const { return textCursor().blockNumber(); }

QVector<TRichLog::Run> TRichLog::LineRuns(int i) const {
    QVector<Run> runs;
    const QTextBlock block = document()->findBlockByNumber(i);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid()) continue;
        const QTextCharFormat format = fragment.charFormat();
        runs.push_back(Run{fragment.text(), format.foreground().color(), format.fontWeight() >= QFont::Bold});
    }
    return runs;
}

}  // namespace dravik::wizard
