// What a frame needs to plan its objects: the two connections, and the
// source's dependencies and catalogue, each read once on first use and shared
// by every frame. The plan's nodes keep the catalogue after planning ends.
#pragma once

#include "db/db_connection.h"
#include "schema/catalogue_links.h"
#include "schema/source_catalogue.h"

#include <cstdint>
#include <memory>

namespace dravik::frames {

// The source's catalogue and dependencies read ahead of the planning, with
// the snapshot they were read in.
struct SourceModel {
    std::shared_ptr<const schema::SourceCatalogue> catalogue;
    schema::CatalogueLinks links;
    std::uint64_t transactionEndsAt = 0;
};

// Reads the model in the source's default transaction (started here if need
// be), which the job keeps as its snapshot. Touches nothing but the source,
// so it can run on a thread of its own while the job works elsewhere.
SourceModel ReadSourceModel(db::DbConnection& source);

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

    // Plans from a model read before, when the source is still in the
    // snapshot it was read in; else each part is read on first use.
    void Adopt(SourceModel model) {
        const db::DbTransaction& transaction = source.DefaultTransaction();
        if (!model.catalogue || !transaction.StillTheOne(model.transactionEndsAt)) return;
        catalogue_ = std::move(model.catalogue);
        links_ = std::move(model.links);
    }

private:
    schema::CatalogueLinks links_;
    std::shared_ptr<const schema::SourceCatalogue> catalogue_;
};

}  // namespace dravik::frames
