#pragma once

#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>
#include <algorithm>
#include <cmath>

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

// One word of a PDF page as pdftotext -bbox places it, in points from the page's top-left
// corner.
struct PdfWord {
    QRectF box;
    QString text;
};

// The words of each page of `pdf`, with their boxes. Ligatures the font drew ("ﬁ") are read back
// as their letters.
inline QList<QList<PdfWord>> pdfWords(const QString& pdf, int firstPage = 0, int lastPage = 0)
{
    QStringList arguments{QStringLiteral("-bbox"), QStringLiteral("-enc"), QStringLiteral("UTF-8")};
    if (firstPage > 0)
        arguments << QStringLiteral("-f") << QString::number(firstPage);
    if (lastPage > 0)
        arguments << QStringLiteral("-l") << QString::number(lastPage);
    arguments << pdf << QStringLiteral("-");
    const QString html = toolOutput(QStringLiteral("pdftotext"), arguments);
    static const QRegularExpression item(
        QStringLiteral("<page |<word xMin=\"([-\\d.]+)\" yMin=\"([-\\d.]+)\" "
                       "xMax=\"([-\\d.]+)\" yMax=\"([-\\d.]+)\">([^<]*)</word>"));
    QList<QList<PdfWord>> pages;
    auto it = item.globalMatch(html);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(0) == QLatin1String("<page ")) {
            pages.append(QList<PdfWord>());
            continue;
        }
        if (pages.isEmpty())
            continue;
        QString text = m.captured(5);
        text.replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&quot;"), QLatin1String("\""))
            .replace(QLatin1String("&apos;"), QLatin1String("'"))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
        pages.last().append({QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                    QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())),
                             text.normalized(QString::NormalizationForm_KC)});
    }
    return pages;
}

// The printed lines of one page, from the words' positions (not from pdftotext's reading order,
// which a face whose boxes overlap the next line by a hair may upset): top to bottom, each line
// its words from left to right joined by single spaces. A word belongs to a line when its middle
// lies within the line's height.
inline QStringList linesByPosition(QList<PdfWord> words)
{
    std::stable_sort(words.begin(), words.end(), [](const PdfWord& a, const PdfWord& b) {
        return a.box.center().y() < b.box.center().y();
    });
    QList<QList<PdfWord>> lines;
    for (const PdfWord& w : words) {
        if (!lines.isEmpty()) {
            const QRectF& first = lines.last().first().box;
            if (std::abs(w.box.center().y() - first.center().y()) <
                0.5 * std::min(first.height(), w.box.height())) {
                lines.last().append(w);
                continue;
            }
        }
        lines.append({w});
    }
    QStringList out;
    for (QList<PdfWord>& line : lines) {
        std::stable_sort(line.begin(), line.end(), [](const PdfWord& a, const PdfWord& b) {
            return a.box.left() < b.box.left();
        });
        QStringList texts;
        for (const PdfWord& w : line)
            texts << w.text;
        const QString simple = texts.join(QLatin1Char(' ')).simplified();
        if (!simple.isEmpty())
            out << simple;
    }
    return out;
}

// The text of each page of `pdf`, each page as its printed lines (linesByPosition).
inline QList<QStringList> pdfPages(const QString& pdf)
{
    QList<QStringList> pages;
    for (const QList<PdfWord>& words : pdfWords(pdf))
        pages << linesByPosition(words);
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
    for (const QList<PdfWord>& words : pdfWords(pdf, page, page)) {
        for (const PdfWord& w : words) {
            if (w.text == word)
                return w.box;
        }
    }
    return QRectF();
}
