#include "frmFixedPriceOptions.h"

#include "OfferCells.h"
#include "core/ProgramContext.h"
#include "platform/AmountText.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

frmFixedPriceOptions::frmFixedPriceOptions(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFixedPriceOptions"));
    setWindowTitle(QStringLiteral("Fixed Price Offer Options"));

    auto* label1 = new QLabel(QStringLiteral("Offer price"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    txtOfferPrice = new QLineEdit(this);
    txtOfferPrice->setObjectName(QStringLiteral("txtOfferPrice"));
    auto* label2 = new QLabel(QStringLiteral("Valid for"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    auto* group = new QButtonGroup(this);
    auto* options = new QHBoxLayout;
    for (const auto& [days, caption] : {std::pair{1, "1 day"}, std::pair{3, "3 days"}, std::pair{7, "7 days"}}) {
        auto* b = new QRadioButton(QString::fromLatin1(caption), this);
        b->setObjectName(QStringLiteral("optValid(%1)").arg(days));
        group->addButton(b, days);
        options->addWidget(b);
        optValid.insert(days, b);
        b->installEventFilter(this);
    }
    options->addStretch(1);
    // optValid_Click: the days follow the button clicked.
    connect(group, &QButtonGroup::idClicked, this, [this](int days) { pValidFor = days; });
    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setTextFormat(Qt::PlainText);  // the auction's title and amounts are data
    lblInfo->setWordWrap(true);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    for (QPushButton* b : {cmdOK, cmdCancel}) b->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &frmFixedPriceOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFixedPriceOptions::cmdCancel_Click);
    // txtOfferPrice_Change: the price follows every change of the text.
    connect(txtOfferPrice, &QLineEdit::textChanged, this, [this](const QString& text) { pOfferPrice = ReadOfferPrice(text); });
    txtOfferPrice->installEventFilter(this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblInfo, 0, 0, 1, 2);
    grid->addWidget(label1, 1, 0);
    grid->addWidget(txtOfferPrice, 1, 1);
    grid->addWidget(label2, 2, 0);
    grid->addLayout(options, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, 3, 0, 1, 2);
    setMinimumWidth(vb::twipsToPixels(5000));
}

void frmFixedPriceOptions::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void frmFixedPriceOptions::Form_Activate()
{
    setWindowTitle(pTitle);
    lblInfo->setText(pInfo);
    txtOfferPrice->setText(OfferCells::Plain(pOfferPrice));
    if (pValidFor == 0) pValidFor = 3;
    // A number no button stands for selects none.
    for (auto it = optValid.cbegin(); it != optValid.cend(); ++it) {
        it.value()->setAutoExclusive(false);
        it.value()->setChecked(it.key() == pValidFor);
        it.value()->setAutoExclusive(true);
    }
    m_confirmed = false;
    txtOfferPrice->setFocus();
    txtOfferPrice->selectAll();
}

double frmFixedPriceOptions::ReadOfferPrice(const QString& text, bool* ok)
{
    return AmountText::parse(text, ok, AmountText::Reading::Leading);
}

void frmFixedPriceOptions::cmdOK_Click()
{
    bool ok = false;
    const double price = ReadOfferPrice(txtOfferPrice->text(), &ok);
    // "1,500" is an offer of 1500 to every bidder, never of 1; "abc" is no offer of 0.
    if (!ok && !txtOfferPrice->text().trimmed().isEmpty()) {
        MsgBox(AmountText::NotAnAmount(QStringLiteral("offer price"), txtOfferPrice->text()), vbmsg::Information,
               ProgramContext::current().gAppTitle);
        txtOfferPrice->setFocus();
        return;
    }
    if (price == 0) {
        MsgBox(QStringLiteral("Please set the Offer Price first."), vbmsg::Information, ProgramContext::current().gAppTitle);
        return;
    }
    m_confirmed = true;
    accept();
}

void frmFixedPriceOptions::cmdCancel_Click() { reject(); }

void frmFixedPriceOptions::done(int result)
{
    // Form_Unload: anything but an accepted OK leaves no price.
    if (!m_confirmed) pOfferPrice = 0;
    QDialog::done(result);
}

bool frmFixedPriceOptions::HandleKey(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        cmdOK_Click();
        return true;
    }
    if (key == Qt::Key_Escape) {
        cmdCancel_Click();
        return true;
    }
    return false;
}

bool frmFixedPriceOptions::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event)->key())) return true;
    if (watched == txtOfferPrice && event->type() == QEvent::FocusIn)  // txtOfferPrice_GotFocus: typing replaces the price
        QMetaObject::invokeMethod(txtOfferPrice, &QLineEdit::selectAll, Qt::QueuedConnection);
    return QDialog::eventFilter(watched, event);
}
