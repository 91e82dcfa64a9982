#include "envelopes/senderprofile.h"

#include <QFont>
#include <QGuiApplication>
#include <cmath>

QString& senderLine(SenderProfile& profile, int n)
{
    switch (n) {
    case 1:
        return profile.Ligne1;
    case 2:
        return profile.Ligne2;
    case 3:
        return profile.Ligne3;
    case 4:
        return profile.Ligne4;
    default:
        return profile.Ligne5;
    }
}

const QString& senderLine(const SenderProfile& profile, int n)
{
    return senderLine(const_cast<SenderProfile&>(profile), n);
}

void AffichExpediteur(SenderProfile& profile)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text;
    if (profile.HeaderExp != 0)
        text = QStringLiteral("Exp : ");
    text += profile.Ligne1 + crlf;
    for (int n = 2; n <= 5; ++n)
        text += senderLine(profile, n) + crlf;
    profile.TexteExp = text;
}

SenderProfile defaultSenderProfile()
{
    SenderProfile p;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        p.FontName = QGuiApplication::font().family();
    AffichExpediteur(p);
    return p;
}

quint32 senderColorRef(double textColor)
{
    if (!std::isfinite(textColor) || textColor <= 0)
        return 0;
    const double rounded = std::round(textColor);
    return rounded >= 16777215.0 ? 16777215u : quint32(rounded);
}
