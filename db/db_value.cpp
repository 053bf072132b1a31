#include "db/db_value.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace dravik::db {

DbValue DbValue::Int(int64_t v, int scale) {
    DbValue r;
    r.kind = DbValueKind::Integer;
    r.integer = v;
    r.scale = scale;
    return r;
}

DbValue DbValue::Bool(bool v) {
    DbValue r;
    r.kind = DbValueKind::Boolean;
    r.boolean = v;
    return r;
}

DbValue DbValue::Dbl(double v) {
    DbValue r;
    r.kind = DbValueKind::Double;
    r.real = v;
    return r;
}

DbValue DbValue::Str(std::string v, int charset) {
    DbValue r;
    r.kind = DbValueKind::Text;
    r.bytes = std::move(v);
    r.charset = charset;
    return r;
}

DbValue DbValue::BlobBytes(std::string v, int subType, int charset) {
    DbValue r;
    r.kind = DbValueKind::Blob;
    r.bytes = std::move(v);
    r.subType = subType;
    r.charset = charset;
    return r;
}

DbValue DbValue::FromDate(ISC_DATE d) {
    DbValue r;
    r.kind = DbValueKind::Date;
    r.date = d;
    return r;
}

DbValue DbValue::FromTime(ISC_TIME t) {
    DbValue r;
    r.kind = DbValueKind::Time;
    r.time = t;
    return r;
}

DbValue DbValue::FromTimestamp(ISC_DATE d, ISC_TIME t) {
    DbValue r;
    r.kind = DbValueKind::Timestamp;
    r.date = d;
    r.time = t;
    return r;
}

bool DbValue::operator==(const DbValue& o) const {
    if (kind != o.kind) return false;
    switch (kind) {
        case DbValueKind::Null: return true;
        case DbValueKind::Boolean: return boolean == o.boolean;
        case DbValueKind::Integer: return integer == o.integer && scale == o.scale;
        case DbValueKind::Float:
        case DbValueKind::Double: return real == o.real;
        case DbValueKind::Date: return date == o.date;
        case DbValueKind::Time: return time == o.time;
        case DbValueKind::Timestamp: return date == o.date && time == o.time;
        case DbValueKind::Text: return bytes == o.bytes;
        case DbValueKind::Blob: return bytes == o.bytes && subType == o.subType;
        case DbValueKind::Array: return bytes == o.bytes;
    }
    return false;
}

// Days from 1858-11-17 (the server's day 0), by the proleptic Gregorian calendar.
ISC_DATE EncodeDate(int year, int month, int day) {
    const int a = (14 - month) / 12;
    const int y = year + 4800 - a;
    const int m = month + 12 * a - 3;
    const long jdn = day + (153 * m + 2) / 5 + 365L * y + y / 4 - y / 100 + y / 400 - 32045;
    return static_cast<ISC_DATE>(jdn - 2400001);
}

void DecodeDate(ISC_DATE date, int& year, int& month, int& day) {
    const long jdn = static_cast<long>(date) + 2400001;
    const long a = jdn + 32044;
    const long b = (4 * a + 3) / 146097;
    const long c = a - 146097 * b / 4;
    const long d = (4 * c + 3) / 1461;
    const long e = c - 1461 * d / 4;
    const long m = (5 * e + 2) / 153;
    day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
    month = static_cast<int>(m + 3 - 12 * (m / 10));
    year = static_cast<int>(100 * b + d - 4800 + m / 10);
}

std::string ScaledToText(int64_t integer, int scale) {
    if (scale >= 0) {
        std::string text = std::to_string(integer);
        if (integer != 0) text.append(static_cast<size_t>(scale), '0');
        return text;
    }
    const bool negative = integer < 0;
    // Work on the magnitude as unsigned so that INT64_MIN is handled too.
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(integer) : static_cast<uint64_t>(integer);
    std::string digits = std::to_string(magnitude);
    const size_t places = static_cast<size_t>(-scale);
    if (digits.size() <= places) digits.insert(0, places - digits.size() + 1, '0');
    digits.insert(digits.size() - places, 1, '.');
    return negative ? "-" + digits : digits;
}

namespace {

std::string DateText(ISC_DATE date) {
    int y, m, d;
    DecodeDate(date, y, m, d);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", y, m, d);
    return buffer;
}

std::string TimeText(ISC_TIME time) {
    const unsigned fraction = time % 10000;
    unsigned seconds = time / 10000;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02u:%02u:%02u.%04u", seconds / 3600, (seconds / 60) % 60, seconds % 60,
                  fraction);
    return buffer;
}

std::string RealText(double v) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string ToText(const DbValue& v) {
    switch (v.kind) {
        case DbValueKind::Null: return {};
        case DbValueKind::Boolean: return v.boolean ? "TRUE" : "FALSE";
        case DbValueKind::Integer: return ScaledToText(v.integer, v.scale);
        case DbValueKind::Float:
        case DbValueKind::Double: return RealText(v.real);
        case DbValueKind::Date: return DateText(v.date);
        case DbValueKind::Time: return TimeText(v.time);
        case DbValueKind::Timestamp: return DateText(v.date) + " " + TimeText(v.time);
        case DbValueKind::Text:
        case DbValueKind::Blob: return v.bytes;
        case DbValueKind::Array: return {};  // raw elements have no text form
    }
    return {};
}

}  // namespace dravik::db
