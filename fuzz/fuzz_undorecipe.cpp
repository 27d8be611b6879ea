// Undo recipes are read back from History rows: whatever a value held when it
// was written, it reads back whole, and any stored text reads without harm.
#include "FuzzInput.h"
#include "core/UndoRecipe.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QString> f = fuzz::fields(data, size, 4);
    QList<UndoRecipe::Pair> pairs;
    (void)UndoRecipe::Parse(f[0], &pairs);

    // Names are the program's own column names: no "=" or "," in them.
    UndoRecipe recipe;
    QList<UndoRecipe::Pair> written;
    for (int i = 1; i < 4; ++i) {
        const QString name = QStringLiteral("Column%1").arg(i);
        recipe.add(name, f[i]);
        written.append({name, f[i]});
    }
    QList<UndoRecipe::Pair> read;
    QString bad;
    if (!UndoRecipe::Parse(recipe.text(), &read, &bad)) std::abort();
    // Empty values are kept, so the pairs come back one for one.
    if (read != written) std::abort();
    return 0;
}
