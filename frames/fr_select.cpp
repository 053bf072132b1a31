#include "frames/fr_select.h"

#include "frames/declareSQL.h"

namespace dravik::frames {

void TFrame_select::MoveItem(TQorListItems& from, int i, TQorListItems& to) {
    if (i < 0 || i >= from.Count()) return;
    const TQorListItem copy = from.Item(i);
    to.Add(copy);
    from.Remove(i);
}

void TFrame_select::SummaryPlain(const std::string& c, const std::string& t) { if (wizard) wizard->SummaryPlain(c, t); }
void TFrame_select::SummaryNote(const std::string& c, const std::string& t) { if (wizard) wizard->SummaryNote(c, t); }
void TFrame_select::SummaryWarn(const std::string& c, const std::string& t) { if (wizard) wizard->SummaryWarn(c, t); }
void TFrame_select::LogOk(const std::string& c, const std::string& t) { if (wizard) wizard->LogOk(c, t); }
void TFrame_select::LogNote(const std::string& c, const std::string& t) { if (wizard) wizard->LogNote(c, t); }
void TFrame_select::LogError(const std::string& c, const std::string& t) { if (wizard) wizard->LogError(c, t); }
void TFrame_select::FailJob(const std::string& c, const std::string& t) { if (wizard) wizard->JobFailed(c, t); }

void TFrame_select::FillFromQuery(DbConnection& connection, bool toSelected, const std::string& sql) {
    auto query = NewQuery(connection, sql);
    try {
        query->Open();
        TQorListItems& target = toSelected ? dstList : srcList;
        srcList.Clear();
        dstList.Clear();
        for (; !query->Eof(); query->Next())
            target.Add(query->FieldByName("NAME").AsString(), query->FieldByName("OBJ").AsString());
    } catch (const std::exception& e) {
        SummaryWarn("Подготовка процесса", "Ошибка доступа");
        SummaryWarn("", e.what());
    }
}

void TFrame_select::WriteSummary() {
    SummaryPlain(SummaryHeading(), "");
    for (int i = 0; i < SelectedCount(); ++i) SummaryPlain("", "\t" + SelectedName(i));
}

template <typename Operation>
void TFrame_select::Pass(DbConnection& source, DbConnection& destination, Operation operation) {
    const int n = SelectedCount();
    for (int i = 0; i < n; ++i) {
        (this->*operation)(source, destination, SelectedName(i));
        if (CheckStop()) break;
    }
}

void TFrame_select::CreateSelected(DbConnection& s, DbConnection& d) { RunSelected(s, d, schema::Phase::BeforeData); }
void TFrame_select::CopySelectedData(DbConnection& s, DbConnection& d) { Pass(s, d, &TFrame_select::CopyObjectData); }
// Outside a job there are no roles to wait for: the last phase follows at once.
void TFrame_select::CompleteSelected(DbConnection& s, DbConnection& d) {
    RunSelected(s, d, schema::Phase::AfterData);
    RunSelected(s, d, schema::Phase::Final);
}

void TFrame_select::RunSelected(DbConnection& source, DbConnection& destination, schema::Phase phase) {
    schema::SchemaPlan plan;
    PlanContext context(source, destination);
    PlanSelected(plan, context);
    for (const schema::PlanNode* node : plan.Ordered(phase)) {
        node->run();
        if (CheckStop()) break;
    }
}

void TFrame_select::PlanSelected(schema::SchemaPlan& plan, PlanContext& context) {
    for (int i = 0; i < SelectedCount(); ++i) PlanObject(plan, context, SelectedName(i));
}

schema::PlanNode TFrame_select::Node(std::string key, schema::Phase phase, int rank, std::string stepCode,
                                     std::vector<std::string> dependsOn, std::function<void()> run) {
    schema::PlanNode node;
    node.key = std::move(key);
    node.phase = phase;
    node.rank = rank;
    node.stepCode = std::move(stepCode);
    node.dependsOn = std::move(dependsOn);
    node.run = std::move(run);
    return node;
}

void TFrame_select::RunObject(DbConnection& source, DbConnection& destination, const std::string& name,
                              schema::Phase phase) {
    schema::SchemaPlan plan;
    PlanContext context(source, destination);
    PlanObject(plan, context, name);
    for (const schema::PlanNode* node : plan.Ordered(phase)) node->run();
}

void TFrame_select::CreateObject(DbConnection& s, DbConnection& d, const std::string& name) {
    RunObject(s, d, name, schema::Phase::BeforeData);
}

void TFrame_select::CompleteObject(DbConnection& s, DbConnection& d, const std::string& name) {
    RunObject(s, d, name, schema::Phase::AfterData);
    RunObject(s, d, name, schema::Phase::Final);
}

bool TFrame_select::CheckStop() {
    if (!wizard) return false;
    const bool stop = wizard->StopFlag();
    wizard->ProcessEvents();
    return stop;
}

void TFrame_select::btn_selectClick() {
    if (srcList.Focused() >= 0) MoveItem(srcList, srcList.Focused(), dstList);
}

void TFrame_select::btn_deselectClick() {
    if (dstList.Focused() >= 0) MoveItem(dstList, dstList.Focused(), srcList);
}

void TFrame_select::btn_selectAllClick() {
    while (srcList.Count() > 0) MoveItem(srcList, 0, dstList);
}

void TFrame_select::btn_deselectAllClick() {
    while (dstList.Count() > 0) MoveItem(dstList, 0, srcList);
}

namespace {

int IndexOfObject(const TQorListItems& list, const std::string& name) {
    for (int i = 0; i < list.Count(); ++i)
        if (Trim(list.Item(i).ObjectName) == Trim(name)) return i;
    return -1;
}

}  // namespace

bool TFrame_select::Select(const std::string& objectName) {
    const int i = IndexOfObject(srcList, objectName);
    if (i < 0) return IndexOfObject(dstList, objectName) >= 0;
    MoveItem(srcList, i, dstList);
    return true;
}

bool TFrame_select::Deselect(const std::string& objectName) {
    const int i = IndexOfObject(dstList, objectName);
    if (i < 0) return IndexOfObject(srcList, objectName) >= 0;
    MoveItem(dstList, i, srcList);
    return true;
}

}  // namespace dravik::frames
