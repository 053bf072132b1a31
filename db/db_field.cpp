#include "db/db_field.h"

#include "db/array_slices.h"
#include "db/db_cursor_set.h"
#include "db/db_error.h"

#include <charconv>
#include <cstring>

namespace dravik::db {

namespace {

// An exact number of the given storage width, with its scale.
template <typename Stored>
void ReadInteger(const char* data, short scale, DbValue& out) {
    Stored x;
    std::memcpy(&x, data, sizeof x);
    out.kind = DbValueKind::Integer;
    out.integer = x;
    out.scale = scale;
}

}  // namespace

const XSQLVAR& DbField::Var() const { return owner_->FieldVar(index_); }

int DbField::SqlType() const { return Var().sqltype & ~1; }
int DbField::Scale() const { return Var().sqlscale; }
int DbField::SubType() const { return Var().sqlsubtype; }
int DbField::Length() const { return Var().sqllen; }

namespace {

bool NullVar(const XSQLVAR& v) { return (v.sqltype & 1) && v.sqlind && *v.sqlind == -1; }

}  // namespace

bool DbField::IsNull() const {
    const XSQLVAR* inlined = owner_->InlineVar(index_);
    return NullVar(Var()) && (!inlined || NullVar(*inlined));
}

bool DbField::ReadInline(DbValue& out) const {
    const XSQLVAR* inlined = owner_->InlineVar(index_);
    if (!inlined || NullVar(*inlined)) return false;
    std::uint16_t length = 0;
    std::memcpy(&length, inlined->sqldata, sizeof length);
    const XSQLVAR& blob = Var();
    out.kind = DbValueKind::Blob;
    out.bytes.assign(inlined->sqldata + 2, length);
    out.subType = blob.sqlsubtype;
    out.charset = blob.sqlsubtype == 1 ? blob.sqlscale : 0;
    return true;
}

void DbField::ReadInto(DbValue& out) const {
    const XSQLVAR& v = Var();
    const int type = v.sqltype & ~1;
    out.sourceType = type;
    out.scale = 0;
    if (IsNull()) {
        out.kind = DbValueKind::Null;
        return;
    }
    const char* data = v.sqldata;
    switch (type) {
        case SQL_SHORT: return ReadInteger<int16_t>(data, v.sqlscale, out);
        case SQL_LONG: return ReadInteger<int32_t>(data, v.sqlscale, out);
        case SQL_INT64: return ReadInteger<int64_t>(data, v.sqlscale, out);
        case SQL_FLOAT: {
            float x;
            std::memcpy(&x, data, sizeof x);
            out.kind = DbValueKind::Float;
            out.real = x;
            return;
        }
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            double x;
            std::memcpy(&x, data, sizeof x);
            out.kind = DbValueKind::Double;
            out.real = x;
            if (v.sqlscale < 0) {  // dialect 1 NUMERIC stored as double
                out.scale = v.sqlscale;
            }
            return;
        }
        case SQL_BOOLEAN:
            out.kind = DbValueKind::Boolean;
            out.boolean = *data != 0;
            return;
        case SQL_TYPE_DATE:
            out.kind = DbValueKind::Date;
            std::memcpy(&out.date, data, sizeof out.date);
            return;
        case SQL_TYPE_TIME:
            out.kind = DbValueKind::Time;
            std::memcpy(&out.time, data, sizeof out.time);
            return;
        case SQL_TIMESTAMP: {
            ISC_TIMESTAMP ts;
            std::memcpy(&ts, data, sizeof ts);
            out.kind = DbValueKind::Timestamp;
            out.date = ts.timestamp_date;
            out.time = ts.timestamp_time;
            return;
        }
        case SQL_TEXT:
            out.kind = DbValueKind::Text;
            out.bytes.assign(data, static_cast<size_t>(v.sqllen));
            out.charset = v.sqlsubtype & 0xFF;
            return;
        case SQL_VARYING: {
            uint16_t length;
            std::memcpy(&length, data, sizeof length);
            out.kind = DbValueKind::Text;
            out.bytes.assign(data + 2, length);
            out.charset = v.sqlsubtype & 0xFF;
            return;
        }
        case SQL_BLOB: {
            if (ReadInline(out)) return;
            ISC_QUAD id;
            std::memcpy(&id, data, sizeof id);
            out.kind = DbValueKind::Blob;
            out.bytes = ReadBlob(owner_->Connection(), owner_->Transaction(), id);
            out.subType = v.sqlsubtype;
            out.charset = v.sqlsubtype == 1 ? v.sqlscale : 0;
            return;
        }
        case SQL_ARRAY: return ReadArray(v, out);
        default:
            throw DbClientError::Format(DbClientError::kUnsupportedType, name_);
    }
}

// The whole array through the slice calls; without them an array column is
// a type the copy does not support.
void DbField::ReadArray(const XSQLVAR& v, DbValue& out) const {
    if (!ArrayReadAvailable()) throw DbClientError::Format(DbClientError::kUnsupportedType, name_);
    if (!array_)
        array_ = std::make_shared<const ISC_ARRAY_DESC>(
            LookupArrayBounds(owner_->Connection(), owner_->Transaction(), std::string(v.relname, v.relname_length),
                              std::string(v.sqlname, v.sqlname_length)));
    ISC_QUAD id;
    std::memcpy(&id, v.sqldata, sizeof id);
    ReadArraySlice(owner_->Connection(), owner_->Transaction(), *array_, id, out.bytes);
    out.kind = DbValueKind::Array;
    out.array = array_;
}

DbValue DbField::AsVariant() const {
    DbValue value;
    ReadInto(value);
    return value;
}

std::string DbField::AsString() const { return ToText(AsVariant()); }

int64_t DbField::AsInt64() const {
    const DbValue value = AsVariant();
    switch (value.kind) {
        case DbValueKind::Null: return 0;
        case DbValueKind::Integer: {
            int64_t x = value.integer;
            for (int s = value.scale; s < 0; ++s) x /= 10;
            for (int s = value.scale; s > 0; --s) x *= 10;
            return x;
        }
        case DbValueKind::Boolean: return value.boolean ? 1 : 0;
        case DbValueKind::Float:
        case DbValueKind::Double: return static_cast<int64_t>(value.real);
        default: break;
    }
    std::string text = ToText(value);
    size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    int64_t x = 0;
    auto result = std::from_chars(text.data() + b, text.data() + e, x);
    if (b == e || result.ec != std::errc() || result.ptr != text.data() + e)
        throw DbClientError::Format(DbClientError::kNotInteger, text);
    return x;
}

int DbField::AsInteger() const {
    const int64_t x = AsInt64();
    if (x < INT32_MIN || x > INT32_MAX) throw DbClientError::Format(DbClientError::kNotInteger, std::to_string(x));
    return static_cast<int>(x);
}

void DbField::SetValue(const DbValue& value) { owner_->AssignPending(index_, value); }
void DbField::SwapValue(DbValue& value) { owner_->SwapPending(index_, value); }

// ----------------------------------------------------------------------- blobs

std::string ReadBlob(DbConnection& connection, DbTransaction& transaction, ISC_QUAD id) {
    const FbApi& api = Api();
    ISC_STATUS_ARRAY status;
    isc_blob_handle blob = 0;
    api.open_blob2(status, connection.Handle(), transaction.Handle(), &blob, &id, 0, nullptr);
    CheckStatus(status);
    std::string bytes;
    const char items[] = {isc_info_blob_total_length};
    char info[32] = {};
    if (!api.blob_info(status, &blob, sizeof items, items, sizeof info, info) && info[0] == isc_info_blob_total_length) {
        const short length = static_cast<short>(api.vax_integer(info + 1, 2));
        bytes.reserve(static_cast<size_t>(api.vax_integer(info + 3, length)));
    }
    char segment[32768];
    for (;;) {
        unsigned short got = 0;
        const ISC_STATUS rc = api.get_segment(status, &blob, &got, sizeof segment, segment);
        if (rc != 0 && rc != isc_segment) {
            if (rc == isc_segstr_eof) break;
            ISC_STATUS_ARRAY ignored;
            api.close_blob(ignored, &blob);
            ThrowStatus(status);
        }
        bytes.append(segment, got);
    }
    api.close_blob(status, &blob);
    CheckStatus(status);
    return bytes;
}

ISC_QUAD WriteBlob(DbConnection& connection, DbTransaction& transaction, const std::string& bytes) {
    const FbApi& api = Api();
    ISC_STATUS_ARRAY status;
    isc_blob_handle blob = 0;
    ISC_QUAD id{};
    api.create_blob2(status, connection.Handle(), transaction.Handle(), &blob, &id, 0, nullptr);
    CheckStatus(status);
    for (size_t at = 0; at < bytes.size();) {
        const size_t piece = std::min<size_t>(32768, bytes.size() - at);
        api.put_segment(status, &blob, static_cast<unsigned short>(piece), bytes.data() + at);
        if (Failed(status)) {
            try {
                ThrowStatus(status);
            } catch (...) {
                ISC_STATUS_ARRAY ignored;
                api.close_blob(ignored, &blob);
                throw;
            }
        }
        at += piece;
    }
    api.close_blob(status, &blob);
    CheckStatus(status);
    return id;
}

}  // namespace dravik::db
