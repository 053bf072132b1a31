// The kinds of catalogue objects a page offers. A page lists one kind, except
// the procedures page, which lists procedures, PSQL functions, packages and
// database triggers side by side; each list item carries its kind.
#pragma once

namespace dravik::schema {

enum class ObjectKind {
    ExternalFunction,
    Domain,
    Generator,
    Exception,
    Procedure,
    Function,  // a stand-alone PSQL function
    Package,
    DatabaseTrigger,  // a database or DDL trigger
    Table,
    View,
};

}  // namespace dravik::schema
