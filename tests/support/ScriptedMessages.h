#pragma once
// The test double of the message service: answers every prompt from a script
// and records it (kind, title, text, style). A prompt the script does not
// expect, or a scripted answer never asked for, fails the running test.

#include "platform/MessageService.h"

#include <QList>
#include <QStringList>

#include <functional>

class ScriptedMessages : public MessageService {
public:
    struct Prompt {
        QString kind;   // "MsgBox", "InputBox", "GetOpenFileName", "GetSaveFileName", "ChooseColor"
        QString title;
        QString text;
        int style = 0;
    };

    ScriptedMessages();
    ~ScriptedMessages() override;

    // Script the next answers, in the order the prompts will come. A non-empty
    // expectText must occur in the prompt's text.
    ScriptedMessages& answer(int result, const QString& expectText = QString());
    ScriptedMessages& answerInput(const QString& text, const QString& expectText = QString());
    ScriptedMessages& cancelInput(const QString& expectText = QString());
    ScriptedMessages& answerFile(const QString& path);  // empty = cancelled
    ScriptedMessages& answerColor(const QColor& color); // invalid = cancelled

    const QList<Prompt>& prompts() const { return m_prompts; }
    QStringList texts() const;
    int pending() const { return int(m_script.size()); }
    void clear();

    // Fails the test when scripted answers are left over; returns true when none are.
    bool verifyDone();

    // What a failure does; QTest::qFail unless replaced (the double's own tests).
    std::function<void(const QString&)> onFailure;
    // Runs while each prompt is up, before it is answered: what a test does
    // while the seller reads a message (events run, the window is resized).
    std::function<void(const Prompt&)> whileShown;

    int MsgBox(const QString& prompt, int style, const QString& title) override;
    bool InputBox(const QString& prompt, const QString& title, const QString& defaultText, QString* answer) override;
    QString GetOpenFileName(const QString& title, const QString& folder, const QString& filter) override;
    QString GetSaveFileName(const QString& title, const QString& path, const QString& filter) override;
    QColor ChooseColor(const QColor& initial, const QString& title) override;

private:
    struct Answer {
        QString kind;
        int result = 0;
        QString text;
        QColor color;
        bool ok = true;
        QString expect;
    };
    // Takes the next scripted answer for a prompt of this kind; false (and a
    // failure) when the script holds none or the wrong one.
    bool take(const Prompt& prompt, const QString& kind, Answer* out);
    void fail(const QString& message);

    QList<Answer> m_script;
    QList<Prompt> m_prompts;
};
