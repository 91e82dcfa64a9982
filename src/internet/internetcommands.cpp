#include "internet/internetcommands.h"

#include "core/fieldrules.h"
#include "core/recordform.h"
#include "core/services.h"
#include "platform/desktopservices.h"
#include "platform/dialogs.h"

#include <QAction>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>

const char* const kRemoteAccessOrganisation = "Elvarine";
const char* const kRemoteAccessApplication = "RemoteAccess";
const char* const kInternetProfileKey = "InternetProfile";

namespace
{

// The longest profile name the settings may hold, in bytes.
constexpr int kProfileBytes = 255;

// The text after "key=" on the line of `key` in the general part of the settings file `path`
// (before any section, or under [General]), trimmed; null when there is none.
QString writtenValue(const QString& path, const QString& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 1024 * 1024)
        return QString();
    bool general = true;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            general = line == QLatin1String("[General]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (general && equals > 0 && line.left(equals).trimmed() == key)
            return line.mid(equals + 1).trimmed();
    }
    return QString();
}

} // namespace

QUrl mailtoUrl(const QString& email)
{
    // Only unreserved characters and "@" stay as they are: "?", "&", "#", "%", ",", "/" and
    // the rest are encoded, so nothing of the field reaches the headers part.
    const QByteArray address = QUrl::toPercentEncoding(trimSpaces(email), "@");
    return QUrl::fromEncoded(QByteArrayLiteral("mailto:") + address, QUrl::StrictMode);
}

namespace
{

// The address of `text` as a URL, a missing scheme taken as http; the scheme the text names
// (empty when it names none).
QUrl candidateUrl(const QString& text, QString* namedScheme)
{
    const QString address = trimSpaces(text);
    // A scheme is letters, digits, "+", "-" or "." before the first ":". "host:8080/..." is a
    // host with its port, not a scheme.
    static const QRegularExpression schemeRe(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(.*)$"),
                                             QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression portRe(QStringLiteral("^[0-9]+(/.*)?$"),
                                           QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = schemeRe.match(address);
    const bool hasScheme = m.hasMatch() && !portRe.match(m.captured(2)).hasMatch();
    if (namedScheme)
        *namedScheme = hasScheme ? m.captured(1) : QString();
    return QUrl(hasScheme ? address : QStringLiteral("http://") + address, QUrl::TolerantMode);
}

bool isWebScheme(const QString& scheme)
{
    const QString s = scheme.toLower();
    return s == QLatin1String("http") || s == QLatin1String("https") || s == QLatin1String("ftp");
}

} // namespace

std::optional<QUrl> webUrl(const QString& text)
{
    if (trimSpaces(text).isEmpty())
        return std::nullopt;
    const QUrl url = candidateUrl(text, nullptr);
    if (!url.isValid() || url.host().isEmpty() || !isWebScheme(url.scheme()))
        return std::nullopt;
    return url;
}

QString webAddressRefusal(const QString& text)
{
    QString scheme;
    candidateUrl(text, &scheme);
    const QString start =
        QStringLiteral("L'adresse « %1 » n'a pas été ouverte : ").arg(shownPart(trimSpaces(text)));
    if (!scheme.isEmpty() && !isWebScheme(scheme))
        return start + QStringLiteral("seules les adresses web (http, https ou ftp) sont "
                                      "ouvertes, et celle-ci est de type « %1: ».")
                           .arg(scheme);
    return start + QStringLiteral("ce n'est pas une adresse web valide (le nom du site y manque).");
}

InternetMenuEntry mailMenuEntry(const QString& emailBox)
{
    if (isFilled(emailBox))
        return {QStringLiteral("Envoyer un courrier : ") + trimSpaces(emailBox), true};
    return {QStringLiteral("Envoyer un courrier :"), false};
}

InternetMenuEntry urlMenuEntry(const QString& urlBox)
{
    if (isFilled(urlBox))
        return {QStringLiteral("Se connecter URL : ") + trimSpaces(urlBox), true};
    return {QStringLiteral("Se connecter URL :"), false};
}

void applyMenuEntry(QAction* action, const InternetMenuEntry& entry)
{
    if (!action)
        return;
    action->setText(menuCaptionText(entry.caption));
    action->setEnabled(entry.enabled);
}

QString LireRegistre(const QString& organisation, const QString& application,
                     const QString& valueName)
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation,
                             application);
    if (settings.status() != QSettings::NoError)
        return QString();
    const QVariant value = settings.value(valueName);
    QString text;
    if (value.typeId() == QMetaType::QString) {
        text = value.toString();
    } else if (value.typeId() == QMetaType::QStringList) {
        // A comma outside quotes makes the settings reader cut the text into a list (dropping
        // the spaces around the comma): the name is the text as written. Quotes or escapes in
        // it would need the reader's own rules, so then the pieces are joined again.
        text = writtenValue(settings.fileName(), valueName);
        if (text.isNull() || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\\')))
            text = value.toStringList().join(QLatin1Char(','));
    } else {
        return QStringLiteral(" ");
    }
    if (text.toUtf8().size() > kProfileBytes)
        return QStringLiteral(" ");
    return text;
}

void ConnexionInternet(Services& services)
{
    const QString profile = trimSpaces(LireRegistre(QString::fromLatin1(kRemoteAccessOrganisation),
                                                    QString::fromLatin1(kRemoteAccessApplication),
                                                    QString::fromLatin1(kInternetProfileKey)));
    if (profile.isEmpty()) {
        services.dialogs->msgBox(
            QStringLiteral("Pour utiliser ce programme, vous devez avoir\r\n"
                           "un profil internet défini dans Accés Réseaux à distance."),
            vbOKOnly + vbInformation, QStringLiteral("Avertissement"));
        return;
    }
    // The profile is one argument of its own: spaces or shell characters in it stay part of
    // the name.
    const QStringList arguments{QStringLiteral("connection"), QStringLiteral("up"),
                                QStringLiteral("id"), profile};
    if (!services.desktop->startDetached(QStringLiteral("nmcli"), arguments)) {
        services.dialogs->msgBox(
            QStringLiteral("La commande \"nmcli\" de NetworkManager n'est pas disponible :\r\n"
                           "la connexion à Internet ne peut pas être lancée."),
            vbOKOnly + vbCritical, QStringLiteral("Erreur"));
    }
}

void sendMailToRecord(Services& services, const RecordForm& form)
{
    // The mail program's answer is not looked at: a missing one gives no message.
    services.desktop->openUrl(mailtoUrl(form.fieldText(FieldBox::Email)));
}

void openRecordWebPage(Services& services, const RecordForm& form)
{
    // A missing browser gives no message; an address that is not a web address is not handed to
    // the desktop, and the user is told why.
    const QString text = form.fieldText(FieldBox::Url);
    if (const auto url = webUrl(text))
        services.desktop->openUrl(*url);
    else if (services.dialogs)
        services.dialogs->msgBox(webAddressRefusal(text), vbExclamation,
                                 QStringLiteral("Avertissement"));
}
