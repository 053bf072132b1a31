#include "db/db_cursor_set.h"

#include "db/code_page_text.h"
#include "db/db_error.h"
#include "db/packed_select.h"
#include "db/sql_text.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <set>

namespace dravik::db {

namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

// Bytes of one row held in the output descriptor: values then indicators.
std::vector<char> SnapshotRow(SqlDescriptor& d) {
    std::vector<char> row;
    for (int i = 0; i < d.Count(); ++i) {
        const XSQLVAR& v = d.Var(i);
        const size_t size = ValueSize(v);
        row.insert(row.end(), v.sqldata, v.sqldata + size);
        const short ind = v.sqlind ? *v.sqlind : 0;
        row.insert(row.end(), reinterpret_cast<const char*>(&ind), reinterpret_cast<const char*>(&ind) + sizeof ind);
    }
    return row;
}

void RestoreRow(SqlDescriptor& d, const std::vector<char>& row) {
    size_t at = 0;
    for (int i = 0; i < d.Count(); ++i) {
        XSQLVAR& v = d.Var(i);
        const size_t size = ValueSize(v);
        std::memcpy(v.sqldata, row.data() + at, size);
        at += size;
        if (v.sqlind) std::memcpy(v.sqlind, row.data() + at, sizeof(short));
        at += sizeof(short);
    }
}

}  // namespace

std::vector<std::string> UniqueFieldNames(const std::vector<std::string>& described) {
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (const std::string& d : described) taken.insert(d);
    std::set<std::string> used;
    for (const std::string& d : described) {
        std::string base = d.empty() ? "F_" : d;
        std::string name = d;
        if (d.empty() || used.count(d)) {
            for (int n = 1;; ++n) {
                const std::string suffix = std::to_string(n);
                std::string candidate = base.substr(0, std::min(base.size(), 31 - suffix.size())) + suffix;
                if (!used.count(candidate) && !taken.count(candidate)) {
                    name = candidate;
                    break;
                }
            }
        }
        used.insert(name);
        names.push_back(name);
    }
    return names;
}

DbCursorSet::DbCursorSet(DbConnection& connection)
    : connection_(connection), transaction_(connection.DefaultTransaction()) {
    transaction_.Register(this);
}

DbCursorSet::~DbCursorSet() {
    try {
        Close();
    } catch (...) {
        // Freeing never raises: a failed commit of the auto-transaction is dropped here.
    }
    transaction_.Unregister(this);
}

void DbCursorSet::OpenText(const std::string& text, bool run) {
    if (open_) return;
    if (!connection_.Connected()) connection_.Connect();
    if (!transaction_.InTransaction()) {
        transaction_.StartTransaction();
        startedTransaction_ = true;
    }
    try {
        if (text.empty()) throw DbClientError::Format(DbClientError::kEmptyQuery);
        const bool withParams = !params_.empty();
        if (!keepPrepared_ || !statement_.Prepared() || openedText_ != text || preparedWithParams_ != withParams) {
            statement_.Prepare(connection_, transaction_, text, withParams);
            preparedWithParams_ = withParams;
        }
        BindParams();
        if (run) statement_.Execute(transaction_, withParams ? statement_.Input().Get() : nullptr);
        openedText_ = text;
        packStride_ = 0;
        BuildFields();
        open_ = true;
        recordCount_ = 0;
        cachedRows_.clear();
        cachedAt_ = 0;
        allFetched_ = false;
        eof_ = true;
        if (!run) allFetched_ = true;
        else if (statement_.IsSelect()) FetchRow();
    } catch (...) {
        open_ = true;  // let Close apply the transaction rule
        try {
            Close();
        } catch (...) {
        }
        throw;
    }
}

void DbCursorSet::BindParams() {
    if (params_.empty()) return;
    SqlDescriptor& in = statement_.Input();
    if (in.Count() != static_cast<int>(params_.size()))
        throw DbClientError::Format(DbClientError::kParameterCount, std::to_string(in.Count()));
    for (size_t i = 0; i < params_.size(); ++i) BindText(in.Var(static_cast<int>(i)), params_[i]);
}

void DbCursorSet::BuildFields() {
    fields_.clear();
    std::vector<std::string> described;
    SqlDescriptor& out = statement_.Output();
    const std::string codePage = Connection().CodePage();
    for (int i = 0; i < out.Count(); ++i) {
        const XSQLVAR& v = out.Var(i);
        // Kept in UTF-8, as the statements that name the column are.
        described.push_back(FromCodePage(std::string(v.aliasname, static_cast<size_t>(v.aliasname_length)), codePage));
    }
    const std::vector<std::string> names = UniqueFieldNames(described);
    for (int i = 0; i < out.Count(); ++i)
        fields_.push_back(std::make_unique<DbField>(*this, i, names[static_cast<size_t>(i)]));
}

bool DbCursorSet::ReadPacked(const std::string& quotedTable, std::int64_t leastRows, int rowsPerFetch) {
    const auto isBlob = [](const XSQLVAR& var) { return (var.sqltype & ~1) == SQL_BLOB; };
    int blobs = 0;
    for (int i = 0; i < FieldCount(); ++i) blobs += isBlob(OutputVar(i)) ? 1 : 0;
    const int inlineBytes = InlineBlobBytes(blobs);
    std::vector<std::int64_t> widths;
    bool anyArray = false;
    for (int i = 0; i < FieldCount(); ++i) {
        const XSQLVAR& var = OutputVar(i);
        widths.push_back(static_cast<std::int64_t>(ValueSize(var)) + (isBlob(var) ? inlineBytes + 2 : 0));
        anyArray = anyArray || (var.sqltype & ~1) == SQL_ARRAY;
    }
    const int slots = RowsPerFetch(widths, anyArray, rowsPerFetch);
    if (slots < 2 || (leastRows > 0 && !HoldsAtLeast(connection_, quotedTable, leastRows))) return false;
    std::vector<PackedColumn> columns;
    std::vector<int> inlineOf;
    int inlined = 0;
    for (int i = 0; i < FieldCount(); ++i) {
        const bool blob = isBlob(OutputVar(i));
        columns.push_back({QuoteIdentifier(Fields(i).FieldName(), connection_.SQLDialect()), blob ? inlineBytes : 0});
        inlineOf.push_back(blob ? inlined++ : -1);
    }
    const PackedSelect packed = PackedSelectText(quotedTable, columns, slots);
    return packed.slots > 1 && PackRows(packed.text, std::move(inlineOf));
}

bool DbCursorSet::PackRows(const std::string& blockText, std::vector<int> inlineOf) {
    if (!open_ || !statement_.IsSelect() || FieldCount() == 0 || allFetched_) return false;
    const int stride = FieldCount() + static_cast<int>(std::count_if(inlineOf.begin(), inlineOf.end(),
                                                                     [](int at) { return at >= 0; }));
    statement_.Drop();
    recordCount_ = 0;
    try {
        statement_.Prepare(connection_, transaction_, blockText, false);
        const int count = statement_.Output().Count();
        if (count > 1 && (count - 1) % stride == 0) {
            statement_.Execute(transaction_);
            inlineOf_ = std::move(inlineOf);
            packStride_ = stride;
            slot_ = slotsFilled_ = 0;
            FetchRow();
            return true;
        }
        statement_.Drop();
    } catch (const DbError&) {
        // A fetch that fails is the rows' failure, not the block's.
        if (packStride_) throw;
        statement_.Drop();
    }
    statement_.Prepare(connection_, transaction_, openedText_, false);
    statement_.Execute(transaction_);
    FetchRow();
    return false;
}

void DbCursorSet::FetchRow() {
    if (packStride_) {
        if (slot_ + 1 < slotsFilled_) {
            ++slot_;
            ++recordCount_;
            return;
        }
        slot_ = 0;
        eof_ = !statement_.CursorOpen() || !statement_.Fetch();
        if (eof_) return;
        const XSQLVAR& count = statement_.Output().Var(0);
        std::int16_t filled = 0;
        std::memcpy(&filled, count.sqldata, sizeof filled);
        slotsFilled_ = filled;
        eof_ = filled <= 0;
        if (!eof_) ++recordCount_;
        return;
    }
    if (cachedAt_ < cachedRows_.size()) {
        RestoreRow(statement_.Output(), cachedRows_[cachedAt_++]);
        eof_ = false;
        return;
    }
    if (allFetched_ || !statement_.CursorOpen()) {
        eof_ = true;
        return;
    }
    eof_ = !statement_.Fetch();
    if (!eof_) ++recordCount_;
}

void DbCursorSet::Next() {
    if (!open_ || eof_) return;
    FetchRow();
}

void DbCursorSet::FetchAll() {
    if (!open_ || eof_ || allFetched_ || packStride_) return;
    SqlDescriptor& out = statement_.Output();
    std::vector<std::vector<char>> rows;
    const std::vector<char> current = SnapshotRow(out);
    while (statement_.Fetch()) {
        rows.push_back(SnapshotRow(out));
        ++recordCount_;
    }
    RestoreRow(out, current);
    cachedRows_ = std::move(rows);
    cachedAt_ = 0;
    allFetched_ = true;
}

DbField* DbCursorSet::FindField(const std::string& name) {
    // The exact name first: quoted column names may differ only in case.
    for (auto& f : fields_)
        if (f->FieldName() == name) return f.get();
    const std::string wanted = Upper(name);
    for (auto& f : fields_)
        if (Upper(f->FieldName()) == wanted) return f.get();
    return nullptr;
}

DbField& DbCursorSet::FieldByName(const std::string& name) {
    if (DbField* f = FindField(name)) return *f;
    throw DbClientError::Format(DbClientError::kFieldNotFound, name);
}

void DbCursorSet::SwapPending(int, DbValue&) {
    throw DbClientError::Format(DbClientError::kNotATable);
}

void DbCursorSet::AssignPending(int, const DbValue&) {
    throw DbClientError::Format(DbClientError::kNotATable);
}

void DbCursorSet::Close() {
    if (!open_) return;
    open_ = false;
    eof_ = true;
    OnClose();
    if (keepPrepared_ && !packStride_)
        statement_.CloseCursor();
    else
        statement_.Drop();
    cachedRows_.clear();
    cachedAt_ = 0;
    packStride_ = 0;
    if (startedTransaction_) {
        startedTransaction_ = false;
        if (!transaction_.Ending() && !transaction_.OtherOpen(this) && transaction_.InTransaction())
            transaction_.Commit();
    }
}

}  // namespace dravik::db

