#include "frames/deferred_indices.h"

#include "frames/declareSQL.h"

namespace dravik::frames {

DeferredIndices::DeferredIndices(db::DbConnection& destination, const std::string& table)
    : destination_(destination) {
    std::vector<std::string> names;
    try {
        auto query = NewQuery(destination_,
                              "select i.RDB$INDEX_NAME from RDB$INDICES i where i.RDB$RELATION_NAME=" +
                                  QuoteLiteral(Trim(table)) +
                                  " and coalesce(i.RDB$UNIQUE_FLAG, 0) = 0 and coalesce(i.RDB$INDEX_INACTIVE, 0) = 0"
                                  " and i.RDB$FOREIGN_KEY is null and not exists (select 1 from "
                                  "RDB$RELATION_CONSTRAINTS c where c.RDB$INDEX_NAME = i.RDB$INDEX_NAME)");
        query->Open();
        for (; !query->Eof(); query->Next()) names.push_back(Trim(query->Fields(0).AsString()));
    } catch (const std::exception&) {
        return;  // nothing deferred: the rows go into an indexed table as usual
    }
    for (const std::string& name : names) {
        try {
            ExecStatement(destination_, "ALTER INDEX " + name + " INACTIVE");
            deferred_.push_back(name);
        } catch (const std::exception&) {
            // An index that cannot be switched off is simply kept up to date.
        }
    }
}

DeferredIndices::~DeferredIndices() {
    try {
        Restore();
    } catch (...) {
    }
}

std::vector<std::pair<std::string, std::string>> DeferredIndices::Restore() {
    std::vector<std::pair<std::string, std::string>> failures;
    for (const std::string& name : deferred_) {
        try {
            ExecStatement(destination_, "ALTER INDEX " + name + " ACTIVE");
        } catch (const std::exception& e) {
            failures.emplace_back(name, e.what());
        }
    }
    deferred_.clear();
    return failures;
}

}  // namespace dravik::frames
