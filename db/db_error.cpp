#include "db/db_error.h"

#include "db/fb_api.h"

namespace dravik::db {

namespace {

// The codes of a status vector that no statement or value can cause.
constexpr ISC_STATUS kEnvironmentCodes[] = {
    isc_io_error,         isc_io_create_err,  isc_io_open_err,    isc_io_close_err, isc_io_read_err,
    isc_io_write_err,     isc_io_access_err,  isc_network_error,  isc_net_read_err, isc_net_write_err,
    isc_net_connect_err,  isc_lost_db_connection, isc_conn_lost,  isc_shutdown,     isc_att_shutdown,
    isc_shutinprog,       isc_bug_check,      isc_virmemexh,      isc_lock_conflict, isc_deadlock,
    isc_lock_timeout,     isc_update_conflict, isc_db_corrupt,    isc_bad_db_handle, isc_bad_trans_handle,
    isc_sys_request,      isc_imp_exc,        isc_unavailable,
};

bool HasEnvironmentCode(const ISC_STATUS* status) {
    // A status vector: pairs of an argument type and its value, up to isc_arg_end.
    for (const ISC_STATUS* item = status; *item != isc_arg_end;) {
        const ISC_STATUS type = item[0];
        if (type == isc_arg_gds)
            for (ISC_STATUS code : kEnvironmentCodes)
                if (item[1] == code) return true;
        item += type == isc_arg_cstring ? 3 : 2;
    }
    return false;
}

}  // namespace

void ThrowStatus(const ISC_STATUS* status, const std::string& statement) {
    const FbApi& api = Api();
    std::string text;
    char buffer[1024];
    const ISC_STATUS* cursor = status;
    for (;;) {
        ISC_LONG length = api.interpret ? api.interpret(buffer, sizeof buffer, &cursor)
                                        : api.interprete(buffer, const_cast<ISC_STATUS**>(&cursor));
        if (length <= 0) break;
        if (!text.empty() && text.back() != '\n') text += "\r\n";
        text.append(buffer, static_cast<size_t>(length));
    }
    if (!text.empty() && text.back() == '.') text.pop_back();
    const int sqlCode = static_cast<int>(api.sqlcode(status));
    const int code = static_cast<int>(status[1]);
    if (HasEnvironmentCode(status)) throw DbEnvironmentError(text, sqlCode, code, statement);
    throw DbServerError(text, sqlCode, code, statement);
}

const char* DbClientError::Text(Number number) {
    switch (number) {
        case kLibraryMissing:
            return "InterBase library %s not found in the path. Please install InterBase to use this functionality";
        case kDatabaseOpen: return "Cannot perform operation -- DB is currently open";
        case kDatabaseClosed: return "Cannot perform operation -- DB is not open";
        case kDatabaseNameMissing: return "Database name is missing";
        case kTransactionNotActive: return "Transaction is not active";
        case kTransactionActive: return "Transaction is active";
        case kDialectInvalid: return "SQL Dialect Invalid";
        case kEmptyQuery: return "Empty query";
        case kCancelled: return "Operation cancelled at user's request";
        case kNotVersion6:
            return "%s is an InterBase6 function. Please upgrade to InterBase6 to use this functonality";
        case kFieldNotFound: return "Field '%s' not found";
        case kNotInteger: return "'%s' is not a valid integer value";
        case kFieldMustHaveValue: return "Field '%s' must have a value";
        case kUnsupportedType: return "Column '%s' has a type the copy does not support";
        case kEntryPointMissing: return "%s";  // the loader's own message
        case kNoPendingRow: return "No row is pending: call Insert first";
        case kNotATable: return "Values can only be assigned to a pending table row";
        case kUnknownParameter: return "Unknown database parameter '%s'";
        case kParameterNotFlag: return "Database parameter '%s' takes 0 or 1";
        case kParameterTooLong: return "Database parameter '%s' is too long";
        case kArrayShapeDiffers: return "Array column %s in the destination";  // name and both shapes
        case kParameterCount: return "The statement takes %s parameters";
        case kParameterNotNumber: return "Database parameter '%s' takes a whole number";
    }
    return "";
}

DbClientError DbClientError::Format(Number number, const std::string& argument) {
    std::string text = Text(number);
    if (auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, argument);
    return DbClientError(text, number);
}

void CheckStatus(const ISC_STATUS* status, const std::string& statement) {
    if (Failed(status)) ThrowStatus(status, statement);
}

}  // namespace dravik::db
