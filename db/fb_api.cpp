#include "db/fb_api.h"

#include "db/db_error.h"

#include <dlfcn.h>

#include <mutex>

namespace dravik::db {

namespace {

template <typename Fn>
void Resolve(void* lib, Fn& slot, const char* name, bool required) {
    dlerror();
    void* sym = dlsym(lib, name);
    if (!sym && required) {
        const char* why = dlerror();
        throw DbClientError::Format(DbClientError::kEntryPointMissing,
                                    why ? why : (std::string("undefined symbol: ") + name));
    }
    slot = reinterpret_cast<Fn>(sym);
}

}  // namespace

void FbApi::RequireVersion6(const void* entry, const char* name) {
    if (!entry) throw DbClientError::Format(DbClientError::kNotVersion6, name);
}

FbApi LoadClientLibrary(const std::string& fileName) {
    void* lib = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) throw DbClientError::Format(DbClientError::kLibraryMissing, fileName.c_str());
    FbApi api;
#define DRAVIK_RESOLVE(field, symbol) Resolve(lib, api.field, #symbol, true)
    DRAVIK_RESOLVE(sqlcode, isc_sqlcode);
    DRAVIK_RESOLVE(interprete, isc_interprete);
    DRAVIK_RESOLVE(vax_integer, isc_vax_integer);
    DRAVIK_RESOLVE(attach_database, isc_attach_database);
    DRAVIK_RESOLVE(detach_database, isc_detach_database);
    DRAVIK_RESOLVE(database_info, isc_database_info);
    DRAVIK_RESOLVE(drop_database, isc_drop_database);
    DRAVIK_RESOLVE(dsql_execute_immediate, isc_dsql_execute_immediate);
    DRAVIK_RESOLVE(start_multiple, isc_start_multiple);
    DRAVIK_RESOLVE(commit_transaction, isc_commit_transaction);
    DRAVIK_RESOLVE(commit_retaining, isc_commit_retaining);
    DRAVIK_RESOLVE(rollback_transaction, isc_rollback_transaction);
    DRAVIK_RESOLVE(dsql_alloc_statement2, isc_dsql_alloc_statement2);
    DRAVIK_RESOLVE(dsql_prepare, isc_dsql_prepare);
    DRAVIK_RESOLVE(dsql_describe, isc_dsql_describe);
    DRAVIK_RESOLVE(dsql_describe_bind, isc_dsql_describe_bind);
    DRAVIK_RESOLVE(dsql_sql_info, isc_dsql_sql_info);
    DRAVIK_RESOLVE(dsql_execute, isc_dsql_execute);
    DRAVIK_RESOLVE(dsql_execute2, isc_dsql_execute2);
    DRAVIK_RESOLVE(dsql_set_cursor_name, isc_dsql_set_cursor_name);
    DRAVIK_RESOLVE(dsql_fetch, isc_dsql_fetch);
    DRAVIK_RESOLVE(dsql_free_statement, isc_dsql_free_statement);
    DRAVIK_RESOLVE(open_blob2, isc_open_blob2);
    DRAVIK_RESOLVE(create_blob2, isc_create_blob2);
    DRAVIK_RESOLVE(blob_info, isc_blob_info);
    DRAVIK_RESOLVE(get_segment, isc_get_segment);
    DRAVIK_RESOLVE(put_segment, isc_put_segment);
    DRAVIK_RESOLVE(close_blob, isc_close_blob);
#undef DRAVIK_RESOLVE
    Resolve(lib, api.interpret, "fb_interpret", false);
    Resolve(lib, api.shutdown_callback, "fb_shutdown_callback", false);
    Resolve(lib, api.array_lookup_bounds, "isc_array_lookup_bounds", false);
    Resolve(lib, api.array_get_slice, "isc_array_get_slice", false);
    Resolve(lib, api.array_put_slice, "isc_array_put_slice", false);
    // The newer group is looked up only when the client offers isc_rollback_retaining.
    Resolve(lib, api.rollback_retaining, "isc_rollback_retaining", false);
    if (api.rollback_retaining) {
        Resolve(lib, api.decode_sql_date, "isc_decode_sql_date", true);
        Resolve(lib, api.decode_sql_time, "isc_decode_sql_time", true);
        Resolve(lib, api.decode_timestamp, "isc_decode_timestamp", true);
        Resolve(lib, api.encode_sql_date, "isc_encode_sql_date", true);
        Resolve(lib, api.encode_sql_time, "isc_encode_sql_time", true);
        Resolve(lib, api.encode_timestamp, "isc_encode_timestamp", true);
    }
    return api;  // the library stays loaded for the life of the process
}

const FbApi& Api() {
    static std::once_flag once;
    static FbApi api;
    static std::string failure;
    std::call_once(once, [] {
        try {
            api = LoadClientLibrary(kClientLibraryName);
        } catch (const DbClientError& e) {
            failure = e.what();
        }
    });
    if (!failure.empty()) throw DbClientError(failure, DbClientError::kLibraryMissing);
    return api;
}

}  // namespace dravik::db
