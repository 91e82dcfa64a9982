#include "addressgen.h"

#include "core/recordengine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <chrono>
#include <ctime>
#include <malloc.h>
#include <random>

namespace
{

const char* const kNoms[] = {
    "Martin",      "Bernard",   "Dubois",   "Thomas",    "Robert",    "Richard",  "Petit",
    "Durand",      "Leroy",     "Moreau",   "Simon",     "Laurent",   "Lefèvre",  "Michel",
    "Garcia",      "David",     "Bertrand", "Roux",      "Vincent",   "Fournier", "Morel",
    "Girard",      "André",     "Lefebvre", "Mercier",   "Dupont",    "Lambert",  "Bonnet",
    "François",    "Martinez",  "Legrand",  "Garnier",   "Faure",     "Rousseau", "Blanc",
    "Guérin",      "Muller",    "Henry",    "Roussel",   "Nicolas",   "Perrin",   "Morin",
    "Mathieu",     "Clément",   "Gauthier", "Dumont",    "Lopez",     "Fontaine", "Chevalier",
    "Robin",       "Masson",    "Sanchez",  "Gérard",    "Nguyen",    "Boyer",    "Denis",
    "Lemaire",     "Duval",     "Joly",     "Gautier",   "Roger",     "Roche",    "Roy",
    "Noël",        "Meyer",     "Lucas",    "Meunier",   "Jean",      "Pérez",    "Marchand",
    "Dufour",      "Blanchard", "Marie",    "Barbier",   "Brun",      "Dumas",    "Brunet",
    "Schmitt",     "Leroux",    "Colin",    "Fernandez", "Pierre",    "Renard",   "Arnaud",
    "Rolland",     "Caron",     "Aubert",   "Giraud",    "Leclerc",   "Vidal",    "Bourgeois",
    "Renaud",      "Lemoine",   "Picard",   "Gaillard",  "Philippe",  "Leclercq", "Lacroix",
    "Fabre",       "Dupuis",    "Olivier",  "Rodriguez", "Da Silva",  "Hubert",   "Louis",
    "Charles",     "Guillot",   "Rivière",  "Le Gall",   "Guillaume", "Adam",     "Rey",
    "Moulin",      "Gonzalez",  "Berger",   "Lecomte",   "Ménard",    "Fleury",   "Deschamps",
    "Carpentier",  "Julien",    "Benoît",   "Paris",     "Maillard",  "Marchal",  "Aubry",
    "Vasseur",     "Le Roux",   "Renault",  "Jacquet",   "Collet",    "Prévost",  "Poirier",
    "Charpentier", "Royer",     "Huet",     "Baron",     "Dupuy",     "Pons",     "Paul",
    "Laine",       "Carré",     "Breton",   "Rémy",      "Schneider", "Perrot",   "Guyot",
    "Barre",       "Marty",     "Cousin",   "Éluard",    "Œuvrard",   "Ébrard",   "Àlvarez"};
const char* const kPrenoms[] = {
    "Marie",     "Jean",      "Pierre",     "Michel",     "André",      "Philippe",  "René",
    "Louis",     "Alain",     "Jacques",    "Bernard",    "Marcel",     "Daniel",    "Roger",
    "Robert",    "Paul",      "Claude",     "Christian",  "Henri",      "Georges",   "Nicolas",
    "François",  "Patrick",   "Gérard",     "Christophe", "Joseph",     "Julien",    "Maurice",
    "Laurent",   "Frédéric",  "Éric",       "David",      "Stéphane",   "Pascal",    "Sébastien",
    "Alexandre", "Thierry",   "Olivier",    "Thomas",     "Antoine",    "Jeanne",    "Françoise",
    "Monique",   "Catherine", "Nathalie",   "Isabelle",   "Jacqueline", "Anne",      "Sylvie",
    "Martine",   "Madeleine", "Nicole",     "Suzanne",    "Hélène",     "Christine", "Marguerite",
    "Denise",    "Louise",    "Christiane", "Yvonne",     "Valérie",    "Sophie",    "Élodie",
    "Chloé",     "Léa",       "Zoé",        "Inès",       "Noémie",     "Aurélie",   "Cécile",
    "Gaëlle",    "Maëlle",    "Joël",       "Loïc",       "Hervé",      "Mégane"};
const char* const kVilles[] = {"Paris",    "Lyon",       "Marseille",   "Toulouse",      "Nice",
                               "Nantes",   "Strasbourg", "Montpellier", "Bordeaux",      "Lille",
                               "Rennes",   "Reims",      "Le Havre",    "Saint-Étienne", "Toulon",
                               "Grenoble", "Dijon",      "Angers",      "Nîmes",         "Besançon",
                               "Orléans",  "Évreux"};
const char* const kRues[] = {"rue de la Paix",     "avenue Victor-Hugo", "boulevard Gambetta",
                             "place de l'Église",  "rue des Écoles",     "chemin des Prés",
                             "allée des Tilleuls", "impasse du Moulin",  "quai de la Loire"};

template <size_t N> QString pick(const char* const (&list)[N], std::mt19937& rng)
{
    return QString::fromUtf8(list[std::uniform_int_distribution<size_t>(0, N - 1)(rng)]);
}

} // namespace

void generateAddressFile(const QString& path, int count, unsigned seed)
{
    QFile::remove(path);
    auto db = Database::CreateDatabase(path);
    db->CreerDATA();
    std::mt19937 rng(seed);
    QSqlDatabase& sql = db->sql();
    sql.transaction();
    QSqlQuery q(sql);
    q.prepare(QStringLiteral(
        "INSERT INTO Elvarine (Nom, \"Prénom\", \"Société\", Adresse, Adresse1, \"Code postal\", "
        "Ville, \"Téléphone\", \"Téléphone1\", Fax, \"Référence\", Notes, \"E-mail\", Pays, URL, "
        "Portable) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    std::uniform_int_distribution<int> percent(0, 99);
    for (int i = 0; i < count; ++i) {
        QString nom = pick(kNoms, rng);
        if (percent(rng) < 3)
            nom = nom.toUpper();
        else if (percent(rng) < 2)
            nom = nom.toLower();
        const QString prenom = pick(kPrenoms, rng);
        const int cp = std::uniform_int_distribution<int>(1000, 95999)(rng);
        q.addBindValue(nom);
        q.addBindValue(prenom);
        q.addBindValue(percent(rng) < 30 ? QStringLiteral("Établissements ") + pick(kNoms, rng)
                                         : QStringLiteral(" "));
        q.addBindValue(QString::number(1 + i % 120) + QLatin1Char(' ') + pick(kRues, rng));
        q.addBindValue(percent(rng) < 20 ? QStringLiteral("Bâtiment B") : QStringLiteral(" "));
        q.addBindValue(QStringLiteral("%1").arg(cp, 5, 10, QLatin1Char('0')));
        q.addBindValue(pick(kVilles, rng));
        q.addBindValue(QStringLiteral("01 %1 %2 %3 %4")
                           .arg(i % 90 + 10)
                           .arg(i % 77 + 10)
                           .arg(i % 53 + 10)
                           .arg(i % 31 + 10));
        q.addBindValue(QStringLiteral(" "));
        q.addBindValue(percent(rng) < 10 ? QStringLiteral("01 23 45 67 89") : QStringLiteral(" "));
        q.addBindValue(QStringLiteral("R%1").arg(i));
        q.addBindValue(percent(rng) < 5 ? QStringLiteral("Rencontré au salon de Lyon")
                                        : QStringLiteral(" "));
        q.addBindValue(QStringLiteral("%1.%2@exemple.fr").arg(prenom.toLower(), nom.toLower()));
        q.addBindValue(percent(rng) < 90 ? QStringLiteral("France") : QStringLiteral("Belgique"));
        q.addBindValue(percent(rng) < 10 ? QStringLiteral("www.exemple.fr") : QStringLiteral(" "));
        q.addBindValue(QStringLiteral("06 %1").arg(i % 100000000, 8, 10, QLatin1Char('0')));
        q.exec();
    }
    sql.commit();
    q.finish();
    db->Close();
}

QString cachedAddressFile(int count)
{
    const QString path = QDir::temp().filePath(QStringLiteral("elvarine-bench-%1.adb").arg(count));
    if (!QFileInfo::exists(path))
        generateAddressFile(path, count);
    return path;
}

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double elapsedMs(qint64 startNs)
{
    return (nowNs() - startNs) / 1e6;
}

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

long peakResidentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

void resetPeakResident()
{
    malloc_trim(0);
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

int numberArgument(int argc, char** argv, int index, int fallback)
{
    return argc > index ? QString::fromLocal8Bit(argv[index]).toInt() : fallback;
}

void offscreenUnlessChosen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
