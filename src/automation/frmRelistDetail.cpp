#include "frmRelistDetail.h"

#include "OfferCells.h"
#include "RelistOptionRules.h"
#include "clsRelistOptions.h"
#include "core/ProgramContext.h"
#include "platform/AmountText.h"
#include "platform/MessageService.h"
#include "platform/ReadOnlyBox.h"
#include "platform/TypingLimit.h"
#include "platform/Vb.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
constexpr int TitleLength = 50;  // the longest title typed here; a longer one read from the site stays whole
const double HalfPastEight = 20.5 / 24;  // the end time a scheduled end starts from

QLineEdit* lineEdit(const char* name, QWidget* parent)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

QComboBox* dropDown(const char* name, QWidget* parent)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(false);
    return c;
}
}  // namespace

const QStringList& frmRelistDetail::ExtraFeatureCaptions()
{
    static const QStringList captions{QStringLiteral("Gallery"), QStringLiteral("Bold title"), QStringLiteral("Feature"),
                                      QStringLiteral("Feature combo"), QStringLiteral("Homepage feature")};
    return captions;
}

frmRelistDetail::frmRelistDetail(clsRelistOptions* options, QWidget* parent) : frmRelistDetail(parent)
{
    mRelistOptions = options;
}

frmRelistDetail::frmRelistDetail(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmRelistDetail"));
    setWindowTitle(QStringLiteral("Relist options"));

    // Auction details: the auction and the item are shown, never read back.
    auto* frameAuction = new QGroupBox(QStringLiteral("Auction details"), this);
    frameAuction->setObjectName(QStringLiteral("frameAuction"));
    txtAuction = lineEdit("txtAuction", frameAuction);
    txtItemId = lineEdit("txtItemId", frameAuction);
    for (QLineEdit* e : {txtAuction, txtItemId}) {
        ReadOnlyBox::Apply(e);
        e->setFocusPolicy(Qt::NoFocus);
    }
    txtTitle = lineEdit("txtTitle", frameAuction);
    TypingLimit::Apply(txtTitle, TitleLength);
    auto* auctionForm = new QFormLayout(frameAuction);
    auctionForm->addRow(QStringLiteral("Auction #"), txtAuction);
    auctionForm->addRow(QStringLiteral("Item code"), txtItemId);
    auctionForm->addRow(QStringLiteral("Title"), txtTitle);
    txtTitle->setMinimumWidth(txtTitle->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 28);

    auto* framePrice = new QGroupBox(QStringLiteral("Price"), this);
    framePrice->setObjectName(QStringLiteral("framePrice"));
    numStart = lineEdit("numStart", framePrice);
    numReserve = lineEdit("numReserve", framePrice);
    numBuyItNow = lineEdit("numBuyItNow", framePrice);
    auto* priceForm = new QFormLayout(framePrice);
    priceForm->addRow(QStringLiteral("Start price"), numStart);
    priceForm->addRow(QStringLiteral("Reserve"), numReserve);
    priceForm->addRow(QStringLiteral("Buy It Now"), numBuyItNow);
    for (QLineEdit* e : {numStart, numReserve, numBuyItNow}) {
        e->setAlignment(Qt::AlignRight);
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("000,000.00")) + 12);
    }

    auto* frameDuration = new QGroupBox(QStringLiteral(" Listing duration"), this);
    frameDuration->setObjectName(QStringLiteral("frameDuration"));
    m_durationGroup = new QButtonGroup(this);
    for (const char* caption : {"Fixed length", "Scheduled end time (fee)"}) {
        auto* b = new QRadioButton(QString::fromLatin1(caption), frameDuration);
        b->setObjectName(QStringLiteral("optDuration(%1)").arg(optDuration.size()));
        m_durationGroup->addButton(b, int(optDuration.size()));
        optDuration << b;
    }
    optDuration[0]->setChecked(true);
    cboDurationDays = dropDown("cboDurationDays", frameDuration);
    for (int d = 1; d <= 9; ++d) cboDurationDays->addItem(d == 1 ? QStringLiteral("1 day") : QStringLiteral("%1 days").arg(d));
    cboDurationDays->addItem(QStringLiteral("10 days (fee charged)"));
    cboDurationEndDate = dropDown("cboDurationEndDate", frameDuration);
    cboDurationEndTime = dropDown("cboDurationEndTime", frameDuration);
    lblDurationEndTime = new QLabel(QStringLiteral("End time"), frameDuration);
    lblDurationEndTime->setObjectName(QStringLiteral("lblDurationEndTime"));
    auto* durationGrid = new QGridLayout(frameDuration);
    durationGrid->addWidget(optDuration[0], 0, 0, 1, 2);
    durationGrid->addWidget(optDuration[1], 1, 0, 1, 2);
    durationGrid->addWidget(new QLabel(QStringLiteral("Days"), frameDuration), 2, 0);
    durationGrid->addWidget(cboDurationDays, 2, 1);
    durationGrid->addWidget(new QLabel(QStringLiteral("End date"), frameDuration), 3, 0);
    durationGrid->addWidget(cboDurationEndDate, 3, 1);
    durationGrid->addWidget(lblDurationEndTime, 4, 0);
    durationGrid->addWidget(cboDurationEndTime, 4, 1);
    durationGrid->setRowStretch(5, 1);
    // The end time only belongs to a scheduled end; its row keeps its room so
    // that the frame does not jump when it shows.
    for (QWidget* w : {static_cast<QWidget*>(lblDurationEndTime), static_cast<QWidget*>(cboDurationEndTime)}) {
        QSizePolicy p = w->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        w->setSizePolicy(p);
    }

    auto* frameExtraFeatures = new QGroupBox(QStringLiteral("Extra features"), this);
    frameExtraFeatures->setObjectName(QStringLiteral("frameExtraFeatures"));
    auto* featureBox = new QVBoxLayout(frameExtraFeatures);
    for (const QString& caption : ExtraFeatureCaptions()) {
        auto* c = new QCheckBox(caption, frameExtraFeatures);
        c->setObjectName(QStringLiteral("chkExtraFeatures(%1)").arg(chkExtraFeatures.size()));
        featureBox->addWidget(c);
        chkExtraFeatures << c;
    }
    featureBox->addStretch(1);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    // Only the seller's own changes are followed: a combo the program fills
    // reports no activation.
    connect(m_durationGroup, &QButtonGroup::idClicked, this, [this] { optDuration_Click(); });
    connect(cboDurationDays, &QComboBox::activated, this, [this] { cboDurationDays_Click(); });
    connect(cboDurationEndDate, &QComboBox::activated, this, [this] { cboDurationEndDate_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, &frmRelistDetail::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRelistDetail::cmdCancel_Click);

    auto* grid = new QGridLayout(this);
    grid->addWidget(frameAuction, 0, 0, 1, 3);
    grid->addWidget(framePrice, 1, 0);
    grid->addWidget(frameDuration, 1, 1);
    grid->addWidget(frameExtraFeatures, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, 2, 0, 1, 3);

    setTabOrder(txtTitle, numStart);
    setTabOrder(numStart, numReserve);
    setTabOrder(numReserve, numBuyItNow);
    setTabOrder(numBuyItNow, optDuration[0]);
    setTabOrder(optDuration[0], optDuration[1]);
    setTabOrder(optDuration[1], cboDurationDays);
    setTabOrder(cboDurationDays, cboDurationEndDate);
    setTabOrder(cboDurationEndDate, cboDurationEndTime);
    setTabOrder(cboDurationEndTime, chkExtraFeatures[0]);
    for (int i = 1; i < chkExtraFeatures.size(); ++i) setTabOrder(chkExtraFeatures[i - 1], chkExtraFeatures[i]);
    setTabOrder(chkExtraFeatures.last(), cmdOK);
    setTabOrder(cmdOK, cmdCancel);
}

void frmRelistDetail::showEvent(QShowEvent* event)
{
    if (!m_loaded) Form_Load();
    QDialog::showEvent(event);
}

void frmRelistDetail::Form_Load()
{
    m_loaded = true;
    const int n = mRelistOptions ? mRelistOptions->Count() : 0;
    const RelistOptionRules::Duration opened =
        n > 0 ? RelistOptionRules::OpenedDuration(mRelistOptions->DurationFixed(n) == QLatin1String("True"), mRelistOptions->DurationDays(n),
                                                  mRelistOptions->DurationTime(n))
              : RelistOptionRules::Duration{};

    {
        QSignalBlocker blockDate(cboDurationEndDate);
        cboDurationEndDate->clear();
        const double today = vb::today();
        for (int i = 1; i <= 10; ++i) cboDurationEndDate->addItem(vb::formatDate(today + i, QStringLiteral("ddd d mmm")));
    }
    // A stored end time that is not a quarter hour gets its own place in the list.
    FillEndTimes(opened.Fixed ? 0 : opened.Time);

    if (n == 0) {
        ShowDuration(true, 0, 0);
        return;
    }
    txtAuction->setText(mRelistOptions->AuctionId(n));
    txtItemId->setText(mRelistOptions->ItemId(n));
    txtTitle->setText(mRelistOptions->Title(n));
    txtTitle->setCursorPosition(0);
    ShowPrices(mRelistOptions->StartPrice(n), mRelistOptions->ReservePrice(n), mRelistOptions->BuyNowPrice(n));
    ShowDuration(opened.Fixed, opened.Days, opened.Time);
    ShowExtraFeatures(mRelistOptions->ExtraFeatures(n));
}

void frmRelistDetail::FillEndTimes(double storedTime)
{
    QSignalBlocker block(cboDurationEndTime);
    cboDurationEndTime->clear();
    for (double t : RelistOptionRules::EndTimes(storedTime)) cboDurationEndTime->addItem(RelistOptionRules::EndTimeText(t), t);
    // No end time is chosen until the entry or the seller chooses one.
    cboDurationEndTime->setCurrentIndex(-1);
}

void frmRelistDetail::ShowPrices(double StartPrice, double ReservePrice, const QVariant& BuyNowPrice)
{
    numStart->setText(StartPrice > 0 ? OfferCells::Plain(StartPrice) : QString());
    numReserve->setText(ReservePrice > 0 ? OfferCells::Plain(ReservePrice) : QString());
    const double buyNow = BuyNowPrice.isNull() ? 0 : BuyNowPrice.toDouble();
    numBuyItNow->setText(buyNow > 0 ? OfferCells::Plain(buyNow) : QString());
}

void frmRelistDetail::ShowDuration(bool DurationFixed, int DurationDays, double DurationTime)
{
    const RelistOptionRules::Duration d = RelistOptionRules::OpenedDuration(DurationFixed, DurationDays, DurationTime);
    {
        QSignalBlocker blockDays(cboDurationDays);
        QSignalBlocker blockDate(cboDurationEndDate);
        cboDurationDays->setCurrentIndex(d.Days - 1);
        cboDurationEndDate->setCurrentIndex(d.Days - 1);
    }
    optDuration[d.Fixed ? 0 : 1]->setChecked(true);
    if (!d.Fixed) {
        QSignalBlocker block(cboDurationEndTime);
        cboDurationEndTime->setCurrentIndex(cboDurationEndTime->findText(RelistOptionRules::EndTimeText(d.Time)));
    }
    lblDurationEndTime->setVisible(!d.Fixed);
    cboDurationEndTime->setVisible(!d.Fixed);
}

void frmRelistDetail::ShowExtraFeatures(const QString& ExtraFeatures)
{
    const QString features = RelistOptionRules::ReadExtraFeatures(ExtraFeatures);
    if (features.isEmpty()) return;
    for (int i = 0; i < chkExtraFeatures.size(); ++i)
        chkExtraFeatures[i]->setChecked(features.contains(QLatin1Char(',') + ExtraFeatureCaptions().at(i) + QLatin1Char(',')));
}

void frmRelistDetail::optDuration_Click()
{
    const bool scheduled = optDuration[1]->isChecked();
    lblDurationEndTime->setVisible(scheduled);
    cboDurationEndTime->setVisible(scheduled);
    if (scheduled && cboDurationEndTime->currentIndex() < 0)
        cboDurationEndTime->setCurrentIndex(cboDurationEndTime->findText(RelistOptionRules::EndTimeText(HalfPastEight)));
}

void frmRelistDetail::cboDurationDays_Click()
{
    QSignalBlocker block(cboDurationEndDate);
    cboDurationEndDate->setCurrentIndex(cboDurationDays->currentIndex());
}

void frmRelistDetail::cboDurationEndDate_Click()
{
    QSignalBlocker block(cboDurationDays);
    cboDurationDays->setCurrentIndex(cboDurationEndDate->currentIndex());
}

double frmRelistDetail::SelectedEndTime() const
{
    const int i = cboDurationEndTime->currentIndex();
    return i < 0 ? 0 : cboDurationEndTime->itemData(i).toDouble();
}

void frmRelistDetail::cmdOK_Click()
{
    if (!mRelistOptions || mRelistOptions->Count() == 0) {
        QDialog::reject();  // nothing to edit
        return;
    }
    // A text that holds no amount is refused, not taken for 0.
    const std::pair<QLineEdit*, const char*> boxes[] = {
        {numStart, "start price"}, {numReserve, "reserve"}, {numBuyItNow, "Buy It Now price"}};
    for (const auto& [box, what] : boxes) {
        bool ok = false;
        RelistOptionRules::ReadAmount(box->text(), &ok);
        if (ok) continue;
        MsgBox(AmountText::NotAnAmount(QLatin1String(what), box->text()), vbmsg::Exclamation, ProgramContext::current().gAppTitle);
        box->setFocus();
        return;
    }
    // A buy-now of 0 is no buy-now price: it is not checked against the reserve.
    if (!numBuyItNow->text().isEmpty() && RelistOptionRules::ReadAmount(numBuyItNow->text()) == 0) numBuyItNow->clear();
    const double start = RelistOptionRules::ReadAmount(numStart->text());
    const double reserve = RelistOptionRules::ReadAmount(numReserve->text());
    const double buyNow = RelistOptionRules::ReadAmount(numBuyItNow->text());
    const bool fixed = optDuration[0]->isChecked();
    const int days = cboDurationDays->currentIndex() + 1;
    const double endTime = fixed ? 0 : SelectedEndTime();

    const QString message = RelistOptionRules::CheckMessage(start, reserve, numBuyItNow->text().isEmpty(), buyNow, fixed, days,
                                                            endTime, vb::now());
    if (!message.isEmpty()) {
        MsgBox(message, vbmsg::Exclamation, ProgramContext::current().gAppTitle);
        return;
    }

    if (!TypingLimit::ConfirmShortening(this, ProgramContext::current().gAppTitle)) return;

    QString features = QStringLiteral(",");
    for (int i = 0; i < chkExtraFeatures.size(); ++i)
        if (chkExtraFeatures[i]->isChecked()) features += ExtraFeatureCaptions().at(i) + QLatin1Char(',');
    mRelistOptions->Update(txtTitle->text(), start, reserve, QVariant(buyNow), fixed, qint16(days), endTime, features);
    accept();
}

void frmRelistDetail::cmdCancel_Click()
{
    // The entry was appended for this visit only; the queue keeps its values.
    if (mRelistOptions) mRelistOptions->Remove(mRelistOptions->Count());
    QDialog::reject();
}
