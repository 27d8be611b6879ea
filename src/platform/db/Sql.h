#pragma once
// The one place where a value becomes SQL text. Prefer bound values (?); use
// these where a condition is handed on as text.

#include <QString>
#include <QVariant>

namespace Sql {
// A literal: Null -> NULL, numbers in the C locale, Yes/No as 1/0, dates as
// OLE serials, text in single quotes with quotes doubled.
QString Quote(const QVariant& value);
// A quoted identifier (table or column name).
QString Identifier(const QString& name);
// The LIKE pattern that finds text anywhere, "%" and "_" matching
// themselves; use with ESCAPE '\'.
QString LikeContains(const QString& text);
// The LIKE pattern that finds the whole text, ignoring case; use with ESCAPE '\'.
QString LikeExactly(const QString& text);
// The condition that a text column holds the same text as an expression (a
// numbered parameter "?2" or another column: it is used more than once) with
// the case of every letter folded, as searches fold it: "kākahu", "Kākahu"
// and "KĀKAHU" are one title ("=" on a NOCASE column folds A-Z only). As in
// searches, an expression of printable ASCII alone compares with "="; "%"
// and "_" in the text match only themselves.
QString SameText(const QString& column, const QString& expression);
// The same for a bound text: plain text is compared with "=" alone, which
// the index serves whole.
QString SameText(const QString& column, const QString& parameter, const QString& value);
// Whether an expression holds a character beyond printable ASCII: the text
// SameText compares by folding.
QString BeyondAscii(const QString& expression);
}  // namespace Sql
