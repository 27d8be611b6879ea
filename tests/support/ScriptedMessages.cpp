#include "ScriptedMessages.h"

#include <QTest>

ScriptedMessages::ScriptedMessages()
{
    onFailure = [](const QString& message) { QTest::qFail(message.toUtf8().constData(), __FILE__, __LINE__); };
}

ScriptedMessages::~ScriptedMessages() = default;

ScriptedMessages& ScriptedMessages::answer(int result, const QString& expectText)
{
    m_script.append({QStringLiteral("MsgBox"), result, {}, {}, true, expectText});
    return *this;
}

ScriptedMessages& ScriptedMessages::answerInput(const QString& text, const QString& expectText)
{
    m_script.append({QStringLiteral("InputBox"), 0, text, {}, true, expectText});
    return *this;
}

ScriptedMessages& ScriptedMessages::cancelInput(const QString& expectText)
{
    m_script.append({QStringLiteral("InputBox"), 0, {}, {}, false, expectText});
    return *this;
}

ScriptedMessages& ScriptedMessages::answerFile(const QString& path)
{
    m_script.append({QStringLiteral("File"), 0, path, {}, !path.isEmpty(), {}});
    return *this;
}

ScriptedMessages& ScriptedMessages::answerColor(const QColor& color)
{
    m_script.append({QStringLiteral("ChooseColor"), 0, {}, color, color.isValid(), {}});
    return *this;
}

QStringList ScriptedMessages::texts() const
{
    QStringList out;
    for (const Prompt& p : m_prompts) out << p.text;
    return out;
}

void ScriptedMessages::clear()
{
    m_script.clear();
    m_prompts.clear();
}

bool ScriptedMessages::verifyDone()
{
    if (m_script.isEmpty()) return true;
    QStringList left;
    for (const Answer& a : m_script) left << a.kind + (a.expect.isEmpty() ? QString() : QStringLiteral(" \"%1\"").arg(a.expect));
    fail(QStringLiteral("Scripted answers never asked for: ") + left.join(QStringLiteral(", ")));
    m_script.clear();
    return false;
}

void ScriptedMessages::fail(const QString& message)
{
    if (onFailure) onFailure(message);
}

bool ScriptedMessages::take(const Prompt& prompt, const QString& kind, Answer* out)
{
    m_prompts.append(prompt);
    if (whileShown) whileShown(prompt);
    if (m_script.isEmpty()) {
        fail(QStringLiteral("Unexpected %1 \"%2\" (title \"%3\", style %4)")
                 .arg(prompt.kind, prompt.text, prompt.title)
                 .arg(prompt.style));
        return false;
    }
    const Answer next = m_script.front();
    if (next.kind != kind) {
        fail(QStringLiteral("%1 \"%2\" came where the script expected %3").arg(prompt.kind, prompt.text, next.kind));
        return false;
    }
    if (!next.expect.isEmpty() && !prompt.text.contains(next.expect)) {
        fail(QStringLiteral("%1 \"%2\" came where the script expected one with \"%3\"").arg(prompt.kind, prompt.text, next.expect));
        return false;
    }
    m_script.removeFirst();
    *out = next;
    return true;
}

namespace {
QString shownTitle(const QString& title) { return title.isEmpty() ? MessageService::defaultTitle() : title; }

// The answer of a box closed without a choice.
int cancellingAnswer(int style)
{
    switch (vbmsg::buttonsOf(style)) {
    case vbmsg::OKCancel:
    case vbmsg::YesNoCancel:
    case vbmsg::RetryCancel: return vbmsg::Cancel;
    case vbmsg::YesNo: return vbmsg::No;
    case vbmsg::AbortRetryIgnore: return vbmsg::Abort;
    default: return vbmsg::OK;
    }
}
}  // namespace

int ScriptedMessages::MsgBox(const QString& prompt, int style, const QString& title)
{
    Answer a;
    if (!take({QStringLiteral("MsgBox"), shownTitle(title), prompt, style}, QStringLiteral("MsgBox"), &a))
        return cancellingAnswer(style);
    return a.result;
}

bool ScriptedMessages::InputBox(const QString& prompt, const QString& title, const QString& defaultText, QString* answer)
{
    Answer a;
    if (!take({QStringLiteral("InputBox"), shownTitle(title), prompt, 0}, QStringLiteral("InputBox"), &a)) return false;
    if (a.ok && answer) *answer = a.text;
    return a.ok;
}

QString ScriptedMessages::GetOpenFileName(const QString& title, const QString& folder, const QString& filter)
{
    Answer a;
    if (!take({QStringLiteral("GetOpenFileName"), shownTitle(title), filter, 0}, QStringLiteral("File"), &a)) return {};
    return a.text;
}

QString ScriptedMessages::GetSaveFileName(const QString& title, const QString& path, const QString& filter)
{
    Answer a;
    if (!take({QStringLiteral("GetSaveFileName"), shownTitle(title), filter, 0}, QStringLiteral("File"), &a)) return {};
    return a.text;
}

QColor ScriptedMessages::ChooseColor(const QColor& initial, const QString& title)
{
    Answer a;
    if (!take({QStringLiteral("ChooseColor"), shownTitle(title), QString(), 0}, QStringLiteral("ChooseColor"), &a)) return {};
    return a.color;
}
