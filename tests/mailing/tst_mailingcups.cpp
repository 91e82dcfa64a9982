// A mailing printed from its window through a real print server (the private cupsd of
// scripts/cups-test-env.sh): a job cancelled in the middle never reaches the queue; a whole job
// arrives as one job of one page per sheet.
#include "../printer/cupsjobs.h"
#include "labels/minisheet.h"
#include "mailing/publipostage.h"
#include "mailingfixture.h"

#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

class TestMailingCups : public QObject
{
    Q_OBJECT
private slots:
    void cancelledInTheMiddleLeavesNoJob();
};

void TestMailingCups::cancelledInTheMiddleLeavesNoJob()
{
    CupsFixture f;
    f.state.print = mailingParams();
    QList<QVariantList> rows = numberedRecords(23);
    rows << emptyAddressRecord();
    const MailingFile file(rows);
    Publipostage window(f.state, f.services, {file.rs.get(), file.listOrder, {}});
    window.show();
    const int before = jobFiles();

    // 23 envelopes: the progress window shows from the start; Annuler is pressed halfway.
    window.kindOption(MailingKind::Envelopes)->click();
    int cancelledAt = -1;
    QTimer watch;
    watch.setInterval(0);
    connect(&watch, &QTimer::timeout, [&] {
        auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (progress && progress->isVisible() && progress->value() >= progress->maximum() / 2) {
            cancelledAt = progress->value();
            progress->cancel();
            watch.stop();
        }
    });
    f.dialogs
        .expectMessage(QStringLiteral("Confirmer l'impression de 23 enveloppes ?"),
                       vbYesNo + vbQuestion, QStringLiteral("Publipostage : enveloppes"), vbYes)
        .whenShown([&watch] { watch.start(); })
        .expectMessage(QStringLiteral("Impression annulée : rien n'a été envoyé à "
                                      "l'imprimante."),
                       vbInformation, QStringLiteral("Publipostage"));
    window.printButton()->click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY2(cancelledAt >= 500 && cancelledAt < 1000, qPrintable(QString::number(cancelledAt)));
    const int cancelledJob = f.surface.lastJobId();

    // The labels from position 4 afterwards: the only job that arrives, three sheets.
    window.kindOption(MailingKind::Labels)->click();
    QTest::mouseClick(window.sheet()->position(4), Qt::LeftButton);
    QCOMPARE(window.startPosition(), 4);
    f.dialogs.expectMessage(
        QStringLiteral("Confirmer l'impression de 23 étiquettes sur 3 feuilles ?"),
        vbYesNo + vbQuestion, QStringLiteral("Publipostage : étiquettes"), vbYes);
    window.printButton()->click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY(f.surface.lastJobId() != cancelledJob);
    const QString job = waitForJob(f.surface.lastJobId());
    QVERIFY(!job.isEmpty());
    QCOMPARE(jobFiles(), before + 1);
    QCOMPARE(pdfInfo(job).pages, 3);
    const QList<QStringList> pages = pdfPages(job);
    QCOMPARE(pages.size(), 3);
    QVERIFY(pages[0].join(QLatin1Char(' ')).contains(QStringLiteral("Nom01 P01")));
    QVERIFY(pages[2].join(QLatin1Char(' ')).contains(QStringLiteral("Nom23 P23")));
}

int main(int argc, char** argv)
{
    return runWithPrintServer<TestMailingCups>(argc, argv);
}
#include "tst_mailingcups.moc"
