#include "MainWindowDriver.h"

#include "ScriptedMessages.h"
#include "mainwindow/AuctionListModel.h"
#include "mainwindow/frmMain.h"

#include <QLabel>
#include <QTest>
#include <QTreeView>

namespace MainWindowDriver {

const QString StartHint = QStringLiteral("To get started, click the UPDATE button");

frmMain* open(ScriptedMessages& messages)
{
    auto* window = new frmMain;
    messages.answer(vbmsg::OK, StartHint);
    window->Form_Activate();
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) QTest::qFail("the main window did not show", __FILE__, __LINE__);
    return window;
}

QStringList listedIds(const frmMain& window)
{
    QStringList ids;
    for (int r = 0; r < window.model->rowCount(); ++r) ids << window.model->row(r).AuctionId;
    return ids;
}

QString selectedId(const frmMain& window)
{
    const QModelIndexList rows = window.list->selectionModel()->selectedRows();
    return rows.size() == 1 ? window.model->row(rows.first().row()).AuctionId : QString();
}

QString itemsListed(const frmMain& window) { return window.lblItemsListed->text(); }

QString shownText(const QString& entryText)
{
    QString shown;
    for (qsizetype i = 0; i < entryText.size(); ++i) {
        if (entryText[i] == u'&' && i + 1 < entryText.size()) ++i;  // the marker goes, "&&" leaves one
        shown += entryText[i];
    }
    return shown;
}

void clickRow(frmMain& window, const QString& id)
{
    const int r = window.model->rowOf(id);
    QVERIFY2(r >= 0, qPrintable(id + " is not listed"));
    const QModelIndex index = window.model->index(r, AuctionListModel::ColTitle);
    window.list->scrollTo(index);
    QTest::mouseClick(window.list->viewport(), Qt::LeftButton, {}, window.list->visualRect(index).center());
    QCOMPARE(selectedId(window), id);
}

}  // namespace MainWindowDriver
