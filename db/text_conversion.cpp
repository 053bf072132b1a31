#include "db/text_conversion.h"

#include "db/code_page_text.h"
#include "db/sql_text.h"

#include <cctype>
#include <utility>
#include <vector>

namespace dravik::db {

namespace {

thread_local TextConversion activeConversion;

bool IsWordCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '$'; }

// A word of the code: where it starts and ends, and its upper-case text.
struct Word {
    size_t begin, end;
    std::string upper;
};

std::vector<Word> CodeWords(const std::string& code) {
    std::vector<Word> words;
    for (size_t i = 0; i < code.size();) {
        if (!IsWordCharacter(code[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < code.size() && IsWordCharacter(code[end])) ++end;
        words.push_back({i, end, UpperCase(code.substr(i, end - i))});
        i = end;
    }
    return words;
}

}  // namespace

bool TextConversion::Converts(const std::string& charsetName) const {
    const std::string name = UpperCase(Trim(charsetName));
    if (!Active() || name.empty() || name == newSet || name == "OCTETS" || name == "BINARY") return false;
    return name != "NONE" || !noneAs.empty();
}

std::string TextConversion::RewriteDeclarations(const std::string& text) const {
    const std::vector<Word> words = CodeWords(CodeOnly(text));
    // Replacements from the end, so earlier positions stay valid.
    std::vector<std::pair<Word, std::string>> edits;
    for (size_t w = 0; w < words.size(); ++w) {
        const bool charset = words[w].upper == "SET" && w > 0 && words[w - 1].upper == "CHARACTER";
        if (charset && w + 1 < words.size() && Converts(words[w + 1].upper))
            edits.push_back({words[w + 1], newSet});
        if (words[w].upper == "COLLATE" && w + 1 < words.size() && convertedCollations.count(words[w + 1].upper))
            edits.push_back({Word{words[w].begin, words[w + 1].end, {}}, ""});
    }
    std::string out = text;
    for (auto e = edits.rbegin(); e != edits.rend(); ++e)
        out.replace(e->first.begin, e->first.end - e->first.begin, e->second);
    return out;
}

bool TextConversion::ConvertValue(DbValue& value) const {
    const bool text = value.kind == DbValueKind::Text;
    const bool textBlob = value.kind == DbValueKind::Blob && value.subType == 1;
    if (!Active() || (!text && !textBlob)) return true;
    const auto set = charsetNames.find(value.charset);
    if (set == charsetNames.end() || !Converts(set->second)) return true;
    const std::string codePage = set->second == "NONE" ? noneAs : set->second;
    std::string utf8;
    if (!FromCodePageChecked(value.bytes, codePage, utf8)) return false;
    value.bytes = std::move(utf8);
    value.charset = newSetId;
    return true;
}

std::string TextConversion::StoredBytesAsUtf8(const std::string& bytes) const {
    std::string utf8;
    if (!Active() || FromCodePageChecked(bytes, "UTF8", utf8)) return bytes;
    return FromCodePageChecked(bytes, storedBytesCodePage, utf8) ? utf8 : bytes;
}

const TextConversion& ActiveTextConversion() { return activeConversion; }

TextConversionScope::TextConversionScope(TextConversion conversion)
    : ScopedSetting(activeConversion, std::move(conversion)) {}

}  // namespace dravik::db
