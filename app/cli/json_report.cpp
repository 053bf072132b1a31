#include "app/cli/json_report.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#ifndef DRAVIK_VERSION
#define DRAVIK_VERSION "unknown"
#endif

namespace dravik::cli {

namespace {

using json = nlohmann::ordered_json;

// UTC, ISO 8601; null when the moment is unknown.
json Moment(std::time_t t) {
    if (t == 0) return nullptr;
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

json Database(bool remote, const std::string& server, const std::string& path, const std::string& user) {
    return {{"database", engine::DatabaseName(remote, server, path)}, {"user", user}};
}

json Choice(const ObjectChoice& choice) {
    if (choice.all) return "all";
    json names = json::array();
    for (const std::string& name : choice.names) names.push_back(name);
    return names;
}

json Options(const CliOptions& o) {
    const engine::JobSettings& s = o.settings;
    return {{"charset", s.srcCodePage},
            {"dstCharset", s.dstCodePage},
            {"defaultCharset", s.defaultCharset.empty() ? json(nullptr) : json(s.defaultCharset)},
            {"convertText", s.convertText},
            {"noneAs", s.noneAs.empty() ? json(nullptr) : json(s.noneAs)},
            {"pageSize", s.pageSize},
            {"replace", s.dstReplace},
            {"roles", s.createRoles},
            {"grants", s.grant},
            {"generatorValues", s.useGeneratorValues},
            {"stopOnError", !s.ignoreErrors},
            {"commitEvery", s.CommitInterval()},
            {"verify", s.verify},
            {"udfs", Choice(o.udfs)},
            {"domains", Choice(o.domains)},
            {"generators", Choice(o.generators)},
            {"exceptions", Choice(o.exceptions)},
            {"procedures", Choice(o.procedures)},
            {"functions", Choice(o.functions)},
            {"packages", Choice(o.packages)},
            {"dbTriggers", Choice(o.dbTriggers)},
            {"tables", Choice(o.tables)},
            {"views", Choice(o.views)},
            {"data", Choice(o.data)}};
}

// Per kind: how many objects were created and which failed, with their red lines.
json Objects(const std::vector<engine::ObjectResult>& objects) {
    json kinds = json::object();
    for (const engine::ObjectResult& object : objects) {
        json& kind = kinds[object.kind];
        if (kind.is_null()) kind = {{"created", 0}, {"failed", 0}, {"failures", json::array()}};
        if (object.errors.empty()) {
            kind["created"] = kind["created"].get<int>() + 1;
            continue;
        }
        kind["failed"] = kind["failed"].get<int>() + 1;
        json messages = json::array();
        for (const std::string& error : object.errors) messages.push_back(error);
        kind["failures"].push_back({{"name", object.name}, {"messages", messages}});
    }
    return kinds;
}

json Tables(const std::vector<frames::TableCopyResult>& tables) {
    json list = json::array();
    for (const frames::TableCopyResult& t : tables)
        list.push_back({{"name", t.table},
                        {"rowsCopied", t.copied},
                        {"rowsRefused", t.refused},
                        {"firstRefusal", t.firstRefusal.empty() ? json(nullptr) : json(t.firstRefusal)},
                        {"complete", t.complete},
                        {"seconds", t.seconds}});
    return list;
}

json Verification(const verify::Comparison& comparison) {
    json differences = json::array();
    for (const std::string& line : verify::DescribeDifferences(comparison, "source", "destination"))
        differences.push_back(line);
    json tables = json::array();
    for (const verify::TableRowsComparison& t : comparison.tables)
        tables.push_back({{"name", t.table}, {"sourceRows", t.a.rows}, {"destinationRows", t.b.rows},
                          {"equal", t.Equal()}});
    return {{"done", true}, {"equal", differences.empty()}, {"differences", differences}, {"tables", tables}};
}

}  // namespace

std::string ReportText(const CliOptions& options, const RunRecord& record) {
    const engine::JobSettings& s = options.settings;
    json report = {{"program", "dravik-clone"},
                   {"version", DRAVIK_VERSION},
                   {"command", record.command},
                   {"source", Database(s.srcRemote, s.srcServer, s.srcPath, s.srcUser)},
                   {"options", Options(options)},
                   {"started", Moment(record.started)},
                   {"finished", Moment(record.finished)},
                   {"outcome", record.outcome},
                   {"exitStatus", record.exitStatus}};
    if (record.command != "list")
        report["destination"] = Database(s.dstRemote, s.dstServer, s.dstPath, s.dstUser);
    if (!record.message.empty()) report["message"] = record.message;
    if (const std::optional<engine::JobReport>& job = record.job) {
        json errors = json::array();
        for (const std::string& line : job->errors) errors.push_back(line);
        report["errorLines"] = errors;
        report["objects"] = Objects(job->objects);
        report["tables"] = Tables(job->tables);
        if (job->verification)
            report["verification"] = Verification(*job->verification);
        else if (!job->verificationError.empty())
            report["verification"] = {{"done", false}, {"error", job->verificationError}};
        else
            report["verification"] = {{"done", false}};
    }
    if (record.comparison) report["verification"] = Verification(*record.comparison);
    if (!record.offered.empty()) {
        json pages = json::object();
        for (const auto& [title, names] : record.offered) {
            json list = json::array();
            for (const std::string& name : names) list.push_back(name);
            pages[title] = list;
        }
        report["offered"] = pages;
    }
    // Names and messages come from the catalogue and the server in whatever
    // bytes they hold: bytes that are not UTF-8 become U+FFFD, so the report
    // is always valid JSON.
    return report.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

bool WriteReport(const CliOptions& options, const RunRecord& record, std::string& error) {
    const std::string text = ReportText(options, record);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(options.reportFile.c_str(), "w"), &std::fclose);
    const auto failed = [&] {
        error = "cannot write the report '" + options.reportFile + "': " + std::strerror(errno);
        return false;
    };
    if (!file) return failed();
    if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size() || std::fflush(file.get()) != 0)
        return failed();
    if (std::fclose(file.release()) != 0) return failed();
    return true;
}

}  // namespace dravik::cli
