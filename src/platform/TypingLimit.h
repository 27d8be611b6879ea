#pragma once
// A length limit on what the seller types into a one-line box, never on what
// the program puts there. QLineEdit's own maxLength also cuts setText, so a
// longer value from the database or the site would be shown cut and the next
// save would write the cut value back; this limit leaves such a value whole
// unless the seller edits it.
//
// An edit may bring the text up to the limit, or up to the length of the
// value the program last put in when that is longer (a slip in a long stored
// value can be put right in place); what goes beyond is cut off the inserted
// text, with a beep, as maxLength would cut it. A save asks first when an edit
// has left a value that was longer than the limit shorter than it was
// (ConfirmShortening).
//
// Apply it where the box is made, before anything else follows the box's
// edits: it tells the seller's edits from the program's by the order of
// QLineEdit's signals.

#include <QObject>
#include <QString>

class QLineEdit;
class QWidget;

class TypingLimit : public QObject {
    Q_OBJECT
public:
    static void Apply(QLineEdit* box, int maximum);
    // The box's limit; 0 when it has none.
    static int Of(const QLineEdit* box);
    // The text the program last put in the box (what the box was loaded with).
    static QString Stored(const QLineEdit* box);
    // Whether the seller has edited a value longer than the limit down to
    // fewer characters than it had.
    static bool Shortens(const QLineEdit* box);
    // Before a save: for each limited box below window that Shortens, a
    // Yes/No question naming the field, No the default. False at the first No,
    // with the focus on that box; the save then writes nothing.
    static bool ConfirmShortening(QWidget* window, const QString& title);

private:
    TypingLimit(QLineEdit* box, int maximum);
    static TypingLimit* of(const QLineEdit* box);
    void edited(const QString& text);
    void changed(const QString& text);
    // The field's name in the question: its label's text, else its "Tag" caption.
    static QString caption(const QLineEdit* box, QWidget* window);

    QLineEdit* m_box;
    int m_maximum;
    QString m_stored;     // the program's last value
    QString m_before;     // the text before the change being reported
    bool m_inEdit = false;
    QString m_editText;   // the text of the seller's edit being reported
};
