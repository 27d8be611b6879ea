#include "ReportPreview.h"

#include "platform/AppSettings.h"
#include "platform/Vb.h"

#include <QHBoxLayout>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

ReportPreview::ReportPreview(const QString& reportName, const QString& caption, QWidget* parent)
    : QDialog(parent), m_section(QStringLiteral("Settings\\") + reportName), m_printer(new QPrinter(QPrinter::HighResolution))
{
    setObjectName(reportName);
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    m_printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter));
    m_printer->setFullPage(true);
    m_preview = new QPrintPreviewWidget(m_printer, this);
    m_preview->setObjectName(QStringLiteral("preview"));
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) { m_report.Print(printer); });

    auto* cmdPrint = new QPushButton(QStringLiteral("&Print..."), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    auto* cmdZoomIn = new QPushButton(QStringLiteral("Zoom &in"), this);
    auto* cmdZoomOut = new QPushButton(QStringLiteral("Zoom &out"), this);
    auto* cmdFit = new QPushButton(QStringLiteral("&Whole page"), this);
    auto* cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(cmdPrint, &QPushButton::clicked, this, &ReportPreview::print);
    connect(cmdZoomIn, &QPushButton::clicked, m_preview, [this] { m_preview->zoomIn(); });
    connect(cmdZoomOut, &QPushButton::clicked, m_preview, [this] { m_preview->zoomOut(); });
    connect(cmdFit, &QPushButton::clicked, m_preview, &QPrintPreviewWidget::fitInView);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdPrint, cmdZoomIn, cmdZoomOut, cmdFit}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_preview, 1);
    resize(vb::twipsToPixels(9600), vb::twipsToPixels(9000));
    restoreWindow();
}

ReportPreview::~ReportPreview()
{
    delete m_preview;
    delete m_printer;
}

void ReportPreview::setReport(const BandedReport& report)
{
    m_report = report;
    m_preview->updatePreview();
}

void ReportPreview::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(m_printer->pageLayout());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_report.Print(&printer);
}

void ReportPreview::restoreWindow()
{
    const int w = int(vb::Val(AppSettings::GetSetting(m_section, QStringLiteral("Width"), QString::number(vb::pixelsToTwips(width())))));
    const int h = int(vb::Val(AppSettings::GetSetting(m_section, QStringLiteral("Height"), QString::number(vb::pixelsToTwips(height())))));
    if (w > 0 && h > 0) resize(vb::twipsToPixels(w), vb::twipsToPixels(h));
    if (AppSettings::GetSetting(m_section, QStringLiteral("WindowState"), QStringLiteral("0")).toInt() == 2)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void ReportPreview::saveWindow()
{
    const bool maximised = isMaximized();
    QList<QPair<QString, QString>> values{{QStringLiteral("WindowState"), maximised ? QStringLiteral("2") : QStringLiteral("0")}};
    if (!maximised) {
        values.append({QStringLiteral("Width"), QString::number(vb::pixelsToTwips(width()))});
        values.append({QStringLiteral("Height"), QString::number(vb::pixelsToTwips(height()))});
    }
    AppSettings::SaveSettings(m_section, values);
}

void ReportPreview::done(int result)
{
    if (!m_saved) {
        m_saved = true;
        saveWindow();
    }
    QDialog::done(result);
}
