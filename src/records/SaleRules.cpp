#include "SaleRules.h"

#include <QStringList>

namespace {
const QString CrLf = QStringLiteral("\r\n");
}

QString SaleRules::ZeroBidQuestion() { return QStringLiteral("The winning bid amount is set to zero - is this correct?"); }

SaleRules::Verdict SaleRules::Validate(const Check& c)
{
    auto fail = [](const QString& message, Field field) { return Verdict{message, field, false}; };
    if (c.step != 15 && !c.nextActionDate) return fail(QStringLiteral("Please set the next action date."), Field::NextActionDate);
    if (!c.name.isEmpty() || !c.address.isEmpty()) {
        if (c.customerId.isEmpty()) return fail(QStringLiteral("Please set the Buyer Id."), Field::CustomerId);
        if (c.email.isEmpty()) return fail(QStringLiteral("Please set the buyer email address."), Field::Email);
    } else {
        if (!c.customerId.isEmpty() && c.email.isEmpty()) return fail(QStringLiteral("Please set the buyer email address."), Field::Email);
        if (c.customerId.isEmpty() && !c.email.isEmpty()) return fail(QStringLiteral("Please set the Buyer Id."), Field::CustomerId);
    }
    if (c.stepText.isEmpty() && c.nextActionDate) return fail(QStringLiteral("Please set the next action."), Field::Step);
    if (c.datePaid && c.payId.isEmpty()) return fail(QStringLiteral("Please set the payment method."), Field::PayId);
    if (!c.datePaid && c.step >= 10 && c.step <= 14)
        return fail(QStringLiteral("Cannot have a next action of ") + c.stepText + QStringLiteral(" when date paid is not set.") + CrLf + CrLf +
                        QStringLiteral("Set the payment date or change the next action."),
                    Field::Step);
    if ((c.datePaid || c.dateSent) && c.customerId.isEmpty()) return fail(QStringLiteral("Please set the buyer details."), Field::CustomerId);
    if (c.nonAuction && c.adding && c.customerId.isEmpty()) return fail(QStringLiteral("Please set the buyer details."), Field::CustomerId);
    if (c.step >= 2 && c.step <= 14 && c.winningBid == 0)
        return Verdict{QStringLiteral("Please set the winning bid amount."), Field::WinningBid, true};
    return {};
}

QString SaleRules::ProperCaseName(const QString& name)
{
    if (!name.contains(u' ')) return name;
    QString out;
    out.reserve(name.size());
    bool wordStart = true;
    for (const QChar c : name) {
        out += wordStart ? c.toUpper() : c.toLower();
        wordStart = c == u' ';
    }
    return out;
}

QString SaleRules::StripSiteAddressLabels(const QString& address)
{
    if (!address.contains(QLatin1String("COUNTRY : "))) return address;
    QString text = address;
    for (const QString& label : {QStringLiteral("ADDRESS : "), QStringLiteral("CITY : "), QStringLiteral("STATE : "), CrLf + QStringLiteral("ZIP :"),
                                 QStringLiteral("COUNTRY : ")}) {
        const qsizetype at = text.indexOf(label);
        if (at >= 0) text.remove(at, label.size());
    }
    return text;
}
