#include "UpdateSession.h"

#include "ListingComparison.h"
#include "UpdateSaver.h"
#include "UpdateView.h"
#include "core/MainWindowApi.h"
#include "core/ProgramContext.h"
#include "core/modCommon.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

void UpdateSession::MarkBeforeSystemStart(Recordset& rs, const QString& DateField)
{
    if (ListingComparison::MarkBeforeSystemStart(rs, DateField, ProgramContext::current().gConfiguration.DateSystemStart) &&
        mNoteRed == 0)
        mNoteRed = 1;
}

void UpdateSession::CompareWithDatabase(Recordset& rs)
{
    ListingComparison::CompareWithDatabase(rs, mListType, &mChangedTab, vb::today());
}

void UpdateSession::CheckSoldShipping()
{
    Recordset* sold = mListings[ListingRecordsets::Sold].get();
    if (!sold || mShippingTotals.isEmpty() || sold->RecordCount() == 0) return;
    const int position = sold->AbsolutePosition();
    for (bool more = sold->MoveFirst(); more && !sold->isEOF(); more = sold->MoveNext()) {
        const QString listing = sold->text(QStringLiteral("listing_id"));
        const QString buyer = sold->text(QStringLiteral("buyer_name"));
        for (const ShippingTotal& typed : std::as_const(mShippingTotals))
            if (typed.ListingId == listing && typed.BuyerName == buyer)
                sold->setValue(QStringLiteral("selected_shipping"), typed.Shipping);
    }
    sold->MoveTo(position);
}

bool UpdateSession::SaveUpdates(bool UnloadAfter)
{
    if (mNoteLowStock == 0) CheckStockLevels();
    if (m_view) m_view->ShowWait(QStringLiteral("Updating database"));
    UpdateSaver saver(mListings);
    const bool saved = saver.Save();
    if (m_view) m_view->ShowWait(QString());
    if (!saved) return false;
    mCompletionRows = saver.CompletionRows();
    mUnsavedChanges = false;
    ProgramContext& ctx = ProgramContext::current();
    if (ctx.gMainWindow) ctx.gMainWindow->ShowDefaultListAfresh();
    if (mNoteLowStock == 1) {
        mNoteLowStock = 2;
        modCommon::ShowMessage(QStringLiteral("One or more items that have just sold are currently out of stock or low on stock.  To view these "
                                   "items, print the 'Low stock report' on the reports menu."),
                    vbmsg::Information, false, QStringLiteral("Vendaro"), false);
    }
    if (UnloadAfter && m_view) m_view->Unload();
    return true;
}

void UpdateSession::GetItemCodes()
{
    if (m_view) m_view->ShowWait(QStringLiteral("Retrieving item codes from database"));
    UpdateSaver::GetItemCodes(*mListings[mListType]);
}

void UpdateSession::CheckStockLevels()
{
    if (m_view) m_view->ShowWait(QStringLiteral("Checking stock levels"));
    if (UpdateSaver::LowStock(*mListings[ListingRecordsets::Sold])) mNoteLowStock = 1;
}

bool UpdateSession::SetDateLastUpdate() { return UpdateSaver::SetDateLastUpdate(); }

QString UpdateSession::GetExtraFeatures(const QString& Gallery, const QString& Bold, const QString& Featured, const QString& HomePage)
{
    return UpdateSaver::GetExtraFeatures(Gallery, Bold, Featured, HomePage);
}
