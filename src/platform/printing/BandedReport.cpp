#include "BandedReport.h"

#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace {
bool prints(const ReportBand& band) { return band.height > 0 || !band.items.isEmpty(); }
}  // namespace

QList<QList<BandedReport::Placement>> BandedReport::Paginate() const
{
    QList<QList<Placement>> pages;
    QList<Placement> page;
    const int bottom = pageHeight - bottomMargin - (prints(pageFooter) ? pageFooter.height : 0);
    int y = topMargin;
    int contentTop = y;  // below this page's headers

    auto startPage = [&](bool first) {
        page.clear();
        y = topMargin;
        if (first && prints(reportHeader)) {
            page.append({&reportHeader, y, -1});
            y += reportHeader.height;
        }
        if (prints(pageHeader)) {
            page.append({&pageHeader, y, -1});
            y += pageHeader.height;
        }
        contentTop = y;
    };
    auto endPage = [&] {
        if (prints(pageFooter)) page.append({&pageFooter, pageHeight - bottomMargin - pageFooter.height, -1});
        pages.append(page);
    };
    // A band that does not fit below what the page holds goes to the next page;
    // one taller than a whole page still prints (cut off) rather than never.
    auto place = [&](const ReportBand* band, int row) {
        if (y + band->height > bottom && y > contentTop) {
            endPage();
            startPage(false);
        }
        page.append({band, y, row});
        y += band->height;
    };

    startPage(true);
    for (int r = 0; r < rows.size(); ++r) place(&detail, r);
    if (prints(reportFooter)) place(&reportFooter, -1);
    endPage();
    return pages;
}

QString BandedReport::FieldText(int row, const QString& field) const
{
    if (row < 0 || row >= rows.size()) return QString();
    const int index = int(fields.indexOf(field));
    if (index < 0) return QString();
    const QVariant value = rows.at(row).value(index);
    if (value.isNull()) return QString();
    QString text = value.toString();
    // Stored texts end their lines with CR LF.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

void BandedReport::paintBand(QPainter& painter, const Placement& placed) const
{
    for (const ReportItem& item : placed.band->items) {
        const QRectF box(leftMargin + item.left, placed.top + item.top, item.width, item.height);
        if (item.kind == ReportItem::Rule) {
            painter.drawLine(QPointF(box.left(), box.top()), QPointF(box.right(), box.top()));
            continue;
        }
        if (item.width <= 0 || item.height <= 0) continue;
        const QString text = item.kind == ReportItem::Label ? item.text : FieldText(placed.row, item.field);
        if (text.isEmpty()) continue;
        QFont font(item.fontName);
        // Twips are the painter's units: 20 to the point.
        font.setPixelSize(qMax(1, qRound(item.fontSize * 20)));
        font.setBold(item.bold);
        painter.setFont(font);
        painter.save();
        painter.setClipRect(box);
        painter.drawText(box, int(item.alignment | Qt::AlignTop) | Qt::TextWordWrap, text);
        painter.restore();
    }
}

void BandedReport::PaintPage(QPainter& painter, int page, double twipsToDevice) const
{
    const QList<QList<Placement>> pages = Paginate();
    if (page >= 0 && page < pages.size()) paintPlacements(painter, pages.at(page), twipsToDevice);
}

void BandedReport::paintPlacements(QPainter& painter, const QList<Placement>& page, double twipsToDevice) const
{
    painter.save();
    painter.scale(twipsToDevice, twipsToDevice);
    painter.setPen(QPen(Qt::black, 15));  // a rule one pixel wide on the screen
    for (const Placement& placed : page) paintBand(painter, placed);
    painter.restore();
}

bool BandedReport::Print(QPagedPaintDevice* device) const
{
    QPainter painter;
    if (!painter.begin(device)) return false;
    const double k = device->logicalDpiX() / 1440.0;
    const QList<QList<Placement>> pages = Paginate();
    for (int p = 0; p < pages.size(); ++p) {
        if (p > 0 && !device->newPage()) return false;
        paintPlacements(painter, pages.at(p), k);
    }
    return painter.end();
}

bool BandedReport::Print(QPrinter* printer) const
{
    // The twips count from the paper's corner, not from the printable area's.
    printer->setFullPage(true);
    return Print(static_cast<QPagedPaintDevice*>(printer));
}

bool BandedReport::WritePdf(const QString& path, QString* error) const
{
    QPdfWriter writer(path);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter));
    writer.setResolution(1200);
    if (!Print(static_cast<QPagedPaintDevice*>(&writer))) {
        if (error) *error = QStringLiteral("The file could not be written: ") + path;
        return false;
    }
    return true;
}
