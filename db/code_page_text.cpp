#include "db/code_page_text.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

namespace dravik::db {

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// iconv's name of a Firebird character set, or "" when none is needed or known.
std::string IconvName(const std::string& name) {
    const std::string codePage = Upper(name);
    const auto number = [&](size_t prefix) { return codePage.substr(prefix); };
    if (codePage.rfind("WIN", 0) == 0) return "CP" + number(3);
    if (codePage.rfind("DOS", 0) == 0) return "CP" + number(3);
    if (codePage.rfind("ISO8859", 0) == 0 && codePage.size() > 8) return "ISO-8859-" + number(8);
    if (codePage == "KOI8R") return "KOI8-R";
    if (codePage == "KOI8U") return "KOI8-U";
    if (codePage == "SJIS_0208") return "SHIFT_JIS";
    if (codePage == "EUCJ_0208") return "EUC-JP";
    if (codePage == "BIG_5") return "BIG5";
    if (codePage == "GB_2312") return "GB2312";
    if (codePage == "KSC_5601") return "EUC-KR";
    if (codePage == "GBK" || codePage == "GB18030" || codePage == "TIS620") return codePage;
    return "";  // NONE, OCTETS, ASCII, UTF8, UNICODE_FSS, and sets iconv lacks
}

bool Ascii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// False when iconv does not know a name or the text is not valid in `from`.
bool Converted(const std::string& text, const std::string& from, const std::string& to, std::string& out) {
    const iconv_t converter = iconv_open(to.c_str(), from.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    out.assign(text.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* at = out.data();
    size_t outLeft = out.size();
    const size_t done = iconv(converter, &in, &inLeft, &at, &outLeft);
    iconv_close(converter);
    if (done == static_cast<size_t>(-1) || inLeft != 0) return false;
    out.resize(out.size() - outLeft);
    return true;
}

std::string Convert(const std::string& text, const std::string& from, const std::string& to) {
    std::string out;
    return Converted(text, from, to, out) ? out : text;
}

}  // namespace

std::string ToCodePage(const std::string& utf8, const std::string& codePage) {
    if (Ascii(utf8)) return utf8;
    const std::string name = IconvName(codePage);
    return name.empty() ? utf8 : Convert(utf8, "UTF-8", name);
}

std::string FromCodePage(const std::string& text, const std::string& codePage) {
    if (Ascii(text)) return text;
    const std::string name = IconvName(codePage);
    return name.empty() ? text : Convert(text, name, "UTF-8");
}

bool FromCodePageChecked(const std::string& text, const std::string& codePage, std::string& utf8) {
    std::string name = IconvName(codePage);
    if (name.empty()) {
        // UTF-8 itself (and its old name): checked, not converted.
        const std::string upper = Upper(codePage);
        if (upper != "UTF8" && upper != "UTF-8" && upper != "UNICODE_FSS") return false;
        name = "UTF-8";
    }
    if (Ascii(text)) {
        utf8 = text;
        return true;
    }
    return Converted(text, name, "UTF-8", utf8);
}

}  // namespace dravik::db
