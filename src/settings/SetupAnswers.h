#pragma once
// What the seller told the setup wizard: the Yes/No answers and the numbers
// of its day fields.

struct SetupAnswers {
    bool CustomiseTasks = false;            // page 3
    bool WinningBidderEmail = false;        // page 4
    bool NegativeFeedback = false;          // page 10
    bool RelistUnpaid = false;              // page 12
    bool PaymentReceivedEmail = false;      // page 13
    bool ShippedConfirmationEmail = false;  // page 14
    bool PositiveFeedback = false;          // page 15
    bool ThankYouEmail = false;             // page 18
    bool RelistUnsold = false;              // page 20
    bool FPOunsold = false;                 // page 21
    bool FPOsold = false;                   // page 22

    double Reminder[4] = {0, 0, 0, 0};  // 1-3: days before each payment reminder
    double RequestRefund = 3;
    double NegativeFeedbackDays = 0;
    double FeedbackDays = 0;
    double ThankyouDays = 0;
    double OfferLength = 3;
};
