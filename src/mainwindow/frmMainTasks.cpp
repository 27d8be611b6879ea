// The main window's task commands, its list popup and the site pages it opens.

#include "frmMain.h"

#include "AuctionListModel.h"
#include "SearchPanel.h"
#include "core/EmailsApi.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/clsLinks.h"
#include "core/modCommon.h"
#include "core/modWebProcessing.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/SiteConfig.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QTreeView>

namespace {
QString title() { return ProgramContext::current().gAppTitle; }
}  // namespace

void frmMain::buildTaskCommands()
{
    auto rewireAll = [&](std::initializer_list<const char*> names, std::function<void()> handler) {
        for (const char* n : names) rewire(QLatin1String(n), handler);
    };
    rewireAll({"mnuTaskDo", "Do", "TaskDo", "mnuPopupDoTask"}, [this] { mnuTaskDo_Click(); });
    rewireAll({"mnuTaskSkip", "TaskSkip", "mnuPopupSkipTask"}, [this] { SkipTask(); });
    rewireAll({"mnuTaskDone", "Done", "mnuPopupDoneTask"}, [this] { mnuTaskDone_Click(); });
    rewireAll({"mnuTaskEmailAll", "TaskEmailAll", "EmailAll"}, [this] { mnuTaskEmailAll_Click(); });
    struct EmailEntry {
        const char* names[3];
        int kind;
    };
    const EmailEntry kinds[] = {
        {{"mnuTaskEmailBuyer", "Email", "EmailGeneral"}, 17}, {{"mnuTaskEmailWinner", "EmailWinner"}, 2},
        {{"mnuTaskEmailOver1", "EmailOver1"}, 4},             {{"mnuTaskEmailOver2", "EmailOver2"}, 5},
        {{"mnuTaskEmailOver3", "EmailOver3"}, 6},             {{"mnuTaskEmailPayment", "EmailPayment"}, 10},
        {{"mnuTaskEmailShipped", "EmailShipped"}, 12},        {{"mnuTaskEmailFollowup", "EmailFollowup"}, 14}};
    for (const EmailEntry& e : kinds)
        for (const char* name : e.names)
            if (name) rewire(QLatin1String(name), [this, kind = e.kind] { SendEmail(kind); });
    rewireAll({"mnuTaskSend", "TaskSend", "TasksSend"}, [this] { mnuTaskSend_Click(); });
    rewireAll({"mnuTaskFeedback", "TaskFeedback"}, [this] { OpenModal(QStringLiteral("frmFeedback")); });
    rewireAll({"mnuTaskFixedPriceOffer", "TaskOffer"}, [this] { OpenModal(QStringLiteral("frmFixedPriceOffer")); });
    rewireAll({"mnuTaskUpdate", "Update", "TaskUpdate"}, [this] { OpenModal(QStringLiteral("frmUpdate")); });
    rewireAll({"mnuTaskRelistAll", "Relist", "TaskRelist", "RelistAll"}, [this] { OpenModal(QStringLiteral("frmRelist")); });
    rewireAll({"mnuTaskRelistSelected", "RelistSelected"}, [this] { mnuTaskRelistSelected_Click(); });

    // The list popup.
    rewire(QStringLiteral("mnuPopupTrademe"), [this] {
        const ProgramContext& ctx = ProgramContext::current();
        TradeMe_Link(ctx.gLinks->Link(ctx.gLinkIdViewAuction));
    });
    rewire(QStringLiteral("mnuPopupAuction"), [this] {
        OpenModal(QStringLiteral("frmAuction"), {{QStringLiteral("mRemoteEdit"), true}, {QStringLiteral("mRemoteId"), SelectedAuctionId()}});
    });
    rewire(QStringLiteral("mnuPopupBuyer"), [this] { OpenModal(QStringLiteral("frmCustomer"), {{QStringLiteral("mRemoteId"), txtCustomerId->text()}}); });
    rewire(QStringLiteral("mnuPopupItemView"), [this] { ShowItemForm(txtItemId->text(), txtDescription->text(), false); });
    rewire(QStringLiteral("mnuPopupItemAdd"), [this] { ShowItemForm(txtItemId->text(), txtDescription->text(), true); });
    rewire(QStringLiteral("mnuPopupPaid"), [this] {
        if (model->rowCount() > 0) OpenModal(QStringLiteral("frmPaid"), {{QStringLiteral("mAuctionId"), SelectedAuctionId()}});
    });
    // The relist window opens once the popup's own click has returned.
    rewire(QStringLiteral("mnuPopupRelist"), [this] { QTimer::singleShot(500, this, &frmMain::mnuTaskRelistSelected_Click); });
    rewire(QStringLiteral("mnuPopupCompleted"), [this] { mnuPopupCompleted_Click(); });

    // Site pages and browser windows.
    rewire(QStringLiteral("TradeMe"), [this] {
        const QString tag = action(QStringLiteral("TradeMe"))->data().toString();
        if (!tag.isEmpty()) TradeMe_Link(tag);
    });
    rewireAll({"mnuWebBrowser", "Web", "WebBrowser"}, [this] { OpenBrowser(QString()); });
    rewireAll({"mnuWebVendaro", "WebVendaro"}, [this] { OpenBrowser(SiteConfig::makerUrl()); });
    rewireAll({"mnuWebTrademe", "WebTrademe"}, [this] {
        const ProgramContext& ctx = ProgramContext::current();
        OpenBrowser(ctx.gLinks->Link(ctx.gLinkIdHome));
    });
    rewireAll({"mnuWebOpen", "WebOpen"}, [this] { OpenAllAuctions(); });
    rewireAll({"mnuWebClose", "WebClose"}, [this] { CloseAllBrowsers(); });
}

void frmMain::OpenModal(const QString& form, const QVariantMap& vars) { FormsRegistry::instance().showModal(form, vars, this); }

// ---- the Task menu -----------------------------------------------------------

void frmMain::mnuTaskDo_Click()
{
    if (!CheckItemSelected()) return;
    ProgramContext::current().gActions->DoAction(SelectedAuctionId(), txtNextAction->property("Tag").toInt());
}

void frmMain::SkipTask()
{
    if (!CheckItemSelected()) return;
    const int step = txtNextAction->property("Tag").toInt();
    if (step == 1 || step == 15) {
        MsgBox(QStringLiteral("Can't skip this task."), vbmsg::Information, title());
        return;
    }
    if (MsgBox(QStringLiteral("Skip task '") + txtNextAction->text() + QStringLiteral("' for item number ") + txtAuctionId->text(),
               vbmsg::YesNo + vbmsg::Question, title()) != vbmsg::Yes)
        return;
    clsActions::DoneOptions o;
    o.Skipped = true;
    ProgramContext::current().gActions->DoneAction(SelectedAuctionId(), o);
}

void frmMain::mnuTaskDone_Click()
{
    if (!CheckItemSelected()) return;
    const QString auctionId = SelectedAuctionId();
    if (txtNextAction->property("Tag").toInt() == 15) {
        MsgBox(QStringLiteral("This item is complete."), vbmsg::Exclamation, title());
        return;
    }
    clsActions::DoneOptions o;
    if (!ProgramContext::current().gActions->DoneAction(auctionId, o)) return;
    // Repeated Done walks down the list; the pane follows the selection at once.
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    const int row = rows.isEmpty() ? -1 : rows.first().row();
    if (row >= 0 && row < model->rowCount() - 1 && model->row(row).AuctionId == auctionId) {
        list->selectionModel()->setCurrentIndex(model->index(row + 1, AuctionListModel::ColAuction),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        DisplayDetails(model->row(row + 1).AuctionId);
    }
}

void frmMain::SendEmail(int kind, const QString& emailId)
{
    if (!CheckItemSelected()) return;
    if (EmailsApi* emails = ProgramContext::current().gEmails)
        emails->ShowFormEmailSingle(txtAuctionId->text(), kind, txtItemId->text(), false, emailId);
}

void frmMain::mnuTaskEmailAll_Click()
{
    if (ProgramContext::current().gConfiguration.TradeMeEmail.isEmpty()) {
        MsgBox(QStringLiteral("You cannot send email until you set your email address under tools/options."), vbmsg::Information, title());
        return;
    }
    OpenModal(QStringLiteral("frmEmailMultiple"));
}

void frmMain::mnuTaskSend_Click()
{
    const QString remembered = model->rowCount() > 0 ? SelectedAuctionId() : QString();
    if (searchShown()) cmdSearchClose_Click();
    mTaskShip = !mTaskShip;
    Refreshlist();
    const int r = model->rowOf(remembered);
    if (!remembered.isEmpty() && r >= 0) {
        list->selectionModel()->setCurrentIndex(model->index(r, AuctionListModel::ColAuction),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        list->scrollTo(model->index(r, AuctionListModel::ColAuction));
        DisplayDetails(remembered);
    }
    if (model->rowCount() == 0 && mTaskShip) {
        MsgBox(QStringLiteral("Nothing to send on the current task list."), vbmsg::Information, title());
        mTaskShip = false;
        Refreshlist();
    }
}

void frmMain::mnuTaskRelistSelected_Click()
{
    if (!CheckItemSelected()) return;
    OpenModal(QStringLiteral("frmRelist"), {{QStringLiteral("mRemoteAuctionId"), txtAuctionId->text()}});
}

// ---- the list popup ------------------------------------------------------------

void frmMain::ShowPopup(const QPoint& at)
{
    if (model->rowCount() == 0) return;
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    if (rows.isEmpty()) return;
    const QRect selected = list->visualRect(model->index(rows.first().row(), AuctionListModel::ColAuction));
    if (at.y() < selected.top() || at.y() > selected.bottom() + 1) return;
    const int step = txtNextAction->property("Tag").toInt();
    action(QStringLiteral("mnuPopupBuyer"))->setEnabled(!txtCustomerId->text().isEmpty());
    action(QStringLiteral("mnuPopupPaid"))->setEnabled(step > 1 && step < 10);
    action(QStringLiteral("mnuPopupCompleted"))->setEnabled(step != 15);
    action(QStringLiteral("mnuPopupItemAdd"))->setEnabled(txtItemId->text() == QLatin1String("MISC"));
    mnuPopup->popup(list->viewport()->mapToGlobal(at));
}

void frmMain::ShowPopupAtSelectedRow()
{
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    if (rows.isEmpty() || mnuPopup->isVisible()) return;
    const QModelIndex index = model->index(rows.first().row(), AuctionListModel::ColAuction);
    list->scrollTo(index);
    const QRect row = list->visualRect(index);
    ShowPopup(QPoint(row.left() + row.height(), row.bottom()));
}

void frmMain::mnuPopupCompleted_Click()
{
    if (txtNextAction->property("Tag").toInt() == 15 || txtAuctionId->text().isEmpty()) return;
    if (MsgBox(QStringLiteral("Are you sure you want to flag this item as completed?"), vbmsg::YesNo + vbmsg::Question, title()) != vbmsg::Yes)
        return;
    ProgramContext::current().gActions->SetAuctionCompleted(txtAuctionId->text(), 0, QStringLiteral("Completed"));
}

void frmMain::ShowItemForm(const QString& ItemId, const QString& Desc, bool AddNew)
{
    OpenModal(QStringLiteral("frmItem"), {{QStringLiteral("mRemoteId"), ItemId},
                                          {QStringLiteral("mRemoteDesc"), Desc},
                                          {QStringLiteral("mRemoteAddNew"), AddNew}});
}

// ---- site pages ------------------------------------------------------------------

void frmMain::OpenBrowser(const QString& URL)
{
    FormsRegistry::instance().showModeless(QStringLiteral("frmBrowser"), {{QStringLiteral("StartingAddress"), URL}});
}

void frmMain::TradeMe_Link(const QString& URL)
{
    ProgramContext& ctx = ProgramContext::current();
    // The roles are compared without a message; one shows only when a link is opened.
    const clsLinks& links = *ctx.gLinks;
    if (URL == links.LinkOrEmpty(ctx.gLinkIdLogin)) {
        modWebProcessing::ShowBrowser(nullptr, false, false, false);
        return;
    }
    if (URL == QLatin1String("[FEEDBACK]")) {
        if (!CheckItemSelected()) return;
        if (txtCustomerId->text().isEmpty())
            MsgBox(QStringLiteral("Cannot leave feedback - there are no buyer details"), vbmsg::Information, title());
        else
            OpenModal(QStringLiteral("frmFeedbackSingle"), {{QStringLiteral("mRemoteId"), txtAuctionId->text()}});
        return;
    }
    if (URL == QLatin1String("[RELIST]")) {
        mnuTaskRelistSelected_Click();
        return;
    }
    const bool open = URL == links.LinkOrEmpty(ctx.gLinkIdHome) || URL == links.LinkOrEmpty(ctx.gLinkIdOpenPage) ||
                      URL == links.LinkOrEmpty(ctx.gLinkIdViewAuction);
    if (!open && !modWebProcessing::ShowBrowser(this, true, true, false)) return;
    QString address = URL;
    if (address.contains(u'[')) {
        if (!CheckItemSelected()) return;
        modCommon::ReplaceText(address, QStringLiteral("[AUCTIONNUMBER]"), modWebProcessing::SiteAuctionNumber(txtAuctionId->text()));
        const QModelIndexList rows = list->selectionModel()->selectedRows();
        const QString type = rows.isEmpty() ? QString() : model->row(rows.first().row()).AuctionType;
        modCommon::ReplaceText(address, QStringLiteral("[AUCTIONTYPE]"), type == QLatin1String("O") ? QStringLiteral("offer") : QStringLiteral("auction"));
    }
    OpenBrowser(address);
}

void frmMain::OpenAllAuctions()
{
    const ProgramContext& ctx = ProgramContext::current();
    int i = 1;
    for (; i <= model->rowCount() && i < 11; ++i) {
        list->selectionModel()->setCurrentIndex(model->index(i - 1, AuctionListModel::ColAuction),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        DisplayDetails(model->row(i - 1).AuctionId);
        TradeMe_Link(ctx.gLinks->Link(ctx.gLinkIdViewAuction));
    }
    if (i == 11) MsgBox(QStringLiteral("Maximum open browser windows reached (10)"), vbmsg::Information, title());
    Refreshlist();
}

void frmMain::CloseAllBrowsers()
{
    const QString suffix = ProgramContext::current().gBrowserCaptionSuffix;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it)
        if ((*it)->isVisible() && (*it)->windowTitle().endsWith(suffix)) (*it)->close();
}
