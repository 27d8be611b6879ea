#pragma once
// A piece of SQL with its values: the text holds a ? for each value, in
// order, so what a seller typed or stored is bound and never becomes SQL.

#include <QString>
#include <QVariantList>

struct SqlCondition {
    QString text;
    QVariantList binds;

    SqlCondition& operator+=(const SqlCondition& other)
    {
        text += other.text;
        binds += other.binds;
        return *this;
    }
    SqlCondition& operator+=(const QString& sql)
    {
        text += sql;
        return *this;
    }
    bool operator==(const SqlCondition&) const = default;
};
