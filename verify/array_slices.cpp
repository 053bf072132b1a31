#include "verify/array_slices.h"

#include "db/array_slices.h"

namespace dravik::verify {

bool ArraySliceReader::Available() { return db::ArrayReadAvailable(); }

ArraySliceReader::ArraySliceReader(db::DbConnection& connection, const std::string& table, const std::string& column)
    : connection_(connection),
      desc_(db::LookupArrayBounds(connection, connection.DefaultTransaction(), table, column)) {}

const std::string& ArraySliceReader::Read(ISC_QUAD id) {
    db::ReadArraySlice(connection_, connection_.DefaultTransaction(), desc_, id, bytes_);
    return bytes_;
}

}  // namespace dravik::verify
