#include "frmInstall.h"

#include "InstallRun.h"

#include "platform/Vb.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

frmInstall::frmInstall(const QString& folder, QWidget* parent) : QWidget(parent), m_run(new InstallRun(folder, this))
{
    setObjectName(QStringLiteral("frmInstall"));
    setWindowTitle(QStringLiteral("Vendaro File Download/Installer"));
    lblInfo = new QLabel(QStringLiteral("Please wait"), this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setTextFormat(Qt::PlainText);
    pBar = new QProgressBar(this);
    pBar->setObjectName(QStringLiteral("pBar"));
    pBar->setRange(0, ProgressPacer::Maximum);
    pBar->setValue(0);
    pBar->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblInfo);
    layout->addWidget(pBar);
    setMinimumWidth(vb::twipsToPixels(5400));
    // Form_Load: the caption follows the order.
    setWindowTitle(m_run->caption());
    connect(m_run, &InstallRun::statusChanged, lblInfo, &QLabel::setText);
    connect(&m_run->pacer(), &ProgressPacer::valueChanged, pBar, &QProgressBar::setValue);
    connect(m_run, &InstallRun::finished, this, &QWidget::close, Qt::QueuedConnection);
}

void frmInstall::Activate()
{
    if (m_activated) return;
    m_activated = true;
    m_run->Begin();
}

void frmInstall::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    QTimer::singleShot(0, this, &frmInstall::Activate);
}

void frmInstall::closeEvent(QCloseEvent* event)
{
    if (m_run->RequestClose()) event->accept();
    else event->ignore();
}
