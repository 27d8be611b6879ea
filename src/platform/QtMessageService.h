#pragma once
// The message service of the running program: MessageDialog (a message box
// that fits the screen), QInputDialog, QFileDialog and QColorDialog, parented
// to the active window.

#include "MessageService.h"

class QtMessageService : public MessageService {
public:
    int MsgBox(const QString& prompt, int style, const QString& title) override;
    bool InputBox(const QString& prompt, const QString& title, const QString& defaultText, QString* answer) override;
    QString GetOpenFileName(const QString& title, const QString& folder, const QString& filter) override;
    QString GetSaveFileName(const QString& title, const QString& path, const QString& filter) override;
    QColor ChooseColor(const QColor& initial, const QString& title) override;
};
