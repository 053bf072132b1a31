// The base of the eight object frames: two item lists (offered and picked),
// the moves between them, filling from a listing query, the summary section,
// and the three passes of the clone job over the picked objects.
#pragma once

#include "controls/core/qor_list_items.h"
#include "db/db_connection.h"
#include "frames/frame_host.h"

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

    // Replaces both lists with the query's rows, put in dstList when
    // toSelected, else in srcList. A failing query is reported in the
    // summary log; a query that fails to open leaves the lists as they were.
    virtual void FillFromQuery(DbConnection& connection, bool toSelected, const std::string& sql);
    virtual void LoadList(DbConnection& connection, bool toSelected) { FillFromQuery(connection, toSelected, ListingSql()); }
    // The heading, then one tab-indented line per picked object.
    virtual void WriteSummary();

    // The three passes: the per-object operation for every picked object,
    // in list order, leaving when the stop flag is seen after an object.
    virtual void CreateSelected(DbConnection& source, DbConnection& destination);
    virtual void CopySelectedData(DbConnection& source, DbConnection& destination);
    virtual void CompleteSelected(DbConnection& source, DbConnection& destination);

    virtual void CreateObject(DbConnection&, DbConnection&, const std::string&) {}
    virtual void CopyObjectData(DbConnection&, DbConnection&, const std::string&) {}
    virtual void CompleteObject(DbConnection&, DbConnection&, const std::string&) {}

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

private:
    template <typename Operation>
    void Pass(DbConnection& source, DbConnection& destination, Operation operation);
};

}  // namespace dravik::frames
