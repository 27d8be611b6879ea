#pragma once
// The seller's settings: the typed copy of the one Configuration row that the
// whole program reads. Loaded at every open of a database.

#include <QString>

class Recordset;

struct Configuration {
    QString DatabaseDesc;
    double DateSystemStart = 0;
    double DateLastUpdate = 0;
    QString LocationId;
    qint16 DefaultLink = 0;
    qint32 NextAuctionNumber = 0;
    qint32 NextAuctionNumberStep = 0;
    bool ShowGrid = false;
    bool DefaultList = false;
    double ListColor = 0;
    QString EmailFrom;
    QString EmailCC;
    QString EmailSMTP;
    QString EmailUserId;
    QString EmailPassword;
    QString EmailSignature;
    qint16 EmailWrap = 0;
    QString Feedback;
    QString Notes;
    QString TradeMeMemberId;
    QString TradeMeUserId;
    QString TradeMePassword;
    QString TradeMeEmail;
    QString BankAccountName;
    QString BankAccountNumber;
    qint16 DefaultFPOdays = 0;
    bool FPOunsold = false;
    bool FPOsold = false;
    bool RelistUnsold = false;

    // Reads the 29 values from the current row of rs, in order. A text column
    // that is Null reads as ""; a missing column, or a Null or unconvertible
    // value in a typed column, fails the load (the error names the column) and
    // leaves this copy as it was.
    bool Load(const Recordset& rs, QString* error = nullptr);

    // A database is set up once a login has given it the seller's member id.
    bool IsSetUp() const;
};
