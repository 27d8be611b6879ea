// The review lists' popup menu: look at a listing on the site, make a fixed
// price offer, open the sale or its stock item, correct a sold listing's
// shipping total, and process a listing that ended before the system start.

#include "frmUpdate.h"

#include "ListingProcessor.h"
#include "ListingRecordsets.h"
#include "ReviewListModel.h"
#include "UpdateSession.h"
#include "core/ProgramContext.h"
#include "core/clsLinks.h"
#include "core/modCommon.h"
#include "platform/AmountText.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/db/Recordset.h"

#include <QAction>
#include <QMenu>
#include <QTreeView>

namespace {
const QString CrLf = QStringLiteral("\r\n");

// The sold listing's record, or null: the row's position in its set.
Recordset* recordOf(UpdateSession& session, int listType, int position)
{
    Recordset* rs = session.mListings[listType].get();
    if (!rs || position < 0 || position >= rs->RecordCount() || !rs->MoveTo(position)) return nullptr;
    return rs;
}
}  // namespace

void frmUpdate::showPopup(int listType, const QPoint& position)
{
    QTreeView* view = m_lists[listType];
    if (m_models[listType]->rowCount() == 0 || !mnuPopup->isEnabled()) return;
    // Only over the selected row: a click beside it opens nothing.
    const QModelIndex at = view->indexAt(position);
    if (!at.isValid() || at.row() != currentRow()) return;
    mnuPopup_Click();
    mnuPopup->popup(view->viewport()->mapToGlobal(position));
}

void frmUpdate::mnuPopup_Click()
{
    const int type = currentListType();
    const int row = currentRow();
    const ReviewListModel& model = *m_models[type];
    bool offered = true;
    if (row >= 0 && type != ListingRecordsets::Current)
        if (Recordset* rs = recordOf(*m_session, type, model.RecordPosition(row)))
            offered = rs->value(QStringLiteral("FixedPriceOffered")).toBool();
    const bool sold = type == ListingRecordsets::Sold;
    popupAction(QStringLiteral("mnuPopupTrademe"))->setEnabled(row >= 0);
    popupAction(QStringLiteral("mnuFixedPriceOffer"))->setEnabled(row >= 0 && !offered);
    popupAction(QStringLiteral("mnuPopupAuction"))->setEnabled(row >= 0);
    popupAction(QStringLiteral("mnuPopupItem"))->setEnabled(row >= 0);
    popupAction(QStringLiteral("mnuPopupItemView"))->setEnabled(row >= 0);
    popupAction(QStringLiteral("mnuPopupItemAdd"))->setEnabled(row >= 0 && model.ItemCode(row) == QLatin1String("MISC"));
    popupAction(QStringLiteral("mnuPopupShipping"))->setEnabled(row >= 0 && sold && model.RowBold(row));
    popupAction(QStringLiteral("mnuPopupProcess"))->setEnabled(row >= 0 && sold && model.RowRed(row));
}

bool frmUpdate::saveFirst(const QString& what)
{
    if (!m_session->mUnsavedChanges) return true;
    if (MsgBox(what + CrLf + CrLf + QStringLiteral("Do you want to save now?"), vbmsg::YesNo + vbmsg::Question,
               ProgramContext::current().gAppTitle) != vbmsg::Yes)
        return false;
    if (m_session->SaveUpdates(false)) refillLists();
    return !m_session->mUnsavedChanges;
}

void frmUpdate::openListingLink(int linkId, bool modal)
{
    const int row = currentRow();
    if (row < 0) return;
    ProgramContext& ctx = ProgramContext::current();
    const QString address =
        modCommon::ReplaceText(ctx.gLinks->Link(linkId), QStringLiteral("[AUCTIONNUMBER]"), m_models[currentListType()]->ListingId(row));
    if (address.isEmpty()) return;
    const QVariantMap vars = {{QStringLiteral("StartingAddress"), address}};
    if (modal) FormsRegistry::instance().showModal(QStringLiteral("frmBrowser"), vars, this);
    else FormsRegistry::instance().showModeless(QStringLiteral("frmBrowser"), vars, this);
}

void frmUpdate::mnuPopupTrademe_Click() { openListingLink(ProgramContext::current().gLinkIdViewAuction, false); }

void frmUpdate::mnuFixedPriceOffer_Click()
{
    if (currentRow() < 0) return;
    if (!saveFirst(QStringLiteral("You must save changes before you can make a fixed price offer for this listing."))) return;
    openListingLink(ProgramContext::current().gLinkIdFixedPriceOffer, true);
    // The offer changes what the site lists: download it all again.
    cmdRefresh_Click();
}

void frmUpdate::mnuPopupAuction_Click()
{
    const int type = currentListType();
    const int row = currentRow();
    if (row < 0) return;
    const int position = m_models[type]->RecordPosition(row);
    QString id = m_models[type]->ListingId(row);
    if (!saveFirst(QStringLiteral("You must save changes before you can view this auction."))) return;
    if (type == ListingRecordsets::Sold) {
        Recordset* rs = recordOf(*m_session, type, position);
        id = rs ? ListingProcessor::FindAuctionId(rs->text(QStringLiteral("listing_id")), rs->text(QStringLiteral("buyer_name")))
                : QString();
        if (id.isEmpty()) {
            // Nothing saved yet for this sale: a blank sale window would make a new one.
            MsgBox(QStringLiteral("Cant find auction?"), vbmsg::Critical, ProgramContext::current().gAppTitle);
            return;
        }
    }
    FormsRegistry::instance().showModal(QStringLiteral("frmAuction"),
                                        {{QStringLiteral("mRemoteEdit"), true}, {QStringLiteral("mRemoteId"), id}}, this);
    cmdRefresh_Click();
}

void frmUpdate::list_DblClick()
{
    if (currentRow() >= 0) mnuPopupAuction_Click();
}

void frmUpdate::mnuPopupItemView_Click()
{
    const int row = currentRow();
    if (row >= 0) OpenItemForm(m_models[currentListType()]->ItemCode(row), QString(), false);
}

void frmUpdate::mnuPopupItemAdd_Click()
{
    const int row = currentRow();
    if (row >= 0) OpenItemForm(QString(), m_models[currentListType()]->CellText(row, 3), true);
}

void frmUpdate::OpenItemForm(const QString& ItemId, const QString& Description, bool AddNew)
{
    FormsRegistry::instance().showModal(QStringLiteral("frmItem"),
                                        {{QStringLiteral("mRemoteId"), ItemId},
                                         {QStringLiteral("mRemoteDesc"), Description},
                                         {QStringLiteral("mRemoteAddNew"), AddNew}},
                                        this);
    // A new or renamed item changes the item codes of the rows.
    const int listType = m_session->mListType;
    for (int i = 0; i < 3; ++i) {
        if (!m_session->mListings[i]) continue;
        m_session->mListType = i;
        m_session->GetItemCodes();
    }
    m_session->mListType = listType;
    refillLists();
    ShowWait(QString());
}

void frmUpdate::mnuPopupShipping_Click()
{
    const int row = currentRow();
    if (row < 0 || currentListType() != ListingRecordsets::Sold) return;
    Recordset* rs = recordOf(*m_session, ListingRecordsets::Sold, m_models[ListingRecordsets::Sold]->RecordPosition(row));
    if (!rs) return;
    const QVariant shipping = rs->value(QStringLiteral("selected_shipping"));
    QString answer;
    if (!MessageService::instance().InputBox(QStringLiteral("Enter the shipping cost for this auction.") + CrLf + CrLf +
                                                 QStringLiteral("(Enter 0 for no shipping charge)"),
                                             ProgramContext::current().gAppTitle, shipping.isNull() ? QString() : shipping.toString(),
                                             &answer))
        return;
    bool ok = false;
    const double amount = AmountText::parse(answer, &ok, AmountText::Reading::Leading);
    if (!ok && !answer.trimmed().isEmpty()) {
        MsgBox(AmountText::NotAnAmount(QStringLiteral("shipping cost"), answer), vbmsg::Exclamation, ProgramContext::current().gAppTitle);
        return;
    }
    if (!(amount > 0) && answer != QLatin1String("0")) return;
    m_session->mShippingTotals.append({rs->text(QStringLiteral("listing_id")), rs->text(QStringLiteral("buyer_name")), amount});
    m_session->CheckSoldShipping();
    fill(ListingRecordsets::Sold);
}

void frmUpdate::mnuPopupProcess_Click()
{
    const int row = currentRow();
    if (row < 0 || currentListType() != ListingRecordsets::Sold) return;
    ListingProcessor processor(*m_session);
    const auto outcome = processor.ProcessListing(m_models[ListingRecordsets::Sold]->RecordPosition(row), [this] {
        if (m_session->SaveUpdates(false)) refillLists();
    });
    if (outcome == ListingProcessor::Outcome::Updated) fill(ListingRecordsets::Sold);
}
