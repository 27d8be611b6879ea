#include "BatchQueueWindow.h"

#include "core/ProgramContext.h"
#include "core/WidgetCover.h"
#include "core/clsLinks.h"
#include "core/modWebProcessing.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/ScreenFit.h"
#include "platform/Vb.h"
#include "platform/browser/WebBrowser.h"

#include <QBrush>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {
const QString CrLf = QStringLiteral("\r\n");
constexpr int TagRole = Qt::UserRole + 1;
const QString CancelPending = QStringLiteral("Stopping after this one - Cancel again to stop now.");
ProgramContext& ctx() { return ProgramContext::current(); }
}  // namespace

BatchQueueWindow::BatchQueueWindow(const Setup& setup, QWidget* parent) : QDialog(parent), m_setup(setup)
{
    setObjectName(setup.formName);
    setWindowTitle(setup.caption);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setMinimumSize(vb::twipsToPixels(9000), vb::twipsToPixels(5000));

    m_model = new QStandardItemModel(this);
    m_model->setHorizontalHeaderLabels(setup.headers);
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->header()->setSectionsClickable(false);  // a header click sorts nothing
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, &BatchQueueWindow::list_MouseUp);

    chkSelect = new QCheckBox(setup.selectAllChecked ? QStringLiteral("Deselect all") : QStringLiteral("Select all"), this);
    chkSelect->setObjectName(QStringLiteral("chkSelect"));
    chkSelect->setChecked(setup.selectAllChecked);
    connect(chkSelect, &QCheckBox::clicked, this, [this] { chkSelect_Click(); });
    cmdCancel = new QPushButton(setup.cancelCaption, this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_start = new QPushButton(setup.startCaption, this);
    m_start->setObjectName(setup.startName);
    for (QPushButton* b : {cmdCancel, m_start}) b->setAutoDefault(false);
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(m_start, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(m_list, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chkSelect);
    buttons->addStretch(1);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(m_start);
    outer->addLayout(buttons);
    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar"));
    outer->addWidget(status);

    // The wait panel floats over the list while a batch runs.
    picWait = new QFrame(this);
    picWait->setObjectName(QStringLiteral("picWait"));
    static_cast<QFrame*>(picWait)->setFrameShape(QFrame::StyledPanel);
    picWait->setAutoFillBackground(true);
    auto* wait = new QVBoxLayout(picWait);
    lblWaitMessage = new QLabel(setup.waitText, picWait);
    lblWaitMessage->setObjectName(QStringLiteral("lblWaitMessage"));
    lblWaitMessage->setAlignment(Qt::AlignCenter);
    lblWaitMessage->setWordWrap(true);
    pBar = new QProgressBar(picWait);
    pBar->setObjectName(QStringLiteral("pBar"));
    pBar->setRange(0, 0);
    pBar->setValue(0);
    wait->addWidget(lblWaitMessage);
    wait->addWidget(pBar);
    picWait->setFixedSize(vb::twipsToPixels(4200), vb::twipsToPixels(1500));  // room for the wait text and a line on stopping
    picWait->hide();

    mnuPopup = new QMenu(QStringLiteral("Options"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    // The common items; a window's own come before them.
    auto common = [this](const char* name, const QString& text, void (BatchQueueWindow::*run)()) {
        QAction* a = mnuPopup->addAction(text);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, [this, run] {
            if (selectedRow() >= 0) (this->*run)();
        });
        return a;
    };
    m_commonFirst = common("mnuPopupAuction", QStringLiteral("View auction details"), &BatchQueueWindow::openAuction);
    if (setup.buyerItem) common("mnuPopupBuyer", QStringLiteral("View buyer details"), &BatchQueueWindow::openBuyer);
    common("mnuPopupItem", QStringLiteral("View item details"), &BatchQueueWindow::openItem);
    mnuPopup->addSeparator()->setObjectName(QStringLiteral("mnuPopupLine2"));
    common("mnuPopupBrowser", setup.browserCaption, &BatchQueueWindow::openBrowser);
    connect(m_list, &QTreeView::doubleClicked, this, [this] {
        const QList<QAction*> items = mnuPopup->actions();
        if (!items.isEmpty() && selectedRow() >= 0) items.first()->trigger();
    });
    // A row's box clicked selects the row, so the popup commands act on it.
    connect(m_model, &QStandardItemModel::itemChanged, this, [this](QStandardItem* item) {
        if (!m_filling && item->column() == 0 && item->isCheckable())
            m_list->setCurrentIndex(m_model->index(item->row(), 0));
    });
    resize(vb::twipsToPixels(11000), vb::twipsToPixels(6000));
}

// ---- rows ----

QList<QStandardItem*> BatchQueueWindow::addRow(const QStringList& texts, bool checked)
{
    QList<QStandardItem*> cells;
    for (const QString& text : texts) {
        auto* item = new QStandardItem(text);
        item->setEditable(false);
        cells << item;
    }
    while (cells.size() < m_model->columnCount()) {
        auto* item = new QStandardItem;
        item->setEditable(false);
        cells << item;
    }
    cells.first()->setCheckable(true);
    cells.first()->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    m_filling = true;  // filling is no box click
    m_model->appendRow(cells);
    m_filling = false;
    return cells;
}

void BatchQueueWindow::highlight(const QList<QStandardItem*>& cells)
{
    for (QStandardItem* c : cells) {
        QFont bold = c->font();
        bold.setBold(true);
        c->setFont(bold);
        c->setForeground(QBrush(Qt::red));
    }
}

void BatchQueueWindow::setTag(QStandardItem* cell, const QVariant& tag) { cell->setData(tag, TagRole); }
QVariant BatchQueueWindow::tag(const QStandardItem* cell) { return cell ? cell->data(TagRole) : QVariant(); }
QStandardItem* BatchQueueWindow::cell(int row, int column) const { return m_model->item(row, column); }
int BatchQueueWindow::rowCount() const { return m_model->rowCount(); }

int BatchQueueWindow::checkedCount() const
{
    int n = 0;
    for (int r = 0; r < m_model->rowCount(); ++r) n += m_model->item(r, 0)->checkState() == Qt::Checked;
    return n;
}

int BatchQueueWindow::selectedRow() const
{
    const QModelIndex current = m_list->currentIndex();
    return current.isValid() && m_list->selectionModel()->isRowSelected(current.row(), {}) ? current.row() : -1;
}

QString BatchQueueWindow::auctionOf(int row) const { return m_model->item(row, 0)->text(); }

int BatchQueueWindow::NextRow(const QVector<bool>& checked, int* value)
{
    const int count = int(checked.size());
    while (*value < count) {
        ++*value;
        if (checked[*value - 1]) return *value;
    }
    return 0;
}

// ---- the window's life ----

void BatchQueueWindow::showEvent(QShowEvent* event)
{
    // The kept size first, so the dialog is placed on the screen at that size.
    if (!m_loaded) {
        m_loaded = true;
        loadSettings();
    }
    QDialog::showEvent(event);
    Form_Activate();
}

void BatchQueueWindow::Form_Activate()
{
    if (m_activated) return;
    m_activated = true;
    if (fillList()) {
        // Until the seller has widths of their own, the columns fit what they hold.
        if (!AppSettings::HasSetting(QStringLiteral("Settings\\") + m_setup.formName, QStringLiteral("listColumn1")))
            m_list->header()->resizeSections(QHeaderView::ResizeToContents);
        fitToColumns();
        m_list->setCurrentIndex(m_model->index(0, 0));
        m_list->scrollToTop();
        m_list->setFocus();
        return;
    }
    // Nothing to work on (said): the window goes once it has shown.
    QMetaObject::invokeMethod(this, [this] { done(QDialog::Rejected); }, Qt::QueuedConnection);
}

void BatchQueueWindow::loadSettings()
{
    const QString section = QStringLiteral("Settings\\") + m_setup.formName;
    auto twips = [&](const QString& key, int pixels) {
        return vb::twipsToPixels(AppSettings::GetSetting(section, key, QString::number(vb::pixelsToTwips(pixels))).toDouble());
    };
    const int state = m_setup.keepsWindowState ? AppSettings::GetSetting(section, QStringLiteral("WindowState"), QStringLiteral("0")).toInt() : 0;
    // A size saved on a larger screen comes back within this one.
    resize(ScreenFit::within(this, QSize(qMax(minimumWidth(), twips(QStringLiteral("Width"), width())),
                                         qMax(minimumHeight(), twips(QStringLiteral("Height"), height())))));
    if (state == 2) setWindowState(Qt::WindowMaximized);
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const int w = twips(QStringLiteral("listColumn%1").arg(c + 1), m_list->columnWidth(c));
        if (w > 0) m_list->setColumnWidth(c, w);
    }
}

void BatchQueueWindow::fitToColumns()
{
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) return;
    // The last column stretches to the list's edge: what it needs is its contents.
    int columns = 0, last = -1;
    for (int c = 0; c < m_model->columnCount(); ++c)
        if (!m_list->isColumnHidden(c)) {
            columns += m_list->columnWidth(c);
            last = c;
        }
    if (last >= 0 && m_list->header()->stretchLastSection()) {
        const int contents = std::max(static_cast<QAbstractItemView*>(m_list)->sizeHintForColumn(last), m_list->header()->sectionSizeHint(last));
        columns += contents - m_list->columnWidth(last);
    }
    // Around the columns: the list's frame, the window's margins and room for a vertical scroll bar.
    const int scrollBar = m_list->verticalScrollBar()->isVisible() ? 0 : style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_list);
    const int wanted = columns + (width() - m_list->viewport()->width()) + scrollBar;
    if (wanted <= width()) return;
    const QRect room = ScreenFit::room(this);
    const int centre = geometry().center().x();
    resize(std::min(wanted, room.width()), height());
    // Still centred where it opened, and wholly on the screen.
    move(std::clamp(centre - width() / 2, room.left(), std::max(room.left(), room.right() + 1 - width())), y());
}

void BatchQueueWindow::saveSettings()
{
    QList<QPair<QString, QString>> values;
    const bool maximised = isMaximized();
    if (m_setup.keepsWindowState) values.append({QStringLiteral("WindowState"), QString::number(maximised ? 2 : isMinimized() ? 1 : 0)});
    if (!m_setup.keepsWindowState || !maximised) {
        values.append({QStringLiteral("Width"), QString::number(vb::pixelsToTwips(width()))});
        values.append({QStringLiteral("Height"), QString::number(vb::pixelsToTwips(height()))});
    }
    for (int c = 0; c < m_model->columnCount(); ++c)
        values.append({QStringLiteral("listColumn%1").arg(c + 1), QString::number(vb::pixelsToTwips(m_list->columnWidth(c)))});
    AppSettings::SaveSettings(QStringLiteral("Settings\\") + m_setup.formName, values);
}

void BatchQueueWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    picWait->move((width() - picWait->width()) / 2, (height() - picWait->height()) / 2);
}

void BatchQueueWindow::done(int result)
{
    if (m_running && !m_closing) {
        // A close asked for while a batch runs is first taken as Cancel, so
        // the row in hand finishes; asked again, the window goes at once.
        if (!m_cancel) {
            m_cancel = true;
            // A row waiting for a page that never comes ends only by a second
            // request: the seller is told so.
            lblWaitMessage->setText(m_setup.waitText + QStringLiteral("\n") + CancelPending);
            return;
        }
    }
    if (m_closing && !isVisible()) return;
    m_closing = true;
    if (m_loaded) saveSettings();
    QDialog::done(result);
}

void BatchQueueWindow::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);  // reject(), which done() may refuse: then the window stays
}

// ---- buttons ----

void BatchQueueWindow::chkSelect_Click()
{
    const bool all = chkSelect->isChecked();
    chkSelect->setText(all ? QStringLiteral("Deselect all") : QStringLiteral("Select all"));
    m_filling = true;
    for (int r = 0; r < m_model->rowCount(); ++r) m_model->item(r, 0)->setCheckState(all ? Qt::Checked : Qt::Unchecked);
    m_filling = false;
    m_list->setFocus();
}

void BatchQueueWindow::EnableControls(bool enabled)
{
    mnuPopup->setEnabled(enabled);
    m_list->setEnabled(enabled);
    chkSelect->setEnabled(enabled);
    m_start->setEnabled(enabled);
}

void BatchQueueWindow::cmdOK_Click()
{
    const int n = checkedCount();
    if (n == 0) {
        MsgBox(QStringLiteral("Select at least one item first."), vbmsg::Information, ctx().gAppTitle);
        return;
    }
    if (MsgBox(m_setup.confirmText.arg(n) + CrLf + CrLf + QStringLiteral("Are you sure you want to continue?"),
               vbmsg::YesNo + vbmsg::Question + vbmsg::DefaultButton2, ctx().gAppTitle) != vbmsg::Yes)
        return;
    if (!login()) return;
    startBatch();
}

void BatchQueueWindow::startBatch()
{
    pBar->setRange(0, m_model->rowCount());
    pBar->setValue(0);
    m_done = 0;
    m_cancel = false;
    m_running = true;
    ShowWait(m_setup.waitText);
    ProcessNext(false);
}

void BatchQueueWindow::ShowWait(const QString& message)
{
    if (!message.isEmpty()) {
        lblWaitMessage->setText(message);
        picWait->raise();
        picWait->show();
    } else {
        picWait->hide();
    }
    EnableControls(message.isEmpty());
    QCoreApplication::processEvents();
}

void BatchQueueWindow::cmdCancel_Click()
{
    // While a batch runs: the first click asks for a cancel at the next row,
    // a further one closes the window at once (done() tells them apart).
    reject();
}

// ---- the batch ----

void BatchQueueWindow::ProcessNext(bool askToContinue)
{
    for (;;) {
        if (m_closing) return;
        QVector<bool> checked;
        checked.reserve(m_model->rowCount());
        for (int r = 0; r < m_model->rowCount(); ++r) checked << (m_model->item(r, 0)->checkState() == Qt::Checked);
        int value = pBar->value();
        const bool atEnd = value >= m_model->rowCount();
        const int row = atEnd ? 0 : NextRow(checked, &value);
        pBar->setValue(value);
        if (!atEnd) {
            m_list->setCurrentIndex(m_model->index(value - 1, 0));
            // A Cancel click or a close already made is seen here.
            QCoreApplication::processEvents();
            if (m_closing) return;
        }
        if (row == 0) {
            m_cancel = true;
        } else if (m_cancel) {
            if (MsgBox(m_setup.cancelQuestion, vbmsg::YesNo + vbmsg::DefaultButton1, ctx().gAppTitle) != vbmsg::Yes) {
                m_cancel = false;
                lblWaitMessage->setText(m_setup.waitText);
            }
        } else if (askToContinue && !m_setup.continueQuestion.isEmpty()) {
            if (MsgBox(m_setup.continueQuestion, vbmsg::YesNo + vbmsg::DefaultButton1, ctx().gAppTitle) != vbmsg::Yes) m_cancel = true;
        }
        if (m_cancel) return finishBatch(true);

        const RowOutcome outcome = startRow(row - 1);
        if (m_closing) return;
        switch (outcome) {
        case RowOutcome::Pending: return;
        case RowOutcome::Succeeded:
            ++m_done;
            askToContinue = false;
            break;
        case RowOutcome::Passed: askToContinue = false; break;
        case RowOutcome::Failed:
            if (m_setup.continueQuestion.isEmpty()) return finishBatch(true);
            askToContinue = true;
            break;
        case RowOutcome::EndBatch: return finishBatch(true);
        }
    }
}

void BatchQueueWindow::rowFinished(RowOutcome outcome)
{
    if (!m_running || m_closing) return;
    switch (outcome) {
    case RowOutcome::Pending: return;
    case RowOutcome::Succeeded: ++m_done; return ProcessNext(false);
    case RowOutcome::Passed: return ProcessNext(false);
    case RowOutcome::Failed:
        if (m_setup.continueQuestion.isEmpty()) return finishBatch(true);
        return ProcessNext(true);
    case RowOutcome::EndBatch: return finishBatch(true);
    }
}

void BatchQueueWindow::finishBatch(bool showSummary)
{
    picWait->hide();
    QCoreApplication::processEvents();
    if (m_closing) return;
    if (showSummary) MsgBox(summaryMessage(), vbmsg::Information, ctx().gAppTitle);
    m_running = false;
    batchFinished();
    done(QDialog::Accepted);
}

QString BatchQueueWindow::summaryMessage() const { return m_setup.summaryText.arg(m_done); }

// ---- popup ----

QAction* BatchQueueWindow::addPopupItem(const QString& name, const QString& text, std::function<void()> run)
{
    // A separator keeps no text: some styles draw a separator's text as a section title.
    const bool separator = text == QLatin1String("-");
    QAction* a = new QAction(separator ? QString() : text, mnuPopup);
    a->setObjectName(name);
    if (separator) a->setSeparator(true);
    else
        connect(a, &QAction::triggered, this, [this, run = std::move(run)] {
            if (selectedRow() >= 0) run();
        });
    mnuPopup->insertAction(m_commonFirst, a);
    return a;
}

void BatchQueueWindow::list_MouseUp(const QPoint& pos)
{
    if (m_model->rowCount() == 0 || !mnuPopup->isEnabled()) return;
    const QModelIndex at = m_list->indexAt(pos);
    if (!at.isValid() || at.row() != selectedRow()) return;
    mnuPopup->popup(m_list->viewport()->mapToGlobal(pos));
}

void BatchQueueWindow::openAuction()
{
    FormsRegistry::instance().showModal(QStringLiteral("frmAuction"),
                                        {{QStringLiteral("mRemoteEdit"), true}, {QStringLiteral("mRemoteId"), auctionOf(selectedRow())}}, this);
}

void BatchQueueWindow::openBuyer()
{
    FormsRegistry::instance().showModal(QStringLiteral("frmCustomer"), {{QStringLiteral("mRemoteId"), buyerOf(selectedRow())}}, this);
}

void BatchQueueWindow::openItem()
{
    FormsRegistry::instance().showModal(QStringLiteral("frmItem"), {{QStringLiteral("mRemoteId"), itemOf(selectedRow())}}, this);
}

void BatchQueueWindow::openBrowser()
{
    QString address = ctx().gLinks ? ctx().gLinks->Link(ctx().gLinkIdViewAuction) : QString();
    // A further sale of a listing ("...A") shows the listing's own page.
    address.replace(QStringLiteral("[AUCTIONNUMBER]"), modWebProcessing::SiteAuctionNumber(auctionOf(selectedRow())));
    FormsRegistry::instance().showModal(QStringLiteral("frmBrowser"), {{QStringLiteral("StartingAddress"), address}}, this);
}

void BatchQueueWindow::ShowBrowserMessage(WebBrowser* browser, const QString& message, int style)
{
    picWait->hide();
    const Qt::WindowStates state = windowState();
    setWindowState(Qt::WindowMaximized);
    // The page covers the list at whatever size the window takes while the message is up.
    QWidget* page = browser ? browser->widget() : nullptr;
    std::optional<WidgetCover> cover;
    if (page) cover.emplace(page, m_list);
    MsgBox(message, style, ctx().gAppTitle);
    cover.reset();
    picWait->show();
    picWait->raise();
    if (page) page->hide();
    setWindowState(state);
    QCoreApplication::processEvents();
}
