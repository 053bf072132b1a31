// A dialect 1 database rebuilt as a dialect 3 one: what its stored texts and
// types become so that they mean in dialect 3 what they meant in dialect 1.
#pragma once

#include "db/scoped_setting.h"

#include <string>

namespace dravik::db {

// A dialect 1 stored text (a default, a check, a computed column's
// expression, a view's, trigger's or routine's source) as dialect 3 reads it
// with the same meaning: a double-quoted string becomes a single-quoted one
// (an inner ' doubled, a doubled " made single); the type DATE, which holds a
// time of day in dialect 1, becomes TIMESTAMP; NUMERIC and DECIMAL wider than
// 9 digits, which dialect 1 keeps as DOUBLE PRECISION, become DOUBLE
// PRECISION. Comments and single-quoted strings are kept as they are; names
// (bare in dialect 1) are left alone. Integer division is not rewritten.
std::string Dialect3Text(const std::string& dialect1Text);

// While it lives with `active` set, this thread builds a dialect 3 database
// from a dialect 1 one: EmbedStoredText passes every stored text through
// Dialect3Text, and the type declarations write a DOUBLE PRECISION with a
// scale as DOUBLE PRECISION (see MigratingDialect1).
class Dialect1IntoDialect3 : ScopedSetting<bool> {
public:
    explicit Dialect1IntoDialect3(bool active);
};

// True inside an active Dialect1IntoDialect3 on this thread.
bool MigratingDialect1();

}  // namespace dravik::db
