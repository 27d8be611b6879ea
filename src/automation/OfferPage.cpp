#include "OfferPage.h"

#include "OfferCells.h"
#include "platform/HtmlTag.h"
#include "core/modWebProcessing.h"

#include <QRegularExpression>

namespace {
const QString CrLf = QStringLiteral("\r\n");

// An attribute value as the page means it: the few entities a serialised
// attribute holds are decoded, so that escaping it again gives it back.
QString decodeEntities(const QString& text)
{
    static const QRegularExpression entity(QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|amp|quot|lt|gt|apos|nbsp);"));
    QString out;
    qsizetype last = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        const QString name = m.captured(1);
        if (name == QLatin1String("amp")) out += u'&';
        else if (name == QLatin1String("quot")) out += u'"';
        else if (name == QLatin1String("lt")) out += u'<';
        else if (name == QLatin1String("gt")) out += u'>';
        else if (name == QLatin1String("apos")) out += u'\'';
        else if (name == QLatin1String("nbsp")) out += QChar(0xA0);
        else {
            bool ok = false;
            const uint code = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive) ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF) out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
            else out += m.captured(0);
        }
        last = m.capturedEnd();
    }
    return out + text.mid(last);
}
}  // namespace

QString OfferPage::Recipients(const QString& pageHtml)
{
    const QString inputs = modWebProcessing::GetBidderInputs(modWebProcessing::ExtractForm(pageHtml, FormKey(), true));
    if (inputs.isEmpty()) return {};
    QStringList lines;
    const QLatin1String input("input");
    for (HtmlTag t = HtmlTag::Find(inputs, input, 0); t.found(); t = HtmlTag::Find(inputs, input, t.after(inputs))) {
        QString name, value, type;
        bool checked = false;
        HtmlTag::Attribute a;
        for (qsizetype at = t.start + 1 + t.name.size(); HtmlTag::NextAttribute(inputs, at, a);) {
            const QString key = inputs.mid(a.start, a.nameEnd - a.start).toLower();
            QString v;
            if (a.valueStart >= 0) {
                v = decodeEntities(inputs.mid(a.valueStart, a.valueEnd - a.valueStart));
                if (v.isNull()) v = QStringLiteral("");  // given, though empty
            }
            if (key == QLatin1String("name") && name.isNull()) name = v;
            else if (key == QLatin1String("value") && value.isNull()) value = v;
            else if (key == QLatin1String("type") && type.isNull()) type = v.toLower();
            else if (key == QLatin1String("checked")) checked = true;
        }
        if (!name.startsWith(QLatin1String("bidder_id_"), Qt::CaseInsensitive)) continue;
        if ((type == QLatin1String("checkbox") || type == QLatin1String("radio")) && !checked) continue;
        if (value.isNull() && type == QLatin1String("checkbox")) value = QStringLiteral("on");
        lines << QStringLiteral("<input type=\"hidden\" name=\"%1\" value=\"%2\">").arg(name.toHtmlEscaped(), value.toHtmlEscaped());
    }
    return lines.join(CrLf);
}

bool OfferPage::Create(const QString& fileStem, const QString& auctionNumber, const QString& recipients, double price, int days)
{
    const QString recipientsCode = QStringLiteral("[OFFERRECIPIENTS]");
    return modWebProcessing::FillTemplate(fileStem,
                                          {{QStringLiteral("[AUCTIONNUMBER]"), auctionNumber},
                                           {recipientsCode, recipients},
                                           {QStringLiteral("[OFFERPRICE]"), OfferCells::Plain(price)},
                                           {QStringLiteral("[DAYSVALID]"), QString::number(days)}},
                                          false, {recipientsCode});
}

OfferPage::Refusal OfferPage::Classify(const QString& pageText)
{
    const QString text = pageText.toLower();
    if (text.contains(QLatin1String("you have already made an offer"))) return Refusal::AlreadyMade;
    if (text.contains(QLatin1String("the auction has been relisted"))) return Refusal::Relisted;
    if (text.contains(QLatin1String("all bidders and watchers have removed"))) return Refusal::NoBidders;
    if (text.contains(QLatin1String("you can no longer place a fixed price offer"))) return Refusal::NoLongerPossible;
    return Refusal::Unexplained;
}

QString OfferPage::Reason(Refusal refusal)
{
    switch (refusal) {
    case Refusal::AlreadyMade: return QStringLiteral("A fixed price offer has already been made.");
    case Refusal::Relisted: return QStringLiteral("Item has been relisted.");
    case Refusal::NoLongerPossible: return QStringLiteral("A fixed price offer can no longer be made for this item.");
    case Refusal::NoBidders:
    case Refusal::Unexplained: break;
    }
    return {};
}

QString OfferPage::Message(Refusal refusal, const QString& title, const QString& auctionNumber)
{
    if (refusal == Refusal::NoBidders) return {};
    const QString item = QStringLiteral(" for item '") + title + QStringLiteral("' (ref# ") + auctionNumber + QStringLiteral(").");
    if (refusal != Refusal::Unexplained)
        return QStringLiteral("Could not make a fixed price offer") + item + CrLf + CrLf + Reason(refusal);
    return QStringLiteral("Could not make fixed price offer") + item + CrLf + CrLf + QStringLiteral("Possible cause:") + CrLf +
           QStringLiteral("1. A fixed price offer has already been made.") + CrLf + QStringLiteral("2. Item has been relisted.") + CrLf +
           QStringLiteral("3. You are not connected to the internet.") + CrLf +
           QStringLiteral("4. TradeMe could be temporarily down (try again later).") + CrLf +
           QStringLiteral("5. You may not be using the latest version of this software (check for update).");
}
