// The wizard as it opens: the form's defaults, the three regions, the step
// indicator, and what the page-independent controls do.
#include "suites.h"
#include "wizard_fixture.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

using dravik::test::WizardUnderTest;
using dravik::wizard::Twizard_Dravik;

namespace {

QColor TextColour(const QLabel* label) { return label->palette().color(QPalette::WindowText); }
bool IsRedBold(const QLabel* label) { return TextColour(label) == QColor(255, 0, 0) && label->font().bold(); }
bool IsGreyRegular(const QLabel* label) {
    return TextColour(label) == QColor(128, 128, 128) && !label->font().bold();
}

}  // namespace

class StartStateTest : public QObject {
    Q_OBJECT

private slots:
    void opensOnTheSourcePageWithTheFormsDefaults() {
        WizardUnderTest t;
        Twizard_Dravik& w = t.w();
        QCOMPARE(w.windowTitle(), QString("Dravik wizard"));
        QCOMPARE(w.size(), QSize(653, 443));
        QCOMPARE(t.Page(), Twizard_Dravik::kPageSource);
        QCOMPARE(w.pages->currentWidget(), w.page0);
        QVERIFY(t.messages.isEmpty());  // no message although nothing was tested
        QVERIFY(!w.btnPrev->isEnabled());
        QVERIFY(w.btnNext->isEnabled());
        QVERIFY(w.btnCancel->isEnabled());

        QCOMPARE(w.eSrcUser->text(), QString("SYSDBA"));
        QCOMPARE(w.eDstUser->text(), QString("SYSDBA"));
        QCOMPARE(w.eSrcPwd->echoMode(), QLineEdit::Password);
        QCOMPARE(w.eDstPwd->echoMode(), QLineEdit::Password);
        QCOMPARE(w.eSrcPwd->text(), QString("corbelfin"));
        QCOMPARE(w.cbSrcCodePage->currentText(), QString("NONE"));
        QCOMPARE(w.cbDstCodePage->currentText(), QString("NONE"));
        QCOMPARE(w.cbDstPageSize->currentText(), QString("4096"));
        QCOMPARE(w.cbSQLDialect->currentText(), QString("3"));
        QVERIFY(w.cbDstReplace->isChecked());
        QCOMPARE(w.cbDstReplace->text(), QString("Replase the database if such one already exists"));
        QVERIFY(!w.cbCreateRole->isChecked());
        QVERIFY(!w.cbGrant->isChecked());
        QVERIFY(!w.cbGrant->isEnabled());
        QVERIFY(w.RadioButton1->isChecked());
        QVERIFY(!w.RadioButton2->isChecked());
        QVERIFY(w.cbCopyAllDatabaseObjects->isChecked());
        QVERIFY(w.cbCopyAllDatabaseObjects->isHidden());
        QVERIFY(w.ImageSrcTested->isHidden());
        QVERIFY(w.RBlocal->isChecked());
        QVERIFY(w.RBlocalD->isChecked());
        QVERIFY(!w.eRemoteServerName->isEnabled());
        QVERIFY(!w.eRemoteServerNameD->isEnabled());
        QVERIFY(w.eSrc->text().isEmpty());
        QVERIFY(w.eDst->text().isEmpty());
    }

    void codePageBoxesOfferTheTwentyTwoPagesAndKeepTypedText() {
        WizardUnderTest t;
        Twizard_Dravik& w = t.w();
        for (QComboBox* box : {w.cbSrcCodePage, w.cbDstCodePage}) {
            QCOMPARE(box->count(), 22);
            QCOMPARE(box->itemText(0), QString("ASCII"));
            QCOMPARE(box->itemText(21), QString("WIN1254"));
            QVERIFY(box->isEditable());
        }
        QCOMPARE(w.cbDstPageSize->count(), 6);
        QCOMPARE(w.cbDstPageSize->itemText(0), QString("512"));
        QCOMPARE(w.cbDstPageSize->itemText(5), QString("16384"));
        w.cbSrcCodePage->setEditText(" UTF8 ");
        QCOMPARE(w.cbSrcCodePage->currentText(), QString(" UTF8 "));
        QCOMPARE(w.cbSrcCodePage->count(), 22);  // typing adds nothing to the list
        w.CopySettings();
        QCOMPARE(w.Job().settings.srcCodePage, std::string(" UTF8 "));
    }

    void threeRegionsAndAButtonBarWithoutFinish() {
        WizardUnderTest t;
        Twizard_Dravik& w = t.w();
        QCOMPARE(w.Panel3->geometry(), QRect(0, 0, 197, 408));
        QCOMPARE(w.pages->geometry(), QRect(197, 0, 456, 408));
        QCOMPARE(w.Panel1->geometry(), QRect(0, 408, 653, 35));
        QVERIFY(w.btnFinish->isHidden());
        QCOMPARE(w.btnPrev->text(), QString("<< Prev"));
        QCOMPARE(w.btnNext->text(), QString("Next >>"));
        QCOMPARE(w.btnCancel->text(), QString("Cancel"));
        // "Cancel" stands where the base form has "Finish".
        QCOMPARE(w.btnCancel->x(), 155);
        QVERIFY(w.btnPrev->x() < w.btnNext->x() && w.btnNext->x() < w.btnCancel->x());
        QCOMPARE(w.pages->count(), 12);
        const QStringList captions = {"P_SRC", "P_DST", "P_UDF", "P_DOM", "P_GEN", "P_EXC",
                                      "P_PRC", "P_TAB", "P_VIW", "P_DAT", "pagen", "pager"};
        for (int i = 0; i < captions.size(); ++i) QCOMPARE(w.PageCaption(i), captions[i]);
        QCOMPARE(w.Frame_select_generator->Label1->text(), QString("GENERATORS"));
        QCOMPARE(w.Frame_select_table1->Label1->text(), QString("Tables"));
        QCOMPARE(w.Frame_select_data->Label1->text(), QString("Data"));
    }

    void theSourcePageTabsInTheDesignedOrder() {
        WizardUnderTest t;
        Twizard_Dravik& w = t.w();
        const QList<QWidget*> expected = {w.RBremote, w.eRemoteServerName, w.eSrc, w.btn_connection_test,
                                          w.eSrcUser, w.eSrcPwd, w.cbSrcCodePage};
        QWidget* at = w.RBlocal;
        for (QWidget* next : expected) {
            at = at->nextInFocusChain();
            while (at->focusPolicy() == Qt::NoFocus || at->focusProxy()) at = at->nextInFocusChain();
            QCOMPARE(at, next);
        }
    }

    void theStepIndicatorStartsOnTheSourcePage() {
        WizardUnderTest t;
        Twizard_Dravik& w = t.w();
        const auto& steps = w.StepLabels();
        QCOMPARE(steps.size(), size_t(22));
        QCOMPARE(steps.front().first, std::string("P_SRC"));
        QCOMPARE(steps.front().second->text(), QString("Source database"));
        QVERIFY(IsRedBold(steps.front().second));
        for (size_t i = 1; i < steps.size(); ++i) QVERIFY2(IsGreyRegular(steps[i].second), steps[i].first.c_str());
        QVERIFY(w.l_prepare->font().bold());
        QVERIFY(!w.L_build->font().bold());
        QCOMPARE(w.Label25->text(), QString("Resume"));
        QVERIFY(w.Label25->font().underline());
    }

    void showStepHighlightsCaseInsensitivelyAndUnknownCodesOnlyReset() {
        WizardUnderTest t;
        Twizard_Dravik& w = t.w();
        QLabel* creation = w.Panel3->findChild<QLabel*>("Label26");
        QCOMPARE(creation->text(), QString("Database creation"));
        w.ShowStep("m_dst");
        QVERIFY(IsRedBold(creation));
        QVERIFY(IsGreyRegular(w.StepLabels().front().second));
        w.ShowStep("pagen");
        for (const auto& [code, label] : w.StepLabels()) QVERIFY2(IsGreyRegular(label), code.c_str());
        QVERIFY(!w.Label25->font().bold());
        w.ShowStep("A_PRC");
        QVERIFY(IsRedBold(w.Panel3->findChild<QLabel*>("Label34")));
        QVERIFY(IsGreyRegular(w.Panel3->findChild<QLabel*>("Label21")));  // the page "Procedures"
    }

    void theRolesBoxGovernsTheRightsBox() {
        WizardUnderTest t;
        Twizard_Dravik& w = t.w();
        w.cbCreateRole->setChecked(true);
        QVERIFY(w.cbGrant->isEnabled());
        w.cbGrant->setChecked(true);
        w.cbCreateRole->setChecked(false);
        QVERIFY(!w.cbGrant->isEnabled());
        QVERIFY(!w.cbGrant->isChecked());
    }

    void theCopyModeRadioButtonsMirrorIntoJustClone() {
        WizardUnderTest t;
        Twizard_Dravik& w = t.w();
        w.RadioButton2->setChecked(true);
        QVERIFY(!w.cbCopyAllDatabaseObjects->isChecked());
        w.RadioButton1->setChecked(true);
        QVERIFY(w.cbCopyAllDatabaseObjects->isChecked());
    }

    void cancelAsksAndNoKeepsTheWindow() {
        WizardUnderTest t;
        t->show();
        t.answer = false;
        t->btnCancel->click();
        QCOMPARE(t.questions, QStringList({"Stop the wizard?"}));
        QVERIFY(t->isVisible());
        QVERIFY(!t->Job().StopRequested());
        QCOMPARE(t.Page(), Twizard_Dravik::kPageSource);

        // Esc is the same button.
        t->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&t.w()));
        QTest::keyClick(&t.w(), Qt::Key_Escape);
        QCOMPARE(t.questions.size(), 2);
        QVERIFY(t->isVisible());

        t.answer = true;
        t->btnCancel->click();
        QVERIFY(t->Job().StopRequested());
        QVERIFY(!t->isVisible());
    }

    void pendingEventsRunAtMostEveryTwentyMilliseconds() {
        WizardUnderTest t;
        int turns = 0;
        QTimer ticker;
        ticker.setInterval(0);
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++turns; });
        ticker.start();
        QElapsedTimer clock;
        clock.start();
        t->ProcessEvents();  // the first call always lets events run
        QVERIFY(turns >= 1);
        const int first = turns;
        for (int i = 0; i < 20000; ++i) t->ProcessEvents();  // a burst of rows
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(turns - first <= elapsed / Twizard_Dravik::kEventInterval + 1,
                 qPrintable(QString("%1 turns in %2 ms").arg(turns - first).arg(elapsed)));
        QTest::qWait(Twizard_Dravik::kEventInterval + 5);
        const int before = turns;
        t->ProcessEvents();  // after a pause events run again
        QVERIFY(turns > before);
    }

    void closingTheWindowAsksUnlessAStopWasRequested() {
        WizardUnderTest t;
        t->show();
        t.answer = false;
        QVERIFY(!t->close());
        QCOMPARE(t.questions, QStringList({"Stop the wizard?"}));
        QVERIFY(t->isVisible());
        t->Job().RequestStop();  // as after a stop signal
        QVERIFY(t->close());
        QCOMPARE(t.questions.size(), 1);
    }
};

DRAVIK_WIZARD_SUITE(StartStateTest);
#include "start_state_test.moc"
