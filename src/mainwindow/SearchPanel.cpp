#include "SearchPanel.h"

#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/NullableDateEdit.h"
#include "platform/Vb.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

struct DateField {
    int page;
    const char* caption;
    const char* column;  // the column a date restricts
    const char* op;      // ">=", "<=" or "="
};
// The date fields in index order.
const DateField dates[SearchPanel::DateCount] = {
    {1, "From date", "Auction.DateNextAction", ">="}, {1, "To date", "Auction.DateNextAction", "<="},
    {2, "Date paid", "Auction.datePaid", "="},        {2, "Date ship", "Auction.dateSent", "="},
    {3, "Start date", "Auction.dateStart", "="},      {3, "End date", "Auction.DateEnded", "="},
    {3, "Date paid", "Auction.DatePaid", "="},        {3, "Date ship", "Auction.DateSent", "="},
};

struct TextField {
    int page;  // 0: hidden
    const char* caption;
    const char* tag;
};
const TextField texts[SearchPanel::TextCount] = {
    {1, "Item Description", "like=Auction.ItemId,ItemId,Description,SELECT ItemId,Description FROM Item"},
    {2, "Buyer Id", "like=Auction.CustomerId,CustomerId,CustomerId,SELECT CustomerId FROM Customer"},
    {2, "Email", "like=Auction.CustomerId,CustomerId,Email,SELECT CustomerId,Email FROM Customer"},
    {2, "Name", "like=Auction.CustomerId,CustomerId,Name,SELECT CustomerId,Name FROM Customer"},
    {2, "Address", "like=Auction.CustomerId,CustomerId,Address,SELECT CustomerId,Address FROM Customer"},
    {3, "Auction #", "like=Auction.AuctionId,AuctionId,AuctionId,SELECT AuctionId FROM Auction"},
    {3, "Auction Description", "like=Auction.Description,Description,Description,SELECT Description FROM Auction"},
    {3, "Buyer total", "Auction.WinningBid + Auction.Shipping = "},
    {0, "", "like=Auction.CustomerId,CustomerId,EmailCC,SELECT CustomerId,EmailCC FROM Customer"},
};

}  // namespace

SearchPanel::SearchPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picSearch"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(2, 2, 2, 2);

    auto* title = new QHBoxLayout;
    auto* lblSearch = new QLabel(QStringLiteral(" Search"), this);
    lblSearch->setObjectName(QStringLiteral("lblSearch(17)"));
    QFont bold = lblSearch->font();
    bold.setBold(true);
    lblSearch->setFont(bold);
    cmdSearchClose = new QToolButton(this);
    cmdSearchClose->setObjectName(QStringLiteral("cmdSearchClose"));
    cmdSearchClose->setText(QStringLiteral("X"));
    title->addWidget(lblSearch, 1);
    title->addWidget(cmdSearchClose);
    outer->addLayout(title);

    auto* tb = new QHBoxLayout;
    const char* const tbCaptions[] = {"General", "Buyer", "Auction"};
    const char* const tbTips[] = {"General Search", "Search by customer details", "Search by Auction details"};
    for (int i = 0; i < 3; ++i) {
        tbSearch[i] = new QToolButton(this);
        tbSearch[i]->setObjectName(QStringLiteral("tbSearch(%1)").arg(i + 1));
        tbSearch[i]->setText(QLatin1String(tbCaptions[i]));
        tbSearch[i]->setToolTip(QLatin1String(tbTips[i]));
        tbSearch[i]->setCheckable(true);
        tbSearch[i]->setAutoExclusive(true);
        connect(tbSearch[i], &QToolButton::clicked, this, [this, i] { emit pageChosen(i + 1); });
        tb->addWidget(tbSearch[i]);
    }
    tb->addStretch();
    outer->addLayout(tb);

    pages = new QStackedWidget(this);
    QFormLayout* forms[3];
    for (int p = 0; p < 3; ++p) {
        auto* page = new QWidget(pages);
        page->setObjectName(QStringLiteral("picSearchDetail(%1)").arg(p + 1));
        forms[p] = new QFormLayout(page);
        forms[p]->setContentsMargins(0, 4, 0, 4);
        pages->addWidget(page);
    }
    auto emitChanged = [this] { emit changed(); };
    for (int i = 0; i < DateCount; ++i) {
        dateSearch[i] = new NullableDateEdit(this);
        dateSearch[i]->setObjectName(QStringLiteral("dateSearch(%1)").arg(i));
        dateSearch[i]->setProperty("Tag", QString::fromLatin1(dates[i].column) + QLatin1String(dates[i].op));
        connect(dateSearch[i], &NullableDateEdit::changed, this, emitChanged);
    }
    const char* const comboCaptions[] = {"Next Action", "ItemId"};
    const char* const comboTags[] = {"Auction.ActionId=", "like=Auction.ItemId,ItemId,ItemId,SELECT ItemId FROM Item"};
    for (int i = 0; i < 2; ++i) {
        cboSearch[i] = new QComboBox(this);
        cboSearch[i]->setObjectName(QStringLiteral("cboSearch(%1)").arg(i));
        cboSearch[i]->setEditable(i == 1);
        cboSearch[i]->setProperty("Tag", QLatin1String(comboTags[i]));
        connect(cboSearch[i], &QComboBox::currentIndexChanged, this, emitChanged);
        if (i == 1) connect(cboSearch[i], &QComboBox::editTextChanged, this, emitChanged);
    }
    for (int i = 0; i < TextCount; ++i) {
        txtSearch[i] = new QLineEdit(this);
        txtSearch[i]->setObjectName(QStringLiteral("txtSearch(%1)").arg(i));
        txtSearch[i]->setProperty("Tag", QLatin1String(texts[i].tag));
        connect(txtSearch[i], &QLineEdit::textChanged, this, emitChanged);
    }
    txtSearch[8]->hide();
    // The pages, in the order their fields appear.
    forms[0]->addRow(QLatin1String(dates[0].caption), dateSearch[0]);
    forms[0]->addRow(QLatin1String(dates[1].caption), dateSearch[1]);
    forms[0]->addRow(QLatin1String(comboCaptions[0]), cboSearch[0]);
    forms[0]->addRow(QLatin1String(comboCaptions[1]), cboSearch[1]);
    forms[0]->addRow(QLatin1String(texts[0].caption), txtSearch[0]);
    for (int i : {1, 2, 3, 4}) forms[1]->addRow(QLatin1String(texts[i].caption), txtSearch[i]);
    forms[1]->addRow(QLatin1String(dates[2].caption), dateSearch[2]);
    forms[1]->addRow(QLatin1String(dates[3].caption), dateSearch[3]);
    for (int i : {5, 6, 7}) forms[2]->addRow(QLatin1String(texts[i].caption), txtSearch[i]);
    for (int i : {4, 5, 6, 7}) forms[2]->addRow(QLatin1String(dates[i].caption), dateSearch[i]);
    pages->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    outer->addWidget(pages);

    // Page 0: the options, always below the current page.
    auto* options = new QWidget(this);
    options->setObjectName(QStringLiteral("picSearchDetail(0)"));
    auto* o = new QVBoxLayout(options);
    o->setContentsMargins(0, 0, 0, 0);
    auto* group = new QButtonGroup(this);
    const char* const optCaptions[] = {"Active auctions only", "Completed auctions only", "Active and completed"};
    const char* const optTags[] = {"Auction.ActionId <> 15", "Auction.ActionId = 15", "Auction.ActionId > 0"};
    for (int i = 0; i < 3; ++i) {
        optSearch[i] = new QRadioButton(QLatin1String(optCaptions[i]), options);
        optSearch[i]->setObjectName(QStringLiteral("optSearch(%1)").arg(i));
        optSearch[i]->setProperty("Tag", QLatin1String(optTags[i]));
        group->addButton(optSearch[i], i);
        connect(optSearch[i], &QRadioButton::clicked, this, emitChanged);
        o->addWidget(optSearch[i]);
    }
    optSearch[0]->setChecked(true);
    chkSearch[0] = new QCheckBox(QStringLiteral("Exclude Relist Items"), options);
    chkSearch[0]->setObjectName(QStringLiteral("chkSearch(0)"));
    chkSearch[0]->setProperty("Tag", QStringLiteral("Auction.ActionId <> 16"));
    connect(chkSearch[0], &QCheckBox::toggled, this, emitChanged);
    o->addWidget(chkSearch[0]);
    cmdSearchClear = new QToolButton(options);
    cmdSearchClear->setObjectName(QStringLiteral("cmdSearchClear"));
    cmdSearchClear->setText(QStringLiteral("Clear"));
    o->addWidget(cmdSearchClear);
    txtSearchMessage = new QLabel(options);
    txtSearchMessage->setObjectName(QStringLiteral("txtSearchMessage"));
    txtSearchMessage->setWordWrap(true);
    txtSearchMessage->setTextFormat(Qt::PlainText);  // it quotes the clipboard
    o->addWidget(txtSearchMessage);
    outer->addWidget(options);
    outer->addStretch(1);

    connect(cmdSearchClose, &QToolButton::clicked, this, &SearchPanel::closeRequested);
    connect(cmdSearchClear, &QToolButton::clicked, this, &SearchPanel::clearRequested);
    ShowPage(1);
}

void SearchPanel::ShowPage(int page)
{
    // The pages stack takes the height of the page shown, so the options sit right below it.
    for (int p = 0; p < pages->count(); ++p)
        pages->widget(p)->setSizePolicy(QSizePolicy::Preferred, p == page - 1 ? QSizePolicy::Maximum : QSizePolicy::Ignored);
    pages->setCurrentIndex(page - 1);
    pages->updateGeometry();
    tbSearch[page - 1]->setChecked(true);
}

int SearchPanel::currentPage() const { return pages->currentIndex() + 1; }

void SearchPanel::SetMessage(const QString& text, bool found)
{
    txtSearchMessage->setText(text);
    QPalette pal = txtSearchMessage->palette();
    pal.setColor(QPalette::WindowText, found ? vb::color(0x80000011) : QColor(Qt::red));
    txtSearchMessage->setPalette(pal);
}

void SearchPanel::ClearFields()
{
    txtSearchMessage->clear();
    for (NullableDateEdit* d : dateSearch) {
        const QSignalBlocker block(d);
        d->setDate(QDate::currentDate());
        d->clear();
    }
    for (QComboBox* c : cboSearch) {
        const QSignalBlocker block(c);
        c->setCurrentIndex(-1);
        c->setEditText(QString());
    }
    for (QLineEdit* t : txtSearch) {
        const QSignalBlocker block(t);
        t->clear();
    }
    const QSignalBlocker block(chkSearch[0]);
    chkSearch[0]->setChecked(false);
}

SqlCondition SearchPanel::BuildCondition()
{
    clsDatabase* db = ProgramContext::current().gDatabase;
    // A chosen task searches active sales, "Completed" completed ones.
    {
        const QSignalBlocker a(optSearch[0]), b(optSearch[1]), c(chkSearch[0]);
        const int task = cboSearch[0]->currentIndex();
        if (task == 15) {
            optSearch[1]->setChecked(true);
        } else {
            if (task == 16) chkSearch[0]->setChecked(false);
            if (!cboSearch[0]->currentText().trimmed().isEmpty()) optSearch[0]->setChecked(true);
        }
    }
    SqlCondition where;
    // A date matches the whole day it names, whatever time a stored date carries.
    for (int i = 0; i < DateCount; ++i) {
        if (dateSearch[i]->isNull()) continue;
        const double day = vb::toOleDate(dateSearch[i]->date());
        const QString column = QLatin1String(dates[i].column);
        const QString op = QLatin1String(dates[i].op);
        if (op == QLatin1String(">=")) where += {column + QStringLiteral(">=? AND "), {day}};
        else if (op == QLatin1String("<=")) where += {column + QStringLiteral("<? AND "), {day + 1}};
        else where += {QStringLiteral("(%1>=? AND %1<?) AND ").arg(column), {day, day + 1}};
    }
    if (!cboSearch[0]->currentText().trimmed().isEmpty() && cboSearch[0]->currentIndex() > 0)
        where += {QStringLiteral("Auction.ActionId=? AND "), {cboSearch[0]->currentIndex()}};
    if (!cboSearch[1]->currentText().trimmed().isEmpty() && db)
        where += db->GetLike(cboSearch[1]->property("Tag").toString(), cboSearch[1]->currentText());
    for (int i = 0; i < TextCount; ++i) {
        const QString text = txtSearch[i]->text();
        if (text.isEmpty()) continue;
        const QString tag = txtSearch[i]->property("Tag").toString();
        if (tag.startsWith(QLatin1String("like="))) {
            if (db) where += db->GetLike(tag, text);
        } else {
            // The buyer total compares as a number, to the cent, with the
            // total the details pane shows (no bid or no shipping counts 0).
            // "$25.50" is 25.50: the money sign is not part of the number.
            // Text without a number (or one too large to hold) adds nothing.
            bool isNumber = false;
            const double total = vb::Val(QString(text).remove(u'$').remove(u','), &isNumber);
            if (isNumber)
                where += {QStringLiteral("ABS(IFNULL(Auction.WinningBid, 0) + IFNULL(Auction.Shipping, 0) - ?) < 0.005 AND "), {total}};
        }
    }
    for (QRadioButton* o : optSearch)
        if (o->isChecked()) where += o->property("Tag").toString() + QStringLiteral(" AND ");
    if (chkSearch[0]->isChecked()) where += chkSearch[0]->property("Tag").toString() + QStringLiteral(" AND ");
    if (where.text.endsWith(QLatin1String("AND "))) where.text.chop(4);
    return where;
}
