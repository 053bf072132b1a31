// Whole clones driven through the window: the run started by "Next >>" on
// the summary, the run log's lines and colours, the destination's content,
// the stop question while the job runs, and a stop signal.
#include "suites.h"
#include "wizard_fixture.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <signal.h>
#include <unistd.h>

#include <cstdio>

#include <string>

using dravik::test::Captions;
using dravik::test::Column;
using dravik::test::FocusRow;
using dravik::test::Scalar;
using dravik::test::WizardUnderTest;
using dravik::wizard::TRichLog;
using dravik::wizard::Twizard_Dravik;

namespace {

const QColor kGreen(0, 128, 0);
const QColor kGrey(128, 128, 128);

// Index of the first line starting with a text, from a position on.
int Find(const QStringList& lines, const QString& start, int from = 0) {
    for (int i = from; i < lines.size(); ++i)
        if (lines[i].startsWith(start)) return i;
    return -1;
}

bool HasRedText(const TRichLog& log, int from = 0) {
    for (int i = from; i < log.LineCount(); ++i)
        for (const auto& run : log.LineRuns(i))
            if (run.colour == QColor(255, 0, 0)) return true;
    return false;
}

// Presses "Cancel" once, as soon as the run log holds a line starting with `when`.
void PressCancelWhenLogged(Twizard_Dravik& w, const QString& when) {
    auto* timer = new QTimer(&w);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, &w, [&w, timer, when] {
        if (Find(w.r_Log->Lines(), when) < 0) return;
        timer->stop();
        w.btnCancel->click();
    });
    timer->start();
}

// A source with one table BIG of that many rows, long enough to act on a
// clone in the middle of its rows.
void MakeBigSource(const std::string& database, const std::string& rows) {
    dravik::test::CreateDatabase(database);
    dravik::test::Isql(database, "create table BIG (ID integer not null primary key, PAYLOAD varchar(60));\n"
                                 "set term ^;\nexecute block as declare i integer = 1; begin\n"
                                 "  while (i <= " + rows + ") do begin insert into BIG values (:i, 'payload ' || :i); "
                                 "i = i + 1; end end^\nset term ;^\ncommit;\n");
}

}  // namespace

class CloneTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const std::string error = sample_.Make();
        if (!error.empty()) QFAIL(error.c_str());
        dir_ = sample_.dir.get();
        source_ = sample_.source;
    }
    void cleanupTestCase() { sample_.dir.reset(); }

    void aCustomCloneRunsFromTheWindow() {
        WizardUnderTest t;
        Twizard_Dravik& w = t.w();
        w.show();
        const std::string target = dir_->File("custom_clone.fdb");
        t.PassSourcePage(source_);
        if (QTest::currentTestFailed()) return;
        t.LeaveDestinationPage(target, false);
        QCOMPARE(t.Page(), 2);

        // UDF: leave STRLEN behind.
        FocusRow(*w.Frame_select_udf->dstList, 0);
        w.Frame_select_udf->btn_deselect->click();
        QCOMPARE(Captions(*w.Frame_select_udf->dstList), QStringList({"UDF_FRAC"}));
        // Forward to the data page; rows of CUSTOMERS (double click) and ORDERS (arrow).
        for (int page = 3; page <= 9; ++page) w.btnNext->click();
        QCOMPARE(t.Page(), 9);
        auto& data = *w.Frame_select_data;
        const QPoint customers = data.srcList->visualRect(data.srcList->model()->index(0, 0)).center();
        QTest::mouseClick(data.srcList->viewport(), Qt::LeftButton, {}, customers);
        QTest::mouseDClick(data.srcList->viewport(), Qt::LeftButton, {}, customers);
        QCOMPARE(Captions(*data.srcList), QStringList({"ITEMS", "ORDERS"}));
        FocusRow(*data.srcList, 1);
        data.btn_select->click();
        QCOMPARE(Captions(*data.dstList), QStringList({"CUSTOMERS", "ORDERS"}));

        w.btnNext->click();
        QCOMPARE(t.Page(), Twizard_Dravik::kPageSummary);
        const QStringList summary = w.m_log->Lines();
        const int udf = Find(summary, "User Defined Functions (UDF): ");
        QVERIFY(udf > 0);
        QCOMPARE(summary[udf + 1].trimmed(), QString("UDF_FRAC"));
        QVERIFY(summary[udf + 2].isEmpty());
        const int dataSection = Find(summary, "Data: ");
        QCOMPARE(summary.mid(dataSection + 1, 2).replaceInStrings(QRegularExpression("\\s+$"), ""),
                 QStringList({"\tCUSTOMERS", "\tORDERS"}));

        w.btnNext->click();  // the job runs inside this click
        QCOMPARE(t.Page(), Twizard_Dravik::kPageRun);
        QVERIFY2(t.messages.isEmpty(), qPrintable(t.messages.join("; ")));

        const QStringList lines = w.r_Log->Lines();
        const QRegularExpression time("^\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$");
        QVERIFY2(lines[0].startsWith("Start time:: "), qPrintable(lines[0]));
        QVERIFY(time.match(lines[0].mid(13)).hasMatch());
        QCOMPARE(lines[1], QString());
        QCOMPARE(lines[2], "DB " + QString::fromStdString(source_) + ": connected");
        QCOMPARE(lines[3], "DB " + QString::fromStdString(target) + ": created");  // nothing to drop
        QCOMPARE(lines[4], "DB " + QString::fromStdString(target) + ": connected");
        const int copy = Find(lines, "COPY DATA: CUSTOMERS");
        QVERIFY(copy > 4);
        QVERIFY(Find(lines, QString::fromUtf8("Скопировано:: 3 записей (0 ошибок)"), copy) > copy);
        QVERIFY(Find(lines, "COPY DATA: ITEMS") < 0);

        const int n = static_cast<int>(lines.size());
        QVERIFY(lines[n - 6].startsWith("Start time:: "));
        QVERIFY(lines[n - 5].startsWith("Finish time:: "));
        QVERIFY2(QRegularExpression("^Duration:: 00:00:\\d\\d$").match(lines[n - 4]).hasMatch(),
                 qPrintable(lines[n - 4]));
        QCOMPARE(lines.mid(n - 3), QStringList({"", "Database copy: complete", ""}));
        QVERIFY2(!HasRedText(*w.r_Log), qPrintable(lines.join("\n")));
        const auto created = w.r_Log->LineRuns(3);
        QCOMPARE(created.size(), 2);
        QCOMPARE(created[0].colour, kGrey);
        QVERIFY(created[0].bold);
        QCOMPARE(created[1].colour, kGreen);

        // The finished job: no way on but "Finish", which still asks.
        QVERIFY(!w.btnPrev->isEnabled());
        QVERIFY(!w.btnNext->isEnabled());
        QCOMPARE(w.btnCancel->text(), QString("Finish"));
        QVERIFY(w.Job().Finished());
        QVERIFY(!w.Job().srcDb.Connected());
        QVERIFY(!w.Job().dstDb.Connected());
        for (const auto& [code, label] : w.StepLabels()) QVERIFY2(!label->font().bold(), code.c_str());

        // The destination holds what was picked.
        QCOMPARE(Column(target, "select RDB$FUNCTION_NAME from RDB$FUNCTIONS where RDB$SYSTEM_FLAG = 0"),
                 std::vector<std::string>({"UDF_FRAC"}));
        QCOMPARE(Column(target, "select RDB$RELATION_NAME from RDB$RELATIONS where RDB$SYSTEM_FLAG = 0 "
                                "order by 1"),
                 std::vector<std::string>({"CUSTOMERS", "ITEMS", "ORDERS", "V_BIG_ORDERS"}));
        QCOMPARE(Scalar(target, "select count(*) from CUSTOMERS"), std::string("3"));
        QCOMPARE(Scalar(target, "select count(*) from ORDERS"), std::string("3"));
        QCOMPARE(Scalar(target, "select count(*) from ITEMS"), std::string("0"));
        QCOMPARE(Scalar(target, "select gen_id(GEN_CUSTOMER, 0) from RDB$DATABASE"), std::string("42"));
        QCOMPARE(Scalar(target, "select TOTAL from P_CUSTOMER_ORDERS(1)"), std::string("349.50"));
        QCOMPARE(Scalar(target, "select count(*) from V_BIG_ORDERS"), std::string("1"));
        QCOMPARE(Scalar(target, "select count(*) from RDB$TRIGGERS where RDB$TRIGGER_NAME = 'CUSTOMERS_BI'"),
                 std::string("1"));
        QCOMPARE(Scalar(target, "select count(*) from RDB$RELATION_CONSTRAINTS "
                                "where RDB$CONSTRAINT_TYPE = 'FOREIGN KEY'"),
                 std::string("2"));

        t.answer = false;
        w.btnCancel->click();
        QCOMPARE(t.questions, QStringList({"Stop the wizard?"}));
        QVERIFY(w.isVisible());
        QVERIFY(w.close());  // a stop is requested: no question
        QCOMPARE(t.questions.size(), 1);
    }

    void cancelAnsweredNoDuringTheRunChangesNothing() {
        WizardUnderTest t;
        Twizard_Dravik& w = t.w();
        w.show();
        const std::string target = dir_->File("cancel_no.fdb");
        t.PassSourcePage(source_);
        if (QTest::currentTestFailed()) return;
        t.LeaveDestinationPage(target, true);
        QCOMPARE(t.Page(), Twizard_Dravik::kPageSummary);

        bool askedWhileRunning = false;
        t.onQuestion = [&](const QString&) {
            askedWhileRunning = !w.btnNext->isEnabled() && !w.btnPrev->isEnabled() &&
                                Find(w.r_Log->Lines(), "Database copy: complete") < 0;
            return false;
        };
        w.eventInterval = 0;  // a turn after every line, so the question comes mid-job
        PressCancelWhenLogged(w, "DB " + QString::fromStdString(target) + ": created");
        w.btnNext->click();

        QCOMPARE(t.questions, QStringList({"Stop the wizard?"}));
        QVERIFY(askedWhileRunning);
        QVERIFY(w.isVisible());
        QCOMPARE(t.Page(), Twizard_Dravik::kPageRun);
        const QStringList lines = w.r_Log->Lines();
        QCOMPARE(lines.value(lines.size() - 2), QString("Database copy: complete"));
        QVERIFY(Find(lines, "Finish time:: ") > 0);
        QVERIFY(!HasRedText(*w.r_Log));
        QCOMPARE(Column(target, "select RDB$RELATION_NAME from RDB$RELATIONS where RDB$SYSTEM_FLAG = 0 "
                                "order by 1"),
                 std::vector<std::string>({"CUSTOMERS", "ITEMS", "ORDERS", "V_BIG_ORDERS"}));
        QCOMPARE(w.btnCancel->text(), QString("Finish"));
    }

    void cancelAnsweredYesDuringTheRunStopsItAndClosesTheWindow() {
        WizardUnderTest t;
        Twizard_Dravik& w = t.w();
        w.show();
        const std::string target = dir_->File("cancel_yes.fdb");
        t.PassSourcePage(source_);
        if (QTest::currentTestFailed()) return;
        t.LeaveDestinationPage(target, true);
        t.answer = true;
        // Every log line gives the window its turn, so the stop is seen at once.
        w.eventInterval = 0;
        // Pressed once the destination exists (a stop before leaves it untouched).
        PressCancelWhenLogged(w, "DB " + QString::fromStdString(target) + ": connected");
        w.btnNext->click();  // returns when the job has seen the stop request

        QCOMPARE(t.questions, QStringList({"Stop the wizard?"}));
        QVERIFY(!w.isVisible());
        QVERIFY(w.Job().StopRequested());
        const QStringList lines = w.r_Log->Lines();
        QVERIFY(Find(lines, "Finish time:: ") < 0);
        QVERIFY(Find(lines, "Database copy: complete") < 0);
        QVERIFY(!w.btnPrev->isEnabled());
        QVERIFY(!w.btnNext->isEnabled());
        QCOMPARE(w.btnCancel->text(), QString("Cancel"));
        // The job ended after an object: the views' pass never came.
        QVERIFY(Column(target, "select RDB$RELATION_NAME from RDB$RELATIONS where RDB$VIEW_BLR IS NOT NULL").empty());
    }

    void aDestinationThatCannotBeCreatedLetsTheUserGoBackAndRunAgain() {
        WizardUnderTest t;
        Twizard_Dravik& w = t.w();
        t.PassSourcePage(source_);
        if (QTest::currentTestFailed()) return;
        t.LeaveDestinationPage(source_, true);  // the source itself
        QCOMPARE(t.Page(), Twizard_Dravik::kPageSummary);
        w.btnNext->click();
        QCOMPARE(t.Page(), Twizard_Dravik::kPageRun);
        QCOMPARE(t.messages, QStringList({"The source and the destination databases\ncan NOT be the same"}));
        QStringList lines = w.r_Log->Lines();
        // One red line says why, and nothing is tried on the refused destination.
        const int fatal = Find(lines, QString::fromStdString("DB " + source_ + ": is the source database"));
        QVERIFY2(fatal > 0, qPrintable(lines.join("\n")));
        QCOMPARE(w.r_Log->LineRuns(fatal).last().colour, QColor(255, 0, 0));
        QVERIFY(Find(lines, "Fatal error") < 0);
        QVERIFY(Find(lines, "DB : drop canceled") < 0);
        QVERIFY(Find(lines, "DB ", fatal + 1) < 0);
        QVERIFY(w.btnPrev->isEnabled());
        QVERIFY(w.btnNext->isEnabled());
        QCOMPARE(w.btnCancel->text(), QString("Cancel"));
        QVERIFY(!w.Job().StopRequested());
        QCOMPARE(Scalar(source_, "select count(*) from CUSTOMERS"), std::string("3"));  // untouched

        // Back to the summary (rewritten), back to P_DST, a proper name, run again.
        w.btnPrev->click();
        QCOMPARE(t.Page(), Twizard_Dravik::kPageSummary);
        QCOMPARE(w.m_log->Lines().count("Database clone job: "), 1);
        w.btnPrev->click();
        QCOMPARE(t.Page(), Twizard_Dravik::kPageDestination);
        const std::string target = dir_->File("second_try.fdb");
        w.cbDstPageSize->setCurrentText("1024");  // offered, but below the server's smallest
        t.LeaveDestinationPage(target, true);
        w.btnNext->click();
        lines = w.r_Log->Lines();
        QVERIFY(Find(lines, QString::fromStdString("DB " + source_ + ": is the source database")) == fatal);  // the run log is never cleared
        QVERIFY(Find(lines, "Start time:: ", fatal) > fatal);
        QCOMPARE(lines.value(lines.size() - 2), QString("Database copy: complete"));
        QVERIFY(!HasRedText(*w.r_Log, Find(lines, "Start time:: ", fatal)));
        const QString made = "DB " + QString::fromStdString(target) + ": page size ";
        QCOMPARE(lines.value(Find(lines, made)), made + "4096: the server raised the 1024 asked for");
        QCOMPARE(Scalar(target, "select MON$PAGE_SIZE from MON$DATABASE"), std::string("4096"));

        // Copy all: the schema without rows, and the log and the verification say so.
        QCOMPARE(Scalar(target, "select count(*) from CUSTOMERS"), std::string("0"));
        QVERIFY(Find(lines, QString("COPY DATA: ") + dravik::engine::kNoRowsChosen) > fatal);
        const int verification = Find(lines, "Verification: ", fatal);
        for (const QString table : {"CUSTOMERS", "ITEMS", "ORDERS"}) {
            const int line = Find(lines, table + ": ", verification);
            QCOMPARE(lines.value(line), table + ": rows not copied (not chosen)");
            QCOMPARE(w.r_Log->LineRuns(line).last().colour, QColor(0, 0, 128));
        }
    }

    void aTableLeftOutIsNotOfferedForRowsAndTheRedLinesAreCounted() {
        WizardUnderTest t;
        Twizard_Dravik& w = t.w();
        t.PassSourcePage(source_);
        if (QTest::currentTestFailed()) return;
        t.LeaveDestinationPage(dir_->File("without_orders.fdb"), false);
        for (int page = 3; page <= 7; ++page) w.btnNext->click();
        QCOMPARE(t.Page(), 7);
        FocusRow(*w.Frame_select_table1->dstList, 2);
        w.Frame_select_table1->btn_deselect->click();
        QCOMPARE(Captions(*w.Frame_select_table1->srcList), QStringList({"ORDERS"}));
        w.btnNext->click();
        w.btnNext->click();
        QCOMPARE(t.Page(), 9);
        w.Frame_select_data->btn_selectAllClick();
        QCOMPARE(Captions(*w.Frame_select_data->dstList), QStringList({"CUSTOMERS", "ITEMS"}));
        w.btnNext->click();
        w.btnNext->click();
        QCOMPARE(t.Page(), Twizard_Dravik::kPageRun);

        // The objects that need ORDERS fail; its rows are never asked for.
        const QStringList lines = w.r_Log->Lines();
        QVERIFY(Find(lines, "COPY DATA: ORDERS") < 0);
        QVERIFY(w.LastReport() && w.LastReport()->outcome == dravik::engine::JobOutcome::Finished);
        const int errors = w.LastReport()->errorLines;
        QVERIFY2(errors > 0, qPrintable(lines.join("\n")));
        // The last line says how many lines are red, in red, as the command line does.
        const int complete = Find(lines, "Database copy: complete");
        QCOMPARE(lines.value(complete + 1),
                 QString("Database copy: finished with %1 error lines in the run log").arg(errors));
        QCOMPARE(w.r_Log->LineRuns(complete + 1).last().colour, QColor(255, 0, 0));
        QVERIFY(w.btnCancel->text() == "Finish");
    }

    // The source's attachment cut by the server in the middle of the rows:
    // the job fails with a red line, the buttons come back, the summary is
    // written whole again, and a second run attaches afresh and finishes.
    void aLostSourceConnectionFailsCleanlyAndTheNextRunAttachesAfresh() {
        if (!dravik::test::ServerRunning()) QSKIP("no Firebird server on 127.0.0.1:3050 (run scripts/start-server.sh)");
        const std::string path = dir_->File("served_source.fdb"), source = dravik::test::Remote(path);
        MakeBigSource(source, "200000");
        WizardUnderTest t;
        Twizard_Dravik& w = t.w();
        w.eventInterval = 0;
        w.RBremote->setChecked(true);
        w.eRemoteServerName->setText("localhost");
        t.PassSourcePage(path);
        if (QTest::currentTestFailed()) return;
        t.LeaveDestinationPage(dir_->File("lost_source.fdb"), false);
        for (int page = 3; page <= 9; ++page) w.btnNext->click();
        w.Frame_select_data->btn_selectAllClick();
        w.btnNext->click();
        // Once the rows flow, every other attachment to the source is cut.
        auto* cut = new QTimer(&w);
        cut->setInterval(0);
        QObject::connect(cut, &QTimer::timeout, &w, [&w, cut, source] {
            if (Find(w.r_Log->Lines(), QString::fromUtf8("Скопировано:: ")) < 0) return;
            cut->stop();
            dravik::test::Exec(source, "delete from mon$attachments where mon$attachment_id <> current_connection");
        });
        cut->start();
        w.btnNext->click();
        QVERIFY(w.LastReport() && w.LastReport()->outcome == dravik::engine::JobOutcome::Failed);
        QCOMPARE(w.r_Log->Lines().value(w.r_Log->Lines().size() - 2),
                 QString("Database copy: failed; the destination is incomplete"));
        QVERIFY(w.btnPrev->isEnabled() && w.btnNext->isEnabled());

        w.btnPrev->click();  // the summary, written whole
        QCOMPARE(t.Page(), Twizard_Dravik::kPageSummary);
        QVERIFY(Find(w.m_log->Lines(), "Data: ") >= 0);
        QVERIFY2(t.messages.isEmpty(), qPrintable(t.messages.join("; ")));
        w.btnNext->click();
        QCOMPARE(w.r_Log->Lines().value(w.r_Log->Lines().size() - 2), QString("Database copy: complete"));
        QCOMPARE(Scalar(dir_->File("lost_source.fdb"), "select count(*) from BIG"), std::string("200000"));
    }

    // The window driven by --run in a child process, stopped by SIGTERM in the
    // middle of a table's rows: it ends within seconds as a stop, without a
    // crash, and the source keeps every row.
    void sigtermDuringTheRowsEndsTheWindowAsAStop() {
        QProcess window;
        StartMidRows(window, QProcessEnvironment::systemEnvironment());
        if (QTest::currentTestFailed()) return;
        ::kill(static_cast<pid_t>(window.processId()), SIGTERM);
        ExpectEndedAsAStop(window);
    }

    // The same window on a real X server, its window destroyed from outside
    // (as a window manager or "xdotool windowclose" does): the job stops and
    // the program ends, instead of finishing unseen.
    void windowDestroyedFromOutsideEndsTheJobAsAStop() {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty() || QStandardPaths::findExecutable("xdotool").isEmpty())
            QSKIP("Xvfb and xdotool are needed");
        const QString display = ":" + QString::number(50 + getpid() % 200);
        QProcess server;
        server.start("Xvfb", {display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        QVERIFY(server.waitForStarted());
        QTest::qWait(1000);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", display);
        environment.insert("QT_QPA_PLATFORM", "xcb");
        QProcess window;
        StartMidRows(window, environment);
        if (!QTest::currentTestFailed()) {
            QProcess xdotool;
            xdotool.setProcessEnvironment(environment);
            xdotool.start("sh", {"-c", "for w in $(xdotool search --pid " + QString::number(window.processId()) +
                                           "); do xdotool windowclose $w; done"});
            QVERIFY(xdotool.waitForFinished(10000));
            ExpectEndedAsAStop(window);
        }
        server.terminate();
        server.waitForFinished(5000);
    }

private:
    // Starts the window on a clone of 300,000 rows and returns once the rows
    // are on their way (the clone has grown past its empty size).
    void StartMidRows(QProcess& window, const QProcessEnvironment& environment) {
        bigSource_ = dir_->File("big_source.fdb");
        bigTarget_ = dir_->File("big_clone.fdb");
        std::remove(bigTarget_.c_str());
        if (QFileInfo(QString::fromStdString(bigSource_)).size() == 0) MakeBigSource(bigSource_, kBigRows);
        window.setProcessEnvironment(environment);
        window.setProcessChannelMode(QProcess::MergedChannels);
        window.start(DRAVIK_WIZARD_BINARY, {"--run", QString::fromStdString(bigSource_), QString::fromStdString(bigTarget_)});
        QVERIFY(window.waitForStarted());
        QElapsedTimer clock;
        clock.start();
        while (QFileInfo(QString::fromStdString(bigTarget_)).size() < 4 * 1024 * 1024 && clock.elapsed() < 60000 &&
               window.state() == QProcess::Running)
            QTest::qWait(20);
        QVERIFY2(window.state() == QProcess::Running, window.readAll().constData());
    }

    // Ends within seconds with the status of a stop, no crash or sanitizer
    // report, the source whole and the clone short of its rows.
    void ExpectEndedAsAStop(QProcess& window) {
        QElapsedTimer clock;
        clock.start();
        QVERIFY(window.waitForFinished(15000));
        const QByteArray output = window.readAll();
        QVERIFY2(clock.elapsed() < 10000, output.constData());
        QCOMPARE(window.exitStatus(), QProcess::NormalExit);
        QVERIFY2(window.exitCode() == 130, output.constData());
        QVERIFY2(!output.contains("AddressSanitizer") && !output.contains("malloc"), output.constData());
        QCOMPARE(Scalar(bigSource_, "select count(*) from BIG"), kBigRows);
        QVERIFY(std::stoi(Scalar(bigTarget_, "select count(*) from BIG")) < std::stoi(kBigRows));
    }

    static inline const std::string kBigRows = "300000";
    std::string bigSource_, bigTarget_;
    dravik::test::SampleSourceFolder sample_;
    dravik::test::TempDir* dir_ = nullptr;
    std::string source_;
};

DRAVIK_WIZARD_SUITE(CloneTest);
#include "clone_test.moc"
