// The Firebird client library, loaded at run time by name and resolved entry
// point by entry point. Nothing links against it.
#pragma once

#include <ibase.h>

#include <string>

namespace dravik::db {

// Entry points of the InterBase client API used by the access layer.
struct FbApi {
    decltype(&::isc_sqlcode) sqlcode = nullptr;
    // isc_interprete is declared deprecated; its type is spelled out here.
    ISC_LONG (*interprete)(ISC_SCHAR*, ISC_STATUS**) = nullptr;
    decltype(&::fb_interpret) interpret = nullptr;  // bounded variant, when offered
    // Lets a program veto the library's own shutdown on SIGINT/SIGTERM; when offered.
    decltype(&::fb_shutdown_callback) shutdown_callback = nullptr;
    decltype(&::isc_vax_integer) vax_integer = nullptr;
    decltype(&::isc_attach_database) attach_database = nullptr;
    decltype(&::isc_detach_database) detach_database = nullptr;
    decltype(&::isc_database_info) database_info = nullptr;
    decltype(&::isc_drop_database) drop_database = nullptr;
    decltype(&::isc_dsql_execute_immediate) dsql_execute_immediate = nullptr;
    decltype(&::isc_start_multiple) start_multiple = nullptr;
    decltype(&::isc_commit_transaction) commit_transaction = nullptr;
    decltype(&::isc_commit_retaining) commit_retaining = nullptr;
    decltype(&::isc_rollback_transaction) rollback_transaction = nullptr;
    decltype(&::isc_dsql_alloc_statement2) dsql_alloc_statement2 = nullptr;
    decltype(&::isc_dsql_prepare) dsql_prepare = nullptr;
    decltype(&::isc_dsql_describe) dsql_describe = nullptr;
    decltype(&::isc_dsql_describe_bind) dsql_describe_bind = nullptr;
    decltype(&::isc_dsql_sql_info) dsql_sql_info = nullptr;
    decltype(&::isc_dsql_execute) dsql_execute = nullptr;
    decltype(&::isc_dsql_execute2) dsql_execute2 = nullptr;
    decltype(&::isc_dsql_set_cursor_name) dsql_set_cursor_name = nullptr;
    decltype(&::isc_dsql_fetch) dsql_fetch = nullptr;
    decltype(&::isc_dsql_free_statement) dsql_free_statement = nullptr;
    decltype(&::isc_open_blob2) open_blob2 = nullptr;
    decltype(&::isc_create_blob2) create_blob2 = nullptr;
    decltype(&::isc_blob_info) blob_info = nullptr;
    decltype(&::isc_get_segment) get_segment = nullptr;
    decltype(&::isc_put_segment) put_segment = nullptr;
    decltype(&::isc_close_blob) close_blob = nullptr;
    // The array calls; when one is missing, array values are not copied.
    decltype(&::isc_array_lookup_bounds) array_lookup_bounds = nullptr;
    decltype(&::isc_array_get_slice) array_get_slice = nullptr;
    decltype(&::isc_array_put_slice) array_put_slice = nullptr;
    // The group only newer client libraries offer; null on a version 5 client.
    decltype(&::isc_rollback_retaining) rollback_retaining = nullptr;
    decltype(&::isc_decode_sql_date) decode_sql_date = nullptr;
    decltype(&::isc_decode_sql_time) decode_sql_time = nullptr;
    decltype(&::isc_decode_timestamp) decode_timestamp = nullptr;
    decltype(&::isc_encode_sql_date) encode_sql_date = nullptr;
    decltype(&::isc_encode_sql_time) encode_sql_time = nullptr;
    decltype(&::isc_encode_timestamp) encode_timestamp = nullptr;

    bool IsVersion6() const { return rollback_retaining != nullptr; }

    // Raises "... is an InterBase6 function ..." when the entry point is missing.
    static void RequireVersion6(const void* entry, const char* name);
};

// The file name the loader asks the system for.
inline constexpr const char* kClientLibraryName = "libfbclient.so.2";

// The process-wide client library, loaded on first use. Raises DbClientError
// when the library or one of its required entry points cannot be found.
const FbApi& Api();

// Loads a library by file name into a fresh table; used by Api() and by tests
// that check the failure message for a missing library.
FbApi LoadClientLibrary(const std::string& fileName);

}  // namespace dravik::db
