// Moving through the pages with a real source database: the checks before a
// page may be left, the skipping of the object pages, keeping the picks,
// the summary, the local/remote switches and the file dialogs.
#include "suites.h"
#include "wizard_fixture.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>

using dravik::test::Captions;
using dravik::test::CreateDatabase;
using dravik::test::FocusRow;
using dravik::test::SampleObjects;
using dravik::test::TempDir;
using dravik::test::WizardUnderTest;
using dravik::wizard::Twizard_Dravik;

namespace {

const char* const kTestFirst = "You need to test connection to the source database";

int IndexOf(const QStringList& lines, const QString& line) { return static_cast<int>(lines.indexOf(line)); }

// The lines of one frame's section in the summary: after its heading, up to
// the next empty line.
QStringList Section(const QStringList& lines, const QString& heading) {
    QStringList section;
    int i = IndexOf(lines, heading + ": ");
    if (i < 0) return {"<no section " + heading + ">"};
    // Object names come padded with blanks from the catalogue.
    for (++i; i < lines.size() && !lines[i].isEmpty(); ++i) section << lines[i].trimmed().prepend('\t');
    return section;
}

QStringList Indented(const QStringList& names) {
    QStringList lines;
    for (const QString& n : names) lines << "\t" + n;
    return lines;
}

}  // namespace

class NavigationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const std::string error = sample_.Make();
        if (!error.empty()) QFAIL(error.c_str());
        dir_ = sample_.dir.get();
        source_ = sample_.source;
    }
    void cleanupTestCase() { sample_.dir.reset(); }

    void nextIsRefusedUntilTheSourceTestPassedWithTheCurrentFields() {
        WizardUnderTest t;
        t->eSrc->setText(QString::fromStdString(source_));
        t->btnNext->click();
        QCOMPARE(t.messages, QStringList({kTestFirst}));
        QCOMPARE(t.Page(), 0);

        t->btn_connection_test->click();
        QVERIFY(!t->ImageSrcTested->isHidden());
        QVERIFY(!t->Job().srcDb.Connected());  // the test leaves no connection open

        t->eSrcUser->setText("sysdba");  // any edit asks for a new test
        QVERIFY(t->ImageSrcTested->isHidden());
        t->btnNext->click();
        QCOMPARE(t.messages.size(), 2);
        QCOMPARE(t.messages.last(), QString(kTestFirst));
        QCOMPARE(t.Page(), 0);

        t->btn_connection_test->click();
        t->btnNext->click();
        QCOMPARE(t.Page(), Twizard_Dravik::kPageDestination);
        QCOMPARE(t.messages.size(), 2);
        QVERIFY(t->btnPrev->isEnabled());
    }

    void theConnectionTestSetsTheDialectBoxToTheSources() {
        TempDir dir;
        const std::string dialect1 = dir.File("dialect1.fdb");
        CreateDatabase(dialect1, "NONE", 4096, 1);
        WizardUnderTest t;
        t->eSrc->setText(QString::fromStdString(dialect1));
        t->btn_connection_test->click();
        QCOMPARE(t->cbSQLDialect->currentText(), QString("1"));
        t->eSrc->setText(QString::fromStdString(source_));
        t->btn_connection_test->click();
        QCOMPARE(t->cbSQLDialect->currentText(), QString("3"));
    }

    void everySourceFieldHidesTheMark() {
        WizardUnderTest t;
        t->eSrc->setText(QString::fromStdString(source_));
        const std::vector<std::function<void()>> edits = {
            [&] { t->eSrc->setText(t->eSrc->text() + " "); },
            [&] { t->eSrcPwd->setText("corbelfin"); t->eSrcPwd->setText("x"); },
            [&] { t->cbSrcCodePage->setCurrentText("WIN1251"); },
            [&] { t->eRemoteServerName->setText("elsewhere"); },
            [&] { t->RBremote->setChecked(true); },
        };
        for (size_t i = 0; i < edits.size(); ++i) {
            t->eSrcPwd->setText("corbelfin");
            t->RBlocal->setChecked(true);
            t->eSrc->setText(QString::fromStdString(source_));
            t->btn_connection_test->click();
            QVERIFY2(!t->ImageSrcTested->isHidden(), qPrintable(t.messages.join("; ")));
            edits[i]();
            QVERIFY2(t->ImageSrcTested->isHidden(), qPrintable(QString("edit %1").arg(i)));
        }
    }

    void aFailedTestReportsAndLeavesTheMarkHidden() {
        WizardUnderTest t;
        t->eSrc->setText(QString::fromStdString(dir_->File("missing.fdb")));
        t->btn_connection_test->click();
        QVERIFY(t->ImageSrcTested->isHidden());
        QCOMPARE(t.messages.size(), 1);
        QVERIFY2(t.messages[0].startsWith("Not connected: \n") && t.messages[0].size() > 16, qPrintable(t.messages[0]));

        t.messages.clear();
        t->eSrc->clear();
        t->btn_connection_test->click();
        QVERIFY(t->ImageSrcTested->isHidden());
        QCOMPARE(t.messages.value(0), QString("No database file defined"));
        QVERIFY(t.messages.value(1).startsWith("Not connected: \n"));
    }

    void theDestinationMustBeNamedToGoForward() {
        WizardUnderTest t;
        t.PassSourcePage(source_);
        if (QTest::currentTestFailed()) return;
        t->eDst->setText("   ");
        t->btnNext->click();
        QCOMPARE(t.messages, QStringList({"The destination databases is not defined"}));
        QCOMPARE(t.Page(), Twizard_Dravik::kPageDestination);
        QVERIFY(!t->Job().srcDb.Connected());


        t->btnPrev->click();  // going back needs no destination
        QCOMPARE(t.Page(), Twizard_Dravik::kPageSource);
        QVERIFY(!t->btnPrev->isEnabled());
        t->btnNext->click();  // the mark still stands
        QCOMPARE(t.Page(), Twizard_Dravik::kPageDestination);
        QCOMPARE(t.messages.size(), 1);

        // A page size that is not one of the offered ones is named as such before anything runs.
        t->eDst->setText(QString::fromStdString(dir_->File("page_size.fdb")));
        for (const QString typed : {"abc", "1234"}) {
            t->cbDstPageSize->setCurrentText(typed);
            t->btnNext->click();
            QCOMPARE(t.Page(), Twizard_Dravik::kPageDestination);
            QCOMPARE(t.messages.last(), "Page size: the page size must be one of 512, 1024, 2048, 4096, 8192, "
                                        "16384, not '" + typed + "'");
        }
        QCOMPARE(t.messages.size(), 3);
    }

    void copyAllSkipsTheObjectPagesBothWays() {
        WizardUnderTest t;
        t.PassSourcePage(source_);
        if (QTest::currentTestFailed()) return;
        t.LeaveDestinationPage(dir_->File("copy_all.fdb"), true);
        QCOMPARE(t.Page(), Twizard_Dravik::kPageSummary);
        QVERIFY(!t->Job().srcDb.Connected());  // the lists were loaded and the source closed

        // The summary lists every object of the seven types, and no table for data.
        const QStringList lines = t->m_log->Lines();
        QCOMPARE(Section(lines, "User Defined Functions (UDF)"), Indented(SampleObjects::udfs));
        QCOMPARE(Section(lines, "Domains"), Indented(SampleObjects::domains));
        QCOMPARE(Section(lines, "Generators"), Indented(SampleObjects::generators));
        QCOMPARE(Section(lines, "Exceptions"), Indented(SampleObjects::exceptions));
        QCOMPARE(Section(lines, "Procedures"), Indented(SampleObjects::procedures));
        QCOMPARE(Section(lines, "Tables"), Indented(SampleObjects::tables));
        QCOMPARE(Section(lines, "Views"), Indented(SampleObjects::views));
        // "Copy all" copies the schema: the Data section says no rows go, and how to pick them.
        QCOMPARE(Section(lines, "Data"), QStringList({QString("\t") + dravik::engine::kNoRowsChosen}));

        // On the summary page no step label is red; the build heading is bold.
        for (const auto& [code, label] : t->StepLabels()) QVERIFY(!label->font().bold());
        QVERIFY(t->L_build->font().bold());
        QVERIFY(!t->l_prepare->font().bold());

        t->btnPrev->click();
        QCOMPARE(t.Page(), Twizard_Dravik::kPageDestination);
        QVERIFY(t->StepLabels()[1].second->font().bold());  // "Target database"
        QVERIFY(t->l_prepare->font().bold());
    }

    void customCopyKeepsThePicksUntilTheSourceChangesAndDataFollowsTables() {
        WizardUnderTest t;
        t.PassSourcePage(source_);
        if (QTest::currentTestFailed()) return;
        t.LeaveDestinationPage(dir_->File("custom.fdb"), false);
        QCOMPARE(t.Page(), 2);
        QCOMPARE(Captions(*t->Frame_select_udf->dstList), SampleObjects::udfs);
        QVERIFY(Captions(*t->Frame_select_udf->srcList).isEmpty());
        QCOMPARE(Captions(*t->Frame_select_table1->dstList), SampleObjects::tables);
        // No table starts picked for its rows.
        QCOMPARE(Captions(*t->Frame_select_data->srcList), SampleObjects::tables);
        QVERIFY(Captions(*t->Frame_select_data->dstList).isEmpty());

        FocusRow(*t->Frame_select_udf->dstList, 0);
        t->Frame_select_udf->btn_deselect->click();
        QCOMPARE(Captions(*t->Frame_select_udf->srcList), QStringList({"STRLEN"}));

        // Back to P_DST and forward again: the same source, the same picks.
        t->btnPrev->click();
        QCOMPARE(t.Page(), Twizard_Dravik::kPageDestination);
        t->btnNext->click();
        QCOMPARE(t.Page(), 2);
        QCOMPARE(Captions(*t->Frame_select_udf->srcList), QStringList({"STRLEN"}));

        // Page by page to the summary, each page highlighting its own label;
        // ORDERS is left out on the Tables page, so the Data page does not offer it.
        for (int page = 3; page <= Twizard_Dravik::kPageSummary; ++page) {
            if (page == 8) {
                FocusRow(*t->Frame_select_table1->dstList, static_cast<int>(SampleObjects::tables.indexOf("ORDERS")));
                t->Frame_select_table1->btn_deselect->click();
            }
            t->btnNext->click();
            QCOMPARE(t.Page(), page);
            if (page < Twizard_Dravik::kPageSummary)
                QVERIFY(t->StepLabels()[static_cast<size_t>(page)].second->font().bold());
            if (page == 9) {
                QCOMPARE(Captions(*t->Frame_select_data->srcList), QStringList({"CUSTOMERS", "ITEMS"}));
                t->Frame_select_data->btn_selectAllClick();
            }
        }
        QCOMPARE(Section(t->m_log->Lines(), "Data"), QStringList({"\tCUSTOMERS", "\tITEMS"}));
        t->btnPrev->click();
        QCOMPARE(t.Page(), 9);  // custom copy: back to the data page, not to P_DST

        // ORDERS picked again on the Tables page comes back to the Data page, offered as it was.
        t->btnPrev->click();
        t->btnPrev->click();
        QCOMPARE(t.Page(), 7);
        t->Frame_select_table1->btn_selectAllClick();
        t->btnNext->click();
        t->btnNext->click();
        QCOMPARE(Captions(*t->Frame_select_data->srcList), QStringList({"ORDERS"}));
        QCOMPARE(Captions(*t->Frame_select_data->dstList), QStringList({"CUSTOMERS", "ITEMS"}));

        // Another source: the lists are loaded anew.
        const std::string other = dir_->File("other_source.fdb");
        std::filesystem::copy_file(source_, other, std::filesystem::copy_options::overwrite_existing);
        while (t.Page() > Twizard_Dravik::kPageSource) t->btnPrev->click();
        t->eSrc->setText(QString::fromStdString(other));
        t->btn_connection_test->click();
        t->btnNext->click();
        t->btnNext->click();
        QCOMPARE(t.Page(), 2);
        QVERIFY(Captions(*t->Frame_select_udf->srcList).isEmpty());
        QCOMPARE(Captions(*t->Frame_select_data->srcList), SampleObjects::tables);
    }

    void aSourceGoneBeforeTheListsLoadIsReportedAndThePageStays() {
        const std::string copy = dir_->File("vanishing.fdb");
        std::filesystem::copy_file(source_, copy);
        WizardUnderTest t;
        t.PassSourcePage(copy);
        if (QTest::currentTestFailed()) return;
        std::filesystem::remove(copy);
        t.LeaveDestinationPage(dir_->File("never.fdb"), false);
        QCOMPARE(t.Page(), Twizard_Dravik::kPageDestination);
        QCOMPARE(t.messages.size(), 1);  // the error's own message
        QVERIFY2(t.messages[0].contains("vanishing.fdb"), qPrintable(t.messages[0]));
        QVERIFY(t->StepLabels()[1].second->font().bold());  // still "Target database"
    }

    void theSummaryIsWrittenAnewOnEachArrival() {
        WizardUnderTest t;
        t.PassSourcePage(source_);
        if (QTest::currentTestFailed()) return;
        t->cbCreateRole->setChecked(true);
        t->cbGrant->setChecked(true);
        t.LeaveDestinationPage(dir_->File("summary.fdb"), true);
        QStringList lines = t->m_log->Lines();
        const QStringList head = {
            "The wizard has collected all the information it needs to create the database clon.",
            "The next step is clone process.",
            "It can take time, that depends on amount of your data.",
            "If the params of copy process respond your requirements click the \"Next\" button ",
            "to start the clone process.",
            "If you wish to chainge something please go back and make the changes you need",
            "",
            "Database clone job: ",
            "Source database: " + QString::fromStdString(source_),
            "User name: SYSDBA",
            "Code page: NONE",
            "",
            "Tatget database: " + QString::fromStdString(dir_->File("summary.fdb")),
            "User name: SYSDBA",
            "Codepage: NONE",
            "Default character set: NONE",
            "SQL dialect: 3",   // the source's, as the connection test set the box
            "Options: ",
            "\tReplase the database if it does exist",
            "\tInherite the roles",
            "\tInherite the user rights",
        };
        QCOMPARE(lines.mid(0, head.size()), head);
        QCOMPARE(t->m_log->LineRuns(7)[0].colour, QColor(128, 128, 128));  // "Database clone job: "
        QVERIFY(t->m_log->LineRuns(8)[1].colour == QColor(0, 0, 0));
        const int length = static_cast<int>(lines.size());

        // Back, untick the roles (which unticks the rights) and the replace box.
        t->btnPrev->click();
        t->cbCreateRole->setChecked(false);
        QVERIFY(!t->cbGrant->isChecked());
        t->cbDstReplace->setChecked(false);
        t->btnNext->click();
        lines = t->m_log->Lines();
        QCOMPARE(lines.mid(0, 8), head.mid(0, 8));
        QCOMPARE(lines[17], QString("Options: "));
        QVERIFY(!lines.contains("\tInherite the roles"));
        QVERIFY(!lines.contains("\tInherite the user rights"));
        QVERIFY(!lines.contains("\tReplase the database if it does exist"));
        QCOMPARE(static_cast<int>(lines.size()), length - 3);
        QCOMPARE(lines.count("Database clone job: "), 1);
    }

    void theLocalRemoteSwitchClearsThePathAndKeepsTheServer() {
        WizardUnderTest t;
        Twizard_Dravik& w = t.w();
        w.eSrc->setText(QString::fromStdString(source_));
        w.eRemoteServerName->setText("localhost");
        w.btn_connection_test->click();
        QVERIFY(!w.ImageSrcTested->isHidden());

        w.RBremote->setChecked(true);
        QVERIFY(w.eSrc->text().isEmpty());
        QVERIFY(w.ImageSrcTested->isHidden());
        QCOMPARE(w.eRemoteServerName->text(), QString("localhost"));
        QVERIFY(w.eRemoteServerName->isEnabled());
        QCOMPARE(w.Label2->text(), QString("Database full path file (relative to server)"));
        QVERIFY(!w.btn_src_database->isEnabled());

        w.eSrc->setText("/x.fdb");
        w.RBlocal->setChecked(true);
        QVERIFY(w.eSrc->text().isEmpty());
        QCOMPARE(w.eRemoteServerName->text(), QString("localhost"));
        QVERIFY(!w.eRemoteServerName->isEnabled());
        QCOMPARE(w.Label2->text(), QString("Database full path file"));
        QVERIFY(w.btn_src_database->isEnabled());

        w.eDst->setText("/y.fdb");
        w.eRemoteServerNameD->setText("dbhost");
        w.RBremoteD->setChecked(true);
        QVERIFY(w.eDst->text().isEmpty());
        QCOMPARE(w.eRemoteServerNameD->text(), QString("dbhost"));
        QVERIFY(w.eRemoteServerNameD->isEnabled());
        QCOMPARE(w.Label6->text(), QString("Database full path file (relative to server)"));
        QVERIFY(!w.btn_dst_database->isEnabled());
        w.RBlocalD->setChecked(true);
        QVERIFY(!w.eRemoteServerNameD->isEnabled());
        QCOMPARE(w.Label6->text(), QString("Database full path file"));
    }

    void aRemoteSourceIsTestedThroughTheServer() {
        if (!dravik::test::ServerRunning()) {
            if (std::getenv("CI")) QFAIL("no Firebird server on 127.0.0.1:3050 in CI");
            QSKIP("no Firebird server on 127.0.0.1:3050 (run scripts/start-server.sh)");
        }
        WizardUnderTest t;
        t->RBremote->setChecked(true);
        t->eRemoteServerName->setText("localhost");
        t->eSrc->setText(QString::fromStdString(source_));
        t->btn_connection_test->click();
        QVERIFY2(!t->ImageSrcTested->isHidden(), qPrintable(t.messages.join("; ")));
        QCOMPARE(t->Job().SourceName(), "localhost:" + source_);
    }

    // A server that takes the connection and never answers: the window keeps
    // running its events during the test, and "Cancel" ends the wait at once.
    void aSilentServerKeepsTheWindowResponsiveAndCancelEndsTheTest() {
        const int listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        QVERIFY(bind(listener, reinterpret_cast<sockaddr*>(&address), length) == 0 && listen(listener, 8) == 0);
        QVERIFY(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0);
        WizardUnderTest t;
        t.answer = true;
        t->show();
        t->RBremote->setChecked(true);
        t->eRemoteServerName->setText(QString("127.0.0.1/%1").arg(ntohs(address.sin_port)));
        t->eSrc->setText("/x.fdb");
        QTimer::singleShot(300, t.operator->(), [&t] { t->btnCancel->click(); });
        QElapsedTimer clock;
        clock.start();
        t->btn_connection_test->click();
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(t.questions, QStringList({"Stop the wizard?"}));
        QVERIFY(!t->isVisible());
        QVERIFY(t->ImageSrcTested->isHidden());
        QVERIFY(t.messages.isEmpty());
        close(listener);
    }

    void theFileButtonsAskTheirDialogsAndFillTheEdits() {
        WizardUnderTest t;
        QList<dravik::wizard::FileRequest> requests;
        QString pick = "/data/picked.gdb";
        t.onFile = [&](const dravik::wizard::FileRequest& r) {
            requests << r;
            return pick;
        };
        t->eSrc->setText("/srv/db/old.gdb");
        t->btn_connection_test->click();  // fails: no such file; the mark stays hidden
        t->ImageSrcTested->show();        // as if a test had passed
        t->btn_src_database->click();
        QCOMPARE(requests.size(), 1);
        QVERIFY(!requests[0].save);
        const QString filter = "Firebird and InterBase databases (*.fdb *.gdb)|*.fdb;*.gdb|All files (*.*)|*.*";
        QCOMPARE(requests[0].filter, filter);
        QCOMPARE(requests[0].defaultExtension, QString("*.gdb"));
        QCOMPARE(requests[0].directory, QString("/srv/db"));
        QCOMPARE(requests[0].fileName, QString("/srv/db/old.gdb"));
        QCOMPARE(t->eSrc->text(), pick);
        QVERIFY(t->ImageSrcTested->isHidden());

        t->btn_dst_database->click();
        QCOMPARE(requests.size(), 2);
        QVERIFY(requests[1].save);
        QCOMPARE(requests[1].filter, filter);
        QCOMPARE(t->eDst->text(), pick);

        pick.clear();  // the dialog cancelled: the edit keeps its text
        t->btn_dst_database->click();
        QCOMPARE(t->eDst->text(), QString("/data/picked.gdb"));
    }

private:
    dravik::test::SampleSourceFolder sample_;
    dravik::test::TempDir* dir_ = nullptr;
    std::string source_;
};

DRAVIK_WIZARD_SUITE(NavigationTest);
#include "navigation_test.moc"
