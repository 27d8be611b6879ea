#include "frmFeedbackSingle.h"

#include "FeedbackRules.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modWebProcessing.h"
#include "platform/FocusChain.h"
#include "platform/MessageService.h"
#include "platform/ReadOnlyBox.h"
#include "platform/Vb.h"
#include "platform/browser/WebBrowser.h"
#include "platform/db/Recordset.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QVBoxLayout>

namespace {
ProgramContext& ctx() { return ProgramContext::current(); }
}  // namespace

frmFeedbackSingle::frmFeedbackSingle(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFeedbackSingle"));
    setWindowTitle(QStringLiteral("Leave feedback"));

    auto locked = [this](const char* name) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QLatin1String(name));
        ReadOnlyBox::Apply(box);
        return box;
    };
    txtAuction = locked("txtAuction");
    txtDescription = locked("txtDescription");
    txtBuyerId = locked("txtBuyerId");
    auto* details = new QGroupBox(QStringLiteral("Auction details"), this);
    auto* detailsForm = new QFormLayout(details);
    detailsForm->addRow(QStringLiteral("Auction#"), txtAuction);
    detailsForm->addRow(QStringLiteral("Title"), txtDescription);
    detailsForm->addRow(QStringLiteral("BuyerId"), txtBuyerId);

    auto* yours = new QGroupBox(QStringLiteral("Your feedback"), this);
    auto* yoursLayout = new QVBoxLayout(yours);
    auto* kinds = new QButtonGroup(this);
    const QString captions[2] = {QStringLiteral("Standard comment"), QStringLiteral("Custom comment")};
    auto* kindRow = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        optFeedback[i] = new QRadioButton(captions[i], yours);
        optFeedback[i]->setObjectName(QStringLiteral("optFeedback(%1)").arg(i));
        kinds->addButton(optFeedback[i], i);
        kindRow->addWidget(optFeedback[i]);
    }
    kindRow->addStretch(1);
    optFeedback[0]->setChecked(true);
    connect(kinds, &QButtonGroup::idClicked, this, [this](int id) { optFeedback_Click(id); });
    cboFeedback = new QComboBox(yours);
    cboFeedback->setObjectName(QStringLiteral("cboFeedback"));
    txtFeedback = new QPlainTextEdit(yours);
    txtFeedback->setObjectName(QStringLiteral("txtFeedback"));
    txtFeedback->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtFeedback->setTabChangesFocus(true);
    txtFeedback->setEnabled(false);
    txtFeedback->hide();
    yoursLayout->addLayout(kindRow);
    yoursLayout->addWidget(cboFeedback);
    yoursLayout->addWidget(txtFeedback, 1);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter leaves the feedback; in a custom comment it starts a new line.
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(details);
    outer->addWidget(yours, 1);
    outer->addLayout(buttons);
    resize(vb::twipsToPixels(6000), vb::twipsToPixels(4800));  // room for a custom comment of a few lines
}

void frmFeedbackSingle::createBrowser()
{
    // Made when feedback is first left: changing a comment needs no browser.
    if (web) return;
    web = WebBrowser::create(this);
    // The site steps run out of sight; the page is shown only when the site refuses.
    if (QWidget* page = web->widget()) {
        page->setParent(this);
        page->hide();
    }
    connect(web, &WebBrowser::DocumentComplete, this, [this] { web_DocumentComplete(); });
}

void frmFeedbackSingle::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    const bool first = !m_activated;
    Form_Activate();
    // The sale's boxes are shown, not typed: the caret starts at the comment's kind.
    if (first) FocusChain::Prepare(this);
}

void frmFeedbackSingle::Form_Activate()
{
    if (m_activated) return;
    m_activated = true;
    auto leave = [this] { QMetaObject::invokeMethod(this, [this] { done(QDialog::Rejected); }, Qt::QueuedConnection); };

    const QStringList comments = FeedbackRules::LoadComments();
    if (comments.isEmpty()) return leave();
    cboFeedback->addItems(comments);
    cboFeedback->setCurrentIndex(int(QRandomGenerator::global()->bounded(comments.size())));

    Recordset rs;
    if (!ctx().gDatabase->OpenDB(QStringLiteral("SELECT AuctionId, AuctionType, Description, CustomerId FROM Auction WHERE AuctionId=?"),
                                 {mRemoteId}, false, true, true, &rs))
        return leave();
    if (rs.isEOF()) {
        MsgBox(QStringLiteral("Cannot find auction ") + mRemoteId + QStringLiteral("."), vbmsg::Information, ctx().gAppTitle);
        return leave();
    }
    txtAuction->setText(rs.text(QStringLiteral("AuctionId")));
    m_auctionType = rs.text(QStringLiteral("AuctionType"));
    txtAuction->setProperty("Tag", m_auctionType);
    txtBuyerId->setText(rs.text(QStringLiteral("CustomerId")));
    txtDescription->setText(rs.text(QStringLiteral("Description")));
    rs.Close();
    if (!mRemoteFeedbackMultiple && txtBuyerId->text().isEmpty()) {
        // No member to search for: the site steps could only fail.
        MsgBox(QStringLiteral("Cannot leave feedback - there are no buyer details"), vbmsg::Information, ctx().gAppTitle);
        return leave();
    }

    if (mRemoteFeedbackMultiple) {
        optFeedback[1]->setChecked(true);
        optFeedback_Click(1);
    }
}

void frmFeedbackSingle::optFeedback_Click(int index)
{
    const bool standard = index == 0;
    cboFeedback->setEnabled(standard);
    cboFeedback->setVisible(standard);
    txtFeedback->setEnabled(!standard);
    txtFeedback->setVisible(!standard);
    if (standard) cboFeedback->setFocus();
    else txtFeedback->setFocus();
}

void frmFeedbackSingle::cmdOK_Click()
{
    if (m_step > 0) return;  // a placement runs
    if (optFeedback[0]->isChecked()) {
        txtFeedback->setPlainText(cboFeedback->currentText());
    } else {
        QString text = txtFeedback->toPlainText();
        qsizetype lead = 0;
        while (lead < text.size() && text[lead] == u' ') ++lead;
        if (lead == text.size()) {
            MsgBox(QStringLiteral("Enter a custom comment first or select a standard comment"), vbmsg::Information, ctx().gAppTitle);
            return;
        }
    }
    if (mRemoteFeedbackMultiple) {
        mRemoteFeedbackMultiple = false;
        m_comment = txtFeedback->toPlainText();
        done(QDialog::Accepted);
        return;
    }
    if (!modWebProcessing::ShowBrowser(this, true, true, false)) return;
    m_comment = txtFeedback->toPlainText();
    createBrowser();
    setPlacing(true);
    m_step = 1;
    web->Navigate(FeedbackRules::MemberSearchAddress(txtBuyerId->text()));
}

void frmFeedbackSingle::setPlacing(bool placing)
{
    cmdOK->setEnabled(!placing);
    for (int i = 0; i < 2; ++i) optFeedback[i]->setEnabled(!placing);
    cboFeedback->setEnabled(!placing && optFeedback[0]->isChecked());
    txtFeedback->setEnabled(!placing && optFeedback[1]->isChecked());
}

void frmFeedbackSingle::web_DocumentComplete()
{
    if (!m_activated || m_step < 1) return;
    const int result = modWebProcessing::PlaceFeedback(this, web, m_step, txtAuction->text(), txtBuyerId->text(), m_comment, m_auctionType);
    if (result == -1) {
        done(QDialog::Rejected);  // said why; the task stays as it was
    } else if (result == 1) {
        FeedbackRules::CompleteFeedbackTask(txtAuction->text());
        MsgBox(QStringLiteral("Finished leaving feedback for ") + txtBuyerId->text(), vbmsg::Information, ctx().gAppTitle);
        done(QDialog::Accepted);
    }
}

void frmFeedbackSingle::cmdCancel_Click() { done(QDialog::Rejected); }

void frmFeedbackSingle::done(int result)
{
    // A page that arrives after the dialog has gone carries nothing on.
    if (m_step > 0 && web) web->Stop();
    m_step = 0;
    QDialog::done(result);
}
