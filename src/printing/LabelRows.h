#pragma once
// The rows of labels a label sheet prints, in print order (the first is the
// top row of the first page): each holds the four texts "Address1" to
// "Address4", the labels of columns 1 to 4; an empty text is a position
// without a label.

#include <QList>
#include <QMetaType>
#include <QStringList>

using LabelRows = QList<QStringList>;

namespace labelrows {
constexpr int Fields = 4;
// A row of four empty texts.
inline QStringList EmptyRow() { return QStringList(Fields, QString()); }
}  // namespace labelrows
