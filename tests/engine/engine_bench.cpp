#include "engine/engine_bench.h"

#include <algorithm>

namespace dravik::test {

std::vector<engine::LogEntry> JobBench::Red() const {
    std::vector<engine::LogEntry> red;
    for (const auto& e : run.entries)
        if (e.textColour == engine::kRed) red.push_back(e);
    return red;
}

bool JobBench::HasLine(const std::string& line) const {
    const auto lines = Lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

int JobBench::CountCaption(const std::string& caption) const {
    return static_cast<int>(std::count_if(run.entries.begin(), run.entries.end(),
                                          [&](const engine::LogEntry& e) { return e.caption == caption; }));
}

void JobBench::DeselectAll() {
    for (frames::TFrame_select* frame : job.Frames()) frame->btn_deselectAllClick();
}

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

std::string DatabaseDigest(const std::string& database, const std::vector<std::string>& tables) {
    std::vector<std::string> queries = {
        "select rdb$relation_name || coalesce(rdb$view_source, '') from rdb$relations order by 1",
        "select rdb$relation_name || '.' || rdb$field_name || '.' || rdb$field_source || '.' || "
        "coalesce(rdb$null_flag, 0) from rdb$relation_fields order by 1",
        "select rdb$procedure_name || coalesce(rdb$procedure_source, '') from rdb$procedures order by 1",
        "select rdb$trigger_name || coalesce(rdb$trigger_source, '') from rdb$triggers order by 1",
        "select rdb$generator_name || gen_id(rdb$generator_name, 0) from rdb$generators "
        "where rdb$system_flag = 0 order by 1",
        "select rdb$role_name from rdb$roles order by 1",
        "select rdb$user || rdb$privilege || coalesce(rdb$relation_name, '') from rdb$user_privileges order by 1",
    };
    for (const std::string& table : tables) queries.push_back("select * from " + table);
    std::string digest;
    for (const std::string& sql : queries)
        for (const std::string& value : Column(database, sql)) digest += value + "\n";
    return digest;
}

std::vector<std::string> UserPrivileges(const std::string& database) {
    auto rows = Column(database,
                       "select trim(rdb$user) || '|' || trim(rdb$grantor) || '|' || rdb$privilege || '|' || "
                       "rdb$grant_option || '|' || trim(rdb$relation_name) || '|' || "
                       "coalesce(trim(rdb$field_name), '') || '|' || rdb$user_type || '|' || rdb$object_type "
                       "from rdb$user_privileges where rdb$grantor is not null "
                       "and rdb$relation_name not starting 'RDB$' and rdb$relation_name not starting 'MON$' "
                       "and rdb$relation_name not starting 'SEC$'");
    std::sort(rows.begin(), rows.end());
    return rows;
}

}  // namespace dravik::test
