#include "AddressRules.h"

#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/MessageService.h"
#include "platform/db/Recordset.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QVariantList>

namespace {
const QString CrLf = QStringLiteral("\r\n");

// The box's text as the program stores it: CR LF line ends (the box keeps LF).
QString storedText(const QPlainTextEdit* box)
{
    return box->toPlainText().replace(CrLf, QStringLiteral("\n")).replace(u'\n', CrLf);
}
}  // namespace

QString AddressRules::FirstLineName(const QString& address, const QString& name)
{
    if (!name.isEmpty()) return name;
    const qsizetype lineEnd = address.indexOf(CrLf);
    return lineEnd < 0 ? name : address.left(lineEnd);
}

void AddressRules::Follow(QPlainTextEdit* addressBox, QLineEdit* nameBox)
{
    QObject::connect(addressBox, &QPlainTextEdit::textChanged, nameBox, [addressBox, nameBox] {
        const QString name = FirstLineName(storedText(addressBox), nameBox->text());
        if (name != nameBox->text()) nameBox->setText(name);
    });
}

QString AddressRules::BuyerKey(const QString& typed)
{
    QString key = typed.left(BuyerIdLength);
    qsizetype end = key.size();
    while (end > 0 && key.at(end - 1) == u' ') --end;
    key.truncate(end);
    return key;
}

QString AddressRules::AddressQuestion(const QString& stored, const QString& typed)
{
    return QStringLiteral("The customer address on file is different to the delivery address.") + CrLf +
           QStringLiteral("Do you want to update the customer address?") + CrLf + CrLf + QStringLiteral("Current customer address:") +
           CrLf + stored + CrLf + CrLf + QStringLiteral("Update to:") + CrLf + typed;
}

AddressRules::BuyerPlan AddressRules::PlanBuyerAddress(const QString& buyerId, const QString& name, const QString& address,
                                                       const QString& email, bool createsBuyer)
{
    ProgramContext& ctx = ProgramContext::current();
    BuyerPlan plan;
    plan.createsBuyer = createsBuyer;
    // A creating window looks the buyer up by the key it will write, so that
    // an id typed with trailing blanks or too long finds the row it would
    // otherwise collide with.
    plan.buyerId = createsBuyer ? BuyerKey(buyerId) : buyerId;
    plan.name = name;
    plan.address = address;
    plan.email = email;
    if (plan.buyerId.isEmpty() || !ctx.gDatabase) return plan;

    Recordset rs;
    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT CustomerId, Address FROM Customer WHERE CustomerId=?"), {plan.buyerId}, false,
                               true, true, &rs))
        return plan;  // the save goes on without the buyer
    plan.exists = !rs.isEOF();
    if (!plan.exists && !createsBuyer) return plan;
    const QString stored = plan.exists ? rs.text(QStringLiteral("Address")) : QString();
    rs.Close();

    if (address.isEmpty() || stored == address)
        plan.takeAddress = false;
    else if (stored.isEmpty())
        plan.takeAddress = true;
    else  // the comparison counts case, unlike the column's own
        plan.takeAddress = MsgBox(AddressQuestion(stored, address), vbmsg::YesNo + vbmsg::Question + vbmsg::DefaultButton1,
                                  ctx.gAppTitle) == vbmsg::Yes;
    plan.skip = false;
    return plan;
}

bool AddressRules::WriteBuyerAddress(const BuyerPlan& plan)
{
    if (plan.skip) return true;
    ProgramContext& ctx = ProgramContext::current();
    const QVariant name = plan.name.isEmpty() ? QVariant() : QVariant(plan.name);
    // As typed: an empty box stores an empty text, not Null.
    const QVariant email = QVariant(plan.email.isNull() ? QStringLiteral("") : plan.email);

    QString sql;
    QVariantList binds;
    if (!plan.exists) {
        sql = QStringLiteral("INSERT INTO Customer (CustomerId, Name, Email, EmailCC, Address) VALUES (?, ?, ?, NULL, ?)");
        binds = {plan.buyerId, name, email, plan.takeAddress ? QVariant(plan.address) : QVariant()};
    } else {
        QStringList columns;
        if (plan.createsBuyer) {
            columns << QStringLiteral("CustomerId=?");
            binds << plan.buyerId;
        }
        columns << QStringLiteral("Name=?");
        binds << name;
        if (plan.createsBuyer) {
            columns << QStringLiteral("Email=?");
            binds << email;
        }
        if (plan.takeAddress) {
            columns << QStringLiteral("Address=?");
            binds << plan.address;
        }
        sql = QStringLiteral("UPDATE Customer SET ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" WHERE CustomerId=?");
        binds << plan.buyerId;
    }
    Recordset rs;
    return ctx.gDatabase && ctx.gDatabase->OpenDB(sql, binds, false, false, true, &rs);
}
