#include "frmConfig.h"

#include "SettingsRules.h"
#include "SettingsStore.h"
#include "core/MainWindowApi.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "platform/FocusChain.h"
#include "platform/MessageService.h"
#include "platform/ReadOnlyBox.h"
#include "platform/TypingLimit.h"
#include "platform/ScreenFit.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <limits>

namespace {
const QString CrLf = QStringLiteral("\r\n");

// Multi-line values are stored with CR LF between lines; the editors use LF.
QString toEditor(const QString& stored) { return QString(stored).replace(CrLf, QStringLiteral("\n")); }
QString toStored(const QString& edited) { return QString(edited).replace(CrLf, QStringLiteral("\n")).replace(u'\n', CrLf); }

QLabel* note(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setWordWrap(true);
    return l;
}

template <typename W>
W* named(W* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}
}  // namespace

frmConfig::frmConfig(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmConfig"));
    setWindowTitle(QStringLiteral("Settings"));

    tabDetails = named(new QTabWidget(this), "tabDetails");
    tabDetails->addTab(scrolling(buildGeneral()), QStringLiteral("General"));
    tabDetails->addTab(scrolling(buildTradeMe()), QStringLiteral("TradeMe"));
    tabDetails->addTab(scrolling(buildEmail()), QStringLiteral("Email"));
    tabDetails->addTab(scrolling(buildTasks(TaskChain::PrePaymentRows(), QStringLiteral("Next task to do"),
                                  QStringLiteral("For each task done (before payment received), enter the next task to do and the number "
                                                 "of days that task is due to be completed."))),
                       QStringLiteral("Tasks (pre payment)"));
    tabDetails->addTab(scrolling(buildTasks(TaskChain::PostPaymentRows(), QStringLiteral("Next task"),
                                  QStringLiteral("For each task done (after payment received), enter the next task to do and the number "
                                                 "of days that task is due to be completed."))),
                       QStringLiteral("Tasks (post payment)"));
    tabDetails->addTab(scrolling(buildText(txtFeedback, "txtFeedback", QStringLiteral("Positive fedback comments"),
                                 QStringLiteral("Feedback comments entered here will be randomly selected for use with placing automatic "
                                                "feedback.  Separate each comment with a new line."))),
                       QStringLiteral("Feedback"));
    tabDetails->addTab(scrolling(buildText(txtNotes, "txtNotes", QStringLiteral("Standard Notes"),
                                 QStringLiteral("Standard notes are notes that you commonly add to an auction item - seperate each new "
                                                "note with a new line.  Use the dropdown box on the main screen to add a comment."))),
                       QStringLiteral("Notes"));
    // Step 15 has a label for its description only.
    lblActions[15] = named(new QLabel(this), "lblActions(15)");
    lblActions[15]->hide();

    cmdUpdate = named(new QPushButton(QStringLiteral("OK"), this), "cmdUpdate");
    cmdApply = named(new QPushButton(QStringLiteral("Apply"), this), "cmdApply");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    // Cancel never takes the focus, so leaving a field to cancel runs no field rule.
    cmdCancel->setFocusPolicy(Qt::NoFocus);
    // Enter is OK, except in a box of several lines, where it starts a new one.
    cmdUpdate->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdUpdate);
    buttons->addWidget(cmdApply);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabDetails, 1);
    layout->addLayout(buttons);

    connect(cmdUpdate, &QPushButton::clicked, this, &frmConfig::cmdUpdate_Click);
    connect(cmdApply, &QPushButton::clicked, this, &frmConfig::cmdApply_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmConfig::cmdCancel_Click);
    connect(cmdColor, &QPushButton::clicked, this, &frmConfig::cmdColor_Click);
    for (QWidget* w : std::initializer_list<QWidget*>{txtTradeMeEmail, txtEmailFrom, txtFeedback, txtEmailWrap, numNextAuctionNumber,
                                                      numNextAuctionNumberStep})
        w->installEventFilter(this);
    for (int n = 1; n <= TaskChain::RowCount; ++n) {
        txtDays[n]->installEventFilter(this);
        connect(cboNextAction[n], &QComboBox::currentIndexChanged, this, &frmConfig::RefreshActionVisibility);
    }
    connect(tabDetails, &QTabWidget::currentChanged, this, &frmConfig::tabDetails_Click);
    // Within the screen, however large the desktop's scale: the pages scroll.
    resize(ScreenFit::within(this, QSize(780, 540)));
    Form_Load();
    // The caret starts in the first page's first field, Tab going down the
    // page as laid out, then to the buttons. Set once the pages are in the
    // window: a field focused while its page is built apart loses the focus
    // as the page moves in, and the window then gives it to its first Tab
    // stop, the tab strip (made with the tab control, before any page).
    FocusChain::Prepare(this);
}

QString frmConfig::title() const { return ProgramContext::current().gAppTitle; }

QWidget* frmConfig::buildGeneral()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    txtDatabaseDesc = named(new QLineEdit(page), "txtDatabaseDesc");
    cboDefault = named(new QComboBox(page), "cboDefault");
    numNextAuctionNumber = named(new QLineEdit(page), "numNextAuctionNumber");
    numNextAuctionNumberStep = named(new QLineEdit(page), "numNextAuctionNumberStep");
    for (QLineEdit* e : {numNextAuctionNumber, numNextAuctionNumberStep}) {
        TypingLimit::Apply(e, 10);
        e->setMaximumWidth(110);
    }
    chkShowGrid = named(new QCheckBox(QStringLiteral("Show grid lines?"), page), "chkShowGrid");
    chkDefaultList = named(new QCheckBox(QStringLiteral("on startup show todays task list"), page), "chkDefaultList");
    picColor = named(new QLabel(page), "picColor");
    picColor->setFixedSize(64, 24);
    picColor->setFrameShape(QFrame::Box);
    picColor->setAutoFillBackground(true);
    cmdColor = named(new QPushButton(QStringLiteral("Change color"), page), "cmdColor");
    auto* numbers = new QHBoxLayout;
    numbers->addWidget(numNextAuctionNumber);
    numbers->addWidget(new QLabel(QStringLiteral("  Increment"), page));
    numbers->addWidget(numNextAuctionNumberStep);
    numbers->addStretch();
    auto* colour = new QHBoxLayout;
    colour->addWidget(picColor);
    colour->addWidget(cmdColor);
    colour->addStretch();
    form->addRow(QStringLiteral("Database Desc:"), txtDatabaseDesc);
    form->addRow(QStringLiteral("Default Link"), cboDefault);
    form->addRow(QStringLiteral("Next Non Auction #"), numbers);
    form->addRow(QString(), chkShowGrid);
    form->addRow(QString(), chkDefaultList);
    form->addRow(QStringLiteral("Background colour"), colour);
    return page;
}

QWidget* frmConfig::buildTradeMe()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* login = new QGroupBox(page);
    auto* lf = new QFormLayout(login);
    lf->addRow(note(QStringLiteral("Complete your TradeMe details to enable the auto login feature"), login));
    txtTradeMeUserId = named(new QLineEdit(login), "txtTradeMeUserId");
    TypingLimit::Apply(txtTradeMeUserId, 20);
    txtTradeMePassword = named(new QLineEdit(login), "txtTradeMePassword");
    txtTradeMePassword->setEchoMode(QLineEdit::Password);
    txtTradeMeEmail = named(new QLineEdit(login), "txtTradeMeEmail");
    lf->addRow(QStringLiteral("UserId"), txtTradeMeUserId);
    lf->addRow(QStringLiteral("Password"), txtTradeMePassword);
    lf->addRow(QStringLiteral("Email"), txtTradeMeEmail);
    v->addWidget(login);

    auto* bank = new QGroupBox(page);
    auto* bf = new QFormLayout(bank);
    bf->addRow(note(QStringLiteral("Bank account details you want payment made to "), bank));
    txtBankAccountName = named(new QLineEdit(bank), "txtBankAccountName");
    txtBankAccountNumber = named(new QLineEdit(bank), "txtBankAccountNumber");
    bf->addRow(QStringLiteral("Account name"), txtBankAccountName);
    bf->addRow(QStringLiteral("Account number"), txtBankAccountNumber);
    v->addWidget(bank);

    auto* offers = new QGroupBox(QStringLiteral("Fixed price offer options"), page);
    auto* of = new QFormLayout(offers);
    chkOfferSold = named(new QCheckBox(QStringLiteral("Fixed price offer for SOLD auctions?"), offers), "chkOfferSold");
    chkOfferUnsold = named(new QCheckBox(QStringLiteral("Fixed price offer for UNSOLD auctions?"), offers), "chkOfferUnsold");
    cboDefaultFPOdays = named(new QComboBox(offers), "cboDefaultFPOdays");
    cboDefaultFPOdays->addItems({QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("7")});
    of->addRow(chkOfferSold);
    of->addRow(chkOfferUnsold);
    of->addRow(QStringLiteral("Default offer duration (days)"), cboDefaultFPOdays);
    v->addWidget(offers);

    auto* relist = new QGroupBox(QStringLiteral("Relist options"), page);
    auto* rf = new QVBoxLayout(relist);
    chkRelistUnsold = named(new QCheckBox(QStringLiteral("Relist unsold auctions?"), relist), "chkRelistUnsold");
    rf->addWidget(chkRelistUnsold);
    v->addWidget(relist);
    v->addStretch();
    return page;
}

QWidget* frmConfig::buildEmail()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    txtEmailFrom = named(new QLineEdit(page), "txtEmailFrom");
    // Locked to the site's address while one is set: it then looks so.
    ReadOnlyBox::Follow(txtEmailFrom);
    txtEmailCC = named(new QLineEdit(page), "txtEmailCC");
    txtEmailSignature = named(new QPlainTextEdit(page), "txtEmailSignature");
    txtEmailSignature->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtEmailWrap = named(new QLineEdit(page), "txtEmailWrap");
    txtEmailWrap->setMaximumWidth(80);
    txtEmailSMTP = named(new QLineEdit(page), "txtEmailSMTP");
    txtEmailUserId = named(new QLineEdit(page), "txtEmailUserId");
    txtEmailPassword = named(new QLineEdit(page), "txtEmailPassword");
    txtEmailPassword->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("Email Address"), txtEmailFrom);
    form->addRow(QStringLiteral("CC Email"), txtEmailCC);
    form->addRow(QStringLiteral("Email Signature"), txtEmailSignature);
    auto* wrap = new QHBoxLayout;
    wrap->addWidget(txtEmailWrap);
    wrap->addWidget(new QLabel(QStringLiteral("characters (0 for no wrapping)"), page));
    wrap->addStretch();
    form->addRow(QStringLiteral("Auto wrap text at"), wrap);
    // Kept and written back, never shown.
    for (QLineEdit* hidden : {txtEmailSMTP, txtEmailUserId, txtEmailPassword}) hidden->hide();
    return page;
}

QWidget* frmConfig::buildTasks(const QList<int>& rows, const QString& nextHeading, const QString& text)
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->addWidget(note(text, page));
    auto* grid = new QGridLayout;
    auto bold = [page](const QString& caption) {
        auto* l = new QLabel(caption, page);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        return l;
    };
    grid->addWidget(bold(QStringLiteral("Task done")), 0, 0);
    grid->addWidget(bold(nextHeading), 0, 1);
    grid->addWidget(bold(QStringLiteral("Days")), 0, 2);
    int line = 1;
    for (int n : rows) {
        lblActions[n] = new QLabel(page);
        lblActions[n]->setObjectName(QStringLiteral("lblActions(%1)").arg(n));
        cboNextAction[n] = new QComboBox(page);
        cboNextAction[n]->setObjectName(QStringLiteral("cboNextAction(%1)").arg(n));
        cboNextAction[n]->setMinimumWidth(220);
        txtDays[n] = new QLineEdit(page);
        txtDays[n]->setObjectName(QStringLiteral("txtDays(%1)").arg(n));
        TypingLimit::Apply(txtDays[n], 2);
        txtDays[n]->setMaximumWidth(48);
        txtDays[n]->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), txtDays[n]));
        grid->addWidget(lblActions[n], line, 0);
        grid->addWidget(cboNextAction[n], line, 1);
        grid->addWidget(txtDays[n], line, 2);
        if (n == 3) {
            // A step no other step may lead to: never shown.
            for (QWidget* w : std::initializer_list<QWidget*>{lblActions[n], cboNextAction[n], txtDays[n]}) w->hide();
        } else {
            ++line;
        }
    }
    grid->setColumnStretch(1, 1);
    v->addLayout(grid);
    v->addStretch();
    return page;
}

QWidget* frmConfig::buildText(QPlainTextEdit*& edit, const QString& name, const QString& caption, const QString& text)
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->addWidget(note(text, page));
    v->addWidget(new QLabel(caption, page));
    edit = new QPlainTextEdit(page);
    edit->setObjectName(name);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    v->addWidget(edit, 1);
    return page;
}

QWidget* frmConfig::scrolling(QWidget* page)
{
    auto* area = new QScrollArea;
    area->setWidget(page);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);  // Tab goes from field to field, not to the page
    area->viewport()->setAutoFillBackground(false);
    page->setAutoFillBackground(false);
    return area;
}

void frmConfig::setColor(const QColor& color)
{
    mColor = color;
    QPalette pal = picColor->palette();
    pal.setColor(QPalette::Window, color);
    picColor->setPalette(pal);
}

// ---- Load ----------------------------------------------------------------------

void frmConfig::Form_Load()
{
    ProgramContext& ctx = ProgramContext::current();
    const Configuration& c = ctx.gConfiguration;
    tabDetails->setCurrentIndex(General);

    cboDefault->clear();
    Recordset rs;
    if (ctx.gDatabase && ctx.gDatabase->OpenDB(QStringLiteral("SELECT LinkId, \"Desc\", URL FROM Links WHERE LocationId = 'NZD' ORDER BY LinkId"),
                                               false, true, true, &rs))
        for (; !rs.isEOF(); rs.MoveNext())
            if (!rs.text(QStringLiteral("URL")).isEmpty())
                cboDefault->addItem(rs.text(QStringLiteral("Desc")), rs.value(QStringLiteral("LinkId")).toInt());

    txtDatabaseDesc->setText(c.DatabaseDesc);
    // A link that is gone shows the first one, the link the toolbar falls back to.
    const int link = cboDefault->findData(int(c.DefaultLink));
    cboDefault->setCurrentIndex(link >= 0 ? link : (cboDefault->count() > 0 ? 0 : -1));
    numNextAuctionNumber->setText(QString::number(c.NextAuctionNumber));
    numNextAuctionNumberStep->setText(QString::number(c.NextAuctionNumberStep));
    chkShowGrid->setChecked(c.ShowGrid);
    chkDefaultList->setChecked(c.DefaultList);
    setColor(vb::colorOfNumber(c.ListColor));

    txtTradeMeUserId->setText(c.TradeMeUserId);
    txtTradeMePassword->setText(c.TradeMePassword);
    txtTradeMeEmail->setText(c.TradeMeEmail);
    txtBankAccountName->setText(c.BankAccountName);
    txtBankAccountNumber->setText(c.BankAccountNumber);
    const int days = cboDefaultFPOdays->findText(QString::number(c.DefaultFPOdays));
    cboDefaultFPOdays->setCurrentIndex(days >= 0 ? days : cboDefaultFPOdays->findText(QStringLiteral("3")));
    chkOfferUnsold->setChecked(c.FPOunsold);
    chkOfferSold->setChecked(c.FPOsold);
    chkRelistUnsold->setChecked(c.RelistUnsold);

    txtEmailFrom->setText(c.EmailFrom);
    txtEmailCC->setText(c.EmailCC);
    txtEmailSMTP->setText(c.EmailSMTP);
    txtEmailUserId->setText(c.EmailUserId);
    txtEmailPassword->setText(c.EmailPassword);
    txtEmailSignature->setPlainText(toEditor(c.EmailSignature));
    txtEmailWrap->setText(QString::number(c.EmailWrap));
    txtFeedback->setPlainText(toEditor(c.Feedback));
    txtNotes->setPlainText(toEditor(c.Notes));

    // The task rows.
    const clsActions* actions = ctx.gActions;
    auto description = [actions](int id) { return actions ? actions->Description(id) : QString(); };
    for (int id = 1; id <= 15; ++id) lblActions[id]->setText(description(id));
    for (int n = 1; n <= TaskChain::RowCount; ++n) {
        const QSignalBlocker block(cboNextAction[n]);
        FillNextActionList(n);
        const int next = actions ? actions->NextActionId(n) : 0;
        // A stored step this row may not lead to shows no choice.
        cboNextAction[n]->setCurrentIndex(TaskChain::AllowedNextSteps(n).contains(next) ? cboNextAction[n]->findText(description(next))
                                                                                        : -1);
        txtDays[n]->setText(QString::number(actions ? actions->NumDays(n) : 0));
    }
    RefreshActionVisibility();
}

void frmConfig::FillNextActionList(int step)
{
    const clsActions* actions = ProgramContext::current().gActions;
    QComboBox* list = cboNextAction[step];
    list->clear();
    for (int id : TaskChain::AllowedNextSteps(step)) list->addItem(actions ? actions->Description(id) : QString());
}

// ---- the task chain rows -------------------------------------------------------

TaskChain::Choices frmConfig::Choices() const
{
    QStringList descriptions{QString()};
    const clsActions* actions = ProgramContext::current().gActions;
    for (int id = 1; id <= 16; ++id) descriptions << (actions ? actions->Description(id) : QString());
    TaskChain::Choices next{};
    for (int n = 1; n <= TaskChain::RowCount; ++n)
        next[n] = cboNextAction[n]->currentIndex() < 0 ? 0 : TaskChain::IdOf(descriptions, cboNextAction[n]->currentText());
    return next;
}

void frmConfig::RefreshActionVisibility()
{
    const TaskChain::Choices next = Choices();
    std::array<bool, TaskChain::RowCount + 1> ends{};
    for (int n = 1; n <= TaskChain::RowCount; ++n) {
        ends[n] = TaskChain::IsEndStep(next[n]);
        if (ends[n]) txtDays[n]->setText(QStringLiteral("0"));
    }
    const auto reached = TaskChain::Reachable(next);
    for (int n = 1; n <= TaskChain::RowCount; ++n) {
        if (n == 3) continue;
        const bool shown = n == 1 || n == 7 || reached[n];
        lblActions[n]->setEnabled(shown);
        cboNextAction[n]->setVisible(shown);
        txtDays[n]->setVisible(shown && !ends[n]);
    }
}

void frmConfig::txtDays_LostFocus(int step) { txtDays[step]->setText(SettingsRules::DaysText(txtDays[step]->text())); }

bool frmConfig::CheckTaskLoops()
{
    switch (TaskChain::CheckTaskLoops(Choices())) {
    case TaskChain::Loop::None: return true;
    case TaskChain::Loop::PrePayment:
        tabDetails->setCurrentIndex(TasksPre);
        MsgBox(QStringLiteral("Your PRE PAYMENT task selection would create an endless loop!  The next task selection must finally end "
                              "with 'Relist item' or 'Completed'"),
               vbmsg::Critical, title());
        return false;
    case TaskChain::Loop::PostPayment:
        tabDetails->setCurrentIndex(TasksPost);
        MsgBox(QStringLiteral("Your POST PAYMENT task selection would create an endless loop!  The next task selection must finally end "
                              "with 'Completed'"),
               vbmsg::Critical, title());
        return false;
    }
    return false;
}

// ---- field rules ---------------------------------------------------------------

void frmConfig::refocus(QWidget* field)
{
    for (int i = 0; i < tabDetails->count(); ++i)
        if (tabDetails->widget(i)->isAncestorOf(field)) tabDetails->setCurrentIndex(i);
    // Focus changes until the field has it again are the rule's own.
    mInRule = true;
    QTimer::singleShot(0, this, [this, field] {
        field->setFocus(Qt::OtherFocusReason);
        mInRule = false;
    });
}

bool frmConfig::txtTradeMeEmail_LostFocus()
{
    if (modCommon::IsValidEmail(txtTradeMeEmail->text())) {
        txtEmailFrom->setText(txtTradeMeEmail->text());
        return true;
    }
    mInRule = true;
    MsgBox(QStringLiteral("Please enter a valid email address"), vbmsg::Information, title());
    refocus(txtTradeMeEmail);
    return false;
}

void frmConfig::tabDetails_Click(int tab)
{
    // Opening the Email tab carries the focus to its first field: past the
    // sender address while it is locked, whose message is for the seller
    // who goes into it.
    if (tab != Email) return;
    const bool locked = !txtTradeMeEmail->text().isEmpty();
    txtEmailFrom->setReadOnly(locked);
    if (locked && focusWidget() == txtEmailFrom) txtEmailCC->setFocus(Qt::OtherFocusReason);
}

void frmConfig::txtEmailFrom_GotFocus()
{
    const bool locked = !txtTradeMeEmail->text().isEmpty();
    txtEmailFrom->setReadOnly(locked);
    if (!locked) return;
    mInRule = true;
    MsgBox(QStringLiteral("Your email address must be set to your TradeMe email address.") + CrLf + CrLf +
               QStringLiteral("Click the TradeMe tab to change your current email address."),
           vbmsg::Information, title());
    mInRule = false;
}

void frmConfig::txtFeedback_LostFocus()
{
    const QString cleaned = toEditor(SettingsRules::CleanFeedback(toStored(txtFeedback->toPlainText())));
    if (cleaned != txtFeedback->toPlainText()) txtFeedback->setPlainText(cleaned);
}

bool frmConfig::txtEmailWrap_Validate()
{
    const double width = SettingsRules::Number(txtEmailWrap->text());
    txtEmailWrap->setText(QString::number(width));
    if (SettingsRules::WrapAllowed(width)) return true;
    mInRule = true;
    MsgBox(QStringLiteral("Please set a value between 20 and 135 characters"), vbmsg::Information, title());
    txtEmailWrap->clear();
    refocus(txtEmailWrap);
    return false;
}

void frmConfig::numNextAuctionNumber_Validate() { numNextAuctionNumber->setText(SettingsRules::SaleNumberText(numNextAuctionNumber->text())); }

void frmConfig::numNextAuctionNumberStep_Validate()
{
    numNextAuctionNumberStep->setText(SettingsRules::SaleNumberText(numNextAuctionNumberStep->text()));
}

bool frmConfig::eventFilter(QObject* watched, QEvent* event)
{
    const bool in = event->type() == QEvent::FocusIn;
    if ((in || event->type() == QEvent::FocusOut) && !mInRule) {
        // The window losing or regaining activation (a message box, a menu)
        // is no move between fields: acting on it would repeat the message.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return QDialog::eventFilter(watched, event);
        if (in) {
            // The seller going into the sender field: by the mouse, Tab or its
            // shortcut; not the focus the Email tab's opening moves there.
            if (watched == txtEmailFrom) {
                if (reason == Qt::OtherFocusReason) txtEmailFrom->setReadOnly(!txtTradeMeEmail->text().isEmpty());
                else txtEmailFrom_GotFocus();
            }
        } else if (watched == txtTradeMeEmail) {
            txtTradeMeEmail_LostFocus();
        } else if (watched == txtFeedback) {
            txtFeedback_LostFocus();
        } else if (watched == txtEmailWrap) {
            txtEmailWrap_Validate();
        } else if (watched == numNextAuctionNumber) {
            numNextAuctionNumber_Validate();
        } else if (watched == numNextAuctionNumberStep) {
            numNextAuctionNumberStep_Validate();
        } else {
            for (int n = 1; n <= TaskChain::RowCount; ++n)
                if (watched == txtDays[n]) txtDays_LostFocus(n);
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- buttons -------------------------------------------------------------------

void frmConfig::cmdColor_Click()
{
    const QColor chosen = MessageService::instance().ChooseColor(mColor, QString());
    // A cancelled choice keeps the colour shown.
    if (chosen.isValid()) setColor(chosen);
}

void frmConfig::cmdUpdate_Click()
{
    if (SaveConfiguration()) accept();
}

void frmConfig::cmdApply_Click() { SaveConfiguration(); }

void frmConfig::cmdCancel_Click() { reject(); }

bool frmConfig::SaveConfiguration()
{
    ProgramContext& ctx = ProgramContext::current();
    auto refuse = [this](const QString& message, int tab, QWidget* field) {
        MsgBox(message, vbmsg::Information, title());
        tabDetails->setCurrentIndex(tab);
        if (field) field->setFocus(Qt::OtherFocusReason);
        return false;
    };
    if (txtTradeMeUserId->text().isEmpty()) return refuse(QStringLiteral("Please set your TradeMe UserId"), TradeMe, txtTradeMeUserId);
    if (txtTradeMeEmail->text().isEmpty()) return refuse(QStringLiteral("Please set your TradeMe email"), TradeMe, txtTradeMeEmail);
    // The field rules hold for what is saved, whichever field was left last.
    if (!modCommon::IsValidEmail(txtTradeMeEmail->text())) return refuse(QStringLiteral("Please enter a valid email address"), TradeMe, txtTradeMeEmail);
    txtEmailFrom->setText(txtTradeMeEmail->text());
    const double wrap = SettingsRules::Number(txtEmailWrap->text());
    if (!SettingsRules::WrapAllowed(wrap)) {
        txtEmailWrap->clear();
        return refuse(QStringLiteral("Please set a value between 20 and 135 characters"), Email, txtEmailWrap);
    }
    txtEmailWrap->setText(QString::number(wrap));
    numNextAuctionNumber_Validate();
    numNextAuctionNumberStep_Validate();
    txtFeedback_LostFocus();
    for (int n = 1; n <= TaskChain::RowCount; ++n) txtDays_LostFocus(n);

    if (!CheckTaskLoops()) return false;
    if (!TypingLimit::ConfirmShortening(this, title())) return false;

    constexpr qint64 maxWhole = std::numeric_limits<qint32>::max();
    const int link = cboDefault->currentIndex() >= 0 ? cboDefault->currentData().toInt() : ctx.gConfiguration.DefaultLink;
    const SettingsStore::Columns columns = {
        {QStringLiteral("DatabaseDesc"), txtDatabaseDesc->text()},
        {QStringLiteral("LocationId"), QStringLiteral("NZD")},
        {QStringLiteral("DefaultLink"), link},
        {QStringLiteral("NextAuctionNumber"), SettingsRules::Whole(numNextAuctionNumber->text(), 1, maxWhole)},
        {QStringLiteral("NextAuctionNumberStep"), SettingsRules::Whole(numNextAuctionNumberStep->text(), 1, maxWhole)},
        {QStringLiteral("ShowGrid"), chkShowGrid->isChecked()},
        {QStringLiteral("DefaultList"), chkDefaultList->isChecked()},
        {QStringLiteral("ListColor"), double(SettingsRules::ColorNumber(mColor))},
        {QStringLiteral("EmailFrom"), txtEmailFrom->text()},
        {QStringLiteral("EmailCC"), txtEmailCC->text()},
        {QStringLiteral("EmailSMTP"), txtEmailSMTP->text()},
        {QStringLiteral("EmailUserId"), txtEmailUserId->text()},
        {QStringLiteral("EmailPassword"), txtEmailPassword->text()},
        {QStringLiteral("EmailSignature"), toStored(txtEmailSignature->toPlainText())},
        {QStringLiteral("EmailWrap"), SettingsRules::Whole(txtEmailWrap->text(), 0, SettingsRules::MaxWrap)},
        {QStringLiteral("Feedback"), toStored(txtFeedback->toPlainText())},
        {QStringLiteral("Notes"), toStored(txtNotes->toPlainText())},
        {QStringLiteral("TradeMeUserId"), txtTradeMeUserId->text()},
        {QStringLiteral("TradeMePassword"), txtTradeMePassword->text()},
        {QStringLiteral("TradeMeEmail"), txtTradeMeEmail->text()},
        {QStringLiteral("BankAccountName"), txtBankAccountName->text()},
        {QStringLiteral("BankAccountNumber"), txtBankAccountNumber->text()},
        {QStringLiteral("DefaultFPOdays"), cboDefaultFPOdays->currentText().toInt()},
        {QStringLiteral("FPOunsold"), chkOfferUnsold->isChecked()},
        {QStringLiteral("FPOsold"), chkOfferSold->isChecked()},
        {QStringLiteral("RelistUnsold"), chkRelistUnsold->isChecked()},
    };
    QList<SettingsStore::ChainRow> rows;
    for (int n = 1; n <= TaskChain::RowCount; ++n) {
        // A row without a choice that no chain reaches keeps what is stored.
        if (cboNextAction[n]->currentIndex() < 0) continue;
        rows.append({n, cboNextAction[n]->currentText(), int(SettingsRules::Whole(txtDays[n]->text(), -32768, 32767))});
    }
    if (!SettingsStore::Save(columns, rows, title())) return false;
    if (ctx.gMainWindow) ctx.gMainWindow->SettingsChanged();
    return true;
}
