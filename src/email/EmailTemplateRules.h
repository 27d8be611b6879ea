#pragma once
// What the template editor decides without its window: the template kinds and
// codes it offers, where a code goes into a text, which templates are the
// protected standard ones, the one-template-per-item-and-kind rule of an add,
// and the preview of a template for a sample sale.

#include <QList>
#include <QString>
#include <QVector>

class clsEmails;

class EmailTemplateRules {
public:
    // The item every task step falls back to; its standard templates stay.
    static const QString DefaultItem;

    // The template kinds a template may have, in the order the editor lists them.
    static const QList<int>& Kinds();

    // One row of the code list: its caption and the code it inserts; a
    // separator has a blank caption and no code.
    struct CodeRow {
        QString caption;
        QString code;
    };
    static const QVector<CodeRow>& CodeRows();

    // Puts code into text at position start (counted from 0) and returns the
    // caret after it. A start outside the text goes to its nearer end.
    static int InsertCode(QString& text, int start, const QString& code);

    // A standard template of the default item: any kind but the custom e-mail.
    // It is never deleted, nor moved to another item or kind.
    static bool IsProtected(const QString& ItemId, int ActionId);

    // While adding: whether a template other than EmailId already has this
    // item and kind (custom e-mails may share both). A failed query is
    // reported and sets *failed.
    static bool ExistsForItemAndKind(const QString& EmailId, const QString& ItemId, int ActionId, bool* failed);

    // The stored template's item and kind; false when there is no such row
    // or the query failed (reported, *failed set).
    static bool StoredKind(const QString& EmailId, QString* ItemId, int* ActionId, bool* failed);

    // The e-mail a template makes, as GetEmail would, for a sample sale that
    // is never stored: includes expanded in the message, codes in both, the
    // message wrapped. Missing includes or required values are reported by
    // the composition and left in the text.
    struct Preview {
        QString subject;
        QString message;
    };
    static Preview BuildPreview(clsEmails& emails, const QString& Subject, const QString& Message);
};
