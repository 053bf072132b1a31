#include "verify/array_slices.h"

#include "db/db_error.h"
#include "db/fb_api.h"

#include <dlfcn.h>

#include <cstring>

namespace dravik::verify {

namespace {

struct ArrayCalls {
    decltype(&::isc_array_lookup_bounds) lookupBounds = nullptr;
    decltype(&::isc_array_get_slice) getSlice = nullptr;
};

// The calls of the library the access layer already loaded (nothing new is
// loaded here: RTLD_NOLOAD only finds a loaded library).
const ArrayCalls& Calls() {
    static const ArrayCalls calls = [] {
        db::Api();
        ArrayCalls found;
        void* library = dlopen(db::kClientLibraryName, RTLD_NOW | RTLD_NOLOAD);
        if (!library) return found;
        found.lookupBounds = reinterpret_cast<decltype(found.lookupBounds)>(dlsym(library, "isc_array_lookup_bounds"));
        found.getSlice = reinterpret_cast<decltype(found.getSlice)>(dlsym(library, "isc_array_get_slice"));
        return found;
    }();
    return calls;
}

}  // namespace

bool ArraySliceReader::Available() { return Calls().lookupBounds && Calls().getSlice; }

ArraySliceReader::ArraySliceReader(db::DbConnection& connection, const std::string& table, const std::string& column)
    : connection_(connection) {
    if (!Available()) throw db::DbClientError("The client library offers no array calls", 0);
    if (table.size() >= sizeof desc_.array_desc_relation_name || column.size() >= sizeof desc_.array_desc_field_name)
        throw db::DbClientError("Array column name too long: " + table + "." + column, 0);
    ISC_STATUS_ARRAY status;
    Calls().lookupBounds(status, connection.Handle(), connection.DefaultTransaction().Handle(), table.c_str(),
                         column.c_str(), &desc_);
    db::CheckStatus(status);
}

const std::string& ArraySliceReader::Read(ISC_QUAD id) {
    size_t elements = 1;
    for (int d = 0; d < desc_.array_desc_dimensions; ++d)
        elements *= static_cast<size_t>(desc_.array_desc_bounds[d].array_bound_upper -
                                        desc_.array_desc_bounds[d].array_bound_lower + 1);
    // A varying element carries its two-byte length before its characters.
    const size_t elementSize = desc_.array_desc_length + (desc_.array_desc_dtype == blr_varying ? 2u : 0u);
    bytes_.assign(elements * elementSize, '\0');
    ISC_LONG length = static_cast<ISC_LONG>(bytes_.size());
    ISC_STATUS_ARRAY status;
    Calls().getSlice(status, connection_.Handle(), connection_.DefaultTransaction().Handle(), &id, &desc_,
                     bytes_.data(), &length);
    db::CheckStatus(status);
    bytes_.resize(static_cast<size_t>(length));
    return bytes_;
}

}  // namespace dravik::verify
