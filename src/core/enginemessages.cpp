#include "core/enginemessages.h"

#include "core/recordengine.h"

QString lockedFileMessage(const QString& path)
{
    return QStringLiteral("Le fichier %1 est verrouillé par un autre programme. Réessayez dans "
                          "un instant.")
        .arg(path);
}

QString busyFileMessage(const QString& path)
{
    return QStringLiteral("Le fichier %1 est occupé par un autre programme : la fiche n'a pas "
                          "été enregistrée. Réessayez dans un instant.")
        .arg(path);
}

QString diskFullMessage(const QString& path)
{
    return QStringLiteral("Le disque du fichier %1 est plein : rien n'a été enregistré. "
                          "Libérez de la place, puis réessayez.")
        .arg(path);
}

QString readOnlyFileMessage(const QString& path)
{
    return QStringLiteral("Le fichier %1 ne peut pas être modifié : il est en lecture seule.")
        .arg(path);
}

QString recordChangedElsewhereMessage(const QString& path)
{
    return QStringLiteral("Un autre programme a modifié cette fiche du fichier %1 depuis son "
                          "affichage. Vos modifications n'ont pas été enregistrées ; elles restent "
                          "affichées. Enregistrez de nouveau pour les écrire sur la fiche telle "
                          "qu'elle est maintenant.")
        .arg(path);
}

QString recordChangedBeforeDeleteMessage(const QString& path)
{
    return QStringLiteral("Un autre programme a modifié cette fiche du fichier %1 depuis son "
                          "affichage : elle n'a pas été supprimée. Elle est maintenant affichée "
                          "telle que l'autre programme l'a laissée ; supprimez-la de nouveau si "
                          "vous le voulez toujours.")
        .arg(path);
}

QString recordDeletedElsewhereMessage(const QString& path)
{
    return QStringLiteral("Un autre programme a supprimé ou remplacé cette fiche du fichier %1 "
                          "depuis son affichage : elle n'y est plus. Vos modifications n'ont pas "
                          "été enregistrées ; elles restent affichées. Enregistrez de nouveau pour "
                          "l'ajouter comme nouvelle fiche.")
        .arg(path);
}

QString recordMovedElsewhereMessage(const QString& path)
{
    return QStringLiteral("Un autre programme a réorganisé le fichier %1 depuis l'affichage de "
                          "cette fiche : elle a été retrouvée à une autre place. Vos modifications "
                          "n'ont pas été enregistrées ; elles restent affichées. Enregistrez de "
                          "nouveau pour les écrire sur cette fiche.")
        .arg(path);
}

QString recordMovedBeforeDeleteMessage(const QString& path)
{
    return QStringLiteral("Un autre programme a réorganisé le fichier %1 depuis l'affichage de "
                          "cette fiche : elle n'a pas été supprimée. Elle a été retrouvée à une "
                          "autre place ; supprimez-la de nouveau si vous le voulez toujours.")
        .arg(path);
}

QString recordGoneBeforeDeleteMessage(const QString& path)
{
    return QStringLiteral("Un autre programme a supprimé ou remplacé cette fiche du fichier %1 "
                          "depuis son affichage : elle n'y est plus. Rien n'a été supprimé.")
        .arg(path);
}

QString triggersMessage(const QString& path, const QStringList& names)
{
    return QStringLiteral("Le fichier %1 contient des déclencheurs (%2) : à chaque "
                          "enregistrement, ils pourraient modifier ou supprimer d'autres fiches "
                          "sans que vous le sachiez.")
        .arg(path, names.join(QLatin1String(", ")));
}

QString damagedRecordMessage(const QString& path)
{
    return QStringLiteral("Cette fiche du fichier %1 est endommagée et ne peut pas être lue.")
        .arg(path);
}

QString rowNumberHiddenMessage(const QString& path)
{
    return QStringLiteral("La table des adresses du fichier %1 a des colonnes nommées rowid, oid "
                          "et _rowid_ : ses fiches ne peuvent pas être distinguées.")
        .arg(path);
}

QString noRowNumberMessage(const QString& path)
{
    return QStringLiteral("La table des adresses du fichier %1 ne numérote pas ses lignes "
                          "(WITHOUT ROWID) : ses fiches ne peuvent pas être distinguées.")
        .arg(path);
}

QString numericColumnMessage(const QString& path, const QString& column, const QString& type)
{
    return QStringLiteral("La colonne « %2 » du fichier %1 est de type « %3 » : les textes tapés "
                          "y seraient changés en nombres (« 01000 » deviendrait 1000).")
        .arg(path, column, type);
}

bool isEngineMessage(int number)
{
    switch (number) {
    case errLocked:
    case errBusy:
    case errDiskFull:
    case errReadOnly:
    case errChangedElsewhere:
    case errDeletedElsewhere:
    case errMovedElsewhere:
    case errTriggers:
    case errDamagedRecord:
    case errNoRowNumber:
    case errNumericColumn:
        return true;
    default:
        return false;
    }
}
