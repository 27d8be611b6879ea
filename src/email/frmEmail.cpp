#include "frmEmail.h"

#include "EmailTemplateRules.h"
#include "clsEmails.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "records/CodeBox.h"
#include "records/FieldRows.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace {
const QString CrLf = QStringLiteral("\r\n");
ProgramContext& ctx() { return ProgramContext::current(); }
void inform(const QString& text) { MsgBox(text, vbmsg::Information, ctx().gAppTitle); }

// The smallest the window may be made, in twips either way.
constexpr int MinimumTwips = 7000;

RecordEditor::Setup emailSetup()
{
    RecordEditor::Setup s;
    s.caption = QStringLiteral("Email templates");
    s.table = QStringLiteral("Email");
    s.key = QStringLiteral("EmailId");
    s.description = QStringLiteral("Description");
    s.keyMaximum = 10;
    s.codeTag = QStringLiteral("M  Email Code");
    s.codeLabel = QStringLiteral("Code");
    s.cutWhileTyping = true;
    s.stripTrailingBlanks = true;
    s.fillEveryActivation = false;
    // A kind without an Action row shows an empty description.
    s.lookupSql = QStringLiteral(
        "SELECT Email.EmailId, Email.ItemId, \"Action\".Description FROM Email LEFT JOIN \"Action\" ON \"Action\".ActionId = Email.ActionId "
        "ORDER BY Email.EmailId");
    s.lookupHeaders = {QStringLiteral("Code"), QStringLiteral("Item"), QStringLiteral("Description")};
    s.lookupWidth = 5800;
    s.lookupHeight = 3000;
    return s;
}
}  // namespace

QString frmEmail::Section() { return QStringLiteral("Settings\\frmEmail"); }

frmEmail::frmEmail(QWidget* parent) : RecordEditor(emailSetup(), parent)
{
    setObjectName(QStringLiteral("frmEmail"));
    setSizeGripEnabled(true);
    QGridLayout* grid = fieldsLayout();

    // Created in the order the mandatory check names them after the code.
    cboAction = new QComboBox(this);
    tagField(cboAction, "cboAction", QStringLiteral("MD Action"));
    cboItem = new QComboBox(this);
    tagField(cboItem, "cboItem", QStringLiteral("MD Item Code"));
    for (QComboBox* list : {cboItem, cboAction}) {
        list->setMinimumWidth(vb::twipsToPixels(2400));
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    }
    cmdForm = new QToolButton(this);
    cmdForm->setObjectName(QStringLiteral("cmdForm"));
    cmdForm->setText(QStringLiteral(">>"));
    cmdForm->setToolTip(QStringLiteral("Open item details"));
    auto* itemLine = new QWidget(this);
    auto* itemRow = new QHBoxLayout(itemLine);
    itemRow->setContentsMargins(0, 0, 0, 0);
    itemRow->addWidget(cboItem);
    itemRow->addWidget(cmdForm);
    itemRow->addStretch(1);
    FieldRows::addRow(grid, 1, QStringLiteral("Item code"), itemLine);
    // addRow tied its label to the row's holder; the label names the list.
    static_cast<QLabel*>(grid->itemAtPosition(1, 0)->widget())->setBuddy(cboItem);
    FieldRows::addRow(grid, 2, QStringLiteral("Action"), cboAction, nullptr, Qt::AlignLeft);

    tabDetails = new QTabWidget(this);
    tabDetails->setObjectName(QStringLiteral("tabDetails"));
    auto* page = new QWidget;
    auto* pageGrid = new QGridLayout(page);
    txtSubject = new QLineEdit(page);
    tagField(txtSubject, "txtSubject", QStringLiteral("MD Subject"));
    txtMessage = new QPlainTextEdit(page);
    tagField(txtMessage, "txtMessage", QStringLiteral("MD Message"));
    txtMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtMessage->setTabChangesFocus(true);
    listCode = new QListWidget(page);
    listCode->setObjectName(QStringLiteral("listCode"));
    listCode->setFixedWidth(vb::twipsToPixels(2800));
    for (const EmailTemplateRules::CodeRow& row : EmailTemplateRules::CodeRows()) listCode->addItem(row.caption);
    FieldRows::addRow(pageGrid, 0, QStringLiteral("Subject"), txtSubject);
    pageGrid->addWidget(txtMessage, 1, 0, 1, 2);
    pageGrid->addWidget(listCode, 0, 2, 2, 1);
    pageGrid->setRowStretch(1, 1);
    pageGrid->setColumnStretch(1, 1);
    tabDetails->addTab(page, QStringLiteral("Template"));
    grid->addWidget(tabDetails, 3, 0, 1, 2);
    grid->setRowStretch(3, 1);

    cmdPreview = new QPushButton(QStringLiteral("Preview"), this);
    cmdPreview->setObjectName(QStringLiteral("cmdPreview"));
    cmdPreview->setAutoDefault(false);
    cmdPreview->setEnabled(false);
    grid->addWidget(cmdPreview, 4, 0, 1, 2, Qt::AlignLeft);
    // The fields take the room a larger window gives.
    if (auto* box = qobject_cast<QVBoxLayout*>(layout())) box->setStretchFactor(grid, 1);

    m_target = txtSubject;
    for (QWidget* box : {static_cast<QWidget*>(txtSubject), static_cast<QWidget*>(txtMessage)}) box->installEventFilter(this);
    connect(listCode, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { listCode_DblClick(listCode->row(item)); });
    connect(txtMessage, &QPlainTextEdit::textChanged, this, &frmEmail::txtMessage_Change);
    // A subject the program puts in leaves its caret at the end.
    connect(txtSubject, &QLineEdit::textChanged, this, [this] {
        if (!txtSubject->hasFocus()) m_subjectStart = txtSubject->cursorPosition();
    });
    connect(cmdForm, &QToolButton::clicked, this, &frmEmail::cmdForm_Click);
    connect(cmdPreview, &QPushButton::clicked, this, &frmEmail::cmdPreview_Click);

    setMinimumSize(vb::twipsToPixels(MinimumTwips), vb::twipsToPixels(MinimumTwips));
    SetEditMode();  // runs FillTemplateCombos(false)
    restoreSize();
}

void frmEmail::restoreSize()
{
    resize(vb::twipsToPixels(9600), vb::twipsToPixels(8400));
    auto twips = [](const QString& key, int pixels) {
        return vb::twipsToPixels(AppSettings::GetSetting(Section(), key, QString::number(vb::pixelsToTwips(pixels))).toDouble());
    };
    resize(qMax(minimumWidth(), twips(QStringLiteral("Width"), width())), qMax(minimumHeight(), twips(QStringLiteral("Height"), height())));
    // A modal editor never opens minimised: only a maximised state comes back.
    if (AppSettings::GetSetting(Section(), QStringLiteral("WindowState"), QStringLiteral("0")).toInt() == 2)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void frmEmail::done(int result)
{
    // A minimised window keeps what was saved before; a maximised one its last normal size.
    if (!isMinimized()) {
        const bool maximised = isMaximized();
        QList<QPair<QString, QString>> values;
        if (!maximised) {
            values.append({QStringLiteral("Width"), QString::number(vb::pixelsToTwips(width()))});
            values.append({QStringLiteral("Height"), QString::number(vb::pixelsToTwips(height()))});
        }
        values.append({QStringLiteral("WindowState"), maximised ? QStringLiteral("2") : QStringLiteral("0")});
        AppSettings::SaveSettings(Section(), values);
    }
    RecordEditor::done(result);
}

void frmEmail::Form_Activate()
{
    const bool first = !activated();
    RecordEditor::Form_Activate();
    if (first && activated()) FillTemplateCombos(true);
}

void frmEmail::FillTemplateCombos(bool KeepItem)
{
    const QSignalBlocker blockItem(cboItem);
    const QSignalBlocker blockAction(cboAction);
    FieldRows::FillCombo(cboItem, QStringLiteral("SELECT ItemId FROM Item ORDER BY ItemId"), KeepItem);
    if (KeepItem) return;
    cboAction->clear();
    for (int kind : EmailTemplateRules::Kinds())
        cboAction->addItem(ctx().gActions ? ctx().gActions->Description(kind) : QString::number(kind), kind);
    cboAction->setCurrentIndex(-1);
}

int frmEmail::chosenKind() const { return cboAction->currentIndex() < 0 ? 0 : cboAction->currentData().toInt(); }

void frmEmail::setKind(int kind) { cboAction->setCurrentIndex(cboAction->findData(kind)); }

// ---- the pattern's hooks ----

void frmEmail::clearFields()
{
    // Subject and Message keep their text: a new template may start from the one shown.
    FillTemplateCombos(false);
}

void frmEmail::showRecord(const Recordset& rs)
{
    m_shownItem = rs.text(QStringLiteral("ItemId"));
    m_shownKind = rs.value(QStringLiteral("ActionId")).toInt();
    // An item no longer on file, or a kind the list does not offer, shows no
    // choice: Update then asks for one.
    cboItem->setCurrentIndex(cboItem->findText(m_shownItem, Qt::MatchFixedString));
    setKind(m_shownKind);
    txtSubject->setText(rs.text(QStringLiteral("Subject")));
    QString message = rs.text(QStringLiteral("Message"));
    txtMessage->setPlainText(message.replace(CrLf, QStringLiteral("\n")));
    button(QStringLiteral("cmdDelete"))->setEnabled(!EmailTemplateRules::IsProtected(m_shownItem, m_shownKind));
}

void frmEmail::writeRecord(Recordset& rs)
{
    rs.setValue(QStringLiteral("ItemId"), cboItem->currentText());
    rs.setValue(QStringLiteral("ActionId"), chosenKind());
    rs.setValue(QStringLiteral("Subject"), txtSubject->text());
    rs.setValue(QStringLiteral("Message"), txtMessage->toPlainText().replace(u'\n', CrLf));
}

bool frmEmail::ValidateEmailTemplate() { return Validate(); }

bool frmEmail::validateMore()
{
    const int kind = chosenKind();
    if (editMode() != Adding || kind == clsEmails::CustomKind) return true;
    bool failed = false;
    const bool taken = EmailTemplateRules::ExistsForItemAndKind(cboId->text(), cboItem->currentText(), kind, &failed);
    if (taken) inform(QStringLiteral("A record already exists for this Item code and Action."));
    return !taken && !failed;
}

bool frmEmail::inUse(const QString&, bool* failed)
{
    // Sales name no template: a template's code may change and it may go.
    *failed = false;
    return false;
}

void frmEmail::afterSave() { clsEmails::UpdateToolBar(); }

void frmEmail::modeApplied()
{
    // A standard template keeps its item and kind while it is edited.
    const bool fixed = editMode() == Editing && EmailTemplateRules::IsProtected(m_shownItem, m_shownKind);
    cboItem->setEnabled(editMode() >= Adding && !fixed);
    cboAction->setEnabled(editMode() >= Adding && !fixed);
    txtMessage_Change();
}

void frmEmail::DeleteRecord()
{
    const QString code = cboId->text();
    // Read again here, whatever the buttons showed: a standard template stays.
    QString item;
    int kind = 0;
    bool failed = false;
    if (!EmailTemplateRules::StoredKind(code, &item, &kind, &failed)) {
        if (!failed) inform(notFoundMessage(code));
        return;
    }
    if (EmailTemplateRules::IsProtected(item, kind)) {
        inform(QStringLiteral("The standard templates of item ") + EmailTemplateRules::DefaultItem + QStringLiteral(" cannot be deleted."));
        return;
    }
    if (MsgBox(QStringLiteral("Are you sure you want to delete this record?"), vbmsg::YesNo + vbmsg::Question, ctx().gAppTitle) != vbmsg::Yes)
        return;
    const QString sql = QStringLiteral("DELETE FROM Email WHERE EmailId=?");
    int rows = 0;
    if (!ctx().gConnection->Execute(sql, {code}, &rows)) {
        clsDatabase::ReportError(sql, ctx().gConnection->lastError());
        return;
    }
    setEditModeValue(Browse);
    SetEditMode();
    FillLookup();
    clsEmails::UpdateToolBar();
}

// ---- codes, the item and the preview ----

bool frmEmail::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && (watched == txtSubject || watched == txtMessage)) m_target = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::FocusOut && watched == txtSubject)
        m_subjectStart = txtSubject->hasSelectedText() ? txtSubject->selectionStart() : txtSubject->cursorPosition();
    return RecordEditor::eventFilter(watched, event);
}

void frmEmail::listCode_DblClick(int row)
{
    const auto& rows = EmailTemplateRules::CodeRows();
    if (row < 0 || row >= rows.size()) return;
    // While browsing the boxes take no typing, nor a code.
    if (!m_target->isEnabled()) return;
    const QString code = rows[row].code;
    if (!code.isEmpty()) {
        if (auto* line = qobject_cast<QLineEdit*>(m_target)) {
            // A selection stays, after the code.
            const int start = !line->hasFocus()          ? m_subjectStart
                              : line->hasSelectedText() ? line->selectionStart()
                                                        : line->cursorPosition();
            QString text = line->text();
            const int caret = EmailTemplateRules::InsertCode(text, start, code);
            line->setText(text);
            line->setCursorPosition(caret);
        } else {
            QTextCursor cursor = txtMessage->textCursor();
            const int start = cursor.selectionStart();
            cursor.setPosition(start);
            cursor.insertText(code);  // the caret ends after the code
            txtMessage->setTextCursor(cursor);
        }
    }
    m_target->setFocus();
}

void frmEmail::txtMessage_Change() { cmdPreview->setEnabled(!txtMessage->toPlainText().isEmpty()); }

void frmEmail::cmdForm_Click()
{
    FormsRegistry::instance().showModal(QStringLiteral("frmItem"), {{QStringLiteral("mRemoteId"), cboItem->currentText()}}, this);
}

void frmEmail::cmdPreview_Click()
{
    std::unique_ptr<clsEmails> own;
    clsEmails* emails = clsEmails::Current();
    if (!emails) {
        own = std::make_unique<clsEmails>();
        emails = own.get();
    }
    const auto preview = EmailTemplateRules::BuildPreview(*emails, txtSubject->text(), txtMessage->toPlainText().replace(u'\n', CrLf));
    MsgBox(preview.message, vbmsg::OKOnly, preview.subject);
}
