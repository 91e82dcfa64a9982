#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>

// Reading printed PDF files back with poppler's tools.

// Runs `program` with `arguments`; true when it ran and exited with 0. Its standard output
// (UTF-8) goes to `output` when given.
inline bool runTool(const QString& program, const QStringList& arguments, QString* output = nullptr)
{
    QProcess p;
    p.start(program, arguments);
    const bool ok =
        p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (output)
        *output = QString::fromUtf8(p.readAllStandardOutput());
    return ok;
}

// Standard output of `program` (empty when it fails).
inline QString toolOutput(const QString& program, const QStringList& arguments)
{
    QString out;
    runTool(program, arguments, &out);
    return out;
}

// The text of each page of `pdf` (pdftotext separates pages with form feeds), each page as its
// non-empty lines with runs of spaces made single and the ends trimmed. Ligatures the font drew
// ("ﬁ") are read back as their letters.
inline QList<QStringList> pdfPages(const QString& pdf)
{
    const QString text =
        toolOutput(QStringLiteral("pdftotext"),
                   {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    QList<QStringList> pages;
    QStringList pageTexts = text.split(QLatin1Char('\f'));
    if (!pageTexts.isEmpty() && pageTexts.last().trimmed().isEmpty())
        pageTexts.removeLast();
    for (const QString& page : pageTexts) {
        QStringList lines;
        for (const QString& line : page.split(QLatin1Char('\n'))) {
            const QString simple = line.normalized(QString::NormalizationForm_KC).simplified();
            if (!simple.isEmpty())
                lines << simple;
        }
        pages << lines;
    }
    return pages;
}

// Page count and size in points of `pdf`, from pdfinfo.
struct PdfInfo {
    int pages = 0;
    double width = 0;
    double height = 0;
};

inline PdfInfo pdfInfo(const QString& pdf)
{
    PdfInfo info;
    const QString text = toolOutput(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"),
                                   QRegularExpression::MultilineOption);
    const QRegularExpression size(QStringLiteral("^Page size:\\s+([\\d.]+) x ([\\d.]+) pts"),
                                  QRegularExpression::MultilineOption);
    if (const auto m = pages.match(text); m.hasMatch())
        info.pages = m.captured(1).toInt();
    if (const auto m = size.match(text); m.hasMatch()) {
        info.width = m.captured(1).toDouble();
        info.height = m.captured(2).toDouble();
    }
    return info;
}

// Bounding box, in points from the page's top-left corner, of the first word `word` on
// `page` (1-based) of `pdf`; a null rectangle when it is not there.
inline QRectF pdfWordBox(const QString& pdf, const QString& word, int page = 1)
{
    const QString html =
        toolOutput(QStringLiteral("pdftotext"),
                   {QStringLiteral("-bbox"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                    QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                    QString::number(page), pdf, QStringLiteral("-")});
    const QRegularExpression re(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    auto it = re.globalMatch(html);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(5) == word)
            return QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                          QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
    }
    return QRectF();
}
