#include "CodeBox.h"

#include <QLineEdit>

CodeBox::CodeBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);  // the lookup list is the one list of codes
}

void CodeBox::setText(const QString& text)
{
    const QSignalBlocker block(this);
    setEditText(text);
    lineEdit()->setCursorPosition(int(text.size()));
}
