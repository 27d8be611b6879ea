#include "AuctionListDelegate.h"

#include "platform/ColorContrast.h"

#include <QPainter>

void AuctionListDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // The row's colour (red for a highlighted sale) as far as it reads on the
    // list's background; a selected row keeps the palette's selection colours.
    const QColor background = option->palette.color(QPalette::Normal, QPalette::Base);
    const QVariant wanted = index.data(Qt::ForegroundRole);
    const bool bold = option->font.bold();
    const QColor text = wanted.canConvert<QColor>()
                            ? ColorContrast::readableOn(background, wanted.value<QColor>(), bold ? ColorContrast::BoldText : ColorContrast::PlainText)
                            : ColorContrast::textOn(background);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        option->palette.setColor(group, QPalette::Text, text);
}

void AuctionListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    if (!m_grid) return;
    // Lines halfway between the background and the text read on any colour.
    const QColor background = option.palette.color(QPalette::Base);
    const QColor ink = ColorContrast::textOn(background);
    QColor line;
    line.setRgbF((background.redF() * 3 + ink.redF()) / 4, (background.greenF() * 3 + ink.greenF()) / 4,
                 (background.blueF() * 3 + ink.blueF()) / 4);
    painter->save();
    painter->setPen(line);
    const QRect r = option.rect;
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->restore();
}
