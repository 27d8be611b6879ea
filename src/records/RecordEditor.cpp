#include "RecordEditor.h"

#include "CodeBox.h"
#include "FieldTag.h"
#include "LookupModel.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/FocusChain.h"
#include "platform/MessageService.h"
#include "platform/NullableDateEdit.h"
#include "platform/TypingLimit.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Sql.h"
#include "platform/db/Transaction.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
const QString CrLf = QStringLiteral("\r\n");

QString appTitle() { return ProgramContext::current().gAppTitle; }

void inform(const QString& text) { MsgBox(text, vbmsg::Information, appTitle()); }

// Whether a tagged control holds nothing: a date field that is unticked, any
// other field whose text is empty.
bool isEmptyField(const QWidget* w)
{
    if (auto* date = qobject_cast<const NullableDateEdit*>(w)) return date->isNull();
    if (auto* line = qobject_cast<const QLineEdit*>(w)) return line->text().isEmpty();
    if (auto* text = qobject_cast<const QPlainTextEdit*>(w)) return text->toPlainText().isEmpty();
    if (auto* combo = qobject_cast<const QComboBox*>(w)) return combo->currentText().isEmpty();
    return false;
}

// Locked while browsing: read-only and greyed like the button shadow; the
// button-text colour while adding or editing.
void setLocked(QWidget* w, bool locked)
{
    if (auto* line = qobject_cast<QLineEdit*>(w)) line->setReadOnly(locked);
    else if (auto* text = qobject_cast<QPlainTextEdit*>(w)) text->setReadOnly(locked);
    else if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit()) combo->lineEdit()->setReadOnly(locked);
    else w->setEnabled(!locked);
    QPalette palette = w->palette();
    const QColor colour = QApplication::palette().color(locked ? QPalette::Dark : QPalette::ButtonText);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::WindowText, colour);
    w->setPalette(palette);
}
}  // namespace

RecordEditor::RecordEditor(const Setup& setup, QWidget* parent)
    : QDialog(parent), m_setup(setup), m_lookup(new LookupModel(this))
{
    setWindowTitle(setup.caption);
    cboId = new CodeBox(this);
    cboId->setObjectName(QStringLiteral("cboId"));
    cboId->setProperty("Tag", setup.codeTag);
    cboId->setMinimumWidth(vb::twipsToPixels(2400));
    auto* lblId = new QLabel(setup.codeLabel, this);
    lblId->setBuddy(cboId);

    m_fields = new QGridLayout;
    m_fields->setColumnStretch(1, 1);
    m_fields->addWidget(lblId, 0, 0);
    m_fields->addWidget(cboId, 0, 1, Qt::AlignLeft);

    auto makeButton = [this](const char* name, const QString& caption, void (RecordEditor::*slot)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    cmdAdd = makeButton("cmdAdd", QStringLiteral("&Add"), &RecordEditor::cmdAdd_Click);
    cmdEdit = makeButton("cmdEdit", QStringLiteral("&Edit"), &RecordEditor::cmdEdit_Click);
    cmdDelete = makeButton("cmdDelete", QStringLiteral("&Delete"), &RecordEditor::cmdDelete_Click);
    cmdUpdate = makeButton("cmdUpdate", QStringLiteral("&Update"), &RecordEditor::cmdUpdate_Click);
    cmdCancel = makeButton("cmdCancel", QStringLiteral("&Cancel"), &RecordEditor::cmdCancel_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {cmdAdd, cmdEdit, cmdDelete, cmdUpdate, cmdCancel}) buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_fields);
    layout->addStretch();
    layout->addLayout(buttons);

    // The lookup list floats over the fields below the code box, hidden until called up.
    listLookup = new QTreeView(this);
    listLookup->setObjectName(QStringLiteral("listLookup"));
    listLookup->setModel(m_lookup);
    m_lookup->setHeaders(setup.lookupHeaders.isEmpty() ? QStringList{QStringLiteral("Code"), setup.descriptionHeader} : setup.lookupHeaders);
    listLookup->setRootIsDecorated(false);
    listLookup->setUniformRowHeights(true);
    listLookup->setAllColumnsShowFocus(true);
    listLookup->setSelectionBehavior(QAbstractItemView::SelectRows);
    listLookup->setSelectionMode(QAbstractItemView::SingleSelection);
    listLookup->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listLookup->header()->setSectionsClickable(true);
    listLookup->header()->setSortIndicatorShown(false);
    listLookup->hide();
    listLookup->installEventFilter(this);
    connect(listLookup, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) { listLookup_Click(index.row()); });
    connect(listLookup->header(), &QHeaderView::sectionClicked, this, &RecordEditor::listLookup_ColumnClick);

    connect(cboId, &CodeBox::dropDown, this, &RecordEditor::cboId_DropDown);
    // Typing, not the program's own setText (which blocks the signal).
    connect(cboId, &QComboBox::editTextChanged, this, &RecordEditor::cboId_Change);
    cboId->installEventFilter(this);
    cboId->lineEdit()->installEventFilter(this);
}

RecordEditor::~RecordEditor() = default;

void RecordEditor::tagField(QWidget* field, const char* name, const QString& tag)
{
    field->setObjectName(QLatin1String(name));
    field->setProperty("Tag", tag);
}

QPushButton* RecordEditor::button(const QString& name) const { return findChild<QPushButton*>(name); }

QString RecordEditor::notFoundMessage(const QString&) const
{
    return QStringLiteral("Record not found.  Click Add to create a new record.");
}

bool RecordEditor::inUse(const QString& code, bool* failed)
{
    Recordset rs;
    *failed = !ProgramContext::current().gDatabase->OpenDB(
        QStringLiteral("SELECT AuctionId FROM Auction WHERE %1=? LIMIT 1").arg(Sql::Identifier(m_setup.key)), {code}, false, true, true, &rs);
    return !*failed && !rs.isEOF();
}

// ---- activation ----

void RecordEditor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The buttons were made before the editor's fields: Tab goes from the code
    // box through the fields as laid out, the buttons last.
    if (!m_tabOrderSet) FocusChain::FollowLayout(this);
    m_tabOrderSet = true;
    placeLookup();
    // The window is drawn first; the list fills from the event loop.
    QTimer::singleShot(0, this, &RecordEditor::Form_Activate);
}

bool RecordEditor::event(QEvent* event)
{
    // An editor that fills at every activation refills when the seller comes
    // back to it from another window, not when one of its own messages closes.
    if (event->type() == QEvent::WindowDeactivate) {
        m_lostToOwnDialog = false;
        for (QWidget* w = QApplication::activeModalWidget(); w && w != this; w = w->parentWidget())
            if (w->parentWidget() == this) m_lostToOwnDialog = true;
    } else if (event->type() == QEvent::WindowActivate) {
        if (m_setup.fillEveryActivation && m_activated && !m_lostToOwnDialog) QTimer::singleShot(0, this, &RecordEditor::Form_Activate);
        m_lostToOwnDialog = false;
    }
    return QDialog::event(event);
}

void RecordEditor::Form_Activate()
{
    if (!isVisible()) return;
    if (m_activated && !m_setup.fillEveryActivation) return;
    m_activated = true;
    FillLookup();
    cboId->setFocus();
    if (!mRemoteId.isEmpty() && m_mode == Browse) {
        cboId->setText(mRemoteId);
        mRemoteId.clear();
        cmdEdit_Click();
    }
}

// ---- modes and checks ----

void RecordEditor::emptyAll()
{
    cboId->setText(QString());
    clearFields();
}

void RecordEditor::SetEditMode()
{
    if (m_mode == Browse || m_mode == Adding) emptyAll();
    const QList<QWidget*> controls = findChildren<QWidget*>();
    for (QWidget* w : controls) {
        if (w == cboId) continue;
        const FieldTag tag = FieldTag::of(w);
        if (tag.editOnly) w->setEnabled(m_mode >= Adding);
        if (tag.visibleEditOnly) w->setVisible(m_mode >= Adding);
        if (tag.locked) setLocked(w, m_mode == Browse);
    }
    cmdUpdate->setVisible(m_mode >= Adding);
    cmdCancel->setVisible(m_mode > Browse);
    cmdAdd->setVisible(m_mode == Browse);
    cmdEdit->setVisible(m_mode == Browse);
    cmdDelete->setVisible(m_mode == Browse);
    modeApplied();
}

bool RecordEditor::Validate()
{
    // In the window's order: the code box first, then the fields as laid out.
    QList<QWidget*> controls{cboId};
    controls += findChildren<QWidget*>();
    for (QWidget* w : std::as_const(controls)) {
        const FieldTag tag = FieldTag::of(w);
        if (!tag.mandatory || !isEmptyField(w)) continue;
        if (w != cboId && qobject_cast<const QComboBox*>(w->parentWidget())) continue;  // a combo's own line edit
        w->setFocus();
        inform(QStringLiteral("Please set the ") + tag.caption);
        return false;
    }
    return validateMore();
}

// ---- the lookup list ----

void RecordEditor::placeLookup()
{
    const QPoint at = cboId->mapTo(this, QPoint(0, 0));
    listLookup->setGeometry(at.x(), at.y() + vb::twipsToPixels(320), vb::twipsToPixels(m_setup.lookupWidth),
                            vb::twipsToPixels(m_setup.lookupHeight));
    listLookup->setColumnWidth(0, vb::twipsToPixels(1400));
}

void RecordEditor::FillLookup()
{
    listLookup->raise();
    if (m_setup.lookupSql.isEmpty()) m_lookup->Fill(m_setup.table, m_setup.key, m_setup.description);
    else m_lookup->FillSql(m_setup.lookupSql);
    selectInLookup(cboId->text());
}

void RecordEditor::selectInLookup(const QString& code)
{
    const int row = code.isEmpty() ? -1 : m_lookup->find(code);
    if (row < 0) {
        listLookup->clearSelection();
        return;
    }
    const QModelIndex index = m_lookup->index(row, 0);
    listLookup->setCurrentIndex(index);
    listLookup->scrollTo(index);
}

void RecordEditor::hideLookup()
{
    listLookup->hide();
    cboId->setFocus();
}

void RecordEditor::cboId_DropDown()
{
    placeLookup();
    selectInLookup(cboId->text());
    listLookup->raise();
    listLookup->show();
    listLookup->setFocus();
}

void RecordEditor::listLookup_Click(int row)
{
    if (row < 0 || row >= m_lookup->rowCount()) return;
    cboId->setText(m_lookup->code(row));
    listLookup->hide();
    if (!cboId->text().isEmpty()) LoadRecord();
    cboId->setFocus();
}

void RecordEditor::listLookup_ColumnClick(int column)
{
    if (column == m_sortColumn)
        m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    else
        m_sortOrder = Qt::AscendingOrder;
    m_sortColumn = column;
    m_lookup->sort(column, m_sortOrder);
    selectInLookup(cboId->text());
}

// ---- the code box ----

void RecordEditor::cboId_Change()
{
    if (!m_setup.cutWhileTyping) return;
    const QString text = cboId->text();
    if (text.size() <= m_setup.keyMaximum) return;
    cboId->setText(text.left(m_setup.keyMaximum));
    QApplication::beep();
}

void RecordEditor::cboId_LostFocus()
{
    if (!m_setup.cutWhileTyping && cboId->text().size() > m_setup.keyMaximum) cboId->setText(cboId->text().left(m_setup.keyMaximum));
    if (!cboId->text().isEmpty()) LoadRecord();
}

void RecordEditor::codeKey(int key)
{
    if (m_mode != Browse) {
        if (key == Qt::Key_F10) inform(QStringLiteral("Update or Cancel this record first."));
        return;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!cboId->text().isEmpty()) LoadRecord();
        break;
    case Qt::Key_Down: step(1); break;
    case Qt::Key_Up: step(-1); break;
    case Qt::Key_F10:
        // The record shown becomes a new one under a code yet to be typed.
        m_mode = Copying;
        SetEditMode();
        m_mode = Adding;
        cboId->setText(QString());
        break;
    default: break;
    }
}

void RecordEditor::step(int direction)
{
    const int count = m_lookup->rowCount();
    if (count == 0) return;
    int row = m_lookup->find(cboId->text());
    if (row < 0) row = 0;
    else row = qBound(0, row + direction, count - 1);
    selectInLookup(m_lookup->code(row));
    cboId->setText(m_lookup->code(row));
    LoadRecord();
}

void RecordEditor::windowKey(int key)
{
    if (key != Qt::Key_Escape) return;
    if (m_mode >= Adding) cmdCancel_Click();
    else close();
}

void RecordEditor::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        windowKey(Qt::Key_Escape);
        return;
    }
    QDialog::keyPressEvent(event);
}

bool RecordEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == listLookup && event->type() == QEvent::FocusOut) {
        // A click inside the list keeps it; anywhere else hides it.
        QWidget* next = QApplication::focusWidget();
        if (next != listLookup && !listLookup->isAncestorOf(next)) {
            listLookup->hide();
            if (next && isAncestorOf(next)) cboId->setFocus();
        }
        return false;
    }
    if (watched == listLookup && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            listLookup_Click(listLookup->currentIndex().row());
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            hideLookup();
            return true;
        }
        return false;
    }
    if ((watched == cboId || watched == cboId->lineEdit()) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & Qt::AltModifier) return false;  // Alt+Down opens the list
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_F10:
            codeKey(key->key());
            return true;
        default: return false;
        }
    }
    if (watched == cboId && event->type() == QEvent::FocusOut) {
        // Going to the lookup list (or a message about the code) is not leaving the box.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        QWidget* next = QApplication::focusWidget();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && next != listLookup && isAncestorOf(next))
            cboId_LostFocus();
    }
    return QDialog::eventFilter(watched, event);
}

// ---- load, save, delete ----

bool RecordEditor::LoadRecord()
{
    const QString code = cboId->text();
    Recordset rs;
    if (!ProgramContext::current().gDatabase->OpenDB(QStringLiteral("SELECT * FROM %1 WHERE %2=?").arg(Sql::Identifier(m_setup.table), Sql::Identifier(m_setup.key)),
                                                     {code}, false, true, true, &rs))
        return false;
    if (!rs.isEOF()) {
        if (code != m_held && (m_mode == Adding || m_mode == Editing)) {
            inform(QStringLiteral("Code already exists."));
            cboId->setText(m_held);
        } else if (m_mode == Browse) {
            cboId->setText(rs.text(m_setup.key));
            showRecord(rs);
        }
        afterLoad();
        return true;
    }
    if (m_mode == Browse) {
        inform(notFoundMessage(code));
        cboId->setText(QString());
        afterLoad();
        return false;
    }
    afterLoad();
    return true;
}

bool RecordEditor::ConfirmShortening() { return TypingLimit::ConfirmShortening(this, appTitle()); }

bool RecordEditor::SaveRecord()
{
    ProgramContext& ctx = ProgramContext::current();
    if (!ConfirmShortening()) return false;
    QString key = cboId->text().left(m_setup.keyMaximum);
    if (m_setup.stripTrailingBlanks) key = vb::RTrim(key);
    const bool adding = m_mode == Adding;
    const QString found = adding ? key : m_held;
    if (key.isEmpty()) {  // blanks alone are no code
        cboId->setFocus();
        inform(QStringLiteral("Please set the ") + FieldTag::parse(m_setup.codeTag).caption);
        return false;
    }

    if (!adding && !LookupModel::sameCode(key, m_held)) {
        // Sales name their buyer and payment method by code: a code they use stays.
        bool failed = false;
        if (inUse(m_held, &failed) || failed) {
            if (!failed)
                MsgBox(QStringLiteral("Cannot change code - still in use by auctions"), vbmsg::Exclamation, appTitle());
            return false;
        }
        // Another record's code, typed without leaving the box.
        Recordset taken;
        if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT %2 FROM %1 WHERE %2=?").arg(Sql::Identifier(m_setup.table), Sql::Identifier(m_setup.key)),
                                   {key}, false, true, true, &taken))
            return false;
        if (!taken.isEOF()) {
            inform(QStringLiteral("Code already exists."));
            cboId->setText(m_held);
            return false;
        }
    }

    const QString sql = QStringLiteral("SELECT * FROM %1 WHERE %2=?").arg(Sql::Identifier(m_setup.table), Sql::Identifier(m_setup.key));
    QString stored;
    {
        Transaction tx(ctx.gConnection);
        if (!tx.isActive()) {
            clsDatabase::ReportError(sql, tx.lastError());
            return false;
        }
        Recordset rs;
        // A failure is said; the mode and what was typed stay for another try.
        if (!ctx.gDatabase->OpenDB(sql, {found}, false, false, true, &rs)) return false;
        if (adding && !rs.isEOF()) {
            inform(QStringLiteral("Cannot add record.  Code already exists in this table."));
            return false;
        }
        if (!adding && rs.isEOF()) {
            inform(QStringLiteral("Failed.  Could not update record."));
            return false;
        }
        if (adding) rs.AddNew();
        rs.setValue(m_setup.key, key);
        writeRecord(rs);
        if (!rs.Update()) {
            clsDatabase::ReportError(sql, rs.lastError());
            return false;
        }
        stored = rs.text(m_setup.key);
        if (!tx.Commit()) {
            clsDatabase::ReportError(sql, tx.lastError());
            return false;
        }
    }
    m_held = stored;
    afterSave();
    m_mode = Browse;
    SetEditMode();
    cboId->setText(m_held);
    LoadRecord();
    FillLookup();
    return true;
}

void RecordEditor::DeleteRecord()
{
    ProgramContext& ctx = ProgramContext::current();
    const QString code = cboId->text();
    // Read again here, whatever the buttons showed: a record in use stays.
    bool failed = false;
    if (inUse(code, &failed)) {
        MsgBox(QStringLiteral("Cannot delete - still in use by auctions") + CrLf + CrLf + m_setup.deleteSecondLine, vbmsg::Exclamation,
               appTitle());
        return;
    }
    if (failed) return;
    if (MsgBox(QStringLiteral("Are you sure you want to delete this record?"), vbmsg::YesNo + vbmsg::Question, appTitle()) != vbmsg::Yes)
        return;
    const QString sql = QStringLiteral("DELETE FROM %1 WHERE %2=?").arg(Sql::Identifier(m_setup.table), Sql::Identifier(m_setup.key));
    int rows = 0;
    if (!ctx.gConnection->Execute(sql, {code}, &rows)) {
        clsDatabase::ReportError(sql, ctx.gConnection->lastError());
        return;
    }
    if (rows == 0) {
        inform(notFoundMessage(code));
        return;
    }
    m_mode = Browse;
    SetEditMode();
    FillLookup();
}

// ---- buttons ----

void RecordEditor::cmdAdd_Click()
{
    m_mode = Adding;
    SetEditMode();
    cboId->setFocus();
}

void RecordEditor::cmdEdit_Click()
{
    if (cboId->text().isEmpty()) {
        inform(QStringLiteral("Select a record to edit."));
    } else if (LoadRecord()) {
        m_held = cboId->text();
        m_mode = Editing;
        SetEditMode();
        cboId->setText(m_held);
    }
    cboId->setFocus();
}

void RecordEditor::cmdDelete_Click()
{
    if (cboId->text().isEmpty()) inform(QStringLiteral("No record selected to delete."));
    else DeleteRecord();
    cboId->setFocus();
}

void RecordEditor::cmdUpdate_Click()
{
    if (!Validate()) return;
    if (SaveRecord()) cboId->setFocus();
}

void RecordEditor::cmdCancel_Click()
{
    const int was = m_mode;
    m_mode = Browse;
    SetEditMode();
    if (was == Editing) {
        cboId->setText(m_held);
        LoadRecord();
    }
    cboId->setFocus();
}
