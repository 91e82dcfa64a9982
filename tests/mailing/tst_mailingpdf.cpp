// Mailings printed through the real printer surface into PDF files, read back with poppler; the
// records a mailing takes; the command-line mailings.
#include "../printer/pdftext.h"
#include "core/services.h"
#include "envelopes/senderprofile.h"
#include "mailing/mailing.h"
#include "mailingfixture.h"
#include "printer/qtprintersurface.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrinter>
#include <QStandardPaths>
#include <QTest>
#include <cmath>

class TestMailingPdf : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void labelsFromPositionFourFillThreeSheets();
    void recordsChosenBySelectionSearchAndPostCode();
    void envelopesOnePerPageWithTheSenderLabel();
    void cancelledJobWritesNothing();
    void commandLineMailings();

private:
    QTemporaryDir m_dir;
    QPointF m_printable; // top-left corner of the printable area of a PDF page, mm
};

namespace
{

constexpr double kPt = 72 / 25.4;

// Where `word` is printed in `pages`: (page, box) of each time it is.
QList<QPair<int, QRectF>> findWord(const QList<QList<PdfWord>>& pages, const QString& word)
{
    QList<QPair<int, QRectF>> found;
    for (int p = 0; p < pages.size(); ++p)
        for (const PdfWord& w : pages[p])
            if (w.text == word)
                found << qMakePair(p, w.box);
    return found;
}

MailingOutcome printToPdf(const MailingJob& job, const QString& pdf,
                          const std::function<bool(int, int)>& progress = {})
{
    QtPrinterSurface surface;
    surface.setOutputFile(pdf);
    Services services;
    services.printer = &surface;
    return printMailingJob(job, services, progress);
}

int runProgram(const QStringList& args, QString* out, QString* err)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display: the command needs none.
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ELVARINE_BINARY_DIR "/bin/Elvarine"), args);
    if (!p.waitForFinished(60000))
        return -1;
    *out = QString::fromUtf8(p.readAllStandardOutput());
    *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitCode();
}

} // namespace

void TestMailingPdf::initTestCase()
{
    for (const char* tool : {"pdftotext", "pdfinfo"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            QSKIP("poppler-utils is not installed");
    QPrinter reference(QPrinter::HighResolution);
    reference.setOutputFormat(QPrinter::PdfFormat);
    m_printable = reference.pageLayout().paintRect(QPageLayout::Millimeter).topLeft();
}

void TestMailingPdf::labelsFromPositionFourFillThreeSheets()
{
    QList<QVariantList> rows = numberedRecords(23);
    rows.insert(5, emptyAddressRecord());
    const MailingFile file(rows);
    const MailingRecords records = file.collect(MailingChoice());
    QCOMPARE(int(records.printed.size()), 23);
    QCOMPARE(int(records.leftOut.size()), 1);

    const PrintParams params = mailingParams();
    const MailingJob job =
        makeMailingJob(MailingKind::Labels, records, params, AddressOptions(), 4,
                       EnvelopeFormatId::F160x115, false, SenderProfile(), false);
    QCOMPARE(job.pageCount(), 3);
    QCOMPARE(mailingCountText(job), QStringLiteral("23 étiquettes sur 3 feuilles"));
    const QString pdf = m_dir.filePath(QStringLiteral("labels.pdf"));
    QCOMPARE(printToPdf(job, pdf), MailingOutcome::Printed);
    QCOMPARE(pdfInfo(pdf).pages, 3);

    const QList<QList<PdfWord>> pages = pdfWords(pdf);
    QCOMPARE(pages.size(), 3);
    for (int i = 0; i < 23; ++i) {
        const QString name = QStringLiteral("Nom%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        const QList<QPair<int, QRectF>> at = findWord(pages, name);
        QVERIFY2(at.size() == 1,
                 qPrintable(name + QStringLiteral(" printed %1 times").arg(at.size())));
        // Sheet 1 from position 4 (three labels gone), then ten a sheet.
        const int slot = i + 3;
        QCOMPARE(at[0].first, slot / 10);
        const LabelCorner corner = labelCorner(params, slot % 10 + 1);
        const QPointF mm = at[0].second.topLeft() / kPt - m_printable;
        QVERIFY2(
            std::abs(mm.x() - (corner.x + 7)) < 0.5,
            qPrintable(
                QStringLiteral("%1 at x %2 mm, label at %3").arg(name).arg(mm.x()).arg(corner.x)));
        // The name on the first line: one line height (about 4 mm) below the label's top.
        QVERIFY2(
            mm.y() > corner.y + 1.5 && mm.y() < corner.y + 5,
            qPrintable(
                QStringLiteral("%1 at y %2 mm, label at %3").arg(name).arg(mm.y()).arg(corner.y)));
        // Its town on the same label.
        const QString street = QString::number(i + 1);
        bool streetBelow = false;
        for (const PdfWord& w : pages[at[0].first])
            streetBelow = streetBelow ||
                          (w.text == street && std::abs(w.box.left() - at[0].second.left()) < 1 &&
                           w.box.top() > at[0].second.top());
        QVERIFY2(streetBelow, qPrintable(name));
    }
    // Nothing printed at positions 1..3 of the first sheet, nor for the empty record.
    for (const PdfWord& w : pages[0])
        QVERIFY(w.box.top() / kPt - m_printable.y() > labelCorner(params, 3).y);
    QCOMPARE(findWord(pages, QStringLiteral("Paris")).size(), 23);
}

void TestMailingPdf::recordsChosenBySelectionSearchAndPostCode()
{
    QList<QVariantList> rows;
    rows << numberedRecord(1, QStringLiteral("69003"), QStringLiteral("Lyon"))
         << numberedRecord(2, QStringLiteral("13001"), QStringLiteral("Marseille"))
         << numberedRecord(3, QStringLiteral("69001"), QStringLiteral("LYON"))
         << emptyAddressRecord()
         << numberedRecord(4, QStringLiteral(" "), QStringLiteral("Lyonnais"))
         << numberedRecord(5, QStringLiteral("06000"), QStringLiteral("Nice"));
    rows[1][0] = QStringLiteral("Alpha");
    const MailingFile file(rows);

    MailingChoice all;
    MailingRecords r = file.collect(all);
    QCOMPARE(names(r.printed),
             (QStringList{"Alpha P02", "Nom01 P01", "Nom03 P03", "Nom04 P04", "Nom05 P05"}));
    QCOMPARE(leftOutText(r), QStringLiteral("1 fiche laissée de côté, son adresse est vide : "
                                            "(fiche sans nom n° 4)."));

    // The search of the main window: any field, letter case ignored; by postal code, the record
    // without one last.
    MailingChoice search;
    search.source = MailingSource::Search;
    search.searchText = QStringLiteral("LyOn");
    search.order = MailingOrder::PostCode;
    r = file.collect(search);
    QCOMPARE(names(r.printed), (QStringList{"Nom03 P03", "Nom01 P01", "Nom04 P04"}));
    // Under the criterion "Code Postal" the towns no longer count.
    search.criterion = 5;
    search.searchText = QStringLiteral("69");
    QCOMPARE(names(file.collect(search).printed), (QStringList{"Nom03 P03", "Nom01 P01"}));

    // The selected lines, in list order, the empty one set apart and named.
    MailingChoice selection;
    selection.source = MailingSource::Selection;
    selection.selected = {5, 3, 1};
    r = file.collect(selection);
    QCOMPARE(names(r.printed), (QStringList{"Nom05 P05", "Alpha P02"}));
    QCOMPARE(int(r.leftOut.size()), 1);
    selection.order = MailingOrder::PostCode;
    QCOMPARE(names(file.collect(selection).printed), (QStringList{"Nom05 P05", "Alpha P02"}));
}

void TestMailingPdf::envelopesOnePerPageWithTheSenderLabel()
{
    const MailingFile file(numberedRecords(5));
    SenderProfile sender = defaultSenderProfile();
    sender.Ligne1 = QStringLiteral("Expéditrice");
    sender.Ligne2 = QStringLiteral("Lambert");
    sender.FontName = QStringLiteral("DejaVu Sans");
    const MailingJob job =
        makeMailingJob(MailingKind::Envelopes, file.collect(MailingChoice()), mailingParams(),
                       AddressOptions(), 1, EnvelopeFormatId::F220x110, true, sender, true);
    QCOMPARE(mailingCountText(job), QStringLiteral("5 enveloppes"));
    const QString pdf = m_dir.filePath(QStringLiteral("envelopes.pdf"));
    QCOMPARE(printToPdf(job, pdf), MailingOutcome::Printed);
    const PdfInfo info = pdfInfo(pdf);
    QCOMPARE(info.pages, 5);
    // The envelope's own paper, in landscape: 220 x 110 mm.
    QVERIFY2(std::abs(info.width / kPt - 220) < 1 && std::abs(info.height / kPt - 110) < 1,
             qPrintable(QStringLiteral("%1 x %2 pt").arg(info.width).arg(info.height)));
    const QList<QList<PdfWord>> pages = pdfWords(pdf);
    for (int p = 0; p < 5; ++p) {
        const QString name = QStringLiteral("Nom%1").arg(p + 1, 2, 10, QLatin1Char('0'));
        const auto at = findWord(pages, name);
        QCOMPARE(at.size(), 1);
        QCOMPARE(at[0].first, p);
        QCOMPARE(findWord({pages[p]}, QStringLiteral("Lambert")).size(), 1);
        QCOMPARE(findWord({pages[p]}, QStringLiteral("Haute")).size(), 1);
    }
}

void TestMailingPdf::cancelledJobWritesNothing()
{
    const MailingFile file(numberedRecords(40));
    const MailingJob job = makeMailingJob(
        MailingKind::Envelopes, file.collect(MailingChoice()), mailingParams(), AddressOptions(), 1,
        EnvelopeFormatId::F160x115, false, SenderProfile(), false);
    const QString pdf = m_dir.filePath(QStringLiteral("cancelled.pdf"));
    int asked = 0;
    QCOMPARE(printToPdf(job, pdf,
                        [&asked](int done, int total) {
                            ++asked;
                            return done < total / 2;
                        }),
             MailingOutcome::Cancelled);
    QCOMPARE(asked, 21);
    QVERIFY(!QFileInfo::exists(pdf));
}

void TestMailingPdf::commandLineMailings()
{
    QList<QVariantList> rows = numberedRecords(12);
    rows[4][6] = QStringLiteral("Lyon");
    rows[4][5] = QStringLiteral("69002");
    rows[9][6] = QStringLiteral("Lyon");
    rows[9][5] = QStringLiteral("69001");
    rows << emptyAddressRecord();
    const MailingFile file(rows);
    const QString pdf = m_dir.filePath(QStringLiteral("cli.pdf"));
    QString out;
    QString err;
    QCOMPARE(runProgram({QStringLiteral("--print-labels"), pdf, QStringLiteral("--start"),
                         QStringLiteral("9"), QStringLiteral("--search"), QStringLiteral("lyon"),
                         QStringLiteral("--order"), QStringLiteral("postcode"), file.path},
                        &out, &err),
             0);
    QCOMPARE(out, QStringLiteral("2 fiche(s) imprimée(s) dans « %1 » : 2 étiquettes sur 1 "
                                 "feuille.\n0 fiche(s) laissée(s) de côté.\n")
                      .arg(pdf));
    // 69001 before 69002, at positions 9 and 10 of the default sheet.
    const QList<QList<PdfWord>> pages = pdfWords(pdf);
    QCOMPARE(pages.size(), 1);
    const auto first = findWord(pages, QStringLiteral("Nom10"));
    const auto second = findWord(pages, QStringLiteral("Nom05"));
    QVERIFY(first.size() == 1 && second.size() == 1);
    QVERIFY(first[0].second.left() < second[0].second.left());
    QVERIFY(std::abs(first[0].second.top() - second[0].second.top()) < 1);

    QCOMPARE(runProgram({QStringLiteral("--print-envelopes"), pdf, QStringLiteral("--format"),
                         QStringLiteral("230x160"), file.path},
                        &out, &err),
             0);
    QVERIFY2(out.contains(QStringLiteral("12 enveloppes")) &&
                 out.contains(QStringLiteral("1 fiche laissée de côté, son adresse est vide")),
             qPrintable(out));
    QCOMPARE(pdfInfo(pdf).pages, 12);

    // Nothing found: status 1, no file; a malformed line: status 2.
    QFile::remove(pdf);
    QCOMPARE(runProgram({QStringLiteral("--print-labels"), pdf, QStringLiteral("--search"),
                         QStringLiteral("Tombouctou"), file.path},
                        &out, &err),
             1);
    QVERIFY(!QFileInfo::exists(pdf));
    QCOMPARE(runProgram({QStringLiteral("--print-labels"), pdf, QStringLiteral("--start"),
                         QStringLiteral("11"), file.path},
                        &out, &err),
             2);
    QVERIFY(err.contains(QStringLiteral("--start")));
    QCOMPARE(runProgram({QStringLiteral("--print-labels"), file.path}, &out, &err), 2);
    QCOMPARE(readAddressFile(file.path).size(), 13);
}

QTEST_MAIN(TestMailingPdf)
#include "tst_mailingpdf.moc"