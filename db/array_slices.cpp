#include "db/array_slices.h"

#include "db/db_error.h"
#include "db/fb_api.h"

namespace dravik::db {

bool ArrayReadAvailable() { return Api().array_lookup_bounds && Api().array_get_slice; }

bool ArrayWriteAvailable() { return ArrayReadAvailable() && Api().array_put_slice; }

ISC_ARRAY_DESC LookupArrayBounds(DbConnection& connection, DbTransaction& transaction, const std::string& table,
                                 const std::string& column) {
    if (!ArrayReadAvailable()) throw DbClientError::Format(DbClientError::kUnsupportedType, column);
    ISC_ARRAY_DESC desc{};
    if (table.size() >= sizeof desc.array_desc_relation_name || column.size() >= sizeof desc.array_desc_field_name)
        throw DbClientError::Format(DbClientError::kUnsupportedType, table + "." + column);
    ISC_STATUS_ARRAY status;
    Api().array_lookup_bounds(status, connection.Handle(), transaction.Handle(), table.c_str(), column.c_str(),
                              &desc);
    CheckStatus(status);
    return desc;
}

size_t ArrayByteSize(const ISC_ARRAY_DESC& desc) {
    size_t elements = 1;
    for (int d = 0; d < desc.array_desc_dimensions; ++d)
        elements *= static_cast<size_t>(desc.array_desc_bounds[d].array_bound_upper -
                                        desc.array_desc_bounds[d].array_bound_lower + 1);
    return elements * (desc.array_desc_length + (desc.array_desc_dtype == blr_varying ? 2u : 0u));
}

void ReadArraySlice(DbConnection& connection, DbTransaction& transaction, const ISC_ARRAY_DESC& desc, ISC_QUAD id,
                    std::string& bytes) {
    bytes.assign(ArrayByteSize(desc), '\0');
    ISC_LONG length = static_cast<ISC_LONG>(bytes.size());
    ISC_STATUS_ARRAY status;
    Api().array_get_slice(status, connection.Handle(), transaction.Handle(), &id, &desc, bytes.data(), &length);
    CheckStatus(status);
    bytes.resize(static_cast<size_t>(length));
}

ISC_QUAD WriteArraySlice(DbConnection& connection, DbTransaction& transaction, const ISC_ARRAY_DESC& desc,
                         const std::string& bytes) {
    if (!ArrayWriteAvailable())
        throw DbClientError::Format(DbClientError::kUnsupportedType, desc.array_desc_field_name);
    ISC_QUAD id{};  // a null id: the call stores a new array
    ISC_LONG length = static_cast<ISC_LONG>(bytes.size());
    ISC_STATUS_ARRAY status;
    // The call takes a writable buffer but only reads it.
    Api().array_put_slice(status, connection.Handle(), transaction.Handle(), &id, &desc,
                          const_cast<char*>(bytes.data()), &length);
    CheckStatus(status);
    return id;
}

bool SameArrayShape(const ISC_ARRAY_DESC& a, const ISC_ARRAY_DESC& b) {
    if (a.array_desc_dtype != b.array_desc_dtype || a.array_desc_length != b.array_desc_length ||
        a.array_desc_scale != b.array_desc_scale || a.array_desc_dimensions != b.array_desc_dimensions)
        return false;
    for (int d = 0; d < a.array_desc_dimensions; ++d)
        if (a.array_desc_bounds[d].array_bound_lower != b.array_desc_bounds[d].array_bound_lower ||
            a.array_desc_bounds[d].array_bound_upper != b.array_desc_bounds[d].array_bound_upper)
            return false;
    return true;
}

std::string ArrayShapeText(const ISC_ARRAY_DESC& desc) {
    std::string text;
    switch (desc.array_desc_dtype) {
        case blr_short: text = "SMALLINT"; break;
        case blr_long: text = "INTEGER"; break;
        case blr_int64: text = "BIGINT"; break;
        case blr_float: text = "FLOAT"; break;
        case blr_double: text = "DOUBLE PRECISION"; break;
        case blr_sql_date: text = "DATE"; break;
        case blr_sql_time: text = "TIME"; break;
        case blr_timestamp: text = "TIMESTAMP"; break;
        case blr_bool: text = "BOOLEAN"; break;
        case blr_text: text = "CHAR(" + std::to_string(desc.array_desc_length) + ")"; break;
        case blr_varying: text = "VARCHAR(" + std::to_string(desc.array_desc_length) + ")"; break;
        default: text = "type " + std::to_string(desc.array_desc_dtype); break;
    }
    if (desc.array_desc_scale != 0) text += " scale " + std::to_string(desc.array_desc_scale);
    text += "[";
    for (int d = 0; d < desc.array_desc_dimensions; ++d) {
        if (d) text += ", ";
        text += std::to_string(desc.array_desc_bounds[d].array_bound_lower) + ":" +
                std::to_string(desc.array_desc_bounds[d].array_bound_upper);
    }
    return text + "]";
}

}  // namespace dravik::db
