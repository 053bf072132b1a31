#include "wizard_fixture.h"

#include <QTest>

#include <stdexcept>

namespace dravik::test {

WizardUnderTest::WizardUnderTest() {
    wizard::WizardDialogs dialogs;
    dialogs.showMessage = [this](const QString& text) { messages << text; };
    dialogs.askYesNo = [this](const QString& question) {
        questions << question;
        return onQuestion ? onQuestion(question) : answer;
    };
    dialogs.chooseFile = [this](const wizard::FileRequest& request) { return onFile ? onFile(request) : QString(); };
    wizard_ = std::make_unique<wizard::Twizard_Dravik>(dialogs);
}

void WizardUnderTest::PassSourcePage(const std::string& source) {
    wizard_->eSrc->setText(QString::fromStdString(source));
    wizard_->btn_connection_test->click();
    QVERIFY2(!wizard_->ImageSrcTested->isHidden(), qPrintable("connection test failed: " + messages.join("; ")));
    wizard_->btnNext->click();
    QCOMPARE(Page(), wizard::Twizard_Dravik::kPageDestination);
}

void WizardUnderTest::LeaveDestinationPage(const std::string& destination, bool copyAll) {
    wizard_->eDst->setText(QString::fromStdString(destination));
    (copyAll ? wizard_->RadioButton1 : wizard_->RadioButton2)->setChecked(true);
    wizard_->btnNext->click();
}

const QStringList SampleObjects::udfs = {"STRLEN", "UDF_FRAC"};
const QStringList SampleObjects::domains = {"D_MONEY", "D_NAME"};
const QStringList SampleObjects::generators = {"GEN_CUSTOMER"};
const QStringList SampleObjects::exceptions = {"E_NO_STOCK"};
const QStringList SampleObjects::procedures = {"P_CUSTOMER_ORDERS", "P_ORDER_TOTAL"};
const QStringList SampleObjects::tables = {"CUSTOMERS", "ITEMS", "ORDERS"};
const QStringList SampleObjects::views = {"V_BIG_ORDERS"};

std::string SampleSourceFolder::Make() {
    dir = std::make_unique<TempDir>();
    source = dir->File("source.fdb");
    try {
        MakeSampleSource(source);
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

void MakeSampleSource(const std::string& path) {
    CreateDatabase(path);
    const char* statements[] = {
        "DECLARE EXTERNAL FUNCTION strlen CSTRING(1000) RETURNS INTEGER BY VALUE "
        "ENTRY_POINT 'IB_UDF_strlen' MODULE_NAME 'ib_udf'",
        "DECLARE EXTERNAL FUNCTION udf_frac DOUBLE PRECISION RETURNS DOUBLE PRECISION BY VALUE "
        "ENTRY_POINT 'IB_UDF_frac' MODULE_NAME 'ib_udf'",
        "CREATE DOMAIN D_NAME AS VARCHAR(40) NOT NULL",
        "CREATE DOMAIN D_MONEY AS NUMERIC(12,2) DEFAULT 0",
        "CREATE GENERATOR GEN_CUSTOMER",
        "SET GENERATOR GEN_CUSTOMER TO 42",
        "CREATE EXCEPTION E_NO_STOCK 'Nothing left in stock'",
        "CREATE TABLE CUSTOMERS (ID INTEGER NOT NULL PRIMARY KEY, NAME D_NAME)",
        "CREATE TABLE ORDERS (ID INTEGER NOT NULL PRIMARY KEY, CUSTOMER_ID INTEGER NOT NULL "
        "REFERENCES CUSTOMERS (ID), TOTAL D_MONEY)",
        "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, ORDER_ID INTEGER REFERENCES ORDERS (ID), "
        "TITLE VARCHAR(30))",
        "CREATE TRIGGER CUSTOMERS_BI FOR CUSTOMERS BEFORE INSERT AS BEGIN "
        "IF (NEW.ID IS NULL) THEN NEW.ID = GEN_ID(GEN_CUSTOMER, 1); END",
        "CREATE PROCEDURE P_ORDER_TOTAL (ORDER_ID INTEGER) RETURNS (TOTAL NUMERIC(12,2)) AS BEGIN "
        "SELECT TOTAL FROM ORDERS WHERE ID = :ORDER_ID INTO :TOTAL; SUSPEND; END",
        "CREATE PROCEDURE P_CUSTOMER_ORDERS (CUSTOMER_ID INTEGER) RETURNS (TOTAL NUMERIC(12,2)) AS "
        "DECLARE VARIABLE ORDER_ID INTEGER; BEGIN TOTAL = 0; "
        "FOR SELECT ID FROM ORDERS WHERE CUSTOMER_ID = :CUSTOMER_ID INTO :ORDER_ID DO BEGIN "
        "TOTAL = TOTAL + (SELECT TOTAL FROM P_ORDER_TOTAL(:ORDER_ID)); END SUSPEND; END",
        "CREATE VIEW V_BIG_ORDERS (ID, TOTAL) AS SELECT ID, TOTAL FROM ORDERS WHERE TOTAL > 100",
        "INSERT INTO CUSTOMERS (ID, NAME) VALUES (1, 'Anna')",
        "INSERT INTO CUSTOMERS (ID, NAME) VALUES (2, 'Boris')",
        "INSERT INTO CUSTOMERS (ID, NAME) VALUES (3, 'Clara')",
        "INSERT INTO ORDERS (ID, CUSTOMER_ID, TOTAL) VALUES (10, 1, 99.50)",
        "INSERT INTO ORDERS (ID, CUSTOMER_ID, TOTAL) VALUES (11, 1, 250.00)",
        "INSERT INTO ORDERS (ID, CUSTOMER_ID, TOTAL) VALUES (12, 3, 12.25)",
    };
    for (const char* sql : statements) {
        try {
            Exec(path, sql);
        } catch (const std::exception& e) {
            throw std::runtime_error(std::string(sql) + "\n" + e.what());
        }
    }
}

QStringList Captions(const controls::TQorListView& list) {
    QStringList captions;
    // The catalogue's names come padded with blanks.
    for (int i = 0; i < list.model()->rowCount(); ++i) captions << list.RowCaption(i).trimmed();
    return captions;
}

void FocusRow(controls::TQorListView& list, int row) {
    list.setCurrentIndex(list.model()->index(row, 0));
}

QStringList LogLines(const wizard::TRichLog& log) { return log.Lines(); }

}  // namespace dravik::test
