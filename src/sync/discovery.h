#pragma once

#include <QString>
#include <QUrl>
#include <vector>

class DavClient;

struct AddressBook {
    QString url;  // its full address
    QString name; // its display name (the last part of its path when it has none)
};

struct DiscoveryResult {
    std::vector<AddressBook> books;
    QString error; // French; empty when the server answered
};

// The address books the user reaches from `address`: the address book itself when it is one;
// otherwise the user's principal (RFC 5397), found at that address or through
// /.well-known/carddav (RFC 6764), its address-book home (RFC 6352), and the address books in
// it.
DiscoveryResult discoverAddressBooks(DavClient& client, const QUrl& address);

// The key of a server account's password in the keyring: "user@host[:port]".
QString passwordKey(const QString& user, const QString& address);
