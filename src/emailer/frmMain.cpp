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
    // Shown or raised, the window leaves the focus where the seller has it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* label = new QLabel(QStringLiteral("Sending the queued emails..."), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    resize(360, 80);
    if (QWidget* view = m_web->widget()) {
        view->setObjectName(QStringLiteral("web"));
        view->setParent(this);
        // Wholly left of the window (its right edge before x = 0), and never
        // the focus: a page that loads or focuses a field moves nothing.
        const int left = vb::twipsToPixels(-10000);
        view->setGeometry(left, 0, -left, 600);
        view->setFocusPolicy(Qt::NoFocus);
        view->setEnabled(false);
    }
    connect(&sender, &OutboxSender::captionChanged, this, &QWidget::setWindowTitle);
    sender.setBrowser(m_web);
}

void frmMain::showInBackground()
{
    setWindowState(Qt::WindowMinimized);
    show();
}

}  // namespace emailer
