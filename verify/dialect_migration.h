// The catalogue items of a dialect 1 database as its migration to dialect 3
// declares them, so that a comparison with the migrated copy shows only what
// the migration did not mean to change.
#pragma once

#include "verify/catalogue_items.h"

#include <vector>

namespace dravik::verify {

// Rewrites, in place, what a migration to dialect 3 changes on purpose: the
// stored texts (defaults, checks, computed columns, index expressions, view,
// trigger, routine and package sources, and the check constraints'
// identities that quote them) through db::Dialect3Text, and the scale of a
// DOUBLE PRECISION (a dialect 1 NUMERIC wider than 9 digits), which the
// migrated type does not have. Dialect 1 DATE is already a TIMESTAMP in the
// catalogue.
void AsMigratedToDialect3(std::vector<CatalogueItem>& items);

}  // namespace dravik::verify
