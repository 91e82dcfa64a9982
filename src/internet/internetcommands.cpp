#include "internet/internetcommands.h"

#include "core/fieldrules.h"
#include "core/recordform.h"
#include "core/services.h"
#include "platform/desktopservices.h"
#include "platform/dialogs.h"

#include <QAction>
#include <QRegularExpression>
#include <QSettings>

const char* const kRemoteAccessOrganisation = "Elvarine";
const char* const kRemoteAccessApplication = "RemoteAccess";
const char* const kInternetProfileKey = "InternetProfile";

namespace
{

// The longest profile name the settings may hold, in bytes.
constexpr int kProfileBytes = 255;

} // namespace

QUrl mailtoUrl(const QString& email)
{
    // Only unreserved characters and "@" stay as they are: "?", "&", "#", "%", ",", "/" and
    // the rest are encoded, so nothing of the field reaches the headers part.
    const QByteArray address = QUrl::toPercentEncoding(trimSpaces(email), "@");
    return QUrl::fromEncoded(QByteArrayLiteral("mailto:") + address, QUrl::StrictMode);
}

std::optional<QUrl> webUrl(const QString& text)
{
    const QString address = trimSpaces(text);
    if (address.isEmpty())
        return std::nullopt;
    // A scheme is letters, digits, "+", "-" or "." before the first ":". "host:8080/..." is a
    // host with its port, not a scheme.
    static const QRegularExpression schemeRe(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(.*)$"),
                                             QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression portRe(QStringLiteral("^[0-9]+(/.*)?$"),
                                           QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = schemeRe.match(address);
    const bool hasScheme = m.hasMatch() && !portRe.match(m.captured(2)).hasMatch();
    const QString candidate = hasScheme ? address : QStringLiteral("http://") + address;

    const QUrl url(candidate, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https") &&
        scheme != QLatin1String("ftp"))
        return std::nullopt;
    return url;
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
    if (value.typeId() != QMetaType::QString)
        return QStringLiteral(" ");
    const QString text = value.toString();
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
    // Addresses that are not web addresses are not opened, without a message, like a missing
    // browser.
    if (const auto url = webUrl(form.fieldText(FieldBox::Url)))
        services.desktop->openUrl(*url);
}
