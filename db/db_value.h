// A typed value of one column, as read from a row or written into a pending
// row. It carries every kind the server stores without loss: integers with
// their scale, floating point, dates and times in the server's own encoding,
// texts and blobs as the exact bytes, and the character set or blob sub-type.
#pragma once

#include <ibase.h>

#include <cstdint>
#include <memory>
#include <string>

namespace dravik::db {

enum class DbValueKind { Null, Boolean, Integer, Float, Double, Date, Time, Timestamp, Text, Blob, Array };

struct DbValue {
    DbValueKind kind = DbValueKind::Null;
    // Integer: the stored integer; the number is integer * 10^scale (scale <= 0).
    int64_t integer = 0;
    int scale = 0;
    // Float and Double.
    double real = 0;
    bool boolean = false;
    // Date, Time and Timestamp, encoded as the server stores them
    // (days since 17 November 1858, and ten-thousandths of a second).
    ISC_DATE date = 0;
    ISC_TIME time = 0;
    // Text and Blob: the bytes as stored; Text also keeps its character set
    // id, Blob its sub-type and (for text blobs) its character set id.
    std::string bytes;
    int charset = 0;
    int subType = 0;
    // Array: bytes hold every element as the slice calls give them, and this
    // the element type and bounds of the column they were read from.
    std::shared_ptr<const ISC_ARRAY_DESC> array;
    // The server type the value was read from (SQL_SHORT, SQL_LONG, ...);
    // 0 for values made by hand.
    int sourceType = 0;

    bool IsNull() const { return kind == DbValueKind::Null; }

    static DbValue Null() { return {}; }
    static DbValue Int(int64_t v, int scale = 0);
    static DbValue Bool(bool v);
    static DbValue Dbl(double v);
    static DbValue Str(std::string v, int charset = 0);
    static DbValue BlobBytes(std::string v, int subType = 0, int charset = 0);
    static DbValue FromDate(ISC_DATE d);
    static DbValue FromTime(ISC_TIME t);
    static DbValue FromTimestamp(ISC_DATE d, ISC_TIME t);

    bool operator==(const DbValue& other) const;
};

// Text forms used by AsString: plain decimal numbers, "YYYY-MM-DD",
// "HH:MM:SS.ffff", "YYYY-MM-DD HH:MM:SS.ffff", "TRUE"/"FALSE", the bytes of
// texts and blobs, the empty text for NULL and arrays.
std::string ToText(const DbValue& value);

// Decimal text of integer * 10^scale, e.g. (1234, -2) -> "12.34".
std::string ScaledToText(int64_t integer, int scale);

// Calendar conversions of the server's date encoding.
ISC_DATE EncodeDate(int year, int month, int day);
void DecodeDate(ISC_DATE date, int& year, int& month, int& day);

}  // namespace dravik::db
