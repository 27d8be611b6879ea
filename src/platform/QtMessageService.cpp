#include "QtMessageService.h"

#include "MessageDialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QWidget>

#include <vector>

namespace {

QWidget* parentWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

QString titleOr(const QString& title) { return title.isEmpty() ? MessageService::defaultTitle() : title; }

}  // namespace

int QtMessageService::MsgBox(const QString& prompt, int style, const QString& title)
{
    MessageDialog box(parentWindow());
    box.setWindowTitle(titleOr(title));
    box.setText(prompt);  // plain text: a message quotes what sellers and buyers typed
    switch (vbmsg::iconOf(style)) {
    case vbmsg::Critical: box.setIcon(QMessageBox::Critical); break;
    case vbmsg::Question: box.setIcon(QMessageBox::Question); break;
    case vbmsg::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case vbmsg::Information: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }

    struct Choice { QDialogButtonBox::StandardButton button; int result; };
    std::vector<Choice> choices;
    switch (vbmsg::buttonsOf(style)) {
    case vbmsg::OKCancel: choices = {{QDialogButtonBox::Ok, vbmsg::OK}, {QDialogButtonBox::Cancel, vbmsg::Cancel}}; break;
    case vbmsg::AbortRetryIgnore:
        choices = {{QDialogButtonBox::Abort, vbmsg::Abort}, {QDialogButtonBox::Retry, vbmsg::Retry}, {QDialogButtonBox::Ignore, vbmsg::Ignore}};
        break;
    case vbmsg::YesNoCancel:
        choices = {{QDialogButtonBox::Yes, vbmsg::Yes}, {QDialogButtonBox::No, vbmsg::No}, {QDialogButtonBox::Cancel, vbmsg::Cancel}};
        break;
    case vbmsg::YesNo: choices = {{QDialogButtonBox::Yes, vbmsg::Yes}, {QDialogButtonBox::No, vbmsg::No}}; break;
    case vbmsg::RetryCancel: choices = {{QDialogButtonBox::Retry, vbmsg::Retry}, {QDialogButtonBox::Cancel, vbmsg::Cancel}}; break;
    default: choices = {{QDialogButtonBox::Ok, vbmsg::OK}}; break;
    }
    QDialogButtonBox::StandardButtons buttons;
    for (const Choice& c : choices) buttons |= c.button;
    box.setStandardButtons(buttons);
    const size_t defaultIndex = std::min<size_t>(size_t(vbmsg::defaultButtonOf(style)), choices.size() - 1);
    box.setDefaultButton(choices[defaultIndex].button);
    box.fitToScreen();

    box.exec();
    for (const Choice& c : choices)
        if (c.button == box.clickedButton()) return c.result;
    // Closed by Esc or the window's close box: the cancelling answer.
    for (const Choice& c : choices)
        if (c.result == vbmsg::Cancel) return c.result;
    return choices.size() == 2 && choices[1].result == vbmsg::No ? vbmsg::No : choices.front().result;
}

bool QtMessageService::InputBox(const QString& prompt, const QString& title, const QString& defaultText, QString* answer)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parentWindow(), titleOr(title), prompt, QLineEdit::Normal, defaultText, &ok);
    if (ok && answer) *answer = text;
    return ok;
}

QString QtMessageService::GetOpenFileName(const QString& title, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(parentWindow(), titleOr(title), folder, filter);
}

QString QtMessageService::GetSaveFileName(const QString& title, const QString& path, const QString& filter)
{
    return QFileDialog::getSaveFileName(parentWindow(), titleOr(title), path, filter);
}

QColor QtMessageService::ChooseColor(const QColor& initial, const QString& title)
{
    return QColorDialog::getColor(initial, parentWindow(), titleOr(title));
}
