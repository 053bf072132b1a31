#include "frames/plan_context.h"

namespace dravik::frames {

SourceModel ReadSourceModel(db::DbConnection& source) {
    db::DbTransaction& transaction = source.DefaultTransaction();
    transaction.SetActive(true);
    SourceModel model;
    model.transactionEndsAt = transaction.Ends();
    model.links.Read(source);
    model.catalogue = std::make_shared<schema::SourceCatalogue>(schema::SourceCatalogue::Read(source));
    return model;
}

}  // namespace dravik::frames
