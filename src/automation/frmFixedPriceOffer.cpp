#include "frmFixedPriceOffer.h"

#include "OfferCandidates.h"
#include "OfferCells.h"
#include "OfferRecorder.h"
#include "core/ProgramContext.h"
#include "core/clsLinks.h"
#include "core/modCommon.h"
#include "core/modWebProcessing.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/SiteConfig.h"
#include "platform/browser/WebBrowser.h"

#include <QCoreApplication>
#include <QFont>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString OfferPageStem = QStringLiteral("VNTMFP");
ProgramContext& ctx() { return ProgramContext::current(); }

enum Column { ColAuction, ColItem, ColTitle, ColDate, ColSold, ColStart, ColReserve, ColTopBid, ColBuyNow, ColOffer, ColDays };

BatchQueueWindow::Setup offerSetup()
{
    BatchQueueWindow::Setup s;
    s.formName = QStringLiteral("frmFixedPriceOffer");
    s.caption = QStringLiteral("Fixed Price Offers");
    s.headers = {QStringLiteral("Auction#"),    QStringLiteral("Item"),    QStringLiteral("Title"),   QStringLiteral("Date"),
                 QStringLiteral("Sold/Unsold"), QStringLiteral("Start price"), QStringLiteral("Reserve"), QStringLiteral("Top Bid"),
                 QStringLiteral("Buy Now"),     QStringLiteral("Fixed Price Offer"), QStringLiteral("Days valid for")};
    s.selectAllChecked = false;
    s.waitText = QStringLiteral("Processing Fixed Price Offers");
    s.confirmText = QStringLiteral("You are about to make %1 Fixed Price Offer(s).");
    s.cancelQuestion = QStringLiteral("Cancel processing fixed price offers?");
    s.continueQuestion = QStringLiteral("Continue processing fixed price offers?");
    s.summaryText = QStringLiteral("Complete - %1 Fixed Price Offers made.");
    s.browserCaption = QStringLiteral("View this auction on TradeMe");
    s.buyerItem = false;
    return s;
}
}  // namespace

frmFixedPriceOffer::frmFixedPriceOffer(QWidget* parent)
    : BatchQueueWindow(offerSetup(), parent), web(WebBrowser::create(this)), m_pageTimer(new QTimer(this))
{
    addPopupItem(QStringLiteral("mnuPopupFixedPrice"), QStringLiteral("Change fixed price offer details"), [this] { mnuPopupFixedPrice_Click(); });
    addPopupItem(QStringLiteral("mnuPopupRemoveOffer"), QStringLiteral("Do not make a fixed price offer for this auction"),
                 [this] { mnuPopupRemoveOffer_Click(); });
    addPopupItem(QStringLiteral("mnuPopupLine"), QStringLiteral("-"), {});
    // The browser works out of sight; it is shown over the list only while a
    // message about the page it holds is up.
    if (QWidget* page = web->widget()) {
        page->setParent(this);
        page->hide();
    }
    connect(web, &WebBrowser::DocumentComplete, this, &frmFixedPriceOffer::web_DocumentComplete);
    m_pageTimer->setSingleShot(true);
    connect(m_pageTimer, &QTimer::timeout, this, &frmFixedPriceOffer::pageTimedOut);
}

frmFixedPriceOffer::~frmFixedPriceOffer() { modCommon::DeleteFile(OfferPageStem + QStringLiteral(".sub"), QString(), false); }

// ---- the list ----

bool frmFixedPriceOffer::fillList()
{
    const Configuration& config = ctx().gConfiguration;
    if (!config.FPOunsold && !config.FPOsold) {
        MsgBox(QStringLiteral("Your current settings under tools/options on the main menu are set to not make fixed price offers.  "
                              "If you want to make a fixed price offer, change the settings first."),
               vbmsg::Information, ctx().gAppTitle);
        return false;
    }
    m_stock.Clear();
    QList<OfferCandidates::Row> rows;
    OfferCandidates::Load(config.FPOunsold, config.FPOsold, &rows);
    for (const OfferCandidates::Row& r : rows) {
        const QList<QStandardItem*> cells = addRow(OfferCandidates::Cells(r, config.DefaultFPOdays), false);
        for (int c : {ColOffer, ColDays}) {
            QFont bold = cells[c]->font();
            bold.setBold(true);
            cells[c]->setFont(bold);
        }
        if (r.UseStock) m_stock.Add(r.ItemId, r.Description, r.Stock, r.StockWarning);
    }
    if (rowCount() == 0) {
        MsgBox(QStringLiteral("Nothing to do."), vbmsg::Information, ctx().gAppTitle);
        return false;
    }
    ShowStockWarning();
    return true;
}

void frmFixedPriceOffer::ShowStockWarning()
{
    for (const QString& message : m_stock.Warnings()) MsgBox(message, vbmsg::Information, ctx().gAppTitle);
}

QString frmFixedPriceOffer::buyerOf(int) const { return {}; }
QString frmFixedPriceOffer::itemOf(int row) const { return cell(row, ColItem)->text(); }

// ---- the window's own commands ----

void frmFixedPriceOffer::mnuPopupFixedPrice_Click()
{
    const int row = selectedRow();
    if (row < 0) return;
    const QVariantMap out = FormsRegistry::instance().showModal(
        QStringLiteral("frmFixedPriceOptions"),
        {{QStringLiteral("pTitle"), cell(row, ColTitle)->text()},
         {QStringLiteral("pInfo"), OfferCells::InfoText(cell(row, ColSold)->text(), cell(row, ColTopBid)->text(), cell(row, ColReserve)->text())},
         {QStringLiteral("pOfferPrice"), OfferCells::ReadPrice(cell(row, ColOffer)->text())},
         {QStringLiteral("pValidFor"), OfferCells::ReadDays(cell(row, ColDays)->text())}},
        this);
    const double price = out.value(QStringLiteral("pOfferPrice")).toDouble();
    if (!(price > 0)) return;  // cancelled, or no price
    cell(row, ColAuction)->setCheckState(Qt::Checked);
    cell(row, ColOffer)->setText(OfferCells::Money(price));
    cell(row, ColDays)->setText(QString::number(out.value(QStringLiteral("pValidFor")).toInt()));
}

void frmFixedPriceOffer::mnuPopupRemoveOffer_Click()
{
    const int row = selectedRow();
    if (row < 0) return;
    if (MsgBox(QStringLiteral("Are you sure you want to remove the option to make a fixed price for this auction?") + CrLf + CrLf +
                   QStringLiteral("If you do not want to make an offer now just uncheck the auction, otherwise it will not appear on this list again."),
               vbmsg::YesNo + vbmsg::Question, ctx().gAppTitle) != vbmsg::Yes)
        return;
    m_auction = cell(row, ColAuction)->text();
    // A removal that could not be written (said) leaves the row, so the list shows what the database holds.
    if (!OfferRecorder::RecordOfferMade(m_auction, false, 0, 0)) return;
    model()->removeRow(row);
}

// ---- the batch ----

void frmFixedPriceOffer::cmdOK_Click()
{
    for (int r = 0; r < rowCount(); ++r) {
        if (cell(r, ColAuction)->checkState() != Qt::Checked) continue;
        if (OfferCells::ReadPrice(cell(r, ColOffer)->text()) == 0) {
            MsgBox(QStringLiteral("One or more items do not have the Fixed Price Offer Amount set. Uncheck the items you do not want to make an "
                                  "offer on."),
                   vbmsg::Exclamation, ctx().gAppTitle);
            return;
        }
    }
    m_noBidders = 0;
    BatchQueueWindow::cmdOK_Click();
}

bool frmFixedPriceOffer::login() { return modWebProcessing::ShowBrowser(this, true, true, false); }

BatchQueueWindow::RowOutcome frmFixedPriceOffer::startRow(int row)
{
    m_auction = cell(row, ColAuction)->text();
    m_title = cell(row, ColTitle)->text();
    m_price = OfferCells::ReadPrice(cell(row, ColOffer)->text());
    m_days = OfferCells::ReadDays(cell(row, ColDays)->text());
    m_step = 1;
    QString address = ctx().gLinks->Link(ctx().gLinkIdFixedPriceOffer);
    address.replace(QStringLiteral("[AUCTIONNUMBER]"), m_auction);
    waitForPage();
    web->Navigate(address);
    return RowOutcome::Pending;
}

void frmFixedPriceOffer::waitForPage()
{
    if (m_pageTimeout > 0) m_pageTimer->start(m_pageTimeout);
}

void frmFixedPriceOffer::web_DocumentComplete(const QString& address)
{
    if (m_step < 1) return;
    const QString html = web->DocumentHtml();
    switch (m_step) {
    case 1: {
        if (!SiteConfig::isOnSite(address)) return;
        m_step = 0;
        m_pageTimer->stop();
        const QString recipients = OfferPage::Recipients(html);
        if (recipients.isEmpty()) return ReportOfferError(web->BodyText());
        // Without its page no offer can be made, for this row or any other (the message said why).
        if (!OfferPage::Create(OfferPageStem, m_auction, recipients, m_price, m_days)) return rowFinished(RowOutcome::EndBatch);
        m_step = 2;
        waitForPage();
        web->Navigate(modWebProcessing::SubmitPagePath(OfferPageStem));
        modCommon::DeleteFile(OfferPageStem + QStringLiteral(".sub"), QString(), false);  // the browser has its content
        return;
    }
    case 2:
        if (address.toUpper().contains(OfferPageStem)) {
            m_step = 3;
            return;
        }
        // A local page that submits itself as it loads may be reported only
        // by the site's answer: that answer is taken as it comes.
        if (!SiteConfig::isOnSite(address)) return;
        [[fallthrough]];
    case 3:
        if (!SiteConfig::isOnSite(address)) return;
        m_step = 0;
        m_pageTimer->stop();
        modCommon::DeleteFile(OfferPageStem + QStringLiteral(".sub"), QString(), false);
        if (!html.toLower().contains(QLatin1String("your offer has been sent"))) return ReportOfferError(web->BodyText());
        // The offer is out: one that cannot be recorded is said, or the auction would be offered again.
        if (!OfferRecorder::RecordOfferMade(m_auction, true, m_price, m_days))
            ShowBrowserMessage(web, OfferRecorder::NotRecordedMessage(m_title, m_auction), vbmsg::Exclamation);
        m_step = 4;
        waitForPage();
        web->Navigate(modWebProcessing::SubmitPagePath(QStringLiteral("VNTM")));
        return;
    case 4:
        if (!address.toUpper().contains(QLatin1String("VNTM"))) return;
        m_step = 0;
        m_pageTimer->stop();
        return rowFinished(RowOutcome::Succeeded);
    default: return;
    }
}

void frmFixedPriceOffer::pageTimedOut()
{
    const int step = m_step;
    if (step < 1) return;
    m_step = 0;
    web->Stop();
    modCommon::DeleteFile(OfferPageStem + QStringLiteral(".sub"), QString(), false);
    // The offer was sent and recorded; only the blank page that ends the row is late.
    if (step == 4) return rowFinished(RowOutcome::Succeeded);
    ReportOfferError(QString());
}

void frmFixedPriceOffer::ReportOfferError(const QString& pageText)
{
    const OfferPage::Refusal refusal = OfferPage::Classify(pageText);
    if (refusal == OfferPage::Refusal::NoBidders) ++m_noBidders;
    else
        ShowBrowserMessage(web, OfferPage::Message(refusal, m_title, m_auction),
                           refusal == OfferPage::Refusal::Unexplained ? vbmsg::Exclamation : vbmsg::Information);
    if (refusal == OfferPage::Refusal::Unexplained) return rowFinished(RowOutcome::Failed);
    OfferRecorder::RecordOfferMade(m_auction, false, m_price, m_days);
    rowFinished(RowOutcome::Passed);
}

QString frmFixedPriceOffer::summaryMessage() const
{
    QString text = BatchQueueWindow::summaryMessage();
    if (m_noBidders > 0)
        text += CrLf + CrLf + QString::number(m_noBidders) +
                QStringLiteral(" auction(s) could not have a fixed price offer made because there were no bidders or watchers.");
    return text;
}

void frmFixedPriceOffer::done(int result)
{
    BatchQueueWindow::done(result);
    if (isVisible()) return;  // a first close while running is a Cancel request
    // The window goes: a step in hand is abandoned.
    m_step = 0;
    m_pageTimer->stop();
    web->Stop();
}
