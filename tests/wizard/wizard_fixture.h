// What the wizard's suites share: a wizard whose message boxes, questions
// and file dialogs the test answers, a small source database with every
// kind of object, and helpers to drive the pages.
#pragma once

#include "app/wizard/wz_Dravik.h"
#include "support/test_support.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <string>

namespace dravik::test {

// A wizard with recorded dialogs. Questions get `answer` unless onQuestion
// is set, which then decides.
class WizardUnderTest {
public:
    WizardUnderTest();

    wizard::Twizard_Dravik& w() { return *wizard_; }
    wizard::Twizard_Dravik* operator->() { return wizard_.get(); }

    QStringList messages;   // every message box, in order
    QStringList questions;  // every question asked
    bool answer = false;
    std::function<bool(const QString&)> onQuestion;
    std::function<QString(const wizard::FileRequest&)> onFile;

    // Fills the source path, passes the connection test and goes to P_DST.
    void PassSourcePage(const std::string& source);
    // From P_DST: names the destination, picks the copy mode, presses "Next >>".
    void LeaveDestinationPage(const std::string& destination, bool copyAll);
    int Page() { return wizard_->CurrentPageIndex(); }

private:
    std::unique_ptr<wizard::Twizard_Dravik> wizard_;
};

// Every object name the sample source holds, per selection page.
struct SampleObjects {
    static const QStringList udfs, domains, generators, exceptions, procedures, tables, views;
};

// Makes the sample source: two external functions, domains, a generator at
// 42, an exception, two procedures (one calling the other), three tables with
// keys, a trigger, a view, and rows in two of the tables.
void MakeSampleSource(const std::string& path);

// A temporary folder with the sample source in it, made once per suite.
struct SampleSourceFolder {
    std::unique_ptr<TempDir> dir;
    std::string source;
    // Makes both; returns the error's text, empty when all went well.
    std::string Make();
};

// Captions shown by a list view, top to bottom.
QStringList Captions(const controls::TQorListView& list);
// Makes row i of a list view the current (focused) row, as a click would.
void FocusRow(controls::TQorListView& list, int row);
// The summary or run log's lines.
QStringList LogLines(const wizard::TRichLog& log);

}  // namespace dravik::test
