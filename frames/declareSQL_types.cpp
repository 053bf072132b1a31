// The one type-declaration builder behind domains, columns, procedure
// parameters and external-function arguments.
#include "frames/declareSQL.h"

#include "db/dialect_migration.h"
#include "db/text_conversion.h"

#include <ibase.h>

#include <algorithm>

namespace dravik::frames {

namespace {

int IntOf(const schema::CatalogueRow& row, const char* name) {
    const schema::CatalogueValue* f = row.FindField(name);
    return f && !f->IsNull() ? f->AsInteger() : 0;
}

std::string TextOf(const schema::CatalogueRow& row, const char* name) {
    const schema::CatalogueValue* f = row.FindField(name);
    return f ? Trim(f->AsString()) : std::string();
}

// Digits a storage type holds when the catalogue has no precision.
int DefaultPrecision(int type) {
    switch (type) {
        case blr_short: return 4;
        case blr_long: return 9;
        case blr_double: return 15;
        default: return 18;
    }
}

std::string Exact(const char* keyword, const FieldType& t) {
    const int precision = t.precision > 0 ? t.precision : DefaultPrecision(t.type);
    return std::string(keyword) + "(" + std::to_string(precision) + "," + std::to_string(-t.scale) + ")";
}

bool IsText(const FieldType& t) { return t.type == blr_text || t.type == blr_varying || t.type == blr_cstring; }

}  // namespace

FieldType ReadFieldType(db::DbCursorSet& row) { return ReadFieldType(schema::CatalogueRow(row)); }

FieldType ReadFieldType(const schema::CatalogueRow& row) {
    FieldType t;
    t.type = IntOf(row, "RDB$FIELD_TYPE");
    t.subType = IntOf(row, "RDB$FIELD_SUB_TYPE");
    t.length = IntOf(row, "RDB$FIELD_LENGTH");
    t.precision = IntOf(row, "RDB$FIELD_PRECISION");
    t.scale = IntOf(row, "RDB$FIELD_SCALE");
    t.segmentLength = IntOf(row, "RDB$SEGMENT_LENGTH");
    t.characterLength = TextOf(row, "RDB$CHARACTER_LENGTH");
    t.charsetId = TextOf(row, "RDB$CHARACTER_SET_ID");
    return t;
}

std::string DeclareType(DbConnection& lookup, const FieldType& t, TypeUse use) {
    std::string d;
    switch (t.type) {
        case blr_short:
        case blr_long:
        case blr_int64:
            if (t.subType == 2)
                d = Exact("DECIMAL", t);
            else if (t.subType == 1 || t.scale < 0)
                d = Exact("NUMERIC", t);
            else
                d = TypeName(t.type);
            break;
        case blr_double:
            // A dialect 1 NUMERIC wider than 9 digits; dialect 3 would store
            // NUMERIC(p,s) as a scaled BIGINT, so a migration keeps the double.
            d = t.scale < 0 && !db::MigratingDialect1() ? Exact("NUMERIC", t) : TypeName(t.type);
            break;
        case blr_text:
        case blr_varying:
        case blr_cstring: {
            const char* keyword = t.type == blr_text ? "CHAR" : t.type == blr_varying ? "VARCHAR" : "CSTRING";
            if (t.type == blr_cstring && use != TypeUse::Argument) return {};
            // Characters when the catalogue has them: the byte length of a
            // multi-byte character set would multiply the declared size.
            std::string n = t.characterLength.empty() ? std::to_string(t.length) : t.characterLength;
            // Converted into a set of wider characters, a length beyond the
            // type's byte limit is cut to the most it holds.
            const db::TextConversion& conversion = db::ActiveTextConversion();
            if (conversion.Active() && conversion.Converts(CharsetName(lookup, t.charsetId)))
                n = std::to_string(std::min(std::atoi(n.c_str()), conversion.MaxCharacters(t.type != blr_text)));
            d = std::string(keyword) + "(" + n + ")";
            break;
        }
        case blr_blob:
            d = "BLOB";
            if (use == TypeUse::Argument) return d;
            d += " SUB_TYPE " + std::to_string(t.subType);
            if (t.segmentLength > 0) d += " SEGMENT SIZE " + std::to_string(t.segmentLength);
            break;
        default: d = TypeName(t.type); break;
    }
    if (d.empty()) return d;
    // An array's bounds follow the element type, before its character set.
    if (!t.dimensions.empty()) d += " " + t.dimensions;
    const bool hasCharset = IsText(t) || (t.type == blr_blob && t.subType == isc_blob_text);
    const db::TextConversion& conversion = db::ActiveTextConversion();
    const bool wanted = use == TypeUse::Argument ? std::atoi(t.charsetId.c_str()) > 0 : !t.charsetId.empty();
    // A converted text is declared in the new set (an argument's NONE too).
    if (hasCharset && (wanted || conversion.Active())) {
        const std::string name = CharsetName(lookup, t.charsetId);
        if (!name.empty() && (wanted || conversion.Converts(name))) d += " CHARACTER SET  " + conversion.Mapped(name);
    }
    return d;
}

}  // namespace dravik::frames
