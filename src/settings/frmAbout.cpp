#include "frmAbout.h"

#include "SettingsRules.h"
#include "core/ProgramContext.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QFrame* line(QWidget* parent)
{
    auto* l = new QFrame(parent);
    l->setFrameShape(QFrame::HLine);
    l->setFrameShadow(QFrame::Sunken);
    return l;
}
}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblTitle = new QLabel(QStringLiteral("Vendaro - Auction Management Software"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    lblTitle->setFont(big);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblDatabase = new QLabel(this);
    lblDatabase->setObjectName(QStringLiteral("lblDatabase"));
    // A path is shown as it is, whatever it holds.
    lblDatabase->setTextFormat(Qt::PlainText);
    lblDatabase->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblDisclaimer = new QLabel(QStringLiteral("This program is provided as is, without warranty of any kind. "
                                              "Keep a copy of your database in a safe place."),
                               this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addWidget(line(this));
    text->addWidget(lblDatabase);
    text->addWidget(line(this));
    text->addWidget(lblDisclaimer);
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setMinimumWidth(520);
    Form_Load();
}

void frmAbout::Form_Load()
{
    const ProgramContext& ctx = ProgramContext::current();
    const QString crlf = QStringLiteral("\r\n");
    setWindowTitle(QStringLiteral("About ") + ctx.gAppTitle);
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) icon = QIcon(QDir(ctx.gAppFolder).filePath(QStringLiteral("vendaro.svg")));
    picIcon->setPixmap(icon.pixmap(64, 64));
    lblVersion->setText(QStringLiteral("Version ") + SettingsRules::VersionText(ProgramContext::AppVersion));
    lblDatabase->setText(QStringLiteral("Database Ver. ") + SettingsRules::VersionText(ProgramContext::RequiredDatabaseVersion) + crlf +
                         QStringLiteral("Database filename: ") + ctx.gDatabaseTitle + crlf + ctx.gDatabaseFile + crlf + crlf +
                         QStringLiteral("Installation folder:") + crlf + ctx.gAppFolder);
}
