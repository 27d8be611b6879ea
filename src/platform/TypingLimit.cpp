#include "TypingLimit.h"

#include "MessageService.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QVariant>

namespace {
const QString CrLf = QStringLiteral("\r\n");

// A label's text as a caption: no accelerator marks, no closing colon.
QString plainCaption(QString text)
{
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    text = text.trimmed();
    while (text.endsWith(u':')) text.chop(1);
    return text.trimmed();
}
}  // namespace

TypingLimit::TypingLimit(QLineEdit* box, int maximum) : QObject(box), m_box(box), m_maximum(maximum), m_stored(box->text()), m_before(box->text())
{
    setObjectName(QStringLiteral("TypingLimit"));
    // First of the box's followers: the edit is known before anyone changes the text in answer to it.
    connect(box, &QLineEdit::textEdited, this, &TypingLimit::edited);
    connect(box, &QLineEdit::textChanged, this, &TypingLimit::changed);
}

void TypingLimit::Apply(QLineEdit* box, int maximum)
{
    if (!box || maximum <= 0) return;
    if (TypingLimit* limit = of(box)) {
        limit->m_maximum = maximum;
        return;
    }
    new TypingLimit(box, maximum);
}

TypingLimit* TypingLimit::of(const QLineEdit* box)
{
    return box ? box->findChild<TypingLimit*>(QStringLiteral("TypingLimit"), Qt::FindDirectChildrenOnly) : nullptr;
}

int TypingLimit::Of(const QLineEdit* box)
{
    const TypingLimit* limit = of(box);
    return limit ? limit->m_maximum : 0;
}

QString TypingLimit::Stored(const QLineEdit* box)
{
    const TypingLimit* limit = of(box);
    return limit ? limit->m_stored : QString();
}

bool TypingLimit::Shortens(const QLineEdit* box)
{
    const TypingLimit* limit = of(box);
    return limit && limit->m_stored.size() > limit->m_maximum && box->text().size() < limit->m_stored.size();
}

// QLineEdit reports a seller's edit as textEdited(text), then textChanged(text)
// with the same text, whatever the followers of textEdited changed in
// between (their changes come as textChanged of their own texts). A
// textChanged outside that pair is the program's.
void TypingLimit::edited(const QString& text)
{
    m_inEdit = true;
    m_editText = text;
    const QString now = m_box->text();
    const qsizetype allowed = qMax(qsizetype(m_maximum), m_stored.size());
    if (now.size() <= allowed || now.size() <= m_before.size()) return;

    // What the edit put in is what lies between the unchanged start and end.
    qsizetype prefix = 0;
    const qsizetype shorter = qMin(now.size(), m_before.size());
    while (prefix < shorter && now[prefix] == m_before[prefix]) ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && now[now.size() - 1 - suffix] == m_before[m_before.size() - 1 - suffix]) ++suffix;
    const QString inserted = now.mid(prefix, now.size() - prefix - suffix);
    qsizetype keep = qMax<qsizetype>(0, allowed - (prefix + suffix));
    if (keep > 0 && keep < inserted.size() && inserted[keep - 1].isHighSurrogate()) --keep;  // never half a character
    const QString kept = now.left(prefix) + inserted.left(keep) + now.right(suffix);

    m_box->setText(kept);
    m_box->setModified(true);  // still the seller's text
    m_box->setCursorPosition(int(prefix + keep));
    QApplication::beep();
}

void TypingLimit::changed(const QString& text)
{
    if (m_inEdit) {
        if (text == m_editText) m_inEdit = false;  // the edit's own report: it is over
    } else {
        m_stored = m_box->text();
    }
    m_before = m_box->text();
}

QString TypingLimit::caption(const QLineEdit* box, QWidget* window)
{
    for (const QLabel* label : window->findChildren<QLabel*>())
        if (label->buddy() == box && !plainCaption(label->text()).isEmpty()) return plainCaption(label->text());
    const QString tag = box->property("Tag").toString().mid(3).trimmed();
    return tag.isEmpty() ? QStringLiteral("text") : tag;
}

bool TypingLimit::ConfirmShortening(QWidget* window, const QString& title)
{
    if (!window) return true;
    for (TypingLimit* limit : window->findChildren<TypingLimit*>(QStringLiteral("TypingLimit"))) {
        QLineEdit* box = limit->m_box;
        if (!Shortens(box)) continue;
        const QString name = caption(box, window);
        const QString question = QStringLiteral("The %1 was stored with %2 characters and would be saved with %3:")
                                     .arg(name)
                                     .arg(limit->m_stored.size())
                                     .arg(box->text().size()) +
                                 CrLf + CrLf + box->text() + CrLf + CrLf + QStringLiteral("Was:") + CrLf + limit->m_stored + CrLf + CrLf +
                                 QStringLiteral("Save the shorter %1?").arg(name);
        if (MsgBox(question, vbmsg::YesNo + vbmsg::Question + vbmsg::DefaultButton2, title) != vbmsg::Yes) {
            box->setFocus();
            return false;
        }
    }
    return true;
}
