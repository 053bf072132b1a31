// A table's constraints: primary and unique keys before the rows, CHECK
// constraints and foreign keys after them, each its own node (a primary key
// that only CREATE TABLE can make as the source has it comes with the table). A name the
// user gave is kept whole; a name the engine made up is left for the
// destination's engine to make again.
#include "frames/fr_select_table.h"

#include "frames/declareSQL.h"
#include "schema/node_keys.h"

#include <algorithm>
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
std::string UsingIndexClause(const schema::SourceCatalogue& catalogue, const std::string& constraint,
                             const std::string& index) {
    if (db::IsEngineMadeName(index)) return {};
    const schema::CatalogueIndex* found = catalogue.Index(index);
    const bool descending = found && found->descending;
    if (index == constraint && !descending) return {};
    return std::string(" USING ") + (descending ? "DESC " : "") + "INDEX " + QuoteIdentifier(index);
}

}  // namespace

std::string IndexColumns(const schema::SourceCatalogue& catalogue, const std::string& index) {
    std::string list;
    if (const schema::CatalogueIndex* found = catalogue.Index(index))
        for (const std::string& column : found->segments) {
            if (!list.empty()) list += ", ";
            list += QuoteIdentifier(column);
        }
    return list;
}

std::string KeyDefinition(const schema::SourceCatalogue& catalogue, const std::string& constraint, std::string& type) {
    const schema::CatalogueConstraint* found = catalogue.Constraint(constraint);
    if (!found) throw std::runtime_error("the source has no constraint " + constraint);
    type = found->type;
    return ConstraintClause(constraint) + type + " (" + IndexColumns(catalogue, found->index) + ")" +
           UsingIndexClause(catalogue, constraint, found->index);
}

KeyOfCreateTable PrimaryKeyOfCreateTable(const schema::SourceCatalogue& catalogue, const std::string& table) {
    // Only a table-level PRIMARY KEY inside CREATE TABLE sets a column's null
    // flag without a NOT NULL constraint: a column's own NOT NULL, SET NOT
    // NULL and an inline key all add the constraint, a key added later by
    // ALTER TABLE sets no flag, and a UNIQUE key never does.
    KeyOfCreateTable key;
    const schema::CatalogueRelation* relation = catalogue.Relation(table);
    if (!relation) return key;
    std::vector<std::string> constrainedNotNull;
    for (const schema::CatalogueConstraint& c : relation->constraints)
        if (c.type == "NOT NULL")
            for (const std::string& column : catalogue.CheckEntries(c.name)) constrainedNotNull.push_back(column);
    for (const schema::CatalogueConstraint& c : relation->constraints) {
        if (c.type != "PRIMARY KEY") continue;
        const schema::CatalogueIndex* index = catalogue.Index(c.index);
        for (const std::string& stored : index ? index->segments : std::vector<std::string>{}) {
            const std::string column = Trim(stored);
            const schema::CatalogueRow* row = catalogue.Column(table, TrimRight(stored));
            if (!row || row->FieldByName("RDB$NULL_FLAG").AsInteger() != 1) continue;
            if (std::find(constrainedNotNull.begin(), constrainedNotNull.end(), TrimRight(stored)) !=
                constrainedNotNull.end())
                continue;
            key.constraint = Trim(c.name);
            key.columns.push_back(column);
        }
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
    const std::shared_ptr<const schema::SourceCatalogue> catalogue = context.Catalogue();
    std::vector<schema::CatalogueConstraint> constraints;
    if (const schema::CatalogueRelation* relation = catalogue->Relation(t))
        for (const schema::CatalogueConstraint& c : relation->constraints)
            if (c.type == "PRIMARY KEY" || c.type == "UNIQUE" || c.type == "FOREIGN KEY" || c.type == "CHECK")
                constraints.push_back(c);
    DbConnection& d = context.destination;
    const std::string tableKey = schema::key::Relation(t);
    for (const schema::CatalogueConstraint& c : constraints) {
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
                          [this, &d, catalogue, t, n] { CreateKey(*catalogue, d, t, n); }));
        } else if (c.type == "FOREIGN KEY") {
            plan.Add(Node(NodeKind::ForeignKey, key, {tableKey},
                          [this, &d, catalogue, t, n] { CreateForeignKey(*catalogue, d, t, n); }));
        } else {
            plan.Add(Node(NodeKind::TableCheck, key, {tableKey},
                          [this, &d, catalogue, t, n] { CreateCheck(*catalogue, d, t, n); }));
        }
    }
}

void TFrame_select_table::CreateKey(const schema::SourceCatalogue& catalogue, DbConnection& destination,
                                    const std::string& t, const std::string& constraint) {
    std::string caption = "PRIMARY KEY " + t;
    try {
        std::string type;
        const std::string definition = KeyDefinition(catalogue, constraint, type);
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

void TFrame_select_table::CreateForeignKey(const schema::SourceCatalogue& catalogue, DbConnection& destination,
                                           const std::string& t, const std::string& constraint) {
    try {
        const schema::CatalogueConstraint* key = catalogue.Constraint(constraint);
        const schema::CatalogueForeignKey* rules = catalogue.ForeignKey(constraint);
        const schema::CatalogueConstraint* referencedKey =
            rules ? catalogue.Constraint(rules->uniqueConstraint) : nullptr;
        if (!key || !referencedKey) throw std::runtime_error("the source has no foreign key " + constraint);
        const std::string updateRule = ReferentialRule(rules->updateRule);
        const std::string deleteRule = ReferentialRule(rules->deleteRule);
        const std::string& referenced = referencedKey->relation;
        const std::string s = "\r\n\talter table " + QuoteIdentifier(t) + " add " + ConstraintClause(constraint) +
                              "foreign key(" + IndexColumns(catalogue, key->index) + ")" + "\r\n\t\t references " +
                              QuoteIdentifier(referenced) + "(" + IndexColumns(catalogue, referencedKey->index) + ")" +
                              (updateRule.empty() ? "" : "\r\n\t\t ON UPDATE " + updateRule) +
                              (deleteRule.empty() ? "" : "\r\n\t\t ON DELETE " + deleteRule) +
                              UsingIndexClause(catalogue, constraint, key->index) + ";";
        ExecStatement(destination, s);
        LogOk("FOREIGN KEY " + t, constraint);
    } catch (const std::exception& e) {
        LogError("FOREIGN KEY " + t, e.what());
    }
}

void TFrame_select_table::CreateCheck(const schema::SourceCatalogue& catalogue, DbConnection& destination,
                                      const std::string& t, const std::string& constraint) {
    try {
        // The server keeps a check's text in the triggers it made for it.
        const schema::CatalogueRow* trigger = nullptr;
        for (const std::string& name : catalogue.CheckEntries(constraint))
            if ((trigger = catalogue.Trigger(name)) != nullptr) break;
        if (!trigger || trigger->FieldByName("RDB$TRIGGER_SOURCE").IsNull())
            throw std::runtime_error("the source keeps no text of check " + constraint);
        const std::string text = db::EmbedStoredText(trigger->FieldByName("RDB$TRIGGER_SOURCE").AsString());
        ExecStatement(destination, "ALTER TABLE " + QuoteIdentifier(t) + " ADD " + ConstraintClause(constraint) + text);
        LogOk("CHECK " + t, constraint);
    } catch (const std::exception& e) {
        LogError("CHECK " + t, e.what());
    }
}

}  // namespace dravik::frames
