#include "frmItemDetails.h"

#include "ItemDetailWriter.h"
#include "ItemWriter.h"
#include "automation/RelistOptionRules.h"
#include "core/MainWindowApi.h"
#include "core/ProgramContext.h"
#include "platform/MessageService.h"
#include "platform/TypingLimit.h"
#include "platform/Vb.h"
#include "platform/SpinButtons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {
ProgramContext& ctx() { return ProgramContext::current(); }

const char* const DayCaptions[7] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

// A new detail ends at 8:30 PM when it is scheduled.
constexpr double DefaultEndTime = 20.5 / 24.0;

void tag(QWidget* w, const QString& name, const QString& tag)
{
    w->setObjectName(name);
    w->setProperty("Tag", tag);
}

}  // namespace

frmItemDetails::frmItemDetails(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmItemDetails"));
    setWindowTitle(QStringLiteral("Stocked item detail"));

    txtTitle = new QLineEdit(this);
    tag(txtTitle, QStringLiteral("txtTitle"), QStringLiteral("MD Description"));
    TypingLimit::Apply(txtTitle, 50);
    auto* titleRow = new QHBoxLayout;
    auto* lblTitle = new QLabel(QStringLiteral("Auction title"), this);
    lblTitle->setBuddy(txtTitle);
    titleRow->addWidget(lblTitle);
    titleRow->addWidget(txtTitle, 1);

    // A number box with its spinner, both tagged like the field.
    auto numberRow = [this](QGridLayout* grid, int row, int i, const QString& caption, const QString& fieldTag, const QString& labelTag) {
        auto* label = new QLabel(caption, this);
        label->setProperty("Tag", labelTag);
        numValue[i] = new QLineEdit(this);
        tag(numValue[i], QStringLiteral("numValue(%1)").arg(i), fieldTag);
        numValue[i]->setFixedWidth(vb::twipsToPixels(900));
        numValue[i]->setAlignment(Qt::AlignRight);
        label->setBuddy(numValue[i]);
        auto* spinner = new SpinButtons(this);
        tag(spinner, QStringLiteral("UpDown(%1)").arg(i), fieldTag);
        connect(spinner, &SpinButtons::stepped, this, [this, i](int step) { UpDown_Change(i, step); });
        grid->addWidget(label, row, 0);
        grid->addWidget(numValue[i], row, 1);
        grid->addWidget(spinner, row, 2, Qt::AlignLeft);
    };

    auto* limits = new QGroupBox(QStringLiteral("Relist options"), this);
    auto* limitGrid = new QGridLayout(limits);
    const char* const limitCaptions[4] = {"Maximum number of auctions", "Maximum auctions with no bids", "Maximum auctions per day",
                                          "Min days between auctions"};
    for (int i = 0; i < 4; ++i)
        numberRow(limitGrid, i, i, QLatin1String(limitCaptions[i]), i == 0 ? QStringLiteral("RD") : QStringLiteral("RDmax"),
                  i == 0 ? QStringLiteral("RD") : QStringLiteral("RDmax"));
    chkEndDay[0] = new QCheckBox(QStringLiteral("Auction end day preference?"), this);
    tag(chkEndDay[0], QStringLiteral("chkEndDay(0)"), QStringLiteral("RD"));
    limitGrid->addWidget(chkEndDay[0], 0, 3);
    auto* dayColumn = new QVBoxLayout;
    for (int d = 1; d <= 7; ++d) {
        chkEndDay[d] = new QCheckBox(QLatin1String(DayCaptions[d - 1]), this);
        tag(chkEndDay[d], QStringLiteral("chkEndDay(%1)").arg(d), QStringLiteral("D"));
        dayColumn->addWidget(chkEndDay[d]);
    }
    limitGrid->addLayout(dayColumn, 1, 3, 4, 1);
    limitGrid->setColumnStretch(3, 1);
    limitGrid->setColumnMinimumWidth(2, vb::twipsToPixels(300));

    auto* stock = new QGroupBox(QStringLiteral("Stock"), this);
    auto* stockGrid = new QGridLayout(stock);
    chkUseStock = new QCheckBox(QStringLiteral("Stock tracking?"), this);
    tag(chkUseStock, QStringLiteral("chkUseStock"), QStringLiteral("D"));
    stockGrid->addWidget(chkUseStock, 0, 0, 1, 3);
    numberRow(stockGrid, 1, 4, QStringLiteral("Stock on hand"), QStringLiteral("stock"), QStringLiteral("stock"));
    chkStockWarning = new QCheckBox(QStringLiteral("Low stock warning?"), this);
    tag(chkStockWarning, QStringLiteral("chkStockWarning"), QStringLiteral("stock"));
    stockGrid->addWidget(chkStockWarning, 2, 0, 1, 3);
    numberRow(stockGrid, 3, 5, QStringLiteral("Warn when level <"), QStringLiteral("warning"), QStringLiteral("warning"));
    stockGrid->setColumnStretch(3, 1);

    auto* duration = new QGroupBox(QStringLiteral("Duration"), this);
    auto* durationGrid = new QGridLayout(duration);
    optDuration[0] = new QRadioButton(QStringLiteral("Fixed length"), this);
    optDuration[1] = new QRadioButton(QStringLiteral("Or, End time selected"), this);
    for (int i = 0; i < 2; ++i) {
        tag(optDuration[i], QStringLiteral("optDuration(%1)").arg(i), QStringLiteral("RD"));
        durationGrid->addWidget(optDuration[i], i, 0);
    }
    cboDurationDays = new QComboBox(this);
    tag(cboDurationDays, QStringLiteral("cboDurationDays"), QStringLiteral("RD"));
    cboDurationDays->addItems(ItemDetailWriter::DaysEntries());
    auto* lblDays = new QLabel(QStringLiteral("Default days"), this);
    lblDays->setBuddy(cboDurationDays);
    durationGrid->addWidget(lblDays, 0, 1);
    durationGrid->addWidget(cboDurationDays, 0, 2);
    cboDurationEndTime = new QComboBox(this);
    tag(cboDurationEndTime, QStringLiteral("cboDurationEndTime"), QStringLiteral("RD"));
    lblDuration = new QLabel(QStringLiteral("Default end time"), this);
    lblDuration->setObjectName(QStringLiteral("lblDuration"));
    lblDuration->setBuddy(cboDurationEndTime);
    durationGrid->addWidget(lblDuration, 1, 1);
    durationGrid->addWidget(cboDurationEndTime, 1, 2);
    durationGrid->setColumnStretch(3, 1);

    cmdSave = new QPushButton(QStringLiteral("&Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdSave->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(titleRow);
    layout->addWidget(limits);
    auto* lower = new QHBoxLayout;
    lower->addWidget(stock);
    lower->addWidget(duration, 1);
    layout->addLayout(lower);
    layout->addLayout(buttons);

    for (QCheckBox* box : chkEndDay) connect(box, &QCheckBox::toggled, this, &frmItemDetails::chkEndDay_Click);
    connect(chkUseStock, &QCheckBox::toggled, this, &frmItemDetails::chkUseStock_Click);
    connect(chkStockWarning, &QCheckBox::toggled, this, &frmItemDetails::chkStockWarning_Click);
    connect(numValue[0], &QLineEdit::textChanged, this, &frmItemDetails::numValue0_Change);
    for (QRadioButton* option : optDuration) connect(option, &QRadioButton::toggled, this, &frmItemDetails::optDuration_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmItemDetails::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmItemDetails::cmdCancel_Click);

    // As the dialog starts: no days, stock or warning, a fixed length.
    optDuration[0]->setChecked(true);
    FillEndTimes(DefaultEndTime);
    chkEndDay_Click();
    chkUseStock_Click();
    numValue0_Change();
    optDuration_Click();
}

void frmItemDetails::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_loaded) return;
    // Closing has to wait until the dialog's own event loop runs.
    if (!Form_Load()) QTimer::singleShot(0, this, &frmItemDetails::notFound);
}

void frmItemDetails::notFound()
{
    MsgBox(QStringLiteral("Record not found."), vbmsg::Information, ctx().gAppTitle);
    reject();
}

// ---- loading ----

void frmItemDetails::FillEndTimes(double storedTime)
{
    const QSignalBlocker block(cboDurationEndTime);
    cboDurationEndTime->clear();
    int selected = -1;
    for (double time : RelistOptionRules::EndTimes(storedTime, &selected))
        cboDurationEndTime->addItem(RelistOptionRules::EndTimeText(time), time);
    cboDurationEndTime->setCurrentIndex(selected);
}

bool frmItemDetails::Form_Load()
{
    m_loaded = true;
    if (mRemoteId > 0) {
        const ItemDetailLoadResult loaded = ItemDetailWriter::Load(mRemoteId);
        // A row that cannot be shown is not edited: saving the boxes would add a copy.
        if (loaded.outcome != ItemDetailLoadResult::Found) return false;
        showForm(ItemDetailWriter::FormOf(loaded.row));
    } else {
        SetItemDetailDefaults();
    }
    if (!mRemoteDesc.isEmpty()) txtTitle->setText(mRemoteDesc);
    return true;
}

void frmItemDetails::SetItemDetailDefaults()
{
    ItemDetailForm defaults;
    defaults.endTime = DefaultEndTime;
    defaults.daysEntry = ItemDetailWriter::EntryOfDays(7);
    showForm(defaults);
}

void frmItemDetails::showForm(const ItemDetailForm& form)
{
    txtTitle->setText(form.title);
    for (int i = 0; i < 8; ++i) chkEndDay[i]->setChecked(form.chkEndDay[i]);
    for (int i = 0; i < 6; ++i) numValue[i]->setText(form.numValue[i]);
    chkUseStock->setChecked(form.useStock);
    chkStockWarning->setChecked(form.stockWarning);
    optDuration[form.fixed ? 0 : 1]->setChecked(true);
    cboDurationDays->setCurrentIndex(form.daysEntry);
    // A scheduled end shows its time; a fixed length the default end time.
    FillEndTimes(form.fixed && form.endTime == 0 ? DefaultEndTime : form.endTime);
    // The rules again, whichever boxes changed.
    chkEndDay_Click();
    chkUseStock_Click();
    chkStockWarning_Click();
    numValue0_Change();
    optDuration_Click();
}

ItemDetailForm frmItemDetails::form() const
{
    ItemDetailForm f;
    f.title = txtTitle->text();
    for (int i = 0; i < 8; ++i) f.chkEndDay[i] = chkEndDay[i]->isChecked();
    for (int i = 0; i < 6; ++i) f.numValue[i] = numValue[i]->text();
    f.useStock = chkUseStock->isChecked();
    f.stockWarning = chkStockWarning->isChecked();
    f.fixed = optDuration[0]->isChecked();
    f.daysEntry = cboDurationDays->currentIndex();
    f.endTime = cboDurationEndTime->currentIndex() < 0 ? 0.0 : cboDurationEndTime->currentData().toDouble();
    return f;
}

// ---- the enabling rules ----

void frmItemDetails::enableTagged(const QString& word, bool enabled)
{
    for (QWidget* w : findChildren<QWidget*>())
        if (w->property("Tag").toString().contains(word, Qt::CaseSensitive)) w->setEnabled(enabled);
}

void frmItemDetails::chkEndDay_Click()
{
    // The days keep their ticks while the preference is off; they are saved only with it.
    for (int d = 1; d <= 7; ++d) chkEndDay[d]->setEnabled(chkEndDay[0]->isChecked());
}

void frmItemDetails::chkUseStock_Click()
{
    enableTagged(QStringLiteral("stock"), chkUseStock->isChecked());
    if (!chkUseStock->isChecked()) chkStockWarning->setChecked(false);
    chkStockWarning_Click();
}

void frmItemDetails::chkStockWarning_Click() { enableTagged(QStringLiteral("warning"), chkStockWarning->isChecked()); }

void frmItemDetails::numValue0_Change() { enableTagged(QStringLiteral("max"), ItemWriter::BoxNumber(numValue[0]->text()) != 0); }

void frmItemDetails::optDuration_Click()
{
    const bool scheduled = optDuration[1]->isChecked();
    cboDurationEndTime->setVisible(scheduled);
    lblDuration->setEnabled(scheduled);
}

void frmItemDetails::UpDown_Change(int i, int step)
{
    if (i < 0 || i >= 6 || step == 0) return;
    const qint64 value = qint64(ItemWriter::BoxNumber(numValue[i]->text())) + step;
    numValue[i]->setText(QString::number(std::max<qint64>(value, 0)));
}

// ---- saving ----

bool frmItemDetails::ValidateItemDetail()
{
    const QString message = ItemDetailWriter::Check(form(), std::max<qlonglong>(mRemoteId, 0), mItemId);
    if (message.isEmpty()) return true;
    MsgBox(message, vbmsg::Exclamation, ctx().gAppTitle);
    return false;
}

bool frmItemDetails::SaveItemDetail()
{
    ItemDetailRow row = ItemDetailWriter::RowOf(form(), mItemId);
    row.autoId = std::max<qlonglong>(mRemoteId, 0);
    const ItemDetailSaveResult saved = ItemDetailWriter::Save(row);
    if (saved.outcome == ItemDetailSaveResult::NotFound) {
        notFound();
        return false;
    }
    if (saved.outcome != ItemDetailSaveResult::Saved) return false;
    mRemoteId = saved.autoId;

    // Sales already listed under this title may take the item's code.
    const int sales = ItemWriter::SalesToRecode(mItemId, row.title);
    if (sales < 0) return true;
    if (sales > 0) {
        const ItemQuestion q = ItemWriter::RecodeQuestion(mItemId, row.title, sales);
        if (MsgBox(q.text, q.style, ctx().gAppTitle) == vbmsg::Yes) ItemWriter::RecodeSales(mItemId, row.title);
    }
    if (ctx().gMainWindow) ctx().gMainWindow->Refreshlist();
    return true;
}

void frmItemDetails::cmdSave_Click()
{
    if (!ValidateItemDetail()) return;
    if (!TypingLimit::ConfirmShortening(this, ctx().gAppTitle)) return;
    // A failed write keeps the dialog and its entries for another try.
    if (SaveItemDetail()) accept();
}

void frmItemDetails::cmdCancel_Click() { reject(); }
