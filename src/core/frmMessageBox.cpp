#include "frmMessageBox.h"

#include "ProgramContext.h"
#include "platform/AppSettings.h"
#include "platform/MessageService.h"
#include "platform/ScreenFit.h"
#include "platform/Vb.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStyle>

#include <algorithm>

namespace {
QString section() { return QStringLiteral("Messages\\") + ProgramContext::current().gDatabaseTitle; }

// Twips as the layout gives them.
int px(double twips) { return vb::twipsToPixels(twips); }

// Word wrap never breaks a word: one wider than the text (a long address) gets
// invisible break opportunities, so it wraps instead of being cut off.
QString BreakLongWords(const QString& text, const QFontMetrics& metrics, int width)
{
    static const QRegularExpression word(QStringLiteral("\\S+"));
    QString out;
    qsizetype done = 0;
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (metrics.horizontalAdvance(m.captured()) <= width) continue;
        out += text.mid(done, m.capturedStart() - done);
        const QString long_ = m.captured();
        for (qsizetype i = 0; i < long_.size(); ++i) {
            out += long_[i];
            if (i + 1 < long_.size() && !long_[i].isHighSurrogate()) out += QChar(0x200B);
        }
        done = m.capturedEnd();
    }
    return done == 0 ? text : out + text.mid(done);
}
}  // namespace

frmMessageBox::frmMessageBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMessageBox"));
    scrMessage = new QScrollArea(this);
    scrMessage->setObjectName(QStringLiteral("scrMessage"));
    scrMessage->setFrameShape(QFrame::NoFrame);
    scrMessage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrMessage->setFocusPolicy(Qt::NoFocus);
    scrMessage->viewport()->setAutoFillBackground(false);
    lblMessage = new QLabel;
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    lblMessage->setTextFormat(Qt::PlainText);
    lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblMessage->setAutoFillBackground(false);
    scrMessage->setWidget(lblMessage);
    picImage = new QLabel(this);
    picImage->setObjectName(QStringLiteral("picImage"));
    picOptions = new QWidget(this);
    picOptions->setObjectName(QStringLiteral("picOptions"));
    picOptions->setAutoFillBackground(true);
    chkDontShowAgain = new QCheckBox(QStringLiteral("Don't show this message again"), picOptions);
    chkDontShowAgain->setObjectName(QStringLiteral("chkDontShowAgain"));
    cmdOK = new QPushButton(QStringLiteral("OK"), picOptions);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmMessageBox::cmdOK_Click);
}

bool frmMessageBox::IsSwitchedOff(const QString& message)
{
    return AppSettings::GetSetting(section(), message, QStringLiteral("True")).compare(QLatin1String("False"), Qt::CaseInsensitive) == 0;
}

int frmMessageBox::exec()
{
    if (!Form_Load()) return QDialog::Rejected;
    return QDialog::exec();
}

bool frmMessageBox::Form_Load()
{
    if (IsSwitchedOff(Message)) return false;
    setWindowTitle(formTitle);
    lblMessage->setText(BreakLongWords(Message, lblMessage->fontMetrics(), px(6500)));
    chkDontShowAgain->setVisible(ShowAgainVisible);

    QStyle::StandardPixmap icon = QStyle::SP_CustomBase;
    switch (MessageType) {
    case vbmsg::Exclamation: icon = QStyle::SP_MessageBoxWarning; break;
    case vbmsg::Information: icon = QStyle::SP_MessageBoxInformation; break;
    case vbmsg::Question: icon = QStyle::SP_MessageBoxQuestion; break;
    case vbmsg::Critical: icon = QStyle::SP_MessageBoxCritical; break;
    default: break;
    }
    // The icon's room is kept even without an icon.
    const int iconSize = px(480);
    if (icon != QStyle::SP_CustomBase) {
        picImage->setPixmap(style()->standardIcon(icon).pixmap(iconSize, iconSize));
        QApplication::beep();
    } else {
        picImage->clear();
    }

    // The text wraps at 6500 twips; past 6000 twips of height (or what the
    // screen has room for) it scrolls rather than being cut off.
    const int margin = px(120);
    const QRect natural = lblMessage->fontMetrics().boundingRect(QRect(0, 0, px(6500), 100000), Qt::TextWordWrap, lblMessage->text());
    const int labelWidth = std::min(natural.width() + 2, px(6500));
    const int stripHeight = std::max(cmdOK->sizeHint().height(), chkDontShowAgain->sizeHint().height()) + 2 * margin;
    const int screenRoom = ScreenFit::room(this).height() - stripHeight - 2 * margin;
    const int textHeight = natural.height() + 2;
    const int labelHeight = std::min({textHeight, px(6000), std::max(screenRoom, lblMessage->fontMetrics().height())});
    const bool scrolls = textHeight > labelHeight;
    const int width = std::max(iconSize + margin + margin + labelWidth + px(480), px(5400));
    const int height = std::max(labelHeight + margin + margin + stripHeight, px(2500));
    setFixedSize(width, height);

    picOptions->setGeometry(0, height - stripHeight, width, stripHeight);
    const QSize ok = cmdOK->sizeHint().expandedTo(QSize(px(1200), 0));
    cmdOK->setGeometry(width - margin - ok.width(), (stripHeight - ok.height()) / 2, ok.width(), ok.height());
    const QSize check = chkDontShowAgain->sizeHint();
    chkDontShowAgain->setGeometry(margin, (stripHeight - check.height()) / 2, check.width(), check.height());

    const int labelTop = (height - margin - stripHeight - margin - labelHeight) / 2 + margin;
    scrMessage->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    const int scrollBar = scrolls ? scrMessage->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scrMessage) : 0;
    scrMessage->setGeometry(margin + iconSize + margin, labelTop, labelWidth + scrollBar, labelHeight);
    lblMessage->setFixedSize(labelWidth, std::max(textHeight, labelHeight));
    // A text that scrolls is reached by the keyboard too.
    scrMessage->setFocusPolicy(scrolls ? Qt::StrongFocus : Qt::NoFocus);
    const int iconTop = iconSize > labelHeight ? labelTop - (iconSize - labelHeight) / 2 : labelTop;
    picImage->setGeometry(margin, iconTop, iconSize, iconSize);
    return true;
}

void frmMessageBox::cmdOK_Click()
{
    if (ShowOnceOnly || chkDontShowAgain->isChecked()) AppSettings::SaveSetting(section(), Message, QStringLiteral("False"));
    accept();
}
