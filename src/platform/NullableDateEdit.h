#pragma once
// A date field that may be empty: a check box and a date. Unticked, it holds
// no date (Null); ticked, the date shown.

#include <QDate>
#include <QWidget>

class QCheckBox;
class QDateEdit;

class NullableDateEdit : public QWidget {
    Q_OBJECT
public:
    explicit NullableDateEdit(QWidget* parent = nullptr);

    bool isNull() const;
    QDate date() const;        // invalid when Null
    void setDate(const QDate& date);  // an invalid date empties the field
    void clear();
    // The date as an OLE serial, or an invalid QVariant when Null.
    QVariant value() const;

signals:
    void changed();

private:
    QCheckBox* m_check;
    QDateEdit* m_edit;
};
