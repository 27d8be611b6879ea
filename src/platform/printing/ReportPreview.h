#pragma once
// The preview window of a banded report, from which the seller prints: the
// pages as they will print, zoom, Print (the system's print dialog) and Close.
// Its size and state are kept under "Settings\" followed by the report's name
// ("Width" and "Height" in twips, "WindowState" 0 normal or 2 maximised); the
// size is kept only when it closes in the normal state.

#include "BandedReport.h"

#include <QDialog>

class QPrintPreviewWidget;
class QPrinter;

class ReportPreview : public QDialog {
    Q_OBJECT
public:
    ReportPreview(const QString& reportName, const QString& caption, QWidget* parent = nullptr);
    ~ReportPreview() override;

    // The report shown; the preview follows every change.
    void setReport(const BandedReport& report);
    const BandedReport& report() const { return m_report; }
    QPrintPreviewWidget* preview() const { return m_preview; }

    void print();

protected:
    void done(int result) override;

private:
    void restoreWindow();
    void saveWindow();

    QString m_section;
    BandedReport m_report;
    QPrinter* m_printer;
    QPrintPreviewWidget* m_preview;
    bool m_saved = false;
};
