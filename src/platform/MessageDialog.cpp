#include "MessageDialog.h"

#include "ScreenFit.h"

#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextEdit>

#include <algorithm>
#include <cmath>

namespace {
// Text wider than this wraps, as QMessageBox wraps it.
constexpr int WrapWidth = 500;
}  // namespace

MessageDialog::MessageDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MessageDialog"));
    m_iconLabel = new QLabel(this);
    m_iconLabel->setObjectName(QStringLiteral("icon"));
    m_iconLabel->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_iconLabel->hide();

    // A text box without a frame or a background of its own reads as a
    // label; unlike one, it scrolls and wraps a word longer than a line.
    m_text = new QTextEdit(this);
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setReadOnly(true);
    m_text->setAcceptRichText(false);
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->setLineWrapMode(QTextEdit::WidgetWidth);
    m_text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setTabChangesFocus(true);
    m_text->document()->setDocumentMargin(0);
    m_text->viewport()->setAutoFillBackground(false);
    QPalette pal = m_text->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::Text, pal.color(group, QPalette::WindowText));
    m_text->setPalette(pal);

    m_buttons = new QDialogButtonBox(this);
    m_buttons->setObjectName(QStringLiteral("buttons"));
    connect(m_buttons, &QDialogButtonBox::clicked, this, [this](QAbstractButton* b) {
        m_clicked = m_buttons->standardButton(b);
        done(int(m_clicked));
    });

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_iconLabel, 0, 0, Qt::AlignTop);
    grid->addWidget(m_text, 0, 1);
    grid->addWidget(m_buttons, 1, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void MessageDialog::setText(const QString& text) { m_text->setPlainText(text); }
QString MessageDialog::text() const { return m_text->toPlainText(); }

void MessageDialog::setIcon(QMessageBox::Icon icon)
{
    m_icon = icon;
    const QPixmap pixmap = QMessageBox::standardIcon(icon);
    m_iconLabel->setPixmap(pixmap);
    m_iconLabel->setVisible(!pixmap.isNull());
}

void MessageDialog::setStandardButtons(QDialogButtonBox::StandardButtons buttons) { m_buttons->setStandardButtons(buttons); }

void MessageDialog::setDefaultButton(QDialogButtonBox::StandardButton which)
{
    if (QPushButton* b = m_buttons->button(which)) {
        b->setDefault(true);
        b->setFocus();
    }
}

QDialogButtonBox::StandardButton MessageDialog::defaultButton() const
{
    for (QAbstractButton* b : m_buttons->buttons())
        if (auto* push = qobject_cast<QPushButton*>(b); push && push->isDefault()) return m_buttons->standardButton(b);
    return QDialogButtonBox::NoButton;
}

QPushButton* MessageDialog::button(QDialogButtonBox::StandardButton which) const { return m_buttons->button(which); }
QList<QAbstractButton*> MessageDialog::buttons() const { return m_buttons->buttons(); }

bool MessageDialog::textScrolls() const { return m_text->verticalScrollBar()->maximum() > 0; }

void MessageDialog::fitToScreen()
{
    const QRect area = ScreenFit::room(this);

    QGridLayout* grid = static_cast<QGridLayout*>(layout());
    const QMargins margins = grid->contentsMargins();
    const int iconWidth = m_iconLabel->isVisible() ? m_iconLabel->sizeHint().width() + grid->horizontalSpacing() : 0;
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_text);

    // As wide as the longest line, wrapped at the usual width, and never wider than the screen.
    const int room = area.width() - margins.left() - margins.right() - iconWidth - scrollBar;
    const QFontMetrics metrics(m_text->font());
    int natural = 0;
    for (const QString& line : text().split(u'\n')) natural = std::max(natural, metrics.horizontalAdvance(line));
    const int width = std::max(1, std::min({natural + 2, WrapWidth, room}));
    QTextDocument* document = m_text->document();
    document->setTextWidth(width);
    const int textHeight = int(std::ceil(document->size().height()));

    const int buttonsHeight = m_buttons->sizeHint().height() + grid->verticalSpacing();
    // As high as the text, up to two thirds of the screen: a longer one scrolls.
    const int tallest = area.height() * 2 / 3 - margins.top() - margins.bottom() - buttonsHeight;
    const bool scrolls = textHeight > tallest;
    m_text->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setFixedSize(width + (scrolls ? scrollBar : 0), std::max(scrolls ? tallest : textHeight, metrics.height()));
    // The keyboard reaches a text that scrolls; a short one is only for the mouse to select.
    m_text->setFocusPolicy(scrolls ? Qt::StrongFocus : Qt::ClickFocus);
    layout()->activate();
}

void MessageDialog::showEvent(QShowEvent* event)
{
    fitToScreen();
    QDialog::showEvent(event);
}

void MessageDialog::keyPressEvent(QKeyEvent* event)
{
    // Copy with nothing selected takes the whole message, as QMessageBox does.
    if (event == QKeySequence::Copy && !m_text->textCursor().hasSelection()) {
        QGuiApplication::clipboard()->setText(text());
        return;
    }
    QDialog::keyPressEvent(event);
}
