#pragma once
// Every message box, question, input box and file or colour dialog of the
// programs goes through this one service, MsgBox-style, so that tests can
// answer them from a script. The real one is QtMessageService.

#include <QColor>
#include <QString>

namespace vbmsg {
// Buttons, icons and default button; add them up as MsgBox does.
enum Style : int {
    OKOnly = 0,
    OKCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
    DefaultButton1 = 0,
    DefaultButton2 = 256,
    DefaultButton3 = 512,
};
// The button the user chose.
enum Result : int { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

constexpr int buttonsOf(int style) { return style & 0x0F; }
constexpr int iconOf(int style) { return style & 0x70; }
constexpr int defaultButtonOf(int style) { return (style & 0x300) >> 8; }  // 0-based
}  // namespace vbmsg

class MessageService {
public:
    virtual ~MessageService() = default;

    // Shows a message; returns the vbmsg::Result of the button pressed.
    // An empty title gives the program's title.
    virtual int MsgBox(const QString& prompt, int style, const QString& title) = 0;
    // Asks for a text; false when cancelled.
    virtual bool InputBox(const QString& prompt, const QString& title, const QString& defaultText, QString* answer) = 0;
    // File choice; an empty result means cancelled. Filter as Qt writes it ("Databases (*.mdb)").
    virtual QString GetOpenFileName(const QString& title, const QString& folder, const QString& filter) = 0;
    virtual QString GetSaveFileName(const QString& title, const QString& path, const QString& filter) = 0;
    // Colour choice; an invalid colour means cancelled.
    virtual QColor ChooseColor(const QColor& initial, const QString& title) = 0;

    // The service in use; the Qt one unless a test installed its own.
    static MessageService& instance();
    // Not owned; nullptr restores the Qt one.
    static void install(MessageService* service);

    // The title of every message box that passes none of its own.
    static void setDefaultTitle(const QString& title);
    static QString defaultTitle();
};

// Short forms for callers.
int MsgBox(const QString& prompt, int style = vbmsg::OKOnly, const QString& title = QString());
