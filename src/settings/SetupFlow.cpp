#include "SetupFlow.h"

#include "platform/Vb.h"

namespace SetupFlow {

bool IsQuestionPage(int page)
{
    switch (page) {
    case 3: case 4: case 10: case 12: case 13: case 14: case 15: case 18: case 20: case 21: case 22: return true;
    default: return false;
    }
}

bool* Answer(SetupAnswers& a, int page)
{
    switch (page) {
    case 3: return &a.CustomiseTasks;
    case 4: return &a.WinningBidderEmail;
    case 10: return &a.NegativeFeedback;
    case 12: return &a.RelistUnpaid;
    case 13: return &a.PaymentReceivedEmail;
    case 14: return &a.ShippedConfirmationEmail;
    case 15: return &a.PositiveFeedback;
    case 18: return &a.ThankYouEmail;
    case 20: return &a.RelistUnsold;
    case 21: return &a.FPOunsold;
    case 22: return &a.FPOsold;
    default: return nullptr;
    }
}

int NextPage(int page, const SetupAnswers& a)
{
    // Without a first reminder there is no second or third.
    if (page == 5 && a.Reminder[1] == 0) return a.WinningBidderEmail ? 8 : 9;
    if (page == 6 && a.Reminder[2] == 0) return 8;
    return page < PageCount ? page + 1 : page;
}

int NoPage(int page, const SetupAnswers& a)
{
    switch (page) {
    case 3: return 20;
    case 10: return 12;
    case 15: return 18;
    case 18: return 20;
    case 22: return a.FPOunsold ? 23 : 24;
    default: return NextPage(page, a);
    }
}

int BackPage(int page, const SetupAnswers& a)
{
    switch (page) {
    case 8: case 9: return 5;
    case 12: return 10;
    case 18: return 15;
    case 20: return a.CustomiseTasks ? 18 : 3;
    default: return page > 1 ? page - 1 : page;
    }
}

QString Check(int page, const SetupAnswers& a)
{
    if (page == 9 && a.Reminder[1] + a.Reminder[2] + a.Reminder[3] + a.RequestRefund < 3)
        return QStringLiteral("TradeMe allows a refund request after a minimum of 3 days");
    if (page == 23 && a.OfferLength != 1 && a.OfferLength != 3 && a.OfferLength != 7)
        return QStringLiteral("TradeMe allows an offer to be made for 1, 3 or 7 days only");
    return {};
}

namespace {
int days(double n) { return int(vb::roundHalfEven(n)); }
}  // namespace

QList<Link> PrePaymentChain(const SetupAnswers& a)
{
    const double r1 = a.Reminder[1], r2 = a.Reminder[2], r3 = a.Reminder[3];
    const Link toRefund{0, 8, days(a.RequestRefund)};
    auto from = [](int step, Link link) {
        link.Step = step;
        return link;
    };
    const Link afterRefundOrFeedback = a.RelistUnpaid ? Link{0, 16, 0} : Link{0, 15, 0};
    const Link afterReminders1 = r1 > 0 ? Link{0, 4, days(r1)} : toRefund;

    QList<Link> chain;
    int step = 1;
    while (step != 15 && step != 16) {
        Link link;
        switch (step) {
        case 1: link = a.WinningBidderEmail ? Link{0, 2, 0} : afterReminders1; break;
        case 2: link = afterReminders1; break;
        case 4: link = r2 > 0 ? Link{0, 5, days(r2)} : toRefund; break;
        case 5: link = r3 > 0 ? Link{0, 6, days(r3)} : toRefund; break;
        case 6: link = toRefund; break;
        case 8: link = a.NegativeFeedback ? Link{0, 9, days(a.NegativeFeedbackDays)} : afterRefundOrFeedback; break;
        case 9: link = afterRefundOrFeedback; break;
        default: return chain;
        }
        chain.append(from(step, link));
        step = link.Next;
    }
    return chain;
}

QList<Link> PostPaymentChain(const SetupAnswers& a)
{
    const Link afterThanks = a.ThankYouEmail ? Link{0, 14, days(a.ThankyouDays)} : Link{0, 15, 0};
    const Link afterFeedback = a.PositiveFeedback ? Link{0, 13, days(a.FeedbackDays)} : afterThanks;
    QList<Link> chain;
    int step = 7;
    while (step != 15) {
        Link link;
        switch (step) {
        case 7: link = {0, a.PaymentReceivedEmail ? 10 : 11, 0}; break;
        case 10: link = {0, 11, 0}; break;
        case 11: link = a.ShippedConfirmationEmail ? Link{0, 12, 0} : afterFeedback; break;
        case 12: link = afterFeedback; break;
        case 13: link = afterThanks; break;
        case 14: link = {0, 15, 0}; break;
        default: return chain;
        }
        link.Step = step;
        chain.append(link);
        step = link.Next;
    }
    return chain;
}

}  // namespace SetupFlow
