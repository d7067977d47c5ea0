#pragma once
// ReportEngine: the report control of the program. It runs a report definition file over one
// table of a database file and prints the rows as a list with column captions, page numbers
// and column totals, to a preview window, straight to the printer or into a PDF file.
//
// Naming follows the report control it stands in for: properties P()/SetP(value), indexed
// properties DataFiles(i)/Formulas(i), and SetAction(1) runs the report.
//
// The report definition is a small INI text (see assets/Rpt/LedgerList.rpt):
//   [Report]   Table=<table>  Orientation=Portrait|Landscape  Font=<family>  FontSize=<pt>
//              Margin=<mm>  Heading=<text>  SubHeading=<text>  TotalCaption=<text>
//   [Formulas] <Name>=<default text>       formula fields, shown in texts as {Name}
//   [Columns]  Count=<n>  1=<field>|<caption>|<width>|<kind>  ... n=...
//              kind: text | number | number,total   (numbers are whole amounts, shown 1,234;
//              an amount or a total past the range of 64-bit whole numbers shows the overflow
//              mark "###", as the screen shows it)
// Widths are relative: the columns share the printable width in their proportion.
#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <optional>

class QPainter;
class QPrinter;
class QWidget;

namespace platform {

struct ReportColumn {
    QString field;
    QString caption;
    double width = 1;    // relative width
    bool numeric = false;
    bool total = false;  // a numeric column summed in the totals line
};

struct ReportDefinition {
    QString table;
    bool landscape = false;
    QString fontFamily;
    double fontSize = 9;       // points
    double marginMm = 10;
    QString heading;           // may refer to formula fields as {Name}
    QString subHeading;
    QString totalCaption;
    QMap<QString, QString> formulas; // declared formula fields with their default texts
    QList<ReportColumn> columns;
    bool hasTotals() const;
};

// Reads a report definition. False with a reason when the file is missing, unreadable or
// does not describe a usable report (no table, no columns, a field name that is no name).
bool LoadReportDefinition(const QString& path, ReportDefinition& def, QString& error);

// Applies one formula assignment "Name = 'text'" (or "text" in double quotes; a quote doubled
// inside stands for itself; a bare number is taken as written). False with a reason when the
// text is no assignment or names a formula field the report does not declare.
bool ApplyReportFormula(ReportDefinition& def, const QString& formula, QString& error);

// Replaces {Name} of every declared formula field by its text.
QString ExpandReportText(const ReportDefinition& def, const QString& text);

// The rows of a report: one value per column of the definition, in column order.
using ReportRows = QVector<QVector<QVariant>>;

// Reads the definition's columns of its table from a database file (read-only), in the order
// the rows were stored. False with a reason on any failure.
bool ReadReportRows(const QString& dataFile, const ReportDefinition& def, ReportRows& rows, QString& error);

// A whole amount of a numeric cell (a fraction rounded as the screen rounds it); empty or
// unreadable values count as 0. A number past the range of 64-bit whole numbers (a REAL or a
// text stored by another program) is no amount: none.
std::optional<qint64> ReportAmount(const QVariant& v);
// Thousands separators: 1234567 -> "1,234,567", -1500 -> "-1,500".
QString FormatReportAmount(qint64 v);
// The same, and the overflow mark "###" for none (an amount or a total past the 64-bit range).
QString FormatReportAmount(const std::optional<qint64>& v);

// Page geometry in device units: the printable area and the height of each band.
struct ReportPageMetrics {
    int pageWidth = 0, pageHeight = 0;
    int headingHeight = 0; // heading, sub-heading and print date, at the top of every page
    int captionHeight = 0; // the column captions under it
    int rowHeight = 0;     // one detail line, also the totals line
    int footerHeight = 0;  // page number at the bottom of every page
    // When set: the printed width of an amount text, and the room left and right of a cell's
    // text. Numeric columns then get at least the width of their widest amount (details and
    // total), taken from the text columns, so that no amount has to be cut.
    std::function<int(const QString&)> amountWidth;
    int cellPadding = 0;
};

struct ReportPageRange {
    int firstRow = 0;      // index into the rows
    int rowCount = 0;
    bool totals = false;   // the totals line follows the rows of this page
};

// Where everything goes; computed without any painting so it can be checked.
struct ReportLayout {
    QVector<int> colLeft, colWidth; // per column, from the left edge of the printable area
    int rowsPerPage = 0;            // detail lines that fit under the captions
    QVector<ReportPageRange> pages; // at least one page, also for no rows
    // per column: the exact sum of its amounts; 0 for columns without a total; none when the
    // sum, or one of its amounts, lies past the range of 64-bit whole numbers
    QVector<std::optional<qint64>> totals;
};
ReportLayout LayoutReport(const ReportDefinition& def, const ReportRows& rows, const ReportPageMetrics& m);

// Paints the report with p, one page of pageSize device units after another; newPage is called
// between pages (false: the page could not be begun, painting stops with a reason). Amounts are
// printed whole: when even the widened column is too narrow for one, it is printed smaller.
bool PaintReport(QPainter& p, const QSize& pageSize, const std::function<bool()>& newPage,
                 const ReportDefinition& def, const ReportRows& rows, const QDate& printDate, QString& error,
                 int* pagesPrinted = nullptr);

// Orientation, margins and document name of the report.
void PrepareReportPrinter(QPrinter& printer, const ReportDefinition& def);
// Paints the report onto a printer prepared for it (one page after another); a PDF file is
// written whole or not at all (see PaintOnPrinter). pagesPrinted receives the number of pages.
// False with a reason when the printer cannot be painted on or the file not written whole.
bool RenderReport(QPrinter& printer, const ReportDefinition& def, const ReportRows& rows, const QDate& printDate,
                  QString& error, int* pagesPrinted = nullptr);

class ReportEngine {
public:
    enum DestinationValue { crptToWindow = 0, crptToPrinter = 1, crptToFile = 2 };
    enum ErrorValue {
        rptErrNone = 0,
        rptErrReportFile = 1,  // the report file is missing or unreadable
        rptErrDefinition = 2,  // the report file describes no usable report
        rptErrFormula = 3,     // a formula that is no assignment or names no formula field
        rptErrDataFile = 4,    // the data file or its table cannot be read
        rptErrPrinter = 5,     // no printer, or the printer / output file refused the pages
        rptErrAction = 6       // an action other than 1
    };

    // The preview window is owned by this window (may be null).
    explicit ReportEngine(QWidget* owner = nullptr);

    QString ReportFileName() const { return m_reportFile; }
    void SetReportFileName(const QString& path) { m_reportFile = path; }
    QString DataFiles(int index) const { return m_dataFiles.value(index); }
    void SetDataFiles(int index, const QString& path);
    QString Formulas(int index) const { return m_formulas.value(index); }
    void SetFormulas(int index, const QString& formula);
    int Destination() const { return m_destination; }
    void SetDestination(int destination) { m_destination = destination; }
    // The PDF file written with crptToFile.
    QString PrintFileName() const { return m_printFile; }
    void SetPrintFileName(const QString& path) { m_printFile = path; }
    QString WindowTitle() const { return m_windowTitle; }
    void SetWindowTitle(const QString& title) { m_windowTitle = title; }

    // Action 1 runs the report to its destination. True when it was shown or printed;
    // otherwise LastErrorNumber/LastErrorString say why and nothing was printed. A PDF file is
    // put in its place only when it was written whole (a full disk leaves no part of it and
    // keeps an older file of that name).
    // In the preview window each print is judged on its own: one that fails is told at once
    // through the print error handler (LastErrorNumber/LastErrorString say why) and the window
    // stays open for another try; a good one clears the error and ends the preview. Closing
    // the window after a told failure still counts as shown (true).
    bool SetAction(int action);
    // Tells the user of a print from the preview window that failed. Without one, the
    // engine's own reason is shown in a message box.
    void SetPrintErrorHandler(std::function<void()> handler) { m_printError = std::move(handler); }
    int LastErrorNumber() const { return m_errNumber; }
    QString LastErrorString() const { return m_errString; }
    // Pages of the last run (for the preview: of its last rendering).
    int PagesPrinted() const { return m_pages; }

private:
    bool fail(int number, const QString& text);

    QWidget* m_owner;
    QString m_reportFile;
    QStringList m_dataFiles;
    QStringList m_formulas;
    int m_destination = crptToWindow;
    QString m_printFile;
    QString m_windowTitle;
    int m_errNumber = rptErrNone;
    QString m_errString;
    int m_pages = 0;
    std::function<void()> m_printError;
};

} // namespace platform
