#pragma once
// A message service that shows nothing: each prompt is appended to a file
// (one JSON object a line: text, style, title) and answered with its default
// button. The installer uses it when VENDARO_MESSAGE_LOG names a file, so a
// test can run the real program offscreen and read what it would have said.

#include "platform/MessageService.h"

class LoggedMessages : public MessageService {
public:
    explicit LoggedMessages(const QString& path) : m_path(path) {}
    int MsgBox(const QString& prompt, int style, const QString& title) override;
    bool InputBox(const QString& prompt, const QString& title, const QString& defaultText, QString* answer) override;
    QString GetOpenFileName(const QString& title, const QString& folder, const QString& filter) override;
    QString GetSaveFileName(const QString& title, const QString& path, const QString& filter) override;
    QColor ChooseColor(const QColor& initial, const QString& title) override;

private:
    void log(const QString& kind, const QString& text, int style, const QString& title);
    QString m_path;
};
