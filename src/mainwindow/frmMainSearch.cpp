// The main window's search panel, quick notes, and the undo and postpone commands.

#include "frmMain.h"

#include "AuctionListModel.h"
#include "MenuAccelerators.h"
#include "SearchPanel.h"
#include "core/EmailsApi.h"
#include "core/ProgramContext.h"
#include "core/UndoRecipe.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "email/clsEmails.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/NullableDateEdit.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QCheckBox>
#include <QTreeView>
#include <QTreeWidget>

namespace {
const QString Section = QStringLiteral("Settings\\frmMain");
const QString CrLf = QStringLiteral("\r\n");
}  // namespace

void frmMain::buildSearchAndNotes()
{
    connect(picSearch, &SearchPanel::changed, this, &frmMain::Refreshlist);
    connect(picSearch, &SearchPanel::closeRequested, this, &frmMain::cmdSearchClose_Click);
    connect(picSearch, &SearchPanel::clearRequested, this, &frmMain::cmdSearchClear_Click);
    connect(picSearch, &SearchPanel::pageChosen, this, &frmMain::tbSearch_ButtonClick);

    cboNote->installEventFilter(this);
    connect(cboNote, &QComboBox::activated, this, [this] {
        // Stepping through the phrases with the arrow keys saves nothing.
        if (mLastNoteKey != Qt::Key_Up && mLastNoteKey != Qt::Key_Down) SaveNote();
    });
    mnuHistory = new QMenu(QStringLiteral("History Popup"), this);
    mnuHistory->setObjectName(QStringLiteral("mnuHistory"));
    QAction* edit = mnuHistory->addAction(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("mnuHistoryEdit"));
    mnuHistory->addSeparator();
    QAction* del = mnuHistory->addAction(QStringLiteral("Delete"));
    del->setObjectName(QStringLiteral("mnuHistoryDelete"));
    MenuAccelerators::keep(mnuHistory);
    actions.insert(edit->objectName(), edit);
    actions.insert(del->objectName(), del);
    connect(edit, &QAction::triggered, this, &frmMain::EditNote);
    connect(del, &QAction::triggered, this, &frmMain::DeleteNote);
    connect(listHistory, &QTreeWidget::itemDoubleClicked, this, &frmMain::EditNote);
    listHistory->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(listHistory, &QTreeWidget::customContextMenuRequested, this, [this, edit, del](const QPoint& at) {
        QTreeWidgetItem* item = listHistory->currentItem();
        const bool note = item && item->font(2).bold() && item->text(2).startsWith(QLatin1String("Note:"));
        edit->setEnabled(note);
        del->setEnabled(note);
        mnuHistory->popup(listHistory->viewport()->mapToGlobal(at));
    });

    // The commands of this part of the window.
    rewire(QStringLiteral("Search"), [this] {
        mTaskShip = false;
        OpenSearchWindow(true);
    });
    for (const char* name : {"mnuTaskUndo", "TaskUndo", "mnuPopupUndo"}) rewire(QLatin1String(name), [this] { UndoTask(); });
    rewire(QStringLiteral("Postpone"), [this] { PostponeTask(1); });
    for (int days : {1, 2, 3, 4, 5, 6, 7, 14, 21, 28}) rewire(QStringLiteral("Postpone%1").arg(days), [this, days] { PostponeTask(days); });
}

// ---- the search panel --------------------------------------------------------

bool frmMain::searchShown() const { return !picSearch->isHidden(); }

void frmMain::swapColumnWidths(const QString& saveAs, const QString& restoreFrom)
{
    QList<QPair<QString, QString>> saved;
    for (int n = 2; n <= AuctionListModel::ColumnCount; ++n) {
        saved.append({saveAs + QString::number(n), QString::number(list->columnWidth(n - 1))});
        const int width = AppSettings::GetSetting(Section, restoreFrom + QString::number(n), QString::number(list->columnWidth(n - 1))).toInt();
        list->setColumnWidth(n - 1, width);
    }
    AppSettings::SaveSettings(Section, saved);
}

void frmMain::OpenSearchWindow(bool DoClipBoardSearch)
{
    if (!searchShown()) swapColumnWidths(QStringLiteral("listColumn"), QStringLiteral("listColumnSearch"));
    {
        const QSignalBlocker block(picSearch->optSearch[0]);
        picSearch->optSearch[0]->setChecked(true);
    }
    picSearch->show();
    cmdSearchClear_Click();
    if (DoClipBoardSearch) {
        SearchClipboard();
        return;
    }
    picSearch->ShowPage(1);
}

void frmMain::tbSearch_ButtonClick(int page)
{
    picSearch->ShowPage(page);
    {
        const QSignalBlocker block(picSearch->optSearch[0]);
        picSearch->optSearch[0]->setChecked(true);
    }
    cmdSearchClear_Click();
}

void frmMain::cmdSearchClear_Click()
{
    mRefreshEnabled = false;
    picSearch->ClearFields();
    QCoreApplication::processEvents();
    mRefreshEnabled = true;
    Refreshlist();
}

void frmMain::cmdSearchClose_Click()
{
    swapColumnWidths(QStringLiteral("listColumnSearch"), QStringLiteral("listColumn"));
    picSearch->hide();
    Refreshlist();
}

void frmMain::SearchClipboard()
{
    ProgramContext& ctx = ProgramContext::current();
    const QString clip = QGuiApplication::clipboard() ? QGuiApplication::clipboard()->text() : QString();
    int page = 1;
    auto finish = [&] {
        picSearch->ShowPage(page);
        QCoreApplication::processEvents();
    };
    if (clip.isEmpty() || clip.size() > 150) {
        finish();
        return;
    }
    mRefreshEnabled = false;
    picSearch->optSearch[2]->setChecked(true);
    mRefreshEnabled = true;
    QString text = clip.trimmed();
    // Only the first line is searched (copied text may end its lines with LF alone).
    const qsizetype lineEnd = text.indexOf(u'\n');
    if (lineEnd >= 0) text = text.left(lineEnd).trimmed();
    QString note;
    bool found = false;
    Recordset rs;
    if (ctx.gDatabase->OpenDB(QStringLiteral("SELECT CustomerId, Comment FROM Customer WHERE CustomerId=?"), {text}, false, true, true, &rs) &&
        !rs.isEOF()) {
        rs.Close();
        picSearch->txtSearch[1]->setText(text);
        page = 2;
        found = true;
    }
    if (!found) {
        const QString address = clsEmails::GetAddress(text);
        if (!address.isEmpty() &&
            ctx.gDatabase->OpenDB(QStringLiteral("SELECT Customer.Email, Customer.EmailCC, Customer.Comment FROM Customer INNER JOIN Auction "
                                                 "ON Customer.CustomerId = Auction.CustomerId WHERE Email=? OR EmailCC=?"),
                                  {address, address}, false, true, true, &rs) &&
            !rs.isEOF()) {
            if (rs.text(QStringLiteral("EmailCC")) == address) note = QStringLiteral("(Buyers other email)");
            rs.Close();
            picSearch->txtSearch[2]->setText(address);
            page = 2;
            found = true;
        }
    }
    if (!found && ctx.gDatabase->OpenDB(QStringLiteral("SELECT AuctionId,ActionId FROM Auction WHERE AuctionId=?"), {text}, false, true, true,
                                        &rs) &&
        !rs.isEOF()) {
        if (ctx.gActions->Description(rs.value(QStringLiteral("ActionId")).toInt()) == QLatin1String("Relist item")) {
            mRefreshEnabled = false;
            picSearch->chkSearch[0]->setChecked(false);
            mRefreshEnabled = true;
        }
        rs.Close();
        picSearch->txtSearch[5]->setText(text);
        page = 3;
        found = true;
    }
    if (!found && !text.isEmpty() &&
        ctx.gDatabase->GetLike(picSearch->txtSearch[5]->property("Tag").toString(), text).text != clsDatabase::MatchNothing()) {
        picSearch->txtSearch[5]->setText(text);
        page = 3;
        found = true;
    }
    if (found) {
        picSearch->SetMessage(QStringLiteral("Automatic clipboard search found:\n") + text + u'\n' + note, true);
    } else {
        picSearch->SetMessage(QStringLiteral("Automatic clipboard search did not find any matching records - clipboard data:\n\n") + clip, false);
        picSearch->optSearch[0]->setChecked(true);
        page = 1;
    }
    finish();
}

// ---- quick notes ---------------------------------------------------------------

void frmMain::SaveNote()
{
    ProgramContext& ctx = ProgramContext::current();
    cboNote->setFocus();
    const QString text = cboNote->currentText();
    const QString auctionId = txtAuctionId->text();
    const qint64 editing = cboNote->property("Tag").toLongLong();
    if (editing == 0) {
        if (text.isEmpty()) return;
        ctx.gDatabase->UpdateHistory(auctionId, vb::now(), QStringLiteral("Note: ") + text, QStringLiteral("[NOTHING]"), true);
        return;
    }
    // The note is found by its own row number, whatever other rows share its date.
    const QVariantList key{auctionId, editing};
    if (text.isEmpty())
        ctx.gDatabase->OpenDB(QStringLiteral("DELETE FROM History WHERE AuctionId=? AND Autonumber=? AND Changed='[NOTHING]'"), key, false,
                              false, true);
    else
        ctx.gDatabase->OpenDB(QStringLiteral("UPDATE History SET Description=? WHERE AuctionId=? AND Autonumber=? AND Changed='[NOTHING]'"),
                              {QStringLiteral("Note: ") + text, auctionId, editing}, false, false, true);
    DisplayDetails(auctionId);
}

void frmMain::EditNote()
{
    QTreeWidgetItem* item = listHistory->currentItem();
    if (!item || !item->font(2).bold() || !item->text(2).startsWith(QLatin1String("Note:"))) return;
    cboNote->setEditText(item->text(2).mid(6));
    cboNote->setProperty("Tag", item->data(0, Qt::UserRole).toLongLong());
    QPalette pal = cboNote->palette();
    pal.setColor(QPalette::Text, vb::color(0x8000000D));
    cboNote->setPalette(pal);
    cboNote->setFocus();
}

void frmMain::DeleteNote()
{
    QTreeWidgetItem* item = listHistory->currentItem();
    if (!item) return;
    cboNote->setEditText(QString());
    cboNote->setProperty("Tag", item->data(0, Qt::UserRole).toLongLong());
    SaveNote();
}

// ---- undo and postpone ---------------------------------------------------------

void frmMain::UndoTask()
{
    ProgramContext& ctx = ProgramContext::current();
    // No selected row, no selected sale (whatever an earlier undo left behind).
    ctx.gUndoSelectedAuctionId = model->row(selectedRow()).AuctionId;
    FormsRegistry::instance().showModal(QStringLiteral("frmUndo"), {}, this);
    if (ctx.gUndoSelectedAuctionId.isEmpty()) return;
    // The list shows the sale that was undone (or had nothing to undo).
    QGuiApplication::clipboard()->clear();
    QGuiApplication::clipboard()->setText(ctx.gUndoSelectedAuctionId);
    OpenSearchWindow(true);
}

void frmMain::PostponeTask(int Days)
{
    ProgramContext& ctx = ProgramContext::current();
    if (!ctx.gDatabase->CheckLog()) {
        // A change is still on its way to the list: try again in a moment.
        MsgBox(QStringLiteral("Unknown procedure occurred trying to postpone"), vbmsg::Critical, ctx.gAppTitle);
        return;
    }
    if (!CheckItemSelected()) return;
    if (txtNextAction->property("Tag").toInt() == 15) {
        MsgBox(QStringLiteral("This item is completed."), vbmsg::Information, ctx.gAppTitle);
        return;
    }
    QString text;
    if (Days == 7) text = QStringLiteral("Next action postponed for 1 week");
    else if (Days >= 2 && Days <= 6) text = QStringLiteral("Next action postponed for %1 days").arg(Days);
    else if (Days <= 1) text = QStringLiteral("Next action postponed for 1 day");
    else text = QStringLiteral("Next action postponed for %1 weeks").arg(Days / 7);

    const QString auctionId = txtAuctionId->text();
    const double now = vb::now();
    const double due = vb::today() + Days;
    const QString recipe = UndoRecipe().addDate(QStringLiteral("DateNextAction"), shownDue()).text();
    {
        // The statements report their own failures; a commit that fails is said here.
        Transaction tx(ctx.gConnection);
        if (!tx.isActive() || !ctx.gDatabase->UpdateHistory(auctionId, now, text, recipe, false) ||
            !ctx.gDatabase->OpenDB(QStringLiteral("UPDATE Auction SET DateNextAction=? WHERE AuctionId=?"), {due, auctionId}, false, false,
                                   true))
            return;
        if (!tx.Commit()) {
            MsgBox(QStringLiteral("Auction %1 could not be postponed; it is as it was.").arg(auctionId) + CrLf + CrLf + tx.lastError(),
                   vbmsg::Critical, ctx.gAppTitle);
            return;
        }
    }
    ctx.gDatabase->Log(auctionId, QStringLiteral("History"), QStringLiteral("Date"), vb::fromOleDate(now), false, false);
    ctx.gDatabase->Log(auctionId, QStringLiteral("Auction"), QStringLiteral("DateNextAction"), due, false, false);
}
