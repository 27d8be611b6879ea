#pragma once
// The bare address in what a seller types or pastes into an e-mail field.
// Shared by the editors and the e-mail engine (clsEmails::GetAddress), so the
// editors need no e-mail layer for it.

#include <QString>

class MailAddress {
public:
    // A leading "mailto:" (any case) dropped and, when the text holds an "@"
    // with "<" and then ">", only what stands between them. A ">" before the
    // first "<" leaves the text as given.
    static QString bare(const QString& Address);
};
