#include "frmAgreement.h"

#include "platform/MessageService.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString SetupTitle = QStringLiteral("Vendaro Setup");
const QString CrLf = QStringLiteral("\r\n");
}  // namespace

QString frmAgreement::AgreementText()
{
    return QStringLiteral(
        "VENDARO LICENCE AGREEMENT\n\n"
        "Please read this agreement carefully before installing Vendaro. By ticking \"I accept the agreement\" and "
        "continuing, you agree to be bound by its terms.\n\n"
        "1. Licence. You may install and use Vendaro on the computers you use for your own selling. You may make "
        "copies of your own databases as often as you like.\n\n"
        "2. Your data. Your listings, sales, buyers and e-mail templates stay in the database files on your computer. "
        "Vendaro sends your auction site login only to the auction site, and the e-mails you queue only to the mail "
        "form service that delivers them. Keep your database files where only you can read them and back them up "
        "regularly.\n\n"
        "3. The auction site. Vendaro works with the auction site's own pages on your behalf. The site may change its "
        "pages at any time; when it does, some features may stop working until Vendaro is updated.\n\n"
        "4. No warranty. Vendaro is provided \"as is\", without warranty of any kind. Check the e-mails, feedback and "
        "relistings it prepares before you rely on them.\n\n"
        "5. Limitation of liability. To the extent the law allows, the makers of Vendaro are not liable for any loss of "
        "sales, profits or data arising from its use.\n\n"
        "6. Updates. Vendaro downloads its installation and its updates from the maker's web site.\n");
}

frmAgreement::frmAgreement(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAgreement"));
    setWindowTitle(QStringLiteral("Vendaro - Auction Mangement Software"));
    resize(620, 480);

    auto* heading = new QLabel(QStringLiteral("License Agreement"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    auto* subheading = new QLabel(QStringLiteral("Please read the following important information before continuing"), this);
    auto* intro = new QLabel(QStringLiteral("Please read the following License Agreement.  You must accept the terms of this "
                                            "agreement before continuing with the installation."),
                             this);
    intro->setWordWrap(true);
    txtAgreement = new QPlainTextEdit(AgreementText(), this);
    txtAgreement->setObjectName(QStringLiteral("txtAgreement"));
    txtAgreement->setReadOnly(true);
    txtAgreement->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    chkAccept = new QCheckBox(QStringLiteral("I accept the agreement"), this);
    chkAccept->setObjectName(QStringLiteral("chkAccept"));
    cmdNext = new QPushButton(QStringLiteral("Next"), this);
    cmdNext->setObjectName(QStringLiteral("cmdNext"));
    cmdNext->setEnabled(false);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* header = new QWidget(this);
    header->setAutoFillBackground(true);
    header->setBackgroundRole(QPalette::Base);
    auto* headerLayout = new QVBoxLayout(header);
    headerLayout->addWidget(heading);
    headerLayout->addWidget(subheading);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdNext);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->addWidget(header);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 4, 12, 4);
    body->addWidget(intro);
    body->addWidget(txtAgreement, 1);
    body->addWidget(chkAccept);
    body->addLayout(buttons);
    layout->addLayout(body, 1);

    connect(chkAccept, &QCheckBox::toggled, cmdNext, &QPushButton::setEnabled);
    connect(cmdNext, &QPushButton::clicked, this, [this] {
        Agreed = true;
        accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool frmAgreement::Form_Unload()
{
    if (Agreed &&
        MsgBox(QStringLiteral("To complete installation, the software will connect to the vendaro website - please check you "
                              "are connected to the Internet."),
               vbmsg::OKCancel + vbmsg::Information, SetupTitle) != vbmsg::OK)
        Agreed = false;
    if (!Agreed) {
        const int answer = MsgBox(QStringLiteral("Installation cancelled by user.") + CrLf + CrLf +
                                      QStringLiteral("To complete installation at a later date click the vendaro shortcut created on "
                                                     "your desktop.  To uninstall Vendaro, use the windows uninstall feature under "
                                                     "Control Panel") +
                                      CrLf + CrLf + QStringLiteral("Are you sure you want to cancel setup?"),
                                  vbmsg::YesNo + vbmsg::Question, SetupTitle);
        if (answer != vbmsg::Yes) return false;
    }
    return true;
}

void frmAgreement::done(int result)
{
    if (!Form_Unload()) return;  // the window stays open
    QDialog::done(result);
}

void frmAgreement::closeEvent(QCloseEvent* event)
{
    // The close box: QDialog turns it into reject(), which asks through done().
    event->ignore();
    reject();
}
