#include "modCommon.h"

#include "ProgramContext.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace modCommon {

QString ReplaceText(QString& text, const QString& find, const QString& replacement)
{
    if (find.isEmpty()) return text;
    // A shorter replacement may form new occurrences and is searched again from
    // the start (so "  " -> " " leaves no double blank); every step shortens the
    // text, so this ends. Otherwise the search goes on after the inserted text,
    // which is never scanned again.
    const bool shrinks = replacement.size() < find.size();
    qsizetype from = 0;
    for (;;) {
        const qsizetype pos = text.indexOf(find, from, Qt::CaseSensitive);
        if (pos < 0) break;
        text.replace(pos, find.size(), replacement);
        from = shrinks ? 0 : pos + replacement.size();
    }
    return text;
}

QString ReplaceText(const QString& text, const QString& find, const QString& replacement)
{
    QString copy = text;
    return ReplaceText(copy, find, replacement);
}

QString ReplaceCodes(const QString& text, const QList<QPair<QString, QString>>& codes)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QPair<QString, QString>* found = nullptr;
        for (const auto& code : codes) {
            if (!code.first.isEmpty() && QStringView(text).mid(i).startsWith(code.first)) {
                found = &code;
                break;
            }
        }
        if (found) {
            out += found->second;
            i += found->first.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

bool DeleteFile(const QString& fileName, const QString& folder, bool showError)
{
    const QDir dir(folder.isEmpty() ? ProgramContext::current().gAppFolder : folder);
    QString error;
    bool deleted = false;
    if (fileName.contains(u'?')) {
        // Only "?" is a wildcard here; every other character stands for itself.
        QString pattern;
        for (QChar c : fileName) pattern += c == u'?' ? QStringLiteral(".") : QRegularExpression::escape(QString(c));
        const QRegularExpression re(QRegularExpression::anchoredPattern(pattern));
        const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
        bool matched = false;
        for (const QString& entry : entries) {
            if (!re.match(entry).hasMatch()) continue;
            matched = true;
            QFile f(dir.filePath(entry));
            if (!f.remove() && error.isEmpty()) error = f.errorString();
        }
        if (!matched) error = QStringLiteral("File not found");
        deleted = matched && error.isEmpty();
    } else {
        QFile f(dir.filePath(fileName));
        if (!f.exists()) error = QStringLiteral("File not found");
        else if (!f.remove()) error = f.errorString();
        deleted = error.isEmpty();
    }
    if (!deleted && showError)
        MsgBox(QStringLiteral("Error deleting file: ") + fileName + QStringLiteral("\r\n\r\n") + error, vbmsg::Critical,
               ProgramContext::current().gAppTitle);
    return deleted;
}

void ShowMessage(const QString& message, int messageType, bool showAgainVisible, const QString& formTitle,
                 bool showOnceOnly)
{
    FormsRegistry& forms = FormsRegistry::instance();
    if (forms.isBuilt(QStringLiteral("frmMessageBox"))) {
        forms.showModal(QStringLiteral("frmMessageBox"), {{QStringLiteral("Message"), message},
                                                          {QStringLiteral("MessageType"), messageType},
                                                          {QStringLiteral("ShowAgainVisible"), showAgainVisible},
                                                          {QStringLiteral("ShowOnceOnly"), showOnceOnly},
                                                          {QStringLiteral("formTitle"), formTitle}});
        return;
    }
    const bool knownIcon = messageType == vbmsg::Critical || messageType == vbmsg::Question ||
                           messageType == vbmsg::Exclamation || messageType == vbmsg::Information;
    MsgBox(message, knownIcon ? messageType : vbmsg::OKOnly, formTitle);
}

bool IsValidEmail(const QString& address)
{
    if (address.isEmpty()) return true;
    const qsizetype at = address.indexOf(u'@');
    if (at < 1) return false;
    return address.indexOf(u'.', at) >= 0;
}

namespace {
std::function<double()>& randomSource()
{
    static std::function<double()> source = [] { return QRandomGenerator::global()->generateDouble(); };
    return source;
}
}  // namespace

void SetAnimateRandomSource(std::function<double()> source)
{
    randomSource() = source ? std::move(source) : [] { return QRandomGenerator::global()->generateDouble(); };
}

int AnimatePicture(QLabel* picture, const QList<QPixmap>& images)
{
    int& frame = ProgramContext::current().mAnimateFrame;
    const double r = vb::roundHalfEven(randomSource()() * 50);
    if (frame < 2 && r == 1) frame = 2;

    int shown = 1;
    if (frame == 2) shown = 2;
    else if (frame == 3) shown = 3;
    if (picture && shown - 1 < images.size()) picture->setPixmap(images[shown - 1]);
    if (shown == 1) {
        frame = 1;
        return shown;
    }
    ++frame;
    return shown;
}

}  // namespace modCommon
