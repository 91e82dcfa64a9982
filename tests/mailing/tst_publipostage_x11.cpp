// The mailing window opened from the main window after lines were picked in the name list with
// real clicks and Ctrl+clicks through the X server (Xvfb), then its summary, the records left
// out, the preview of the whole job and the print.
#include "app/maincommands.h"
#include "mailing/publipostage.h"
#include "mailingfixture.h"
#include "mainwindowfixture.h"
#include "printer/previewsurface.h"
#include "printer/printpreview.h"
#include "userdriver.h"
#include "x11input.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace
{

// A click on line `row` of `list` through the X server, Ctrl held with `ctrl`.
bool clickLine(QListView* list, int row, bool ctrl)
{
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    const QPoint at = list->viewport()->mapToGlobal(rect.center());
    QStringList args{QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(at.x()),
                     QString::number(at.y())};
    if (ctrl)
        args << QStringLiteral("keydown") << QStringLiteral("ctrl");
    args << QStringLiteral("click") << QStringLiteral("1");
    if (ctrl)
        args << QStringLiteral("keyup") << QStringLiteral("ctrl");
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(10000) && p.exitCode() == 0 && x11::sync();
}

} // namespace

class TestPublipostageX11 : public QObject
{
    Q_OBJECT
private slots:
    void selectedLinesMakeTheMailing();
};

void TestPublipostageX11::selectedLinesMakeTheMailing()
{
    if (!x11::available())
        QSKIP("needs an X display (run under xvfb-run) and xdotool");
    MainWindowFixture f;
    QList<QVariantList> rows = numberedRecords(6);
    rows << emptyAddressRecord();
    frmElvarine& w = f.startWith(rows);
    f.state.print = mailingParams();
    f.state.sender.Ligne1 = QStringLiteral("Expéditrice Lambert");
    QListView* list = w.list();
    // The name list's multiple selection, as the desktop's lists have it.
    if (list->selectionMode() != QAbstractItemView::ExtendedSelection)
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QVERIFY(x11::focus(&w));
    // The empty record's line comes first (" "): lines 1, 3 and 6 are Nom01, Nom03, Nom06.
    QCOMPARE(listLines(w).value(1).trimmed(), QStringLiteral("Nom01 P01"));
    QVERIFY(clickLine(list, 1, false));
    QVERIFY(clickLine(list, 3, true));
    QVERIFY(clickLine(list, 6, true));
    QTRY_COMPARE(int(w.selectedRecordPositions().size()), 3);

    bool seen = false;
    UserDriver::whenModalShown([&](QWidget* modal) {
        auto* window = qobject_cast<Publipostage*>(modal);
        QVERIFY(window);
        seen = true;
        // The selection is the mailing, in list order.
        QVERIFY(window->sourceOption(MailingSource::Selection)->isChecked());
        QCOMPARE(window->sourceOption(MailingSource::Selection)->text(),
                 QStringLiteral("Les &lignes sélectionnées (3)"));
        QCOMPARE(names(window->records().printed),
                 (QStringList{"Nom01 P01", "Nom03 P03", "Nom06 P06"}));
        QCOMPARE(window->summary()->text(),
                 QStringLiteral("3 fiche(s) à imprimer : 3 étiquettes sur 1 feuille."));
        QVERIFY(window->leftOut()->isHidden());

        // Every record: the empty one is left out, and said so.
        window->sourceOption(MailingSource::All)->click();
        QCOMPARE(window->summary()->text(),
                 QStringLiteral("6 fiche(s) à imprimer : 6 étiquettes sur 1 feuille."));
        QVERIFY(window->leftOut()->isVisible());
        QCOMPARE(window->leftOut()->text(),
                 QStringLiteral("1 fiche laissée de côté, son adresse est vide : (fiche sans "
                                "nom n° 7)."));

        // Envelopes of the selection: the preview shows the whole job, one per page.
        window->sourceOption(MailingSource::Selection)->click();
        window->kindOption(MailingKind::Envelopes)->click();
        QVERIFY(window->senderCheck()->isVisible());
        window->senderCheck()->click();
        int previewPages = 0;
        UserDriver::whenModalShown([&previewPages](QWidget* preview) {
            auto* p = qobject_cast<PrintPreview*>(preview);
            QVERIFY(p);
            QTRY_VERIFY(p->document().complete());
            previewPages = p->document().pageCount();
            p->closeButton()->click();
        });
        QTest::mouseClick(window->previewButton(), Qt::LeftButton);
        QCOMPARE(previewPages, 3);
        QCOMPARE(f.printer.documents, 0);

        f.dialogs.expectMessage(QStringLiteral("Confirmer l'impression de 3 enveloppes ?"),
                                vbYesNo + vbQuestion, QStringLiteral("Publipostage : enveloppes"),
                                vbYes);
        QTest::mouseClick(window->printButton(), Qt::LeftButton);
        window->closeButton()->click();
    });
    UserDriver user(&w);
    QVERIFY(user.chooseMenu(w.command(Command::Publipostage)));
    QTRY_VERIFY(seen);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.printer.documents, 1);
    QCOMPARE(f.printer.killed, 0);
    // One envelope a page, the sender label on each.
    QCOMPARE(f.printer.calls.count(QStringLiteral("NewPage")), 2);
    QCOMPARE(f.printer.printed.filter(QStringLiteral("Nom0")).size(), 3);
    QCOMPARE(f.printer.printed.filter(QStringLiteral("Expéditrice Lambert")).size(), 3);
}

QTEST_MAIN(TestPublipostageX11)
#include "tst_publipostage_x11.moc"
