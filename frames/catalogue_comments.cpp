// Comments: where each kind of object keeps its RDB$DESCRIPTION, how COMMENT
// ON names it, and the plan node that writes it once the object exists.
#include "frames/catalogue_comments.h"

#include "frames/declareSQL.h"
#include "schema/node_keys.h"
#include "schema/node_kinds.h"

#include <initializer_list>
#include <set>
#include <utility>
#include <vector>

namespace dravik::frames {

namespace key = schema::key;

namespace {

using Row = std::vector<std::string>;

// A dotted name as a statement writes it and as the log shows it; empty
// parts (the package of a routine outside any package) are left out.
struct Name {
    std::string sql;
    std::string text;
};

Name Dotted(std::initializer_list<std::string> parts) {
    Name name;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        if (!name.text.empty()) {
            name.sql += ".";
            name.text += ".";
        }
        name.sql += QuoteIdentifier(part);
        name.text += part;
    }
    return name;
}

// One comment to carry over.
struct Comment {
    std::string objectKey;               // the node creating the object; "" for the database
    std::vector<std::string> dependsOn;  // the nodes the comment waits for
    std::string object;                  // what follows COMMENT ON: TABLE "Mixed T"
    std::string caption;                 // the same for the log: TABLE Mixed T
    std::string textSql;                 // the select of its text in the source
};

// The select of one catalogue row's description. An empty value is a
// routine's package when it has none: the column is NULL.
std::string DescriptionSql(const std::string& table,
                           std::initializer_list<std::pair<const char*, std::string>> identity) {
    std::string sql = "select RDB$DESCRIPTION from " + table;
    const char* glue = " where ";
    for (const auto& [column, value] : identity) {
        sql += glue + std::string(column) + (value.empty() ? " is null" : " = " + SqlString(value));
        glue = " and ";
    }
    return sql;
}

Comment On(const std::string& kind, const Name& name, const std::string& objectKey, std::string textSql) {
    return {objectKey, {objectKey}, kind + " " + name.sql, kind + " " + name.text, std::move(textSql)};
}

// A packaged routine (and its parameters) comes with its package's node.
std::string RoutineKey(const std::string& package, const std::string& ownKey) {
    return package.empty() ? ownKey : key::Package(package);
}

// Where one kind of object keeps its comments: a select of the identities
// of the commented objects, and the comment of one of its rows; a row whose
// first column is a name the engine made is left out when skipEngineNames.
struct CommentSource {
    const char* listingSql;
    Comment (*fromRow)(const Row& row);
    bool skipEngineNames = false;
};

const CommentSource kPlannedSources[] = {
    {"select 'DATABASE' from RDB$DATABASE where RDB$DESCRIPTION is not null",
     [](const Row&) { return Comment{"", {}, "DATABASE", "DATABASE", "select RDB$DESCRIPTION from RDB$DATABASE"}; }},
    {"select RDB$RELATION_NAME, iif(RDB$VIEW_SOURCE is null, 'TABLE', 'VIEW') from RDB$RELATIONS"
     " where RDB$DESCRIPTION is not null and coalesce(RDB$SYSTEM_FLAG, 0) = 0",
     [](const Row& r) {
         return On(r[1], Dotted({r[0]}), key::Relation(r[0]),
                   DescriptionSql("RDB$RELATIONS", {{"RDB$RELATION_NAME", r[0]}}));
     }},
    {"select RDB$RELATION_NAME, RDB$FIELD_NAME from RDB$RELATION_FIELDS"
     " where RDB$DESCRIPTION is not null and coalesce(RDB$SYSTEM_FLAG, 0) = 0",
     [](const Row& r) {
         // A column comes with its table, or, when it is computed from other
         // objects, as a node of its own after it.
         Comment c = On("COLUMN", Dotted({r[0], r[1]}), key::Relation(r[0]),
                        DescriptionSql("RDB$RELATION_FIELDS", {{"RDB$RELATION_NAME", r[0]}, {"RDB$FIELD_NAME", r[1]}}));
         c.dependsOn.push_back(key::Column(r[0], r[1]));
         return c;
     }},
    // RDB$n are the columns' implicit domains, which COMMENT ON COLUMN covers.
    {"select RDB$FIELD_NAME from RDB$FIELDS where RDB$DESCRIPTION is not null"
     " and coalesce(RDB$SYSTEM_FLAG, 0) = 0 and RDB$FIELD_NAME not starting with 'RDB$'",
     [](const Row& r) {
         return On("DOMAIN", Dotted({r[0]}), key::Domain(r[0]),
                   DescriptionSql("RDB$FIELDS", {{"RDB$FIELD_NAME", r[0]}}));
     }},
    // Packaged routines and their parameters included: Firebird 3 takes
    // COMMENT ON PROCEDURE PKG.NAME and PROCEDURE PARAMETER PKG.NAME.PARAM.
    {"select RDB$PROCEDURE_NAME, RDB$PACKAGE_NAME from RDB$PROCEDURES"
     " where RDB$DESCRIPTION is not null and coalesce(RDB$SYSTEM_FLAG, 0) = 0",
     [](const Row& r) {
         return On("PROCEDURE", Dotted({r[1], r[0]}), RoutineKey(r[1], key::Procedure(r[0])),
                   DescriptionSql("RDB$PROCEDURES", {{"RDB$PACKAGE_NAME", r[1]}, {"RDB$PROCEDURE_NAME", r[0]}}));
     }},
    {"select RDB$PROCEDURE_NAME, RDB$PACKAGE_NAME, RDB$PARAMETER_NAME from RDB$PROCEDURE_PARAMETERS"
     " where RDB$DESCRIPTION is not null and coalesce(RDB$SYSTEM_FLAG, 0) = 0",
     [](const Row& r) {
         return On("PROCEDURE PARAMETER", Dotted({r[1], r[0], r[2]}), RoutineKey(r[1], key::Procedure(r[0])),
                   DescriptionSql("RDB$PROCEDURE_PARAMETERS", {{"RDB$PACKAGE_NAME", r[1]},
                                                               {"RDB$PROCEDURE_NAME", r[0]},
                                                               {"RDB$PARAMETER_NAME", r[2]}}));
     }},
    // A function declared from a module is a UDF: EXTERNAL FUNCTION.
    {"select RDB$FUNCTION_NAME, RDB$PACKAGE_NAME, iif(RDB$MODULE_NAME is null, 'FUNCTION', 'EXTERNAL FUNCTION')"
     " from RDB$FUNCTIONS where RDB$DESCRIPTION is not null and coalesce(RDB$SYSTEM_FLAG, 0) = 0",
     [](const Row& r) {
         return On(r[2], Dotted({r[1], r[0]}), RoutineKey(r[1], key::Function(r[0])),
                   DescriptionSql("RDB$FUNCTIONS", {{"RDB$PACKAGE_NAME", r[1]}, {"RDB$FUNCTION_NAME", r[0]}}));
     }},
    // Only PSQL functions name their arguments (and not their result); a
    // UDF's arguments have no name to comment on.
    {"select RDB$FUNCTION_NAME, RDB$PACKAGE_NAME, RDB$ARGUMENT_NAME from RDB$FUNCTION_ARGUMENTS"
     " where RDB$DESCRIPTION is not null and RDB$ARGUMENT_NAME is not null and coalesce(RDB$SYSTEM_FLAG, 0) = 0",
     [](const Row& r) {
         return On("FUNCTION PARAMETER", Dotted({r[1], r[0], r[2]}), RoutineKey(r[1], key::Function(r[0])),
                   DescriptionSql("RDB$FUNCTION_ARGUMENTS", {{"RDB$PACKAGE_NAME", r[1]},
                                                             {"RDB$FUNCTION_NAME", r[0]},
                                                             {"RDB$ARGUMENT_NAME", r[2]}}));
     }},
    {"select RDB$PACKAGE_NAME from RDB$PACKAGES where RDB$DESCRIPTION is not null"
     " and coalesce(RDB$SYSTEM_FLAG, 0) = 0",
     [](const Row& r) {
         return On("PACKAGE", Dotted({r[0]}), key::Package(r[0]),
                   DescriptionSql("RDB$PACKAGES", {{"RDB$PACKAGE_NAME", r[0]}}));
     }},
    {"select RDB$GENERATOR_NAME from RDB$GENERATORS where RDB$DESCRIPTION is not null"
     " and coalesce(RDB$SYSTEM_FLAG, 0) = 0",
     [](const Row& r) {
         return On("SEQUENCE", Dotted({r[0]}), key::Generator(r[0]),
                   DescriptionSql("RDB$GENERATORS", {{"RDB$GENERATOR_NAME", r[0]}}));
     }},
    {"select RDB$EXCEPTION_NAME from RDB$EXCEPTIONS where RDB$DESCRIPTION is not null"
     " and coalesce(RDB$SYSTEM_FLAG, 0) = 0",
     [](const Row& r) {
         return On("EXCEPTION", Dotted({r[0]}), key::Exception(r[0]),
                   DescriptionSql("RDB$EXCEPTIONS", {{"RDB$EXCEPTION_NAME", r[0]}}));
     }},
    // Indices the user named: a table's own ones come with their node, a
    // key's index with its constraint's (which keeps the index name). A name
    // the engine made is made up again by the destination's engine.
    {"select i.RDB$INDEX_NAME, c.RDB$CONSTRAINT_NAME from RDB$INDICES i left join RDB$RELATION_CONSTRAINTS c"
     " on c.RDB$INDEX_NAME = i.RDB$INDEX_NAME where i.RDB$DESCRIPTION is not null"
     " and coalesce(i.RDB$SYSTEM_FLAG, 0) = 0",
     [](const Row& r) {
         return On("INDEX", Dotted({r[0]}), r[1].empty() ? key::Index(r[0]) : key::Constraint(r[1]),
                   DescriptionSql("RDB$INDICES", {{"RDB$INDEX_NAME", r[0]}}));
     },
     true},
    // User triggers of tables, views and the database; the server's own for
    // CHECK constraints carry another system flag.
    {"select RDB$TRIGGER_NAME from RDB$TRIGGERS where RDB$DESCRIPTION is not null"
     " and coalesce(RDB$SYSTEM_FLAG, 0) = 0",
     [](const Row& r) {
         return On("TRIGGER", Dotted({r[0]}), key::Trigger(r[0]),
                   DescriptionSql("RDB$TRIGGERS", {{"RDB$TRIGGER_NAME", r[0]}}));
     }},
    // Character sets are the engine's own: each exists before any object.
    {"select RDB$CHARACTER_SET_NAME from RDB$CHARACTER_SETS where RDB$DESCRIPTION is not null",
     [](const Row& r) {
         const Name name = Dotted({r[0]});
         return Comment{"", {}, "CHARACTER SET " + name.sql, "CHARACTER SET " + name.text,
                        DescriptionSql("RDB$CHARACTER_SETS", {{"RDB$CHARACTER_SET_NAME", r[0]}})};
     }},
    {"select RDB$COLLATION_NAME from RDB$COLLATIONS where RDB$DESCRIPTION is not null"
     " and coalesce(RDB$SYSTEM_FLAG, 0) = 0",
     [](const Row& r) {
         return On("COLLATION", Dotted({r[0]}), key::Collation(r[0]),
                   DescriptionSql("RDB$COLLATIONS", {{"RDB$COLLATION_NAME", r[0]}}));
     }},
};

// Roles are not plan nodes: their key is the role's name, looked up among
// the destination's roles. RDB$ADMIN is every database's own role.
const CommentSource kRoleSource = {
    "select RDB$ROLE_NAME from RDB$ROLES where RDB$DESCRIPTION is not null"
    " and coalesce(RDB$SYSTEM_FLAG, 0) = 0 and RDB$ROLE_NAME <> 'RDB$ADMIN'",
    [](const Row& r) {
        return On("ROLE", Dotted({r[0]}), r[0], DescriptionSql("RDB$ROLES", {{"RDB$ROLE_NAME", r[0]}}));
    }};

// The comments one source lists, names trimmed of their padding; a listing
// the source refuses is one red line.
std::vector<Comment> ReadComments(DbConnection& source, const CommentSource& from, FrameHost& log) {
    std::vector<Comment> comments;
    try {
        db::ForEachRow(source, from.listingSql, [&](db::DbCursorSet& query) {
            Row row;
            for (int i = 0; i < query.FieldCount(); ++i)
                row.push_back(query.Fields(i).IsNull() ? std::string() : TrimRight(query.Fields(i).AsString()));
            if (!(from.skipEngineNames && db::IsEngineMadeName(row.front()))) comments.push_back(from.fromRow(row));
        });
    } catch (const std::exception& e) {
        log.LogError("COMMENT", e.what());
    }
    return comments;
}

// Reads the comment's text from the source and writes it on the
// destination's object. A text gone since the plan was made leaves nothing
// to write. The catalogue keeps its texts in UNICODE_FSS and the layer reads
// a blob's bytes as stored, so the literal says it is UTF-8: without that,
// the server takes it in the connection's code page, and through NONE every
// byte beyond ASCII lands as '?'.
void WriteComment(DbConnection& source, DbConnection& destination, FrameHost& log, const Comment& comment) {
    try {
        std::string text;
        {
            auto query = NewQuery(source, comment.textSql);
            query->Open();
            if (query->Eof() || query->Fields(0).IsNull()) return;
            text = query->Fields(0).AsString();
        }
        ExecStatement(destination, "COMMENT ON " + comment.object + " IS _UTF8 " + SqlString(text));
        log.LogOk("COMMENT", comment.caption);
    } catch (const std::exception& e) {
        log.LogError("COMMENT " + comment.caption, e.what());
    }
}

}  // namespace

void PlanComments(schema::SchemaPlan& plan, PlanContext& context, FrameHost& log) {
    DbConnection& s = context.source;
    DbConnection& d = context.destination;
    FrameHost* host = &log;
    for (const CommentSource& from : kPlannedSources) {
        for (Comment& comment : ReadComments(s, from, log)) {
            const schema::PlanNode* object = comment.objectKey.empty() ? nullptr : plan.Find(comment.objectKey);
            if (!comment.objectKey.empty() && !object) continue;
            // After the rows, or last of all with an object made last of all;
            // the caption (kind and whole name) tells the comments apart.
            const bool late = object && object->phase == schema::Phase::Final;
            plan.Add(schema::Node(late ? schema::NodeKind::LateComment : schema::NodeKind::Comment,
                                  key::Comment(comment.caption), comment.dependsOn,
                                  [&s, &d, host, comment] { WriteComment(s, d, *host, comment); }));
        }
    }
}

void CopyRoleComments(DbConnection& source, DbConnection& destination, FrameHost& log) {
    // A role the destination lacks was refused, and reported, when the roles
    // were created.
    std::set<std::string> roles;
    try {
        db::ForEachRow(destination, "select RDB$ROLE_NAME from RDB$ROLES",
                       [&](db::DbCursorSet& row) { roles.insert(TrimRight(row.Fields(0).AsString())); });
    } catch (const std::exception& e) {
        log.LogError("COMMENT", e.what());
        return;
    }
    for (const Comment& comment : ReadComments(source, kRoleSource, log)) {
        if (log.StopFlag()) return;
        if (roles.count(comment.objectKey) == 0) continue;
        WriteComment(source, destination, log, comment);
    }
}

}  // namespace dravik::frames
