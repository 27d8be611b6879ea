#include "Sql.h"

#include "Connection.h"
#include "platform/Vb.h"

#include <QDateTime>

#include <algorithm>

namespace Sql {

QString Quote(const QVariant& value)
{
    using dbvalue::Kind;
    switch (dbvalue::kindOf(value)) {
    case Kind::Null: return QStringLiteral("NULL");
    case Kind::Boolean: return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case Kind::Whole: return QString::number(value.toLongLong());
    case Kind::Real: return QString::number(value.toDouble(), 'g', 17);
    case Kind::DateTime: return QString::number(vb::toOleDate(value.toDateTime()), 'g', 17);
    case Kind::Date: return QString::number(vb::toOleDate(value.toDate()), 'g', 17);
    case Kind::Bytes:
    case Kind::Text: break;
    }
    QString text = value.toString();
    text.replace(u'\'', QLatin1String("''"));
    return u'\'' + text + u'\'';
}

QString Identifier(const QString& name)
{
    QString text = name;
    text.replace(u'"', QLatin1String("\"\""));
    return u'"' + text + u'"';
}

QString LikeExactly(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    for (QChar c : text) {
        if (c == u'\\' || c == u'%' || c == u'_') escaped += u'\\';
        escaped += c;
    }
    return escaped;
}

QString LikeContains(const QString& text) { return u'%' + LikeExactly(text) + u'%'; }

QString SameText(const QString& column, const QString& expression)
{
    // The expression becomes a pattern of itself, escaped as LikeExactly escapes.
    return u'(' + column + QStringLiteral(" = ") + expression + QStringLiteral(" OR (") + BeyondAscii(expression) +
           QStringLiteral(" AND ") + column + QStringLiteral(" LIKE replace(replace(replace(") + expression +
           QStringLiteral(R"sql(,'\','\\'),'%','\%'),'_','\_') ESCAPE '\')))sql");
}

QString SameText(const QString& column, const QString& parameter, const QString& value)
{
    const bool plain = std::all_of(value.cbegin(), value.cend(), [](QChar c) { return c >= u' ' && c <= u'~'; });
    return plain ? column + QStringLiteral(" = ") + parameter : SameText(column, parameter);
}

QString BeyondAscii(const QString& expression) { return expression + QStringLiteral(" GLOB '*[^ -~]*'"); }

}  // namespace Sql
