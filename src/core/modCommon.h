#pragma once
// Small procedures that many windows share.

#include <QList>
#include <QPixmap>
#include <QString>

#include <functional>

class QLabel;

namespace modCommon {

// Replaces every occurrence of find in text (case-sensitive) and returns the
// result; text is updated too. After each replacement the search starts again
// at the first character, so an occurrence formed where the replacement meets
// the surrounding text is replaced as well. When the replacement itself holds
// find, the search goes on after the inserted text instead (otherwise it would
// never end). An empty find changes nothing.
QString ReplaceText(QString& text, const QString& find, const QString& replacement);
QString ReplaceText(const QString& text, const QString& find, const QString& replacement);

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
