#include "app/engine/settings.h"

#include <algorithm>

namespace dravik::engine {

const std::vector<std::string>& CodePages() {
    static const std::vector<std::string> pages = {
        "ASCII",   "CYRL",        "DOS437",  "DOS850",  "DOS852",  "DOS857",   "DOS861",      "DOS863",
        "DOS865",  "DOS866",      "EUCJ_0208", "ISO8859-1", "NEXT", "NONE",   "OCTETS",      "SJIS_0208",
        "UNICODE_FSS", "WIN1250", "WIN1251", "WIN1252", "WIN1253", "WIN1254"};
    return pages;
}

const std::vector<std::string>& PageSizes() {
    static const std::vector<std::string> sizes = {"512", "1024", "2048", "4096", "8192", "16384"};
    return sizes;
}

std::string DatabaseName(bool remote, const std::string& server, const std::string& path) {
    return remote ? server + ":" + path : path;
}

std::string PageSizeProblem(const std::string& pageSize) {
    const std::vector<std::string>& sizes = PageSizes();
    if (std::find(sizes.begin(), sizes.end(), pageSize) != sizes.end()) return "";
    std::string list;
    for (const std::string& size : sizes) list += (list.empty() ? "" : ", ") + size;
    return "the page size must be one of " + list + ", not '" + pageSize + "'";
}

}  // namespace dravik::engine
