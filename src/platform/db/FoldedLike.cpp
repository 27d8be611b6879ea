#include "FoldedLike.h"

#include <QChar>

#include <sqlite3.h>

namespace FoldedLike {

namespace {

// Stands for a byte that starts no well-formed character: equal only to itself.
constexpr char32_t MalformedBase = 0x110000;

// The character at i, moving i past it. Called per character of every row a
// search reads, so it allocates nothing and ASCII takes one comparison.
char32_t next(std::string_view s, size_t& i)
{
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int more;
    char32_t c;
    if (lead >= 0xC0 && lead < 0xE0) {
        more = 1;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        more = 2;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead < 0xF8) {
        more = 3;
        c = lead & 0x07;
    } else {
        ++i;
        return MalformedBase + lead;
    }
    for (int k = 1; k <= more; ++k) {
        if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
            ++i;
            return MalformedBase + lead;
        }
        c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    i += more + 1;
    return c;
}

char32_t fold(char32_t c)
{
    if (c < 0x80) return c - 'A' < 26u ? c + ('a' - 'A') : c;
    return c < MalformedBase ? QChar::toCaseFolded(c) : c;
}

// The folded character a pattern token at p stands for, when it is one
// character (not a wildcard).
bool literalAt(std::string_view pattern, size_t p, char32_t escape, char32_t* folded)
{
    if (p >= pattern.size()) return false;
    char32_t c = next(pattern, p);
    if (escape && c == escape) {
        if (p >= pattern.size()) return false;
        c = next(pattern, p);
    } else if (c == '%' || c == '_') {
        return false;
    }
    *folded = fold(c);
    return true;
}

// Moves i to the next character of text that folds to f; false when there is none.
bool seek(std::string_view text, size_t& i, char32_t f)
{
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            if (fold(b) == f) return true;
            ++i;
            continue;
        }
        size_t j = i;
        if (fold(next(text, j)) == f) return true;
        i = j;
    }
    return false;
}

void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    // like(pattern, text[, escape]); Null in, Null out.
    const auto* pattern = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int patternBytes = sqlite3_value_bytes(argv[0]);
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    const int textBytes = sqlite3_value_bytes(argv[1]);
    if (!pattern || !text) return;
    if (patternBytes > sqlite3_limit(sqlite3_context_db_handle(context), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1)) {
        sqlite3_result_error(context, "LIKE or GLOB pattern too complex", -1);
        return;
    }
    char32_t escape = 0;
    if (argc == 3) {
        const auto* e = reinterpret_cast<const char*>(sqlite3_value_text(argv[2]));
        if (!e) return;
        const std::string_view escapeText(e, size_t(sqlite3_value_bytes(argv[2])));
        size_t end = 0;
        if (!escapeText.empty()) escape = next(escapeText, end);
        if (escapeText.empty() || end != escapeText.size()) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
    }
    sqlite3_result_int(context, matches({text, size_t(textBytes)}, {pattern, size_t(patternBytes)}, escape) ? 1 : 0);
}

}  // namespace

bool matches(std::string_view text, std::string_view pattern, char32_t escape)
{
    constexpr size_t none = std::string_view::npos;
    size_t t = 0, p = 0;
    // Where the last "%" left off in the pattern, where its run began in the
    // text, and the character that must follow the run (when one must).
    size_t afterPercent = none, runStart = 0;
    char32_t anchor = 0;
    bool anchored = false;
    while (t < text.size()) {
        if (p < pattern.size()) {
            size_t q = p;
            char32_t c = next(pattern, q);
            bool literal = false;
            if (escape && c == escape) {
                if (q >= pattern.size()) return false;  // a lone escape at the end matches nothing
                c = next(pattern, q);
                literal = true;
            }
            if (!literal && c == '%') {
                afterPercent = p = q;
                runStart = t;
                // The run skips straight to where what follows it can start.
                anchored = literalAt(pattern, q, escape, &anchor);
                if (anchored && !seek(text, runStart, anchor)) return false;
                t = runStart;
                continue;
            }
            size_t u = t;
            const char32_t tc = next(text, u);
            if ((!literal && c == '_') || c == tc || fold(c) == fold(tc)) {
                p = q;
                t = u;
                continue;
            }
        }
        // No match here: the last "%" takes one more character, or there is none.
        if (afterPercent == none) return false;
        next(text, runStart);
        if (anchored && !seek(text, runStart, anchor)) return false;
        p = afterPercent;
        t = runStart;
    }
    // The text is used up: only "%" may remain of the pattern.
    while (p < pattern.size()) {
        const char32_t c = next(pattern, p);
        if (c != '%' || (escape && c == escape)) return false;
    }
    return true;
}

int install(sqlite3* db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    int rc = sqlite3_create_function_v2(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_create_function_v2(db, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    return rc;
}

}  // namespace FoldedLike
