// TRichLog: a log of the wizard as a rich-text control. Each entry is a bold
// grey caption followed by ": " (when there is a caption) and the text in the
// writer's colour, ended by a line break. The control keeps at most 1000
// lines (the oldest go first) and keeps the newest line at most 23 lines
// below the top of the view. It is a plain-text control with character
// formats: removing the oldest line costs nothing there, while a full
// rich-text control lays the whole log out again each time.
#pragma once

#include "app/engine/log.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QPlainTextEdit>
#include <QVector>

#include <string>

namespace dravik::wizard {

class TRichLog : public QPlainTextEdit, public engine::LogSink {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 1000;
    static constexpr int kScrollLines = 23;

    explicit TRichLog(QWidget* parent = nullptr);

    // LogSink: one entry, as the six log writers send it.
    void Append(const engine::LogEntry& entry) override;
    void AppendLogEntry(const QString& caption, const QColor& captionColour, const QString& text,
                        const QColor& textColour);
    // Scrolls down so that the caret's line is at most 23 lines below the
    // first visible line.
    void ScrollToCaret();

    // Empties the log.
    void Clear();
    // Replaces the content with plain lines in the default colour.
    void SetLines(const QStringList& lines);
    // Lines as the control holds them: the text after the last line break is
    // a line of its own (empty after a complete entry).
    int LineCount() const;
    QString Line(int i) const;
    QStringList Lines() const;
    // The whole text with CR LF between lines, in UTF-8.
    std::string Text() const;
    int FirstVisibleLine() const;
    int CaretLine() const;

    // A stretch of one line written in one format.
    struct Run {
        QString text;
        QColor colour;
        bool bold = false;
    };
    QVector<Run> LineRuns(int i) const;

private:
    void DeleteFirstLine();
};

QColor ToQColor(engine::Colour colour);

}  // namespace dravik::wizard
