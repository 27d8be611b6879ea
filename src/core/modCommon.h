#pragma once
// Small procedures that many windows share.

#include <QList>
#include <QPixmap>
#include <QString>

#include <functional>

class QLabel;

namespace modCommon {

// Replaces every occurrence of find in text (case-sensitive) and returns the
// result; text is updated too. A replacement shorter than find may form a new
// occurrence with the text around it, which is replaced as well (the search
// starts again at the first character); any other replacement is never
// scanned again (the search goes on after it), so the call always ends. An
// empty find changes nothing.
QString ReplaceText(QString& text, const QString& find, const QString& replacement);
QString ReplaceText(const QString& text, const QString& find, const QString& replacement);

// Fills a template in one pass: at each place where one of the codes stands
// (the first in the list that matches there), its value goes in. Inserted
// values are never scanned again, so a value may hold a code as plain text.
QString ReplaceCodes(const QString& text, const QList<QPair<QString, QString>>& codes);

// Deletes folder/fileName; an empty folder means the program folder. fileName
// may hold "?" for any one character. Returns whether every matching file was
// deleted; with showError a failure is reported in a critical message box.
bool DeleteFile(const QString& fileName, const QString& folder = QString(), bool showError = false);

// Shows the program's message box. messageType: 16 critical, 32 question,
// 48 warning, 64 information; anything else shows no icon.
void ShowMessage(const QString& message, int messageType, bool showAgainVisible, const QString& formTitle,
                 bool showOnceOnly = false);

// A loose check: empty is valid; otherwise an "@" after the first character
// and a "." somewhere at or after it.
bool IsValidEmail(const QString& address);

// One tick of the wizards' blinking picture: usually image 1; about one call
// in 50 starts a blink (image 2, then 3, then 1 again). images[0] is image 1.
// Returns the number of the image shown.
int AnimatePicture(QLabel* picture, const QList<QPixmap>& images);
// The random source of AnimatePicture, a number in [0, 1); tests set their own.
void SetAnimateRandomSource(std::function<double()> source);

}  // namespace modCommon
