// The selection frames' list control and buttons on a frame without a
// database: display order, focused item, arrows and double clicks.
#include "app/wizard/frame_view.h"
#include "frames/fr_select_udf.h"
#include "suites.h"
#include "wizard_fixture.h"

#include <QHeaderView>
#include <QTest>

using dravik::controls::TQorListView;
using dravik::test::Captions;
using dravik::test::FocusRow;
using dravik::wizard::TFrameView;

class ListViewTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        frame_ = std::make_unique<dravik::frames::TFrame_select_udf>();
        view_ = std::make_unique<TFrameView>(*frame_, "Frame_select_udf", nullptr);
    }
    void cleanup() {
        view_.reset();
        frame_.reset();
    }

    void isAOneColumnReadOnlyReportListWithGridLines() {
        TQorListView& list = *view_->srcList;
        QCOMPARE(list.model()->columnCount(), 1);
        QCOMPARE(list.model()->headerData(0, Qt::Horizontal).toString(), QString("Source"));
        QCOMPARE(view_->dstList->model()->headerData(0, Qt::Horizontal).toString(), QString("Going to be copied "));
        QCOMPARE(list.columnWidth(0), 155);
        QVERIFY(list.showGrid());
        QCOMPARE(list.selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list.selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(list.editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!list.horizontalHeader()->sectionsClickable());
        // The selected row keeps its mark when the list loses the focus.
        QCOMPARE(list.palette().color(QPalette::Inactive, QPalette::Highlight),
                 list.palette().color(QPalette::Active, QPalette::Highlight));
        QCOMPARE(view_->Label1->text(), QString("UDF"));
    }

    void rowsFollowCaptionOrderHoweverItemsArrive() {
        Fill({"ORDERS", "CUSTOMERS", "ITEMS", "AB", "A_B"});
        QCOMPARE(Captions(*view_->srcList), QStringList({"A_B", "AB", "CUSTOMERS", "ITEMS", "ORDERS"}));
    }

    void theCurrentRowIsTheFocusedItem() {
        Fill({"ORDERS", "CUSTOMERS", "ITEMS"});
        QCOMPARE(frame_->srcList.Focused(), -1);
        FocusRow(*view_->srcList, 1);
        QCOMPARE(frame_->srcList.Focused(), 1);
        QCOMPARE(frame_->srcList.Item(1).Caption, std::string("ITEMS"));
        view_->srcList->clearSelection();
        view_->srcList->setCurrentIndex(QModelIndex());
        QCOMPARE(frame_->srcList.Focused(), -1);
    }

    void selectMovesTheFocusedItemAndBackToItsPlace() {
        Fill({"ORDERS", "CUSTOMERS", "ITEMS"});
        FocusRow(*view_->srcList, 1);  // ITEMS
        view_->btn_select->click();
        QCOMPARE(Captions(*view_->srcList), QStringList({"CUSTOMERS", "ORDERS"}));
        QCOMPARE(Captions(*view_->dstList), QStringList({"ITEMS"}));
        QCOMPARE(frame_->dstList.Item(0).ObjectName, std::string("ITEMS_OBJ"));

        FocusRow(*view_->dstList, 0);
        view_->btn_deselect->click();
        QCOMPARE(Captions(*view_->srcList), QStringList({"CUSTOMERS", "ITEMS", "ORDERS"}));
        QVERIFY(Captions(*view_->dstList).isEmpty());
    }

    void buttonsWithoutAFocusedItemDoNothing() {
        Fill({"ORDERS", "CUSTOMERS"});
        view_->btn_select->click();
        view_->btn_deselect->click();
        QCOMPARE(Captions(*view_->srcList), QStringList({"CUSTOMERS", "ORDERS"}));
        QVERIFY(Captions(*view_->dstList).isEmpty());
    }

    void allButtonsMoveEverything() {
        Fill({"ORDERS", "CUSTOMERS", "ITEMS"});
        view_->btn_selectAll->click();
        QVERIFY(Captions(*view_->srcList).isEmpty());
        QCOMPARE(Captions(*view_->dstList), QStringList({"CUSTOMERS", "ITEMS", "ORDERS"}));
        view_->btn_deselectAll->click();
        QCOMPARE(Captions(*view_->srcList), QStringList({"CUSTOMERS", "ITEMS", "ORDERS"}));
        QVERIFY(Captions(*view_->dstList).isEmpty());
    }

    void doubleClicksMoveTheRowUnderTheMouse() {
        Fill({"ORDERS", "CUSTOMERS", "ITEMS"});
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
        DoubleClickRow(*view_->srcList, 2);  // ORDERS
        QCOMPARE(Captions(*view_->dstList), QStringList({"ORDERS"}));
        QCOMPARE(Captions(*view_->srcList), QStringList({"CUSTOMERS", "ITEMS"}));
        DoubleClickRow(*view_->dstList, 0);
        QCOMPARE(Captions(*view_->srcList), QStringList({"CUSTOMERS", "ITEMS", "ORDERS"}));
    }

    void theFrameOptionsShowAndWriteTheJobSettings() {
        dravik::engine::JobSettings settings;
        dravik::frames::TFrame_select_generator generators;
        dravik::wizard::TFrameGeneratorView generatorView(generators, settings, nullptr);
        QVERIFY(generatorView.cbGenID->isChecked());
        QCOMPARE(generatorView.cbGenID->text(), QString("Use the current value of generator"));
        generatorView.cbGenID->setChecked(false);
        QVERIFY(!settings.useGeneratorValues);

        dravik::frames::TFrame_select_data data;
        dravik::wizard::TFrameDataView dataView(data, settings, nullptr);
        QVERIFY(dataView.cbIgnoreError->isChecked());
        QCOMPARE(dataView.eCommitCount->value(), 500);
        QCOMPARE(dataView.eCommitCount->minimum(), 0);
        QCOMPARE(dataView.eCommitCount->maximum(), 32767);
        QCOMPARE(dataView.eCommitCount->singleStep(), 10);
        QCOMPARE(dataView.srcList->height(), 273);
        dataView.eCommitCount->stepUp();
        QCOMPARE(settings.commitEvery, 510);
        dataView.eCommitCount->setValue(40000);  // beyond the range: kept at the top
        QCOMPARE(settings.commitEvery, 32767);
        dataView.cbIgnoreError->setChecked(false);
        QVERIFY(!settings.ignoreErrors);
    }

private:
    void Fill(const QStringList& captions) {
        for (const QString& c : captions) frame_->srcList.Add(c.toStdString(), (c + "_OBJ").toStdString());
        view_->Refresh();
    }
    static void DoubleClickRow(TQorListView& list, int row) {
        const QPoint at = list.visualRect(list.model()->index(row, 0)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    }

    std::unique_ptr<dravik::frames::TFrame_select_udf> frame_;
    std::unique_ptr<TFrameView> view_;
};

DRAVIK_WIZARD_SUITE(ListViewTest);
#include "list_view_test.moc"
