#include "TaskDialog.h"

#include "core/ProgramContext.h"
#include "core/MainWindowApi.h"
#include "core/clsDatabase.h"
#include "platform/FocusChain.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/ReadOnlyBox.h"
#include "platform/TypingLimit.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QString CrLf = QStringLiteral("\r\n");
}

TaskDialog::TaskDialog(const char* name, const QString& caption, QWidget* parent) : QDialog(parent)
{
    setObjectName(QLatin1String(name));
    setWindowTitle(caption);
    auto* outer = new QVBoxLayout(this);
    m_fields = new QGridLayout;
    m_fields->setColumnStretch(1, 1);
    outer->addLayout(m_fields, 1);
    // Enter in a field updates; a box with an Enter of its own (the buyer box's
    // look-up, a new line in the address) keeps it.
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cmdUpdate = new QPushButton(QStringLiteral("&Update"), this);
    cmdUpdate->setObjectName(QStringLiteral("cmdUpdate"));
    cmdUpdate->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    for (QPushButton* b : {cmdUpdate, cmdCancel}) buttons->addWidget(b);
    connect(cmdUpdate, &QPushButton::clicked, this, [this] { cmdUpdate_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    outer->addLayout(buttons);
}

void TaskDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_loaded) return;
    m_loaded = true;
    Form_Load();
    // The buttons were made before the fields: Tab and the caret start at the first field.
    FocusChain::Prepare(this);
}

bool TaskDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a ">>" opens its editor, as on any button, instead of updating.
    if (event->type() == QEvent::KeyPress && qobject_cast<QToolButton*>(watched)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            static_cast<QToolButton*>(watched)->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString TaskDialog::addressText(const QPlainTextEdit* box) { return box->toPlainText().replace(CrLf, QStringLiteral("\n")).replace(u'\n', CrLf); }

void TaskDialog::setAddressText(QPlainTextEdit* box, const QString& text)
{
    box->setPlainText(QString(text).replace(CrLf, QStringLiteral("\n")));
}

QToolButton* TaskDialog::formButton(const char* name, const QString& tip, std::function<void()> click)
{
    auto* b = new QToolButton(this);
    b->setObjectName(QLatin1String(name));
    b->setText(QStringLiteral(">>"));
    b->setToolTip(tip);
    connect(b, &QToolButton::clicked, this, std::move(click));
    b->installEventFilter(this);
    return b;
}

QLineEdit* TaskDialog::lineBox(const char* name, int maxLength, bool readOnly)
{
    auto* box = new QLineEdit(this);
    box->setObjectName(QLatin1String(name));
    TypingLimit::Apply(box, maxLength);
    if (readOnly) ReadOnlyBox::Apply(box);
    return box;
}

QPlainTextEdit* TaskDialog::addressBox(QLineEdit* nameBox)
{
    auto* box = new QPlainTextEdit(this);
    box->setObjectName(QStringLiteral("txtDeliveryAddress"));
    box->setTabChangesFocus(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setMinimumHeight(vb::twipsToPixels(1300));
    AddressRules::Follow(box, nameBox);
    return box;
}

void TaskDialog::openEditor(const QString& form, const QString& code)
{
    FormsRegistry::instance().showModal(form, {{QStringLiteral("mRemoteId"), code}}, this);
}

void TaskDialog::setSaleCaption(const QString& verb, const Recordset& rs)
{
    setWindowTitle(verb + QStringLiteral(": ") + rs.text(QStringLiteral("AuctionId")) + QStringLiteral(" - ") +
                   rs.text(QStringLiteral("Description")));
}

bool TaskDialog::openSaleWithBuyer(const QString& columns, Recordset* rs)
{
    return ProgramContext::current().gDatabase->OpenDB(QStringLiteral("SELECT ") + columns +
                                                           QStringLiteral(", Customer.CustomerId, Customer.Name, Customer.Address "
                                                                          "FROM Auction LEFT JOIN Customer ON Customer.CustomerId = Auction.CustomerId "
                                                                          "WHERE AuctionId=?"),
                                                       {mAuctionId}, false, true, true, rs) &&
           !rs->isEOF();
}

void TaskDialog::showBuyer(const Recordset& rs, QLineEdit* id, QLineEdit* name, QPlainTextEdit* address)
{
    id->setText(rs.text(QStringLiteral("CustomerId")));
    name->setText(rs.text(QStringLiteral("Name")));
    if (address->toPlainText().isEmpty()) setAddressText(address, rs.text(QStringLiteral("Address")));
}

QVariant TaskDialog::textOrNull(const QString& text) { return text.isEmpty() ? QVariant() : QVariant(text); }

void TaskDialog::inform(const QString& text) { MsgBox(text, vbmsg::Information, ProgramContext::current().gAppTitle); }

bool TaskDialog::saveSale(const AddressRules::BuyerPlan& buyer, const SaleTasks::Columns& columns)
{
    if (SaleTasks::Save(mAuctionId, buyer, columns) != SaleTasks::Saved) return false;
    // The list shows what was stored, also when the step then cannot move.
    if (MainWindowApi* main = ProgramContext::current().gMainWindow) main->RefreshListItem(mAuctionId);
    return true;
}
