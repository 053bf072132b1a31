// A table's constraints: primary and unique keys before the rows, CHECK
// constraints and foreign keys after them, each its own node (a primary key
// that only CREATE TABLE can make as the source has it comes with the table). A name the
// user gave is kept whole; a name the engine made up is left for the
// destination's engine to make again.
#include "frames/fr_select_table.h"

#include "frames/declareSQL.h"
#include "schema/node_keys.h"

#include <stdexcept>

namespace dravik::frames {

namespace {

// "CONSTRAINT name " for a name the user gave, "" for a generated one.
std::string ConstraintClause(const std::string& name) {
    return db::IsEngineMadeName(name) ? std::string() : "CONSTRAINT " + QuoteIdentifier(name) + " ";
}

// The USING clause that keeps the name and direction of a key's index: needed
// when the user named the index otherwise than the constraint, or made it
// descending.
std::string UsingIndexClause(DbConnection& source, const std::string& constraint, const std::string& index) {
    if (db::IsEngineMadeName(index)) return {};
    db::KeptQuery query(source, "select RDB$INDEX_TYPE from RDB$INDICES where RDB$INDEX_NAME=?", {index});
    query->Open();
    const bool descending = !query->Eof() && query->Fields(0).AsInteger() == 1;
    if (index == constraint && !descending) return {};
    return std::string(" USING ") + (descending ? "DESC " : "") + "INDEX " + QuoteIdentifier(index);
}

}  // namespace

std::string IndexColumns(DbConnection& source, const std::string& index) {
    db::KeptQuery segments(source, "select rdb$field_name from rdb$index_segments where rdb$index_name=? "
                                   "order by rdb$field_position asc",
                           {index});
    segments->Open();
    std::string list;
    for (; !segments->Eof(); segments->Next()) {
        if (!list.empty()) list += ", ";
        list += QuoteIdentifier(segments->Fields(0).AsString());
    }
    return list;
}

std::string KeyDefinition(DbConnection& source, const std::string& constraint, std::string& type) {
    db::KeptQuery query(source, "select RDB$CONSTRAINT_TYPE, RDB$INDEX_NAME from RDB$RELATION_CONSTRAINTS "
                                "where RDB$CONSTRAINT_NAME=?",
                        {constraint});
    query->Open();
    if (query->Eof()) throw std::runtime_error("the source has no constraint " + constraint);
    type = TrimRight(query->Fields(0).AsString());
    const std::string index = TrimRight(query->Fields(1).AsString());
    query->Close();
    return ConstraintClause(constraint) + type + " (" + IndexColumns(source, index) + ")" +
           UsingIndexClause(source, constraint, index);
}

KeyOfCreateTable PrimaryKeyOfCreateTable(DbConnection& source, const std::string& table) {
    // Only a table-level PRIMARY KEY inside CREATE TABLE sets a column's null
    // flag without a NOT NULL constraint: a column's own NOT NULL, SET NOT
    // NULL and an inline key all add the constraint, a key added later by
    // ALTER TABLE sets no flag, and a UNIQUE key never does.
    db::KeptQuery query(source,
                        "select trim(rc.RDB$CONSTRAINT_NAME), trim(s.RDB$FIELD_NAME) from RDB$RELATION_CONSTRAINTS rc "
                        "join RDB$INDEX_SEGMENTS s on s.RDB$INDEX_NAME = rc.RDB$INDEX_NAME "
                        "join RDB$RELATION_FIELDS f on f.RDB$RELATION_NAME = rc.RDB$RELATION_NAME "
                        "and f.RDB$FIELD_NAME = s.RDB$FIELD_NAME "
                        "where rc.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' and f.RDB$NULL_FLAG = 1 "
                        "and rc.RDB$RELATION_NAME = ? and not exists (select 1 from RDB$RELATION_CONSTRAINTS n "
                        "join RDB$CHECK_CONSTRAINTS cc on cc.RDB$CONSTRAINT_NAME = n.RDB$CONSTRAINT_NAME "
                        "where n.RDB$CONSTRAINT_TYPE = 'NOT NULL' and n.RDB$RELATION_NAME = rc.RDB$RELATION_NAME "
                        "and cc.RDB$TRIGGER_NAME = f.RDB$FIELD_NAME)",
                        {table});
    KeyOfCreateTable key;
    for (query->Open(); !query->Eof(); query->Next()) {
        key.constraint = query->Fields(0).AsString();
        key.columns.push_back(query->Fields(1).AsString());
    }
    return key;
}

std::string TFrame_select_table::ReferentialRule(const std::string& storedRule) {
    // RESTRICT is what the server stores for a rule left unsaid, and a word
    // Firebird 3 does not accept: it is said by saying nothing.
    const std::string rule = Trim(storedRule);
    if (UpperCase(rule) == "RESTRICT") return {};
    return rule.empty() ? "NO ACTION" : rule;
}

void TFrame_select_table::PlanConstraints(schema::SchemaPlan& plan, PlanContext& context, const std::string& t,
                                          const std::string& keyOfCreateTable) {
    struct Found {
        std::string name, type;
    };
    std::vector<Found> constraints;
    {
        db::KeptQuery query(context.source,
                            "select RDB$CONSTRAINT_NAME, RDB$CONSTRAINT_TYPE from RDB$RELATION_CONSTRAINTS where "
                            "RDB$RELATION_NAME=? and RDB$CONSTRAINT_TYPE in ('PRIMARY KEY', 'UNIQUE', 'FOREIGN KEY', "
                            "'CHECK') order by RDB$CONSTRAINT_NAME",
                            {t});
        for (query->Open(); !query->Eof(); query->Next())
            constraints.push_back({TrimRight(query->Fields(0).AsString()), TrimRight(query->Fields(1).AsString())});
    }
    DbConnection& s = context.source;
    DbConnection& d = context.destination;
    const std::string tableKey = schema::key::Relation(t);
    for (const Found& c : constraints) {
        const std::string key = schema::key::Constraint(c.name);
        const std::string n = c.name;
        if (c.name == keyOfCreateTable) {
            // Made with the table already; its node stays for the run log's
            // line and for what depends on the key.
            plan.Add(Node(NodeKind::KeyOfCreateTable, key, {tableKey},
                          [this, &d, t, n] { ConfirmKeyOfCreateTable(d, t, n); }));
        } else if (c.type == "PRIMARY KEY" || c.type == "UNIQUE") {
            // Built after the rows, by one sort of the whole table rather
            // than an update of its index for every row.
            plan.Add(Node(c.type == "UNIQUE" ? NodeKind::UniqueKey : NodeKind::PrimaryKey, key, {tableKey},
                          [this, &s, &d, t, n] { CreateKey(s, d, t, n); }));
        } else if (c.type == "FOREIGN KEY") {
            plan.Add(Node(NodeKind::ForeignKey, key, {tableKey},
                          [this, &s, &d, t, n] { CreateForeignKey(s, d, t, n); }));
        } else {
            plan.Add(Node(NodeKind::TableCheck, key, {tableKey},
                          [this, &s, &d, t, n] { CreateCheck(s, d, t, n); }));
        }
    }
}

void TFrame_select_table::CreateKey(DbConnection& source, DbConnection& destination, const std::string& t,
                                    const std::string& constraint) {
    std::string caption = "PRIMARY KEY " + t;
    try {
        std::string type;
        const std::string definition = KeyDefinition(source, constraint, type);
        if (type == "UNIQUE") caption = "UNIQUE " + t;
        ExecStatement(destination, "ALTER TABLE " + QuoteIdentifier(t) + " ADD " + definition + ";");
        LogOk(caption, constraint);
    } catch (const std::exception& e) {
        LogError(caption, e.what());
    }
}

void TFrame_select_table::ConfirmKeyOfCreateTable(DbConnection& destination, const std::string& t,
                                                  const std::string& constraint) {
    const std::string caption = "PRIMARY KEY " + t;
    try {
        // The engine names an INTEG_ key anew, so the key is found by its table.
        db::KeptQuery query(destination, "select count(*) from RDB$RELATION_CONSTRAINTS where RDB$RELATION_NAME=? "
                                         "and RDB$CONSTRAINT_TYPE = 'PRIMARY KEY'",
                            {t});
        query->Open();
        if (query->Fields(0).AsInteger() == 0)
            throw std::runtime_error("the key " + constraint + " was to come with CREATE TABLE " + t +
                                     ", and the destination has none");
        LogOk(caption, constraint);
    } catch (const std::exception& e) {
        LogError(caption, e.what());
    }
}

void TFrame_select_table::CreateForeignKey(DbConnection& source, DbConnection& destination, const std::string& t,
                                           const std::string& constraint) {
    try {
        db::KeptQuery key(source, "select c.RDB$INDEX_NAME, r.RDB$UPDATE_RULE, r.RDB$DELETE_RULE, "
                                  "u.RDB$RELATION_NAME, u.RDB$INDEX_NAME from RDB$RELATION_CONSTRAINTS c "
                                  "join RDB$REF_CONSTRAINTS r on r.RDB$CONSTRAINT_NAME = c.RDB$CONSTRAINT_NAME "
                                  "join RDB$RELATION_CONSTRAINTS u on u.RDB$CONSTRAINT_NAME = r.RDB$CONST_NAME_UQ "
                                  "where c.RDB$CONSTRAINT_NAME=?",
                          {constraint});
        key->Open();
        if (key->Eof()) throw std::runtime_error("the source has no foreign key " + constraint);
        const std::string index = TrimRight(key->Fields(0).AsString());
        const std::string updateRule = ReferentialRule(key->Fields(1).AsString());
        const std::string deleteRule = ReferentialRule(key->Fields(2).AsString());
        const std::string referenced = TrimRight(key->Fields(3).AsString());
        const std::string referencedIndex = TrimRight(key->Fields(4).AsString());
        key->Close();
        const std::string s = "\r\n\talter table " + QuoteIdentifier(t) + " add " + ConstraintClause(constraint) +
                              "foreign key(" + IndexColumns(source, index) + ")" + "\r\n\t\t references " +
                              QuoteIdentifier(referenced) + "(" + IndexColumns(source, referencedIndex) + ")" +
                              (updateRule.empty() ? "" : "\r\n\t\t ON UPDATE " + updateRule) +
                              (deleteRule.empty() ? "" : "\r\n\t\t ON DELETE " + deleteRule) +
                              UsingIndexClause(source, constraint, index) + ";";
        ExecStatement(destination, s);
        LogOk("FOREIGN KEY " + t, constraint);
    } catch (const std::exception& e) {
        LogError("FOREIGN KEY " + t, e.what());
    }
}

void TFrame_select_table::CreateCheck(DbConnection& source, DbConnection& destination, const std::string& t,
                                      const std::string& constraint) {
    try {
        // The server keeps a check's text in the triggers it made for it.
        db::KeptQuery check(source, "select first 1 t.RDB$TRIGGER_SOURCE from RDB$CHECK_CONSTRAINTS c join "
                                    "RDB$TRIGGERS t on t.RDB$TRIGGER_NAME = c.RDB$TRIGGER_NAME where "
                                    "c.RDB$CONSTRAINT_NAME=?",
                            {constraint});
        check->Open();
        if (check->Eof() || check->Fields(0).IsNull())
            throw std::runtime_error("the source keeps no text of check " + constraint);
        const std::string text = db::EmbedStoredText(check->Fields(0).AsString());
        check->Close();
        ExecStatement(destination, "ALTER TABLE " + QuoteIdentifier(t) + " ADD " + ConstraintClause(constraint) + text);
        LogOk("CHECK " + t, constraint);
    } catch (const std::exception& e) {
        LogError("CHECK " + t, e.what());
    }
}

}  // namespace dravik::frames
