#pragma once
// SQL's LIKE with the case of every letter folded, not only of A-Z: a seller
// who types "MÜLLER" or "āpirana" finds "Zoë Müller" and "Āpirana". It takes
// the place of SQLite's own like() on each connection; the database file keeps
// no trace of it, so any SQLite tool still reads it.

#include <string_view>

struct sqlite3;

namespace FoldedLike {

// Whether text matches a LIKE pattern ("%" any run, "_" any one character,
// escape (when not 0) making the next pattern character literal), comparing
// characters by their Unicode simple case folding, as QString's
// case-insensitive compare does. Both are UTF-8; a NUL is a character like any other.
bool matches(std::string_view text, std::string_view pattern, char32_t escape = 0);

// Replaces like(pattern, text) and like(pattern, text, escape) on a connection.
// Returns the SQLite result code.
int install(sqlite3* db);

}  // namespace FoldedLike
