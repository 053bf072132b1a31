#include "frames/fr_select.h"

#include "frames/declareSQL.h"

#include <vector>

namespace dravik::frames {

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
        std::vector<TQorListItem> items;
        const db::DbField* kind = query->FindField("KIND");
        for (; !query->Eof(); query->Next()) {
            const ObjectKind itemKind = kind ? static_cast<ObjectKind>(kind->AsInteger()) : ListedKind();
            items.push_back(TQorListItem{query->FieldByName("NAME").AsString(), query->FieldByName("OBJ").AsString(),
                                         {}, itemKind});
        }
        Replace(items, toSelected);
    } catch (const std::exception& e) {
        SummaryWarn("Подготовка процесса", "Ошибка доступа");
        SummaryWarn("", e.what());
    }
}

void TFrame_select::WriteSummary() {
    SummaryPlain(SummaryHeading(), "");
    // An object of another kind than the page's (a function on the
    // procedures page) is named by its caption, which names its kind too.
    for (int i = 0; i < SelectedCount(); ++i) {
        const TQorListItem& item = SelectedItem(i);
        SummaryPlain("", "\t" + (item.Kind == ListedKind() ? item.ObjectName : item.Caption));
    }
}

void TFrame_select::PlanSelected(schema::SchemaPlan& plan, PlanContext& context) {
    for (int i = 0; i < SelectedCount(); ++i) PlanItem(plan, context, SelectedItem(i));
}

void TFrame_select::PlanItem(schema::SchemaPlan& plan, PlanContext& context, const TQorListItem& item) {
    PlanObject(plan, context, item.ObjectName);
}

bool TFrame_select::CheckStop() {
    if (!wizard) return false;
    const bool stop = wizard->StopFlag();
    wizard->ProcessEvents();
    return stop;
}

}  // namespace dravik::frames
