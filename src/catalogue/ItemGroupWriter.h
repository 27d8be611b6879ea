#pragma once
// The item group editor's write side without its window: an item's code,
// description and stocked flag, and nothing else of the row. The item's
// limits, end days, stock and warning level belong to the item editor and
// stay as stored whatever the flag (ticking it again finds them as they were);
// a new row takes the table's defaults for them. Saving an item that is not
// stocked deletes its details in the same transaction; a new code takes the
// details along.

#include "ItemWriter.h"

#include <QString>

// The group editor's boxes, as the user left them.
struct ItemGroupForm {
    bool adding = false;  // false: editing
    QString heldCode;     // the remembered code: where editing began
    QString codeText;     // the code box text
    QString description;
    bool stocked = false;
};

class ItemGroupWriter {
public:
    // Adds or changes the Item row, in one transaction: refusals (the
    // default item, a code another item holds, a row added twice or gone) as
    // ItemWriter::Save, failures reported and nothing written. The result's
    // row holds the code, description and flag written.
    static ItemSaveResult Save(const ItemGroupForm& form);

    // The code of the item an auction title names: the item whose
    // description it is, else the item of the detail with that title; "" for
    // none. A failing look-up is reported.
    static QString ItemOfTitle(const QString& title);
};
