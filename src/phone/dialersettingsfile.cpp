#include "phone/dialersettingsfile.h"

#include "core/appstate.h"
#include "core/dosshell.h"
#include "core/services.h"
#include "core/settingsfile.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"

#include <cmath>
#include <limits>

namespace
{

// An item that holds a whole number within the range of the stored values.
bool readInteger(SettingsReader& reader, int& value)
{
    const auto item = reader.next();
    if (!item || item->kind == SettingsItem::Empty)
        return false;
    const auto number = item->toNumber();
    if (!number || !std::isfinite(*number))
        return false;
    const double rounded = std::nearbyint(*number); // halves to even
    if (rounded < std::numeric_limits<qint16>::min() ||
        rounded > std::numeric_limits<qint16>::max())
        return false;
    value = int(rounded);
    return true;
}

} // namespace

QString telephonCfgPath(const AppState& state)
{
    return programFilePath(state.CheminDonnees, state.CheminAppli, ProgramFile::DialerSettings);
}

QByteArray telephonCfgBytes(const DialerSettings& settings)
{
    SettingsWriter writer;
    writer.integer(settings.TypeNumerotation);
    writer.endLine();
    writer.integer(settings.NumPort);
    writer.endLine();
    writer.integer(settings.ChoixNumeroteur);
    writer.endLine();
    return writer.bytes();
}

DialerSettings parseTelephonCfg(const QByteArray& bytes)
{
    DialerSettings settings;
    SettingsReader reader(bytes);
    // Each value is read in turn, so one unreadable line does not shift the others.
    readInteger(reader, settings.TypeNumerotation);
    readInteger(reader, settings.NumPort);
    readInteger(reader, settings.ChoixNumeroteur);
    return settings;
}

void ChargeTelephonCfg(AppState& state)
{
    state.dialer = DialerSettings();
    const QString path = telephonCfgPath(state);
    if (!FichierExiste(path))
        return;
    if (const auto bytes = readWholeFile(path))
        state.dialer = parseTelephonCfg(*bytes);
}

bool SauveTelephonCfg(const AppState& state, Services& services)
{
    if (writeWholeFile(telephonCfgPath(state), telephonCfgBytes(state.dialer)))
        return true;
    if (services.dialogs)
        services.dialogs->msgBox(QStringLiteral("Erreur de sauvegarde!"), vbCritical,
                                 QStringLiteral("Erreur"));
    return false;
}

void loadStartupDialerSettings(AppState& state, Services&)
{
    ChargeTelephonCfg(state);
}

void chooseModemDialer(AppState& state, Services& services)
{
    state.dialer.ChoixNumeroteur = 0;
    SauveTelephonCfg(state, services);
}

void chooseDesktopDialer(AppState& state, Services& services)
{
    state.dialer.ChoixNumeroteur = 1;
    SauveTelephonCfg(state, services);
}
