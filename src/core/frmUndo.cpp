#include "frmUndo.h"

#include "ProgramContext.h"
#include "clsDatabase.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

frmUndo::frmUndo(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmUndo"));
    setWindowTitle(QStringLiteral("Undo"));
    lblUndoLast = new QLabel(this);
    lblUndoLast->setObjectName(QStringLiteral("lblUndoLast"));
    cmdUndoLast = new QPushButton(QStringLiteral("Undo last task"), this);
    cmdUndoLast->setObjectName(QStringLiteral("cmdUndoLast"));
    lblUndoSelected = new QLabel(this);
    lblUndoSelected->setObjectName(QStringLiteral("lblUndoSelected"));
    cmdUndoSelected = new QPushButton(QStringLiteral("Undo selected auction"), this);
    cmdUndoSelected->setObjectName(QStringLiteral("cmdUndoSelected"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    for (QLabel* l : {lblUndoLast, lblUndoSelected}) {
        l->setWordWrap(true);
        l->setTextFormat(Qt::PlainText);
        l->setMinimumWidth(320);
        l->setFrameShape(QFrame::StyledPanel);
        l->setMargin(6);
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblUndoLast, 0, 0);
    grid->addWidget(cmdUndoLast, 0, 1, Qt::AlignTop);
    grid->addWidget(lblUndoSelected, 1, 0);
    grid->addWidget(cmdUndoSelected, 1, 1, Qt::AlignTop);
    grid->addWidget(cmdCancel, 2, 1);

    connect(cmdUndoLast, &QPushButton::clicked, this, [this] { undo(cmdUndoLast); });
    connect(cmdUndoSelected, &QPushButton::clicked, this, [this] { undo(cmdUndoSelected); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString frmUndo::RowDescription()
{
    const ProgramContext& ctx = ProgramContext::current();
    return QStringLiteral("Undo task: '") + ctx.gUndoDescription + QStringLiteral("\r\nFor auction # ") + ctx.gUndoAuctionId +
           QStringLiteral("\r\n") + ctx.gUndoAuctionDesc;
}

int frmUndo::exec()
{
    if (!Form_Activate()) return QDialog::Rejected;
    return QDialog::exec();
}

bool frmUndo::Form_Activate()
{
    ProgramContext& ctx = ProgramContext::current();
    if (!ctx.gDatabase->GetHistory(QString())) return false;
    cmdUndoLast->setProperty("Tag", ctx.gUndoAuctionId);
    lblUndoLast->setText(RowDescription());
    if (!ctx.gUndoSelectedAuctionId.isEmpty()) {
        lblUndoSelected->clear();
        // A selected sale with nothing to undo: the caller goes looking for it.
        if (!ctx.gDatabase->GetHistory(ctx.gUndoSelectedAuctionId)) return false;
        ctx.gUndoSelectedAuctionId.clear();
        cmdUndoSelected->setProperty("Tag", ctx.gUndoAuctionId);
        cmdUndoSelected->setEnabled(true);
        lblUndoSelected->setText(RowDescription());
    } else {
        lblUndoSelected->setText(QStringLiteral("No auction selected\r\n"));
        cmdUndoSelected->setEnabled(false);
    }
    QApplication::beep();
    return true;
}

void frmUndo::undo(QPushButton* button)
{
    ProgramContext& ctx = ProgramContext::current();
    if (ctx.gDatabase->GetHistory(button->property("Tag").toString())) ctx.gDatabase->PerformUndo();
    accept();
}
