// What the source's objects read, from RDB$DEPENDENCIES, as plan-node keys:
// a view's tables, views and routines (those its columns call among them), a
// computed column's readers (the catalogue records them under the column's
// implicit domain), a routine's or trigger's objects; a column read is named
// beside its table, and an index a PLAN names is named too. Read once per job.
#pragma once

#include "db/db_connection.h"

#include <map>
#include <string>
#include <vector>

namespace dravik::schema {

class CatalogueLinks {
public:
    // Reads every dependency of the source's user objects.
    void Read(db::DbConnection& source);
    bool Loaded() const { return loaded_; }
    // The keys a node depends on, by the node's own key (see node_keys.h).
    const std::vector<std::string>& Of(const std::string& dependentKey) const;

private:
    bool loaded_ = false;
    std::map<std::string, std::vector<std::string>> links_;
};

}  // namespace dravik::schema
