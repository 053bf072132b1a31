// The base of the eight object frames: a page's pick list (see pick_list.h)
// filled from the frame's listing query, its summary section and run-log
// lines, and the planner of its kind: each picked object adds the nodes that
// make it to the job's schema plan, which the job runs phase by phase.
#pragma once

#include "db/db_connection.h"
#include "frames/frame_host.h"
#include "frames/pick_list.h"
#include "frames/plan_context.h"
#include "schema/node_kinds.h"
#include "schema/object_kinds.h"
#include "schema/schema_plan.h"

#include <string>

namespace dravik::frames {

using db::DbConnection;
using schema::Node;
using schema::NodeKind;
using schema::ObjectKind;

class TFrame_select : public PickList {
public:
    FrameHost* wizard = nullptr;  // not owned; empty until the wizard links the frame

    // The frame's title (Label1) and its summary heading.
    virtual std::string Title() const = 0;
    virtual std::string SummaryHeading() const = 0;
    // The listing query: columns NAME and OBJ, and KIND (an ObjectKind's
    // number) where the page lists more than its own kind.
    virtual std::string ListingSql() const = 0;
    // The kind of the objects the page lists.
    virtual ObjectKind ListedKind() const = 0;
    // The step indicator's code shown before each pass over this frame; empty
    // when the pass shows no step of its own.
    virtual std::string CreateStepCode() const { return ""; }
    virtual std::string CopyStepCode() const { return ""; }
    virtual std::string CompleteStepCode() const { return ""; }
    static std::string StepOf(NodeKind kind) { return schema::TraitsOf(kind).stepCode; }

    // Picks (or unpicks) an object of the page's own kind by name.
    using PickList::Deselect;
    using PickList::Select;
    bool Select(const std::string& objectName) { return Select(objectName, ListedKind()); }
    bool Deselect(const std::string& objectName) { return Deselect(objectName, ListedKind()); }

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
    void FillFromQuery(DbConnection& connection, bool toSelected, const std::string& sql);
    virtual void LoadList(DbConnection& connection, bool toSelected) { FillFromQuery(connection, toSelected, ListingSql()); }
    // The heading, then one tab-indented line per picked object.
    void WriteSummary();

    // The rows pass of the job over the picked objects (the data frame's).
    virtual void CopySelectedData(DbConnection&, DbConnection&) {}

    // Schema objects are planned, not built at once: each picked object adds
    // the nodes that create it (and its parts) to the job's plan, with what
    // they depend on, and the job runs them in dependency order.
    void PlanSelected(schema::SchemaPlan& plan, PlanContext& context);
    // The nodes of one picked item; by default those of PlanObject.
    virtual void PlanItem(schema::SchemaPlan& plan, PlanContext& context, const TQorListItem& item);
    virtual void PlanObject(schema::SchemaPlan&, PlanContext&, const std::string&) {}

    // Reads the stop flag, lets pending events run, returns what was read.
    bool CheckStop();
};

}  // namespace dravik::frames
