#include "db/db_table.h"

#include "db/array_slices.h"
#include "db/db_error.h"
#include "db/db_query.h"
#include "db/packed_select.h"
#include "db/sql_text.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace dravik::db {

namespace {

constexpr short kCharsetNone = 0;
constexpr short kCharsetOctets = 1;

}  // namespace

std::string DbTable::QuotedName() const { return QuoteIdentifier(tableName_, Connection().SQLDialect()); }

void DbTable::Open() { OpenColumns(false); }
void DbTable::Describe() { OpenColumns(false, false); }

void DbTable::OpenColumns(bool storedOnly, bool readRows) {
    if (IsOpen()) return;
    const std::string q = QuotedName();
    std::vector<CatalogueColumn> columns = ReadColumns();
    // A computed column is evaluated for every row fetched: one that fails on
    // a row would end a reading that never needed its value.
    std::string select = q + ".*";
    if (storedOnly && std::any_of(columns.begin(), columns.end(), [](const auto& c) { return c.computed; })) {
        std::erase_if(columns, [](const CatalogueColumn& c) { return c.computed; });
        select.clear();
        for (const CatalogueColumn& c : columns)
            select += (select.empty() ? "" : ", ") + q + "." + QuoteIdentifier(c.name, Connection().SQLDialect());
    }
    OpenText("select " + select + " from " + q, readRows);
    for (int i = 0; i < FieldCount() && i < static_cast<int>(columns.size()); ++i) {
        const CatalogueColumn& column = columns[static_cast<size_t>(i)];
        DbField& f = Fields(i);
        f.computed = column.computed;
        f.hasDefault = column.hasDefault;
        f.domainNotNull = column.domainNotNull;
    }
    pending_.assign(static_cast<size_t>(FieldCount()), DbValue{});
}

void DbTable::OpenPacked(std::int64_t leastRows) {
    OpenColumns(true);
    try {
        ReadPacked(QuotedName(), leastRows);
    } catch (...) {
        Close();
        throw;
    }
}

std::vector<DbTable::CatalogueColumn> DbTable::ReadColumns() {
    // The name as the catalogue stores it: exact in dialect 3; in dialect 1,
    // where it is written bare, as the engine reads a bare name.
    const std::string stored =
        Connection().SQLDialect() < 2 ? UpperCase(Trim(tableName_)) : TrimRight(tableName_);
    KeptQuery catalogue(Connection(),
                        "select rf.RDB$FIELD_NAME, "
                        "case when f.RDB$COMPUTED_BLR is null then 0 else 1 end, "
                        "case when f.RDB$DEFAULT_VALUE is null then 0 else 1 end, "
                        "coalesce(f.RDB$NULL_FLAG, 0) "
                        "from RDB$RELATION_FIELDS rf join RDB$FIELDS f on f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
                        "where rf.RDB$RELATION_NAME = ? order by rf.RDB$FIELD_POSITION",
                        {stored});
    std::vector<CatalogueColumn> columns;
    for (catalogue->Open(); !catalogue->Eof(); catalogue->Next())
        columns.push_back({catalogue->Fields(0).AsString(), catalogue->Fields(1).AsInteger() != 0,
                           catalogue->Fields(2).AsInteger() != 0, catalogue->Fields(3).AsInteger() == 1});
    return columns;
}

void DbTable::OnClose() {
    insert_.reset();
    slots_.clear();
    inserting_ = false;
    batches_.clear();
    batchCapacity_ = 0;
    queued_ = 0;
}

void DbTable::Insert() {
    if (!IsOpen()) throw DbClientError::Format(DbClientError::kDatabaseClosed);
    for (DbValue& v : pending_) v.kind = DbValueKind::Null;
    inserting_ = true;
}

void DbTable::SwapPending(int index, DbValue& value) {
    if (!inserting_) throw DbClientError::Format(DbClientError::kNoPendingRow);
    std::swap(pending_.at(static_cast<size_t>(index)), value);
}

void DbTable::AssignPending(int index, const DbValue& value) {
    if (!inserting_) throw DbClientError::Format(DbClientError::kNoPendingRow);
    pending_.at(static_cast<size_t>(index)) = value;
}

void DbTable::PrepareInsert() {
    const int dialect = Connection().SQLDialect();
    std::string columns, params;
    std::vector<int> order;
    for (int i = 0; i < FieldCount(); ++i) {
        if (Fields(i).computed) continue;
        if (!order.empty()) {
            columns += ", ";
            params += ", ";
        }
        columns += QuoteIdentifier(Fields(i).FieldName(), dialect);
        params += "?";
        order.push_back(i);
    }
    auto insert = std::make_unique<DsqlStatement>();
    insert->Prepare(Connection(), Transaction(),
                    "insert into " + QuotedName() + " (" + columns + ") values (" + params + ")", true);
    SqlDescriptor& in = insert->Input();
    slots_.clear();
    for (int p = 0; p < in.Count() && p < static_cast<int>(order.size()); ++p) {
        XSQLVAR& v = in.Var(p);
        slots_.push_back({order[static_cast<size_t>(p)], static_cast<short>(v.sqltype & ~1), v.sqlsubtype, v.sqlscale,
                          v.sqllen, v.sqldata});
    }
    textScratch_.assign(slots_.size(), {});
    arrays_.assign(slots_.size(), nullptr);
    insert_ = std::move(insert);
}

void DbTable::Bind(XSQLVAR& var, const ParamSlot& slot, ISC_SCHAR* ownData, const DbValue& value) {
    var.sqldata = ownData;
    var.sqlsubtype = slot.subType;
    var.sqlscale = slot.scale;
    var.sqllen = slot.length;
    if (slot.type == SQL_BLOB && BindInlineBlob(var, slot, value)) return;
    if (value.IsNull()) {
        var.sqltype = static_cast<short>(slot.type | 1);
        *var.sqlind = -1;
        return;
    }
    *var.sqlind = 0;
    auto sendText = [&](const std::string& bytes, short charset) {
        if (bytes.size() > 32767)
            throw DbClientError::Format(DbClientError::kUnsupportedType, Fields(slot.column).FieldName());
        var.sqltype = SQL_TEXT | 1;
        var.sqldata = const_cast<ISC_SCHAR*>(bytes.data());
        var.sqllen = static_cast<short>(bytes.size());
        var.sqlsubtype = charset;
        var.sqlscale = 0;
    };
    const bool textTarget = slot.type == SQL_TEXT || slot.type == SQL_VARYING;
    if (slot.type == SQL_ARRAY || value.kind == DbValueKind::Array) return BindArray(var, slot, value);
    if (slot.type == SQL_BLOB) {
        const std::string* bytes = &value.bytes;
        std::string& scratch = textScratch_[static_cast<size_t>(&slot - slots_.data())];
        if (value.kind != DbValueKind::Blob && value.kind != DbValueKind::Text) {
            scratch = ToText(value);
            bytes = &scratch;
        }
        const ISC_QUAD id = WriteBlob(Connection(), Transaction(), *bytes);
        var.sqltype = SQL_BLOB | 1;
        std::memcpy(var.sqldata, &id, sizeof id);
        return;
    }
    switch (value.kind) {
        case DbValueKind::Null: break;
        case DbValueKind::Boolean:
            var.sqltype = SQL_BOOLEAN | 1;
            var.sqllen = 1;
            *var.sqldata = value.boolean ? 1 : 0;
            return;
        case DbValueKind::Integer:
            var.sqltype = SQL_INT64 | 1;
            var.sqllen = 8;
            var.sqlscale = static_cast<short>(value.scale);
            std::memcpy(var.sqldata, &value.integer, 8);
            return;
        case DbValueKind::Float: {
            const float f = static_cast<float>(value.real);
            var.sqltype = SQL_FLOAT | 1;
            var.sqllen = 4;
            var.sqlscale = 0;
            std::memcpy(var.sqldata, &f, 4);
            return;
        }
        case DbValueKind::Double:
            var.sqltype = SQL_DOUBLE | 1;
            var.sqllen = 8;
            var.sqlscale = static_cast<short>(value.scale);
            std::memcpy(var.sqldata, &value.real, 8);
            return;
        case DbValueKind::Date:
            var.sqltype = SQL_TYPE_DATE | 1;
            var.sqllen = 4;
            var.sqlscale = 0;
            std::memcpy(var.sqldata, &value.date, 4);
            return;
        case DbValueKind::Time:
            var.sqltype = SQL_TYPE_TIME | 1;
            var.sqllen = 4;
            var.sqlscale = 0;
            std::memcpy(var.sqldata, &value.time, 4);
            return;
        case DbValueKind::Timestamp: {
            ISC_TIMESTAMP ts{value.date, value.time};
            var.sqltype = SQL_TIMESTAMP | 1;
            var.sqllen = 8;
            var.sqlscale = 0;
            std::memcpy(var.sqldata, &ts, 8);
            return;
        }
        case DbValueKind::Text:
        case DbValueKind::Blob:
            sendText(value.bytes, textTarget ? slot.subType : static_cast<short>(value.charset));
            return;
        case DbValueKind::Array: break;  // bound above
    }
}

void DbTable::StartBinding(int rows) {
    int blobColumns = 0;
    for (const ParamSlot& slot : slots_) blobColumns += slot.type == SQL_BLOB ? 1 : 0;
    inlineBlobWidth_ = 0;
    if (blobColumns == 0) return;
    const size_t width = std::min(kMostInlineBlobBytes, kInlineBlobBytes / static_cast<size_t>(rows * blobColumns));
    if (width < kLeastInlineBlobBytes) return;
    inlineBlobWidth_ = width;
    inlineArea_.resize(static_cast<size_t>(rows * blobColumns) * (width + 2));
    inlineUsed_ = 0;
}

// Short blobs go inline, as VARCHAR in the blob's character set (a binary
// one as OCTETS), and the server makes the blob from the text: that saves
// three blob calls per value, each a round trip through a server. A NULL
// goes the same way, so the message keeps one shape from row to row; a
// blob longer than the inline width goes through the blob calls.
bool DbTable::BindInlineBlob(XSQLVAR& var, const ParamSlot& slot, const DbValue& value) {
    if (inlineBlobWidth_ == 0) return false;
    const bool textTarget = slot.subType == isc_blob_text;
    if (!value.IsNull()) {
        if (value.kind != DbValueKind::Blob && value.kind != DbValueKind::Text) return false;
        if (value.bytes.size() > inlineBlobWidth_) return false;
        // Text goes in its own character set only: no transliteration, and
        // nothing checked that the blob calls would let pass.
        const bool sourceText = value.kind == DbValueKind::Text || value.subType == isc_blob_text;
        if (textTarget && slot.scale != kCharsetNone && slot.scale != kCharsetOctets &&
            (!sourceText || value.charset != slot.scale))
            return false;
    }
    if (inlineUsed_ + inlineBlobWidth_ + 2 > inlineArea_.size()) return false;
    char* at = inlineArea_.data() + inlineUsed_;
    inlineUsed_ += inlineBlobWidth_ + 2;
    const auto length = static_cast<std::uint16_t>(value.IsNull() ? 0 : value.bytes.size());
    std::memcpy(at, &length, sizeof length);
    if (length) std::memcpy(at + 2, value.bytes.data(), length);
    var.sqltype = SQL_VARYING | 1;
    var.sqldata = at;
    var.sqllen = static_cast<short>(inlineBlobWidth_);
    var.sqlsubtype = textTarget ? slot.scale : kCharsetOctets;
    var.sqlscale = 0;
    *var.sqlind = value.IsNull() ? -1 : 0;
    return true;
}

// An array goes in as a whole: stored with the slice calls in this table's
// transaction, and the new array id is the parameter. The elements are the
// source's bytes as they are, so both columns must have one shape.
void DbTable::BindArray(XSQLVAR& var, const ParamSlot& slot, const DbValue& value) {
    const std::string& column = Fields(slot.column).FieldName();
    if (slot.type != SQL_ARRAY || value.kind != DbValueKind::Array || !value.array || !ArrayWriteAvailable())
        throw DbClientError::Format(DbClientError::kUnsupportedType, column);
    auto& shape = arrays_[static_cast<size_t>(&slot - slots_.data())];
    if (!shape) {
        const XSQLVAR& described = OutputVar(slot.column);
        shape = std::make_shared<const ISC_ARRAY_DESC>(
            LookupArrayBounds(Connection(), Transaction(), std::string(described.relname, described.relname_length),
                              std::string(described.sqlname, described.sqlname_length)));
    }
    if (!SameArrayShape(*value.array, *shape))
        throw DbClientError::Format(DbClientError::kArrayShapeDiffers,
                                    "'" + column + "' is " + ArrayShapeText(*value.array) + " in the source, " +
                                        ArrayShapeText(*shape));
    const ISC_QUAD id = WriteArraySlice(Connection(), Transaction(), *shape, value.bytes);
    var.sqltype = SQL_ARRAY | 1;
    var.sqllen = sizeof id;
    std::memcpy(var.sqldata, &id, sizeof id);
}

void DbTable::CheckRequired(const std::vector<DbValue>& row) const {
    for (int i = 0; i < FieldCount(); ++i) {
        const DbField& f = const_cast<DbTable*>(this)->Fields(i);
        if (!f.computed && !f.hasDefault && f.domainNotNull && row[static_cast<size_t>(i)].IsNull())
            throw DbClientError::Format(DbClientError::kFieldMustHaveValue, f.FieldName());
    }
}

void DbTable::InsertRow(const std::vector<DbValue>& row) {
    if (!insert_) PrepareInsert();
    SqlDescriptor& in = insert_->Input();
    StartBinding(1);
    for (size_t p = 0; p < slots_.size(); ++p)
        Bind(in.Var(static_cast<int>(p)), slots_[p], slots_[p].ownData, row[static_cast<size_t>(slots_[p].column)]);
    insert_->Execute(Transaction(), in.Get());
}

void DbTable::Post() {
    if (!inserting_) throw DbClientError::Format(DbClientError::kNoPendingRow);
    inserting_ = false;
    CheckRequired(pending_);
    InsertRow(pending_);
}

// ------------------------------------------------------------ batched inserts

namespace {

constexpr int kMaxBatchRows = 64;
constexpr size_t kMaxBatchBytes = 32000;   // parameter buffer of one batch
constexpr int kMaxBatchParameters = 1200;
constexpr size_t kMaxBatchText = 60000;    // statement text of one batch

}  // namespace

int DbTable::BatchCapacity() {
    if (batchCapacity_ > 0) return batchCapacity_;
    if (!insert_) PrepareInsert();
    batchCapacity_ = 1;
    const int columns = static_cast<int>(slots_.size());
    if (columns == 0) return batchCapacity_;
    // PSQL takes no array variables ("TYPE OF COLUMN of array type" is not
    // supported), so an EXECUTE BLOCK cannot pass array ids: such a table's
    // rows go one by one.
    for (const ParamSlot& slot : slots_)
        if (slot.type == SQL_ARRAY) return batchCapacity_;
    size_t rowBytes = 0;
    for (int p = 0; p < columns; ++p) rowBytes += ValueSize(insert_->Input().Var(p)) + 8;
    int rows = static_cast<int>(std::min<size_t>(kMaxBatchRows, kMaxBatchBytes / std::max<size_t>(rowBytes, 1)));
    rows = std::min(rows, kMaxBatchParameters / columns);
    while (rows > 1 && BatchText(rows).size() > kMaxBatchText) rows /= 2;
    if (rows > 1 && !BatchFor(rows)) rows = 1;  // the server refuses such a block: send rows one by one
    batchCapacity_ = std::max(rows, 1);
    return batchCapacity_;
}

std::string DbTable::BatchText(int rows) const {
    const int dialect = Connection().SQLDialect();
    const std::string table = QuotedName();
    std::string columns, declarations, inserts;
    for (size_t p = 0; p < slots_.size(); ++p) {
        if (p) columns += ", ";
        columns += QuoteIdentifier(const_cast<DbTable*>(this)->Fields(slots_[p].column).FieldName(), dialect);
    }
    for (int r = 0; r < rows; ++r) {
        std::string values;
        for (size_t p = 0; p < slots_.size(); ++p) {
            // Appended piece by piece: GCC 12 at -O3 misreads "P" + std::string&&
            // as an overlapping copy (-Wrestrict).
            std::string name = "P";
            name += std::to_string(r);
            name += '_';
            name += std::to_string(p);
            if (!declarations.empty()) declarations += ", ";
            declarations += name + " TYPE OF COLUMN " + table + "." +
                            QuoteIdentifier(const_cast<DbTable*>(this)->Fields(slots_[p].column).FieldName(), dialect) +
                            " = ?";
            values += p ? ", :" : ":";
            values += name;
        }
        inserts += "insert into " + table + " (" + columns + ") values (" + values + ");\n";
    }
    return "execute block (" + declarations + ") as begin\n" + inserts + "end";
}

DbTable::Batch* DbTable::BatchFor(int rows) {
    if (batches_.size() <= static_cast<size_t>(rows)) batches_.resize(static_cast<size_t>(rows) + 1);
    auto& batch = batches_[static_cast<size_t>(rows)];
    if (batch) return batch.get();
    auto made = std::make_unique<Batch>();
    made->statement = std::make_unique<DsqlStatement>();
    try {
        made->statement->Prepare(Connection(), Transaction(), BatchText(rows), true);
    } catch (const DbError&) {
        return nullptr;
    }
    SqlDescriptor& in = made->statement->Input();
    if (in.Count() != rows * static_cast<int>(slots_.size())) return nullptr;
    for (int i = 0; i < in.Count(); ++i) made->ownData.push_back(in.Var(i).sqldata);
    batch = std::move(made);
    return batch.get();
}

void DbTable::Queue() {
    if (!inserting_) throw DbClientError::Format(DbClientError::kNoPendingRow);
    inserting_ = false;
    CheckRequired(pending_);
    if (queue_.size() <= static_cast<size_t>(queued_)) queue_.emplace_back(pending_.size());
    // The row moves into the queue without a copy; the pending row takes the
    // storage of a row already sent, and Insert() clears it for the next one.
    std::swap(queue_[static_cast<size_t>(queued_)], pending_);
    ++queued_;
}

std::vector<DbTable::RowFailure> DbTable::FlushQueue(bool stopAtFirst) {
    std::vector<RowFailure> failures;
    const int rows = queued_;
    queued_ = 0;
    if (rows == 0) return failures;
    if (rows > 1) {
        if (Batch* batch = BatchFor(rows)) {
            SqlDescriptor& in = batch->statement->Input();
            const size_t width = slots_.size();
            try {
                StartBinding(rows);
                for (int r = 0; r < rows; ++r)
                    for (size_t p = 0; p < width; ++p) {
                        const size_t i = static_cast<size_t>(r) * width + p;
                        Bind(in.Var(static_cast<int>(i)), slots_[p], batch->ownData[i],
                             queue_[static_cast<size_t>(r)][static_cast<size_t>(slots_[p].column)]);
                    }
                batch->statement->Execute(Transaction(), in.Get());
                return failures;
            } catch (const DbEnvironmentError&) {
                throw;  // no row is to blame
            } catch (const DbError&) {
                // Undone whole by the server: find the failing rows one by one.
            }
        }
    }
    for (int r = 0; r < rows; ++r) {
        try {
            InsertRow(queue_[static_cast<size_t>(r)]);
        } catch (const DbEnvironmentError&) {
            throw;
        } catch (const DbError& e) {
            failures.push_back({r, e.what()});
            if (stopAtFirst) break;
        }
    }
    return failures;
}

}  // namespace dravik::db
