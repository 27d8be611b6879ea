#include "frmMain.h"

#include "OutboxSender.h"
#include "platform/Vb.h"
#include "platform/browser/WebBrowser.h"

#include <QLabel>
#include <QVBoxLayout>

namespace emailer {

frmMain::frmMain(OutboxSender& sender, QWidget* parent) : QWidget(parent), m_web(WebBrowser::create(this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(sender.caption());
    auto* label = new QLabel(QStringLiteral("Sending the queued emails..."), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    resize(360, 80);
    if (QWidget* view = m_web->widget()) {
        view->setObjectName(QStringLiteral("web"));
        view->setParent(this);
        view->setGeometry(vb::twipsToPixels(-10000), 0, 800, 600);
    }
    connect(&sender, &OutboxSender::captionChanged, this, &QWidget::setWindowTitle);
    sender.setBrowser(m_web);
}

}  // namespace emailer
