#include "verify/catalogue_field_types.h"

#include "db/sql_text.h"
#include "verify/catalogue_rows.h"

namespace dravik::verify {

namespace {

// RDB$FIELD_TYPE codes.
enum FieldType {
    kSmallint = 7,
    kInteger = 8,
    kQuad = 9,
    kFloat = 10,
    kDFloat = 11,
    kDate = 12,
    kTime = 13,
    kChar = 14,
    kBigint = 16,
    kBoolean = 23,
    kDouble = 27,
    kTimestamp = 35,
    kVarchar = 37,
    kCstring = 40,
    kBlobId = 45,
    kBlob = 261,
};

std::string TypeName(int type) {
    switch (type) {
        case kSmallint: return "SMALLINT";
        case kInteger: return "INTEGER";
        case kQuad: return "QUAD";
        case kFloat: return "FLOAT";
        case kDFloat: return "D_FLOAT";
        case kDate: return "DATE";
        case kTime: return "TIME";
        case kChar: return "CHAR";
        case kBigint: return "BIGINT";
        case kBoolean: return "BOOLEAN";
        case kDouble: return "DOUBLE PRECISION";
        case kTimestamp: return "TIMESTAMP";
        case kVarchar: return "VARCHAR";
        case kCstring: return "CSTRING";
        case kBlobId: return "BLOB_ID";
        case kBlob: return "BLOB";
        default: return "type " + std::to_string(type);
    }
}

std::string IntegerOrZero(db::DbCursorSet& row, const std::string& column) {
    db::DbField& field = row.FieldByName(column);
    return field.IsNull() ? "0" : field.AsString();
}

}  // namespace

std::string FieldTypeColumns(const std::string& a) {
    return a + ".RDB$FIELD_NAME AS FT_NAME, " + a + ".RDB$FIELD_TYPE AS FT_TYPE, " + a +
           ".RDB$FIELD_SUB_TYPE AS FT_SUB_TYPE, " + a + ".RDB$FIELD_LENGTH AS FT_LENGTH, " + a +
           ".RDB$FIELD_PRECISION AS FT_PRECISION, " + a + ".RDB$FIELD_SCALE AS FT_SCALE, " + a +
           ".RDB$CHARACTER_LENGTH AS FT_CHAR_LENGTH, " + a + ".RDB$SEGMENT_LENGTH AS FT_SEGMENT, " +
           CharacterSetNameSql(a + ".RDB$CHARACTER_SET_ID") + " AS FT_CHARSET";
}

std::string CharacterSetNameSql(const std::string& charsetId) {
    return "(SELECT cs.RDB$CHARACTER_SET_NAME FROM RDB$CHARACTER_SETS cs WHERE cs.RDB$CHARACTER_SET_ID = " +
           charsetId + ")";
}

std::string CollationNameSql(const std::string& collationId, const std::string& charsetId) {
    return "(SELECT co.RDB$COLLATION_NAME FROM RDB$COLLATIONS co WHERE co.RDB$COLLATION_ID = " + collationId +
           " AND co.RDB$CHARACTER_SET_ID = " + charsetId + ")";
}

FieldDimensions ReadFieldDimensions(db::DbConnection& connection) {
    FieldDimensions dimensions;
    ForEachCatalogueRow(connection,
               "SELECT RDB$FIELD_NAME, RDB$LOWER_BOUND, RDB$UPPER_BOUND FROM RDB$FIELD_DIMENSIONS "
               "ORDER BY RDB$FIELD_NAME, RDB$DIMENSION",
               [&](db::DbCursorSet& row) {
                   std::string& bounds = dimensions[FieldText(row.Fields(0)).value_or("")];
                   bounds += bounds.empty() ? "[" : ", ";
                   bounds += row.Fields(1).AsString() + ":" + row.Fields(2).AsString();
               });
    for (auto& [field, bounds] : dimensions) bounds += "]";
    return dimensions;
}

void AddFieldType(ItemDefinition& definition, db::DbCursorSet& row, const FieldDimensions& dimensions) {
    db::DbField& typeField = row.FieldByName("FT_TYPE");
    if (typeField.IsNull()) return;
    const int type = typeField.AsInteger();
    const bool exact = type == kSmallint || type == kInteger || type == kBigint || type == kQuad;
    const bool text = type == kChar || type == kVarchar || type == kCstring;
    const bool blob = type == kBlob;
    const std::string subType = IntegerOrZero(row, "FT_SUB_TYPE");
    const bool textBlob = blob && subType == "1";

    definition.Add("type", TypeName(type));
    if (exact || blob) definition.Add("sub type", subType);
    definition.Add("length", FieldText(row.FieldByName("FT_LENGTH")));
    if (exact) definition.Add("precision", IntegerOrZero(row, "FT_PRECISION"));
    if (exact || type == kDouble) definition.Add("scale", IntegerOrZero(row, "FT_SCALE"));
    if (text) definition.Add("character length", FieldText(row.FieldByName("FT_CHAR_LENGTH")));
    if (text || textBlob) definition.Add("character set", FieldText(row.FieldByName("FT_CHARSET")));
    if (blob) definition.Add("segment length", IntegerOrZero(row, "FT_SEGMENT"));
    const auto bounds = dimensions.find(FieldName(row, "FT_NAME"));
    if (bounds != dimensions.end()) definition.Add("dimensions", bounds->second);
}

void AddDomainOrType(ItemDefinition& definition, db::DbCursorSet& row, const FieldDimensions& dimensions) {
    const std::string source = FieldName(row, "SRC");
    if (source.empty() || db::IsEngineMadeName(source))
        AddFieldType(definition, row, dimensions);
    else
        definition.Add("domain", source);
}

std::string ParameterColumns(const std::string& a, const std::string& mechanismColumn) {
    return a + ".RDB$FIELD_SOURCE AS SRC, " + FieldTypeColumns("f") + ", COALESCE(" + a + "." + mechanismColumn +
           ", 0) AS \"type of\", " + a + ".RDB$RELATION_NAME AS \"table\", " + a +
           ".RDB$FIELD_NAME AS \"column\", COALESCE(" + a + ".RDB$NULL_FLAG, 0) AS \"not null\", " + a +
           ".RDB$DEFAULT_SOURCE AS \"default\", " +
           CollationNameSql("COALESCE(" + a + ".RDB$COLLATION_ID, f.RDB$COLLATION_ID)", "f.RDB$CHARACTER_SET_ID") +
           " AS \"collation\", " + a + ".RDB$DESCRIPTION AS \"description\"";
}

}  // namespace dravik::verify
