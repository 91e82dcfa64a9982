#pragma once

#include <QString>
#include <QUrl>
#include <optional>

class QAction;
class RecordForm;
struct Services;

// "mailto:" with `email` (trimmed) as the address part. Every character that could start a
// query, a fragment or another header is percent-encoded, so the field's text can only ever be
// an address, never add headers, a body or attachments.
QUrl mailtoUrl(const QString& email);

// The web address of `text` (trimmed) when it may be handed to the browser: http, https and ftp
// addresses with a host; text without a scheme ("www.exemple.fr") is taken as http. Anything
// else (a local path, "file:", another scheme) gives nothing.
std::optional<QUrl> webUrl(const QString& text);
// Why webUrl refuses `text`, in a French sentence naming the address.
QString webAddressRefusal(const QString& text);

// How an Edition-menu entry looks when the menu opens.
struct InternetMenuEntry {
    QString caption;
    bool enabled = false;
};
// "Envoyer un courrier : " + the trimmed e-mail, enabled, when the box holds more than one
// character; else "Envoyer un courrier :", disabled.
InternetMenuEntry mailMenuEntry(const QString& emailBox);
// The same for "Se connecter URL :" and the web-address box.
InternetMenuEntry urlMenuEntry(const QString& urlBox);
// Applies `entry` to a menu action; ampersands of the caption show as themselves.
void applyMenuEntry(QAction* action, const InternetMenuEntry& entry);

// Where the dial-up profile name is kept in the user's settings (native format).
extern const char* const kRemoteAccessOrganisation; // "Elvarine"
extern const char* const kRemoteAccessApplication;  // "RemoteAccess"
extern const char* const kInternetProfileKey;       // "InternetProfile"

// The text value `valueName` of the user's settings `organisation`/`application`: the value,
// whole even with commas in it; an empty text when the settings cannot be opened (unreadable or
// damaged); one space when the value is missing, is not a text or is longer than 255 bytes.
QString LireRegistre(const QString& organisation, const QString& application,
                     const QString& valueName);

// Starts the user's internet connection: the NetworkManager connection named by the profile
// ("nmcli connection up id <profile>", detached, not waited for). Without a profile, the
// "Avertissement" message; when nmcli cannot be started, an "Erreur" message.
void ConnexionInternet(Services& services);

// "Envoyer un courrier": a new mail to the e-mail address of the record shown, in the user's
// mail program.
void sendMailToRecord(Services& services, const RecordForm& form);
// "Se connecter URL": the web address of the record shown, in the user's browser; an address
// that webUrl refuses is not opened, and an "Avertissement" message says why.
void openRecordWebPage(Services& services, const RecordForm& form);
