// The rich-text log control: entry format and colours, the 1000-line cap,
// the 23-line scrolling rule, Russian texts.
#include "app/wizard/rich_log.h"
#include "suites.h"

#include <QScrollBar>
#include <QTest>

using dravik::engine::kDarkRed;
using dravik::engine::kGreen;
using dravik::engine::kGrey;
using dravik::engine::kRed;
using dravik::engine::LogEntry;
using dravik::wizard::ToQColor;
using dravik::wizard::TRichLog;

class LogControlTest : public QObject {
    Q_OBJECT

private slots:
    void captionIsBoldGreyWithColonAndTextInWritersColour() {
        TRichLog log;
        log.Append(LogEntry{"DB /tmp/a.fdb", kGrey, "connected", kGreen});
        QCOMPARE(log.Line(0), QString("DB /tmp/a.fdb: connected"));
        const auto runs = log.LineRuns(0);
        QCOMPARE(runs.size(), 2);
        QCOMPARE(runs[0].text, QString("DB /tmp/a.fdb: "));
        QCOMPARE(runs[0].colour, QColor(128, 128, 128));
        QVERIFY(runs[0].bold);
        QCOMPARE(runs[1].text, QString("connected"));
        QCOMPARE(runs[1].colour, QColor(0, 128, 0));
        QVERIFY(!runs[1].bold);
        // The entry ends with a line break: the caret waits on an empty line.
        QCOMPARE(log.LineCount(), 2);
        QCOMPARE(log.Line(1), QString());
        QCOMPARE(log.Text(), std::string("DB /tmp/a.fdb: connected\r\n"));
    }

    void captionLessEntriesWriteOnlyTheText() {
        TRichLog log;
        log.Append(LogEntry{"", kGrey, "DB error text", kRed});
        log.Append(LogEntry{"", kGrey, "", kGreen});  // both empty: an empty line
        log.Append(LogEntry{"Database copy", kGrey, "complete", kGreen});
        QCOMPARE(log.Lines(), QStringList({"DB error text", "", "Database copy: complete", ""}));
        const auto runs = log.LineRuns(0);
        QCOMPARE(runs.size(), 1);
        QCOMPARE(runs[0].colour, QColor(255, 0, 0));
        QVERIFY(!runs[0].bold);
    }

    void captionEndingInColonShowsTwoColons() {
        TRichLog log;
        log.Append(LogEntry{"Start time:", kGrey, "01-02-25 10:11:12", kGreen});
        QCOMPARE(log.Line(0), QString("Start time:: 01-02-25 10:11:12"));
    }

    void lineBreaksInsideATextMakeLines() {
        TRichLog log;
        log.Append(LogEntry{"Code page", kGrey, "NONE\r\n", ToEngine(Qt::black)});
        log.Append(LogEntry{"\r\nGenerators", kGrey, "", ToEngine(Qt::black)});
        log.Append(LogEntry{"", kGrey, "\tGEN_A", ToEngine(Qt::black)});
        QCOMPARE(log.Lines(), QStringList({"Code page: NONE", "", "", "Generators: ", "\tGEN_A", ""}));
        QCOMPARE(log.Text(), std::string("Code page: NONE\r\n\r\n\r\nGenerators: \r\n\tGEN_A\r\n"));
    }

    void russianTextsShowInCyrillic() {
        TRichLog log;
        log.Append(LogEntry{"Подготовка процесса", kGrey, "Ошибка доступа", kDarkRed});
        log.Append(LogEntry{"ORDERS", kGrey, "Скопировано: 3 записей (0 ошибок)", kGreen});
        QCOMPARE(log.Line(0), QString::fromUtf8("Подготовка процесса: Ошибка доступа"));
        QCOMPARE(log.Line(1), QString::fromUtf8("ORDERS: Скопировано: 3 записей (0 ошибок)"));
        QCOMPARE(log.LineRuns(0)[1].colour, QColor(96, 0, 0));
        QCOMPARE(log.Text(), std::string("Подготовка процесса: Ошибка доступа\r\n"
                                         "ORDERS: Скопировано: 3 записей (0 ошибок)\r\n"));
    }

    void theThousandAndFirstLineDropsTheFirst() {
        TRichLog log;
        for (int i = 1; i <= 1000; ++i) log.Append(LogEntry{"", kGrey, "line " + std::to_string(i), kGreen});
        // 1000 lines and the empty one after the last break.
        QCOMPARE(log.LineCount(), 1001);
        QCOMPARE(log.Line(0), QString("line 1"));
        log.Append(LogEntry{"", kGrey, "line 1001", kGreen});
        QCOMPARE(log.LineCount(), 1001);
        QCOMPARE(log.Line(0), QString("line 2"));
        QCOMPARE(log.Line(999), QString("line 1001"));
        log.Append(LogEntry{"", kGrey, "line 1002", kGreen});
        QCOMPARE(log.Line(0), QString("line 3"));
        // The formats of the lines kept are untouched by the removal.
        QCOMPARE(log.LineRuns(0)[0].colour, QColor(0, 128, 0));
    }

    void theCapIsTestedBeforeTheEntryGoesIn() {
        TRichLog log;
        for (int i = 1; i <= 1000; ++i) log.Append(LogEntry{"", kGrey, "line " + std::to_string(i), kGreen});
        // An entry of three lines: one line goes first, then all three go in.
        log.Append(LogEntry{"", kGrey, "a\r\nb\r\nc", kGreen});
        QCOMPARE(log.LineCount(), 1003);
        QCOMPARE(log.Line(0), QString("line 2"));
        log.Append(LogEntry{"", kGrey, "d", kGreen});
        QCOMPARE(log.LineCount(), 1001);
        QCOMPARE(log.Line(0), QString("line 5"));
    }

    void theNewestLineStaysAtMostTwentyThreeLinesBelowTheTop() {
        TRichLog log;
        log.resize(441, 800);  // room for far more than 23 lines
        log.show();
        QVERIFY(QTest::qWaitForWindowExposed(&log));
        for (int i = 1; i <= 10; ++i) log.Append(LogEntry{"", kGrey, "line " + std::to_string(i), kGreen});
        QCOMPARE(log.FirstVisibleLine(), 0);  // nothing to scroll yet

        for (int i = 11; i <= 120; ++i) log.Append(LogEntry{"", kGrey, "line " + std::to_string(i), kGreen});
        QCOMPARE(log.CaretLine(), 120);
        QCOMPARE(log.FirstVisibleLine(), 120 - 23);

        // A user who scrolled back to the top is brought back by the next entry.
        log.verticalScrollBar()->setValue(0);
        QCOMPARE(log.FirstVisibleLine(), 0);
        log.Append(LogEntry{"", kGrey, "line 121", kGreen});
        QCOMPARE(log.FirstVisibleLine(), 121 - 23);
    }

    void clearingKeepsTheScrollingRule() {
        TRichLog log;
        log.resize(441, 800);
        log.show();
        QVERIFY(QTest::qWaitForWindowExposed(&log));
        for (int i = 0; i < 60; ++i) log.Append(LogEntry{"", kGrey, "x", kGreen});
        log.Clear();
        QCOMPARE(log.LineCount(), 1);
        for (int i = 0; i < 60; ++i) log.Append(LogEntry{"", kGrey, "y", kGreen});
        QCOMPARE(log.FirstVisibleLine(), 60 - 23);
    }

private:
    static dravik::engine::Colour ToEngine(Qt::GlobalColor c) {
        const QColor q(c);
        return {static_cast<uint8_t>(q.red()), static_cast<uint8_t>(q.green()), static_cast<uint8_t>(q.blue())};
    }
};

DRAVIK_WIZARD_SUITE(LogControlTest);
#include "rich_log_test.moc"
