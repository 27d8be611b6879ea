#pragma once
// The item group editor's write side without its window: an item's code,
// description and stocked flag, saved with the item editor's rules
// (ItemWriter) while the row's other columns keep what they hold. Saving an
// item that is not stocked deletes its details in the same transaction.

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
    // Adds or changes the Item row; refusals and failures as ItemWriter::Save.
    static ItemSaveResult Save(const ItemGroupForm& form);

    // The code of the item an auction title names: the item whose
    // description it is, else the item of the detail with that title; "" for
    // none. A failing look-up is reported.
    static QString ItemOfTitle(const QString& title);
};
