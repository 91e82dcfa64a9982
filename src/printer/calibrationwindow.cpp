#include "printer/calibrationwindow.h"

#include "core/services.h"
#include "platform/dialogs.h"
#include "printer/calibrationpage.h"
#include "printer/printersurface.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

QDoubleSpinBox* offsetBox(QWidget* parent, const char* name, double value)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    // Numbers with a point, as in every other field of the program.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    box->setLocale(c);
    box->setRange(-kMaxPrinterOffset, kMaxPrinterOffset);
    box->setDecimals(1);
    box->setSingleStep(0.5);
    box->setValue(value);
    return box;
}

} // namespace

CalibrationWindow::CalibrationWindow(Services& services, const QString& printer, QWidget* parent)
    : QDialog(parent), m_services(services), m_printer(printer)
{
    setObjectName(QStringLiteral("Calibration"));
    setWindowTitle(QStringLiteral("Calibrer l'imprimante"));
    const PrinterOffset stored =
        services.printerOffsets ? services.printerOffsets->offset(printer) : PrinterOffset{};

    auto* top = new QVBoxLayout(this);
    auto* name = new QLabel(QStringLiteral("Imprimante : ") + printer, this);
    name->setObjectName(QStringLiteral("lblImprimante"));
    top->addWidget(name);
    auto* notice = new QLabel(
        QStringLiteral("Imprimez la page de calibration, puis mesurez à la règle où se trouvent "
                       "les croix, depuis les bords gauche et haut de la feuille. Le décalage est "
                       "la place écrite à côté d'une croix moins la place mesurée. Un décalage "
                       "positif déplace les étiquettes et les enveloppes vers la droite ou vers "
                       "le bas, un décalage négatif vers la gauche ou vers le haut."),
        this);
    notice->setObjectName(QStringLiteral("lblExplication"));
    notice->setWordWrap(true);
    top->addWidget(notice);

    auto* form = new QFormLayout;
    m_horizontal = offsetBox(this, "DecalageHorizontal", stored.x);
    m_vertical = offsetBox(this, "DecalageVertical", stored.y);
    auto* horizontalCaption = new QLabel(QStringLiteral("Décalage &horizontal en mm :"), this);
    horizontalCaption->setBuddy(m_horizontal);
    auto* verticalCaption = new QLabel(QStringLiteral("Décalage &vertical en mm :"), this);
    verticalCaption->setBuddy(m_vertical);
    form->addRow(horizontalCaption, m_horizontal);
    form->addRow(verticalCaption, m_vertical);
    top->addLayout(form);

    auto* buttons = new QHBoxLayout;
    m_printPage = new QPushButton(QStringLiteral("&Imprimer la page de calibration"), this);
    m_printPage->setObjectName(QStringLiteral("cmdImprimerCalibration"));
    m_printPage->setAutoDefault(false);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Annuler"), this);
    cancel->setObjectName(QStringLiteral("cmdAnnuler"));
    cancel->setAutoDefault(false);
    buttons->addWidget(m_printPage);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    top->addLayout(buttons);

    connect(m_printPage, &QPushButton::clicked, this, &CalibrationWindow::printPage);
    connect(ok, &QPushButton::clicked, this, &CalibrationWindow::accept);
    connect(cancel, &QPushButton::clicked, this, &CalibrationWindow::reject);
}

PrinterOffset CalibrationWindow::offset() const
{
    return {m_horizontal->value(), m_vertical->value()};
}

void CalibrationWindow::printPage()
{
    // What the boxes hold now, so a correction can be checked before it is kept.
    printCalibrationPage(m_services, offset());
}

void CalibrationWindow::accept()
{
    if (!m_services.printerOffsets || !m_services.printerOffsets->store(m_printer, offset())) {
        if (m_services.dialogs)
            m_services.dialogs->msgBox(QStringLiteral("Erreur de sauvegarde!"), vbCritical,
                                       QStringLiteral("Erreur"));
        return;
    }
    QDialog::accept();
}

bool calibratePrinter(Services& services, QWidget* parent)
{
    QString printer;
    if (services.printer) {
        try {
            printer = services.printer->deviceName();
        } catch (const std::exception&) {
            // No printer to ask: said just below as no printer available.
        }
    }
    if (printer.isEmpty()) {
        if (services.dialogs)
            services.dialogs->msgBox(QStringLiteral("Aucune imprimante n'est disponible"), vbOKOnly,
                                     QStringLiteral("Elvarine"));
        return false;
    }
    CalibrationWindow window(services, printer, parent);
    return window.exec() == QDialog::Accepted;
}
