#include "frmEmailSingle.h"

#include "clsEmails.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/AppSettings.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
const QString CrLf = QStringLiteral("\r\n");
ProgramContext& ctx() { return ProgramContext::current(); }

// The smallest the window may be made, in twips.
constexpr int MinimumTwips = 5000;
}  // namespace

QString frmEmailSingle::Section() { return QStringLiteral("Settings\\frmEmailSingle"); }

frmEmailSingle::frmEmailSingle(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEmailSingle"));
    setWindowTitle(QStringLiteral("Send email"));
    setMinimumSize(vb::twipsToPixels(MinimumTwips), vb::twipsToPixels(MinimumTwips));

    auto box = [this](const char* name, const QString& tag) {
        auto* b = new QLineEdit(this);
        b->setObjectName(QLatin1String(name));
        if (!tag.isEmpty()) b->setProperty("Tag", tag);
        return b;
    };
    const QString several = QStringLiteral("Separate multiple email addresses with a comma");
    txtEmailFrom = box("txtEmailFrom", QStringLiteral("M  From email address"));
    txtEmailTo = box("txtEmailTo", QStringLiteral("M  To email address"));
    txtEmailTo->setToolTip(several);
    txtEmailCC = box("txtEmailCC", QString());
    txtEmailCC->setToolTip(several);
    txtEmailSubject = box("txtEmailSubject", QStringLiteral("D  Subject"));
    txtEmailMessage = new QPlainTextEdit(this);
    txtEmailMessage->setObjectName(QStringLiteral("txtEmailMessage"));
    txtEmailMessage->setProperty("Tag", QStringLiteral("D  Message"));
    txtEmailMessage->setTabChangesFocus(true);
    txtEmailMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* grid = new QGridLayout(this);
    grid->setColumnStretch(1, 1);
    const std::pair<const char*, QLineEdit*> rows[] = {
        {"From:", txtEmailFrom}, {"To:", txtEmailTo}, {"CC:", txtEmailCC}, {"Subject:", txtEmailSubject}};
    int row = 0;
    for (const auto& [caption, field] : rows) {
        auto* label = new QLabel(QLatin1String(caption), this);
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row++, 1);
    }
    grid->addWidget(txtEmailMessage, row++, 0, 1, 2);
    grid->setRowStretch(row - 1, 1);

    lblWaitMessage = new QLabel(QStringLiteral("Please wait...Sending email"), this);
    lblWaitMessage->setObjectName(QStringLiteral("lblWaitMessage"));
    lblWaitMessage->hide();
    cmdSend = new QPushButton(QStringLiteral("&Send"), this);
    cmdSend->setObjectName(QStringLiteral("cmdSend"));
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblWaitMessage);
    buttons->addStretch(1);
    // Enter sends from a one-line box; in the message it starts a new line.
    cmdSend->setDefault(true);
    for (QPushButton* b : {cmdCancel, cmdSend}) buttons->addWidget(b);
    grid->addLayout(buttons, row, 0, 1, 2);
    connect(cmdSend, &QPushButton::clicked, this, [this] { cmdSend_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    resize(vb::twipsToPixels(8400), vb::twipsToPixels(7200));
}

void frmEmailSingle::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (mLoaded) return;
    mLoaded = true;
    Form_Load();
}

void frmEmailSingle::Form_Load()
{
    auto twips = [this](const QString& key, int pixels) {
        return vb::twipsToPixels(AppSettings::GetSetting(Section(), key, QString::number(vb::pixelsToTwips(pixels))).toDouble());
    };
    resize(qMax(minimumWidth(), twips(QStringLiteral("Width"), width())), qMax(minimumHeight(), twips(QStringLiteral("Height"), height())));

    txtEmailFrom->setText(ctx().gConfiguration.EmailFrom);
    // The buyer of the sale the e-mail is about, as the details pane shows them.
    Recordset rs;
    if (ctx().gDatabase->OpenDB(QStringLiteral("SELECT Customer.Email, Customer.EmailCC FROM Auction "
                                               "INNER JOIN Customer ON Customer.CustomerId = Auction.CustomerId WHERE Auction.AuctionId=?"),
                                {mRemoteAuctionId}, false, true, true, &rs) &&
        !rs.isEOF()) {
        txtEmailTo->setText(rs.text(QStringLiteral("Email")));
        txtEmailCC->setText(rs.text(QStringLiteral("EmailCC")));
    }
    rs.Close();

    txtEmailSubject->clear();
    txtEmailMessage->clear();
    // A template that cannot be made whole has said why; the seller sees what
    // there is and may mend it by hand.
    bool whole = false;
    const QString email = clsEmails::Current() ? clsEmails::Current()->GetEmail(mRemoteAuctionId, mRemoteActionId, mRemoteItemId,
                                                                                  mRemoteEmailId, whole)
                                               : CrLf;
    const qsizetype split = email.indexOf(CrLf);
    txtEmailSubject->setText(email.left(split));
    txtEmailMessage->setPlainText(email.mid(split + 2).replace(CrLf, QStringLiteral("\n")));
}

void frmEmailSingle::done(int result)
{
    if (mLoaded)
        AppSettings::SaveSettings(Section(), {{QStringLiteral("Width"), QString::number(vb::pixelsToTwips(width()))},
                                              {QStringLiteral("Height"), QString::number(vb::pixelsToTwips(height()))}});
    QDialog::done(result);
}

bool frmEmailSingle::ValidateFields()
{
    // The tagged fields in the dialog's own order.
    const QList<QWidget*> fields{txtEmailTo, txtEmailSubject, txtEmailMessage, txtEmailFrom};
    for (QWidget* field : fields) {
        const QString tag = field->property("Tag").toString();
        const QString flags = tag.left(3), caption = tag.mid(3);
        const auto* line = qobject_cast<QLineEdit*>(field);
        const bool empty = line ? line->text().isEmpty() : txtEmailMessage->toPlainText().isEmpty();
        if (flags.contains(u'M') && empty) {
            field->setFocus();
            MsgBox(QStringLiteral("Please set the ") + caption, vbmsg::Information, ctx().gAppTitle);
            return false;
        }
        if (flags.contains(u'D') && empty &&
            MsgBox(QStringLiteral("The ") + caption + QStringLiteral(" is blank, do you still want to send the email?"),
                   vbmsg::YesNo + vbmsg::Question + vbmsg::DefaultButton1, ctx().gAppTitle) != vbmsg::Yes) {
            field->setFocus();
            return false;
        }
    }
    return true;
}

void frmEmailSingle::setSending(bool sending)
{
    cmdSend->setEnabled(!sending);
    cmdCancel->setEnabled(!sending);
    lblWaitMessage->setVisible(sending);
}

void frmEmailSingle::cmdSend_Click()
{
    if (!ValidateFields()) return;
    setSending(true);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);  // the wait message shows
    clsEmails* emails = clsEmails::Current();
    const QString message = txtEmailMessage->toPlainText().replace(u'\n', CrLf);
    // With the task, the e-mail and the step are kept together or not at all.
    const bool queued =
        emails && (mRemoteUpdateNextAction
                       ? emails->SendForTask(mRemoteAuctionId, txtEmailFrom->text(), txtEmailTo->text(), txtEmailCC->text(),
                                             txtEmailSubject->text(), message) != clsEmails::TaskEmail::NotSent
                       : emails->Send(txtEmailFrom->text(), txtEmailTo->text(), txtEmailCC->text(), txtEmailSubject->text(), message));
    if (!queued) {
        // What failed has been said; nothing was queued, and the seller's text stays for another try.
        setSending(false);
        return;
    }
    accept();
}
