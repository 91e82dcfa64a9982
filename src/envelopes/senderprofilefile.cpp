#include "envelopes/senderprofilefile.h"

#include "core/appstate.h"
#include "core/dosshell.h"
#include "core/services.h"
#include "core/settingsfile.h"
#include "envelopes/senderprofile.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"

#include <cmath>
#include <limits>
#include <optional>

namespace
{

// A number item; texts count when they hold a number and nothing else.
std::optional<double> numberOf(const SettingsItem& item)
{
    if (item.kind != SettingsItem::Text)
        return item.toNumber();
    bool ok = false;
    const double v = item.text.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

// A single-precision value: out of range is an error like a text.
std::optional<double> singleOf(const SettingsItem& item)
{
    const auto v = numberOf(item);
    if (!v || !std::isfinite(*v) || std::fabs(*v) > std::numeric_limits<float>::max())
        return std::nullopt;
    return double(float(*v));
}

std::optional<bool> booleanOf(const SettingsItem& item)
{
    if (item.kind == SettingsItem::Text) {
        if (item.text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (item.text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    const auto v = numberOf(item);
    if (!v)
        return std::nullopt;
    return *v != 0;
}

// A 16-bit integer, rounded to the nearest, halves to even.
std::optional<int> integer16Of(const SettingsItem& item)
{
    const auto v = numberOf(item);
    if (!v || !std::isfinite(*v))
        return std::nullopt;
    const double r = std::nearbyint(*v);
    if (r < -32768 || r > 32767)
        return std::nullopt;
    return int(r);
}

} // namespace

QByteArray senderProfileBytes(const SenderProfile& p)
{
    SettingsWriter w;
    w.text(storableSettingsText(p.Ligne1));
    w.text(storableSettingsText(p.Ligne2));
    w.endLine();
    w.text(storableSettingsText(p.Ligne3));
    w.endLine();
    w.text(storableSettingsText(p.Ligne4));
    w.endLine();
    w.text(storableSettingsText(p.Ligne5));
    w.endLine();
    w.fontLines(p.FontName, p.FontSize, p.FontBold, p.FontItalic);
    // A whole number: seven significant digits would change colours from ten million on.
    w.integer(senderColorRef(p.TextColor));
    w.endLine();
    w.single(p.FrameWidth);
    w.endLine();
    w.single(p.FrameHeight);
    w.endLine();
    w.single(p.MarginLeft);
    w.endLine();
    w.single(p.MarginTop);
    w.endLine();
    w.integer(p.HeaderExp);
    w.endLine();
    return w.bytes();
}

bool readSenderProfile(const QByteArray& bytes, SenderProfile& p)
{
    SettingsReader reader(bytes);
    for (int n = 1; n <= 5; ++n) {
        const auto item = reader.next();
        if (!item)
            return false;
        senderLine(p, n) = item->toText();
    }
    const auto face = reader.next();
    if (!face)
        return false;
    p.FontName = face->toText();

    // The size is kept aside until the whole file was read.
    const auto size = reader.next();
    if (!size)
        return false;

    const auto bold = reader.next();
    if (!bold)
        return false;
    const auto boldValue = booleanOf(*bold);
    if (!boldValue)
        return false;
    p.FontBold = *boldValue;

    const auto italic = reader.next();
    if (!italic)
        return false;
    const auto italicValue = booleanOf(*italic);
    if (!italicValue)
        return false;
    p.FontItalic = *italicValue;

    const auto color = reader.next();
    if (!color)
        return false;
    const auto colorValue = singleOf(*color);
    if (!colorValue)
        return false;
    // No colour at all is a damaged file; white written with seven digits (1.677722E+07) reads
    // back a little above white and stays white.
    const double rounded = std::round(*colorValue);
    if (!isColorRef(rounded) && !(rounded > kLargestColor && rounded <= 16777220.0))
        return false;
    p.TextColor = senderColorRef(*colorValue);

    for (double* field : {&p.FrameWidth, &p.FrameHeight, &p.MarginLeft, &p.MarginTop}) {
        const auto item = reader.next();
        if (!item)
            return false;
        const auto value = singleOf(*item);
        if (!value)
            return false;
        *field = *value;
    }

    const auto header = reader.next();
    if (!header)
        return false;
    const auto headerValue = integer16Of(*header);
    if (!headerValue)
        return false;
    p.HeaderExp = *headerValue;

    // A size that is no size at all (a text, zero or less) or that no printer can draw is a
    // damaged file.
    const auto sizeValue = singleOf(*size);
    if (!sizeValue || !isDrawableFontSize(*sizeValue))
        return false;
    p.FontSize = *sizeValue;
    AffichExpediteur(p);
    return true;
}

bool ChargeFileUtil(SenderProfile& profile, Dialogs& dialogs, const QString& path)
{
    const auto bytes = readWholeFile(path);
    if (!bytes || !readSenderProfile(*bytes, profile)) {
        dialogs.msgBox(QStringLiteral("Erreur d'ouverture du fichier utilisateur !"),
                       vbOKOnly + vbCritical, QStringLiteral("Erreur"));
        return false;
    }
    return true;
}

bool writeSenderProfile(const SenderProfile& profile, const QString& path)
{
    return writeWholeFile(path, senderProfileBytes(profile));
}

void loadStartupSenderProfile(AppState& state, Services& services)
{
    // The defaults first: a damaged file keeps them for whatever it does not hold.
    state.sender = defaultSenderProfile();
    state.FicUtilCharge.clear();
    const QString path =
        programFilePath(state.CheminDonnees, state.CheminAppli, ProgramFile::SenderProfile);
    if (!FichierExiste(path))
        return;
    ChargeFileUtil(state.sender, *services.dialogs, path);
    state.FicUtilCharge = path;
}
