// What a frame needs to plan its objects: the two connections, and the
// source's dependencies and catalogue, each read once on first use and shared
// by every frame. The plan's nodes keep the catalogue after planning ends.
#pragma once

#include "db/db_connection.h"
#include "schema/catalogue_links.h"
#include "schema/source_catalogue.h"

#include <memory>

namespace dravik::frames {

struct PlanContext {
    PlanContext(db::DbConnection& from, db::DbConnection& to) : source(from), destination(to) {}

    db::DbConnection& source;
    db::DbConnection& destination;

    const schema::CatalogueLinks& Links() {
        if (!links_.Loaded()) links_.Read(source);
        return links_;
    }

    std::shared_ptr<const schema::SourceCatalogue> Catalogue() {
        if (!catalogue_) catalogue_ = std::make_shared<schema::SourceCatalogue>(schema::SourceCatalogue::Read(source));
        return catalogue_;
    }

private:
    schema::CatalogueLinks links_;
    std::shared_ptr<const schema::SourceCatalogue> catalogue_;
};

}  // namespace dravik::frames
