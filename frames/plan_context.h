// What a frame needs to plan its objects: the two connections and the
// source's dependencies, read once on first use and shared by every frame.
#pragma once

#include "db/db_connection.h"
#include "schema/catalogue_links.h"

namespace dravik::frames {

struct PlanContext {
    PlanContext(db::DbConnection& from, db::DbConnection& to) : source(from), destination(to) {}

    db::DbConnection& source;
    db::DbConnection& destination;

    const schema::CatalogueLinks& Links() {
        if (!links_.Loaded()) links_.Read(source);
        return links_;
    }

private:
    schema::CatalogueLinks links_;
};

}  // namespace dravik::frames
