#include "frmLabelsSetup.h"

#include "LabelSetupRules.h"
#include "platform/SpinButtons.h"
#include "core/ProgramContext.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"

#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

using Rules = LabelSetupRules;

frmLabelsSetup::frmLabelsSetup(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLabelsSetup"));
    setWindowTitle(QStringLiteral("Labels Setup"));
    for (int i = 0; i < FieldCount; ++i) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("numValue(%1)").arg(i));
        field->installEventFilter(this);
        m_fields[size_t(i)] = field;
        auto* spinner = new SpinButtons(this);
        spinner->setObjectName(QStringLiteral("UpDown(%1)").arg(i));
        connect(spinner, &SpinButtons::stepped, this, [this, i](int step) { UpDown_Change(i, step); });
        m_spinners[size_t(i)] = spinner;
    }
    cboFont = new QComboBox(this);
    cboFont->setObjectName(QStringLiteral("cboFont"));
    cboFont->setEditable(true);
    cboFont->setInsertPolicy(QComboBox::NoInsert);
    cmdTest = new QPushButton(QStringLiteral("Test print"), this);
    cmdTest->setObjectName(QStringLiteral("cmdTest"));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdTest, &QPushButton::clicked, this, &frmLabelsSetup::cmdTest_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmLabelsSetup::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto frame = [this](const QString& title, const QList<std::pair<int, QString>>& rows) {
        auto* box = new QGroupBox(title, this);
        auto* grid = new QGridLayout(box);
        int r = 0;
        for (const auto& [index, caption] : rows) {
            grid->addWidget(new QLabel(caption, box), r, 0);
            grid->addWidget(m_fields[size_t(index)], r, 1);
            grid->addWidget(m_spinners[size_t(index)], r, 2);
            ++r;
        }
        return box;
    };
    QGroupBox* label = frame(QStringLiteral("Label"), {{Rules::Across, QStringLiteral("Labels across the page")},
                                                       {Rules::Down, QStringLiteral("Labels down the page")},
                                                       {Rules::Width, QStringLiteral("Width")},
                                                       {Rules::Height, QStringLiteral("Height")}});
    QGroupBox* margins = frame(QStringLiteral("Page margins"), {{Rules::Top, QStringLiteral("Top")},
                                                                {Rules::Left, QStringLiteral("Left")},
                                                                {Rules::Bottom, QStringLiteral("Bottom")},
                                                                {Rules::Right, QStringLiteral("Right")}});
    auto* font = new QGroupBox(QStringLiteral("Font"), this);
    auto* fontRow = new QHBoxLayout(font);
    fontRow->addWidget(cboFont, 1);
    fontRow->addWidget(new QLabel(QStringLiteral("Font size"), font));
    fontRow->addWidget(m_fields[Rules::FontSize]);
    fontRow->addWidget(m_spinners[Rules::FontSize]);

    auto* frames = new QHBoxLayout;
    frames->addWidget(label);
    frames->addWidget(margins);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdTest);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames);
    layout->addWidget(font);
    layout->addLayout(buttons);

    QWidget* order[] = {m_fields[Rules::Across], m_fields[Rules::Down], m_fields[Rules::Width], m_fields[Rules::Height],
                        m_fields[Rules::Top],    m_fields[Rules::Left], m_fields[Rules::Bottom], m_fields[Rules::Right],
                        cboFont,                 m_fields[Rules::FontSize], cmdTest, cmdOK, cmdCancel};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    Form_Load();
}

void frmLabelsSetup::Form_Load()
{
    cboFont->addItems(QFontDatabase::families());
    LabelLayout layout;
    // A row that cannot be read has been reported; the fields stay empty.
    if (!LabelLayout::Read(&layout)) return;
    const double measures[] = {layout.LabelTop, layout.LabelLeft, layout.LabelBottom, layout.LabelRight, layout.LabelWidth, layout.LabelHeight};
    for (int i = Rules::Top; i <= Rules::Height; ++i) numValue(i)->setText(Rules::MeasureText(measures[i]));
    numValue(Rules::Across)->setText(QString::number(layout.LabelCols));
    numValue(Rules::Down)->setText(QString::number(layout.LabelRows));
    numValue(Rules::FontSize)->setText(QString::number(layout.LabelFontSize));
    if (layout.FontIsNull)
        cboFont->setCurrentIndex(cboFont->count() > 0 ? 0 : -1);
    else
        cboFont->setEditText(layout.LabelFont);
}

bool frmLabelsSetup::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        for (int i = 0; i < FieldCount; ++i)
            if (watched == m_fields[size_t(i)]) numValue_Validate(i);
    }
    return QDialog::eventFilter(watched, event);
}

void frmLabelsSetup::numValue_Validate(int index)
{
    QLineEdit* field = numValue(index);
    const QString shown = Rules::Validate(index, field->text());
    if (shown != field->text()) field->setText(shown);
}

void frmLabelsSetup::UpDown_Change(int index, int step)
{
    if (step == 0) return;
    numValue(index)->setFocus();
    numValue(index)->setText(Rules::Spin(index, numValue(index)->text(), step));
}

bool frmLabelsSetup::CheckLabelsFitPage()
{
    const qint64 excess = Rules::HeightExcess(numValue(Rules::Top)->text(), numValue(Rules::Bottom)->text(),
                                              numValue(Rules::Height)->text(), numValue(Rules::Down)->text());
    if (excess <= 0) return true;
    MsgBox(Rules::FitMessage(excess), vbmsg::Information, ProgramContext::current().gAppTitle);
    return false;
}

bool frmLabelsSetup::CheckFields()
{
    for (int i = 0; i < FieldCount; ++i) numValue_Validate(i);
    static const int order[] = {Rules::Width, Rules::Height, Rules::Top, Rules::Left, Rules::Bottom, Rules::Right};
    for (int i : order) {
        const QString problem = Rules::MeasureProblem(i, Rules::ParseMeasure(numValue(i)->text()));
        if (problem.isEmpty()) continue;
        MsgBox(problem, vbmsg::Exclamation, ProgramContext::current().gAppTitle);
        numValue(i)->setFocus();
        numValue(i)->selectAll();
        return false;
    }
    return true;
}

LabelLayout frmLabelsSetup::shownLayout() const
{
    LabelLayout l;
    l.LabelTop = Rules::ParseMeasure(numValue(Rules::Top)->text());
    l.LabelLeft = Rules::ParseMeasure(numValue(Rules::Left)->text());
    l.LabelBottom = Rules::ParseMeasure(numValue(Rules::Bottom)->text());
    l.LabelRight = Rules::ParseMeasure(numValue(Rules::Right)->text());
    l.LabelWidth = Rules::ParseMeasure(numValue(Rules::Width)->text());
    l.LabelHeight = Rules::ParseMeasure(numValue(Rules::Height)->text());
    l.LabelCols = int(Rules::ParseMeasure(numValue(Rules::Across)->text()));
    l.LabelRows = int(Rules::ParseMeasure(numValue(Rules::Down)->text()));
    l.LabelFontSize = int(Rules::ParseMeasure(numValue(Rules::FontSize)->text()));
    l.LabelFont = cboFont->currentText();
    return l;
}

bool frmLabelsSetup::SaveLabelSetup() { return shownLayout().Save(); }

void frmLabelsSetup::cmdOK_Click()
{
    if (!CheckFields() || !CheckLabelsFitPage()) return;
    // A save that failed has said so; the seller's values stay on screen.
    if (!SaveLabelSetup()) return;
    accept();
}

void frmLabelsSetup::cmdTest_Click()
{
    if (!CheckFields() || !CheckLabelsFitPage()) return;
    // The report reads the layout from the settings row: without the save it
    // would print the old one.
    if (!SaveLabelSetup()) return;
    const LabelLayout shown = shownLayout();
    const LabelRows rows = Rules::TestRows(shown.Across(), shown.Down());
    FormsRegistry::instance().showModal(QStringLiteral("reportLabels"), {{QStringLiteral("DataSource"), QVariant::fromValue(rows)}}, this);
}
