// The base of the eight object frames: two item lists (offered and picked),
// the moves between them, filling from a listing query, the summary section,
// and the three passes of the clone job over the picked objects.
#pragma once

#include "controls/core/qor_list_items.h"
#include "db/db_connection.h"
#include "frames/frame_host.h"
#include "frames/plan_context.h"
#include "schema/schema_plan.h"

#include <string>

namespace dravik::frames {

using controls::TQorListItem;
using controls::TQorListItems;
using db::DbConnection;

class TFrame_select {
public:
    virtual ~TFrame_select() = default;

    TQorListItems srcList;  // "Source": offered, not picked
    TQorListItems dstList;  // "Going to be copied ": picked
    FrameHost* wizard = nullptr;  // not owned; empty until the wizard links the frame

    // The frame's title (Label1) and its summary heading.
    virtual std::string Title() const = 0;
    virtual std::string SummaryHeading() const = 0;
    // The listing query: columns NAME and OBJ.
    virtual std::string ListingSql() const = 0;
    // The step indicator's code shown before each pass over this frame; empty
    // when the pass shows no step of its own.
    virtual std::string CreateStepCode() const { return ""; }
    virtual std::string CopyStepCode() const { return ""; }
    virtual std::string CompleteStepCode() const { return ""; }

    virtual int SelectedCount() const { return dstList.Count(); }
    virtual const TQorListItem& SelectedItem(int i) const { return dstList.Item(i); }
    virtual std::string SelectedName(int i) const { return dstList.Item(i).ObjectName; }
    // Moves item i of one list to the other (kept in caption order there).
    virtual void MoveItem(TQorListItems& from, int i, TQorListItems& to);

    void SummaryPlain(const std::string& caption, const std::string& text);
    void SummaryNote(const std::string& caption, const std::string& text);
    void SummaryWarn(const std::string& caption, const std::string& text);
    void LogOk(const std::string& caption, const std::string& text);
    void LogNote(const std::string& caption, const std::string& text);
    void LogError(const std::string& caption, const std::string& text);
    // A red line that ends the job (see FrameHost::JobFailed).
    void FailJob(const std::string& caption, const std::string& text);

    // Replaces both lists with the query's rows, put in dstList when
    // toSelected, else in srcList. A failing query is reported in the
    // summary log; a query that fails to open leaves the lists as they were.
    virtual void FillFromQuery(DbConnection& connection, bool toSelected, const std::string& sql);
    virtual void LoadList(DbConnection& connection, bool toSelected) { FillFromQuery(connection, toSelected, ListingSql()); }
    // The heading, then one tab-indented line per picked object.
    virtual void WriteSummary();

    // The three passes over the picked objects, leaving when the stop flag is
    // seen after an object: the create and completion passes run the nodes
    // of the picked objects' plan before and after the rows, in dependency
    // order; the copy pass copies each object's rows in list order.
    virtual void CreateSelected(DbConnection& source, DbConnection& destination);
    virtual void CopySelectedData(DbConnection& source, DbConnection& destination);
    virtual void CompleteSelected(DbConnection& source, DbConnection& destination);

    // Schema objects are planned, not built at once: each picked object adds
    // the nodes that create it (and its parts) to the job's plan, with what
    // they depend on, and the job runs them in dependency order.
    virtual void PlanObject(schema::SchemaPlan&, PlanContext&, const std::string&) {}
    void PlanSelected(schema::SchemaPlan& plan, PlanContext& context);

    // One object on its own: its nodes of the phase before the rows
    // (CreateObject) or after them (CompleteObject), run in their order.
    virtual void CreateObject(DbConnection& source, DbConnection& destination, const std::string& name);
    virtual void CopyObjectData(DbConnection&, DbConnection&, const std::string&) {}
    virtual void CompleteObject(DbConnection& source, DbConnection& destination, const std::string& name);

    // Reads the stop flag, lets pending events run, returns what was read.
    bool CheckStop();

    // The four buttons (and the double clicks).
    void btn_selectClick();
    void btn_selectAllClick();
    void btn_deselectClick();
    void btn_deselectAllClick();

    // Picks (or unpicks) the object of that name; false when it is not offered.
    bool Select(const std::string& objectName);
    bool Deselect(const std::string& objectName);

    // A plan node: key, phase, rank, step code, dependencies, work.
    static schema::PlanNode Node(std::string key, schema::Phase phase, int rank, std::string stepCode,
                                 std::vector<std::string> dependsOn, std::function<void()> run);

private:
    void RunObject(DbConnection& source, DbConnection& destination, const std::string& name, schema::Phase phase);
    void RunSelected(DbConnection& source, DbConnection& destination, schema::Phase phase);
    template <typename Operation>
    void Pass(DbConnection& source, DbConnection& destination, Operation operation);
};

}  // namespace dravik::frames
