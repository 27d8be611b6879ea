#pragma once
// Draws the main list's rows: the text colour is chosen with the list's
// background (a colour the seller picks, on any desktop palette), so every
// row reads; grid lines, when shown, are drawn here rather than by a style
// sheet, which would replace the style's own selection look.

#include <QStyledItemDelegate>

class AuctionListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setGridLines(bool on) { m_grid = on; }
    bool gridLines() const { return m_grid; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    bool m_grid = false;
};
