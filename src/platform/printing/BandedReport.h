#pragma once
// A small banded report in twips: a report header on the first page, a page
// header on every page, one detail band per row and footers, laid on pages
// whose margins place the bands. It paints to any paged device (the printer,
// the preview's printer, a PDF) with the twips measured from the physical
// page's top left corner, so a label sheet prints where its layout says.

#include "ReportBand.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

class QPainter;
class QPagedPaintDevice;
class QPrinter;

class BandedReport {
public:
    // The page: A4 portrait in the report's twips (21.0 x 29.7 cm at 566.9 twips per cm).
    int pageWidth = 11905;
    int pageHeight = 16837;
    int topMargin = 0;
    int leftMargin = 0;
    int bottomMargin = 0;
    int rightMargin = 0;

    ReportBand reportHeader;
    ReportBand pageHeader;
    ReportBand detail;
    ReportBand pageFooter;
    ReportBand reportFooter;

    // The rows the detail band prints, each holding one value per field name.
    QStringList fields;
    QList<QVariantList> rows;

    // Where each band stands: the pages, each a list of bands with their top
    // (twips from the page's top) and the row a detail band prints (-1 for none).
    struct Placement {
        const ReportBand* band;
        int top;
        int row;
    };
    QList<QList<Placement>> Paginate() const;
    int PageCount() const { return int(Paginate().size()); }

    // Paints one page (0-based) with the painter's origin at the page's top
    // left corner and twipsToDevice device units per twip.
    void PaintPage(QPainter& painter, int page, double twipsToDevice) const;
    // Prints every page; false when the device could not be painted on.
    bool Print(QPagedPaintDevice* device) const;
    bool Print(QPrinter* printer) const;
    // Writes every page to a PDF file; false (with error) when it could not.
    bool WritePdf(const QString& path, QString* error = nullptr) const;

    // The text a field of a row prints.
    QString FieldText(int row, const QString& field) const;

private:
    void paintBand(QPainter& painter, const Placement& placed) const;
    void paintPlacements(QPainter& painter, const QList<Placement>& page, double twipsToDevice) const;
};
