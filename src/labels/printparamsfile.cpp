#include "labels/printparamsfile.h"

#include "core/appstate.h"
#include "core/dosshell.h"
#include "core/settingsfile.h"
#include "platform/colorref.h"
#include "platform/commondialog.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"

#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <cmath>

namespace
{

const QString kFilter = QStringLiteral("Fichiers de configuration (*.PAR)|*.PAR");

// One number item; nothing for a text or a value out of reach.
std::optional<double> numberOf(const std::optional<SettingsItem>& item)
{
    if (!item)
        return std::nullopt;
    const auto v = item->toNumber();
    if (!v || !std::isfinite(*v))
        return std::nullopt;
    return v;
}

void readNumber(SettingsReader& r, double& field)
{
    if (const auto v = numberOf(r.next()))
        field = *v;
}

void readBoolean(SettingsReader& r, bool& field)
{
    if (const auto v = numberOf(r.next()))
        field = *v != 0;
}

} // namespace

void installDefaultGeometry(PrintParams& p)
{
    p.MargeGauche = 5;
    p.MargeHaute = 0;
    p.SepVertical = 0;
    p.SepHorizontal = 0;
    p.LargeurEtiq = 90;
    p.HauteurEtiq = 45;
    p.ImprimerCadre = true;
    p.ImprimerDecoupe = true;
}

PrintParams defaultPrintParams(const QString& fontName, quint32 textColor)
{
    PrintParams p;
    installDefaultGeometry(p);
    p.FontName = fontName;
    p.FontSize = 10;
    p.FontBold = false;
    p.FontItalic = false;
    p.ForeColor = qint32(textColor);
    p.FontUnderline = false;
    p.FontStrikethru = false;
    return p;
}

QString standardFontName()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QGuiApplication::font().family();
    return QStringLiteral("Arial");
}

quint32 standardTextColor()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return colorRef(QGuiApplication::palette().color(QPalette::WindowText));
    return 0;
}

QByteArray printParamsBytes(const PrintParams& p)
{
    SettingsWriter w;
    for (double v : {p.MargeGauche, p.MargeHaute, p.SepHorizontal, p.SepVertical, p.LargeurEtiq,
                     p.HauteurEtiq})
        w.real(v);
    w.endLine();
    w.boolean(p.ImprimerCadre);
    w.boolean(p.ImprimerDecoupe);
    w.endLine();
    w.fontLines(p.FontName, p.FontSize, p.FontBold, p.FontItalic);
    w.integer(p.ForeColor);
    w.endLine();
    return w.bytes();
}

void LoadFileConfig(const QString& path, PrintParams& p)
{
    if (const auto bytes = readWholeFile(path)) {
        readPrintParams(*bytes, p);
        return;
    }
    p.ImprimerCadre = false;
    p.ImprimerDecoupe = false;
}

void readPrintParams(const QByteArray& bytes, PrintParams& p)
{
    std::optional<SettingsItem> cadre;
    std::optional<SettingsItem> decoupe;
    {
        SettingsReader r(bytes);
        for (double* field : {&p.MargeGauche, &p.MargeHaute, &p.SepHorizontal, &p.SepVertical,
                              &p.LargeurEtiq, &p.HauteurEtiq})
            readNumber(r, *field);
        cadre = r.next();
        decoupe = r.next();
        if (const auto name = r.next())
            p.FontName = name->toText();
        // A size or colour the printer cannot draw cannot be read either; the size is checked
        // once it is single precision (a tiny size rounds to 0).
        if (const auto size = numberOf(r.next());
            size && isDrawableFontSize(*size) && isDrawableFontSize(double(float(*size))))
            p.FontSize = double(float(*size));
        readBoolean(r, p.FontBold);
        readBoolean(r, p.FontItalic);
        if (const auto color = numberOf(r.next())) {
            const double c = std::round(*color);
            if (isColorRef(c))
                p.ForeColor = qint32(c);
        }
    }
    p.ImprimerCadre = cadre && cadre->isTrue();
    p.ImprimerDecoupe = decoupe && decoupe->isTrue();
}

bool writePrintParamsFile(const QString& path, const PrintParams& params, Dialogs* dialogs)
{
    if (writeWholeFile(path, printParamsBytes(params)))
        return true;
    if (dialogs)
        dialogs->msgBox(QStringLiteral("Erreur de sauvegarde!"), vbCritical,
                        QStringLiteral("Erreur"));
    return false;
}

QString paramWindowTitle(const QString& file)
{
    const QString name =
        file.isEmpty() ? QStringLiteral("DEFAUT") : QFileInfo(file).fileName().toUpper();
    return QStringLiteral("Paramétrage de l'impression ") + name;
}

std::optional<QString> chargerParametres(AppState& state, CommonDialog& dialog)
{
    dialog.CancelError = false;
    dialog.FileName = state.FicParam;
    dialog.DialogTitle = QStringLiteral("Ouvrir");
    dialog.Filter = kFilter;
    dialog.FilterIndex = 1;
    dialog.Flags = 0;
    dialog.InitDir = state.CheminAppli;
    if (!dialog.ShowOpen())
        return std::nullopt;
    state.FicParam = dialog.FileName;
    if (state.FicParam.isEmpty())
        return std::nullopt;
    LoadFileConfig(state.FicParam, state.print);
    return state.FicParam;
}

std::optional<QString> choisirFichierParametres(AppState& state, CommonDialog& dialog)
{
    dialog.CancelError = true;
    dialog.DialogTitle = QStringLiteral("Enregistrer");
    dialog.Filter = kFilter;
    dialog.FilterIndex = 1;
    dialog.Flags = cdlOFNOverwritePrompt;
    dialog.InitDir = state.CheminAppli;
    if (!dialog.ShowSave())
        return std::nullopt;
    state.FicParam = dialog.FileName;
    return state.FicParam;
}

void loadStartupPrintParams(AppState& state, Services&)
{
    // Start from the built-in set, so that a short or damaged file still leaves a usable font.
    state.print = defaultPrintParams(standardFontName(), standardTextColor());
    const QString path =
        programFilePath(state.CheminDonnees, state.CheminAppli, ProgramFile::PrintParams);
    if (FichierExiste(path))
        LoadFileConfig(path, state.print);
}
