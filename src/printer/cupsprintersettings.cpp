#include "printer/cupsprintersettings.h"

#include "printer/cupslibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSizeF>

#include <pwd.h>
#include <unistd.h>

namespace
{

// A printer name as CUPS takes it: "queue" or "queue/instance".
struct DestName {
    QByteArray name;
    QByteArray instance;
    explicit DestName(const QString& printer)
        : name(printer.section(QLatin1Char('/'), 0, 0).toLocal8Bit()),
          instance(printer.section(QLatin1Char('/'), 1).toLocal8Bit())
    {
    }
    const char* instanceOrNull() const
    {
        return instance.isEmpty() ? nullptr : instance.constData();
    }
};

// The printer's destination as CUPS gives it to this user (the server's defaults, then the
// options files), freed on the way out.
class NamedDest
{
public:
    explicit NamedDest(const QString& printer)
    {
        if (printer.isEmpty())
            return;
        const DestName dest(printer);
        m_dest = cupslib::cupsGetNamedDest(CUPS_HTTP_DEFAULT, dest.name.constData(),
                                           dest.instanceOrNull());
    }
    ~NamedDest()
    {
        if (m_dest)
            cupslib::cupsFreeDests(1, m_dest);
    }
    NamedDest(const NamedDest&) = delete;
    NamedDest& operator=(const NamedDest&) = delete;

    explicit operator bool() const { return m_dest != nullptr; }
    const char* option(const char* name) const
    {
        return m_dest ? cupslib::cupsGetOption(name, m_dest->num_options, m_dest->options)
                      : nullptr;
    }

private:
    cups_dest_t* m_dest = nullptr;
};

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// The options of a line, one token each as written ("name", "name=value", quoted values,
// backslashes and {collections} kept whole).
QList<QByteArray> optionTokens(const QByteArray& text)
{
    QList<QByteArray> tokens;
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSpace(text[i]))
            ++i;
        if (i >= text.size())
            break;
        const qsizetype start = i;
        char quote = 0;
        int braces = 0;
        while (i < text.size()) {
            const char c = text[i];
            if (c == '\\' && i + 1 < text.size()) {
                i += 2;
                continue;
            }
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '{') {
                ++braces;
            } else if (c == '}' && braces > 0) {
                --braces;
            } else if (isSpace(c) && braces == 0) {
                break;
            }
            ++i;
        }
        tokens << text.mid(start, i - start);
    }
    return tokens;
}

// The orientation options CUPS reads: orientation-requested, and landscape (nolandscape).
bool isOrientationOption(const QByteArray& token)
{
    const qsizetype equals = token.indexOf('=');
    const QByteArray name = (equals < 0 ? token : token.left(equals)).toLower();
    return name == "orientation-requested" || name == "landscape" || name == "nolandscape";
}

// Whether `line` is the "Dest" or "Default" line of `printer`; `nameEnd` then gets where its
// printer name ends.
bool isLineOf(const QByteArray& line, const DestName& printer, qsizetype* nameEnd)
{
    qsizetype i = 0;
    while (i < line.size() && isSpace(line[i]))
        ++i;
    const qsizetype keywordStart = i;
    while (i < line.size() && !isSpace(line[i]))
        ++i;
    const QByteArray keyword = line.mid(keywordStart, i - keywordStart).toLower();
    if (keyword != "dest" && keyword != "default")
        return false;
    while (i < line.size() && isSpace(line[i]))
        ++i;
    const qsizetype nameStart = i;
    while (i < line.size() && !isSpace(line[i]))
        ++i;
    const QByteArray full = line.mid(nameStart, i - nameStart);
    const qsizetype slash = full.indexOf('/');
    const QByteArray name = slash < 0 ? full : full.left(slash);
    const QByteArray instance = slash < 0 ? QByteArray() : full.mid(slash + 1);
    if (name.isEmpty() || name.toLower() != printer.name.toLower() ||
        instance.toLower() != printer.instance.toLower())
        return false;
    *nameEnd = i;
    return true;
}

QByteArray orientationOption(int orientation)
{
    return orientation == 2 ? QByteArrayLiteral("orientation-requested=4")
                            : QByteArrayLiteral("orientation-requested=3");
}

// The home folder CUPS takes for this user: HOME, else the account's.
QString userHome()
{
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty())
        return home;
    if (const passwd* pw = getpwuid(getuid()))
        return QFile::decodeName(pw->pw_dir);
    return QDir::homePath();
}

// The print server's own words about why a printer refuses documents (printer-state-message).
QString stateMessage(const char* printerUri)
{
    if (!printerUri || !*printerUri)
        return QString();
    ipp_t* request = cupslib::ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    cupslib::ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                          printerUri);
    cupslib::ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                          nullptr, "printer-state-message");
    ipp_t* response = cupslib::cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    QString message;
    if (response) {
        if (ipp_attribute_t* a =
                cupslib::ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT))
            message = QString::fromUtf8(cupslib::ippGetString(a, 0, nullptr)).trimmed();
        cupslib::ippDelete(response);
    }
    return message;
}

} // namespace

CupsPrinterSettings::CupsPrinterSettings(const QString& optionsFile) : m_optionsFile(optionsFile) {}

QString CupsPrinterSettings::optionsFile() const
{
    return m_optionsFile.isEmpty() ? userHome() + QStringLiteral("/.cups/lpoptions")
                                   : m_optionsFile;
}

QString CupsPrinterSettings::defaultPrinter()
{
    cups_dest_t* dest = cupslib::cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest)
        return QString();
    QString name = QString::fromLocal8Bit(dest->name);
    if (dest->instance && *dest->instance)
        name += QLatin1Char('/') + QString::fromLocal8Bit(dest->instance);
    cupslib::cupsFreeDests(1, dest);
    return name;
}

std::optional<int> CupsPrinterSettings::orientationFromIpp(const QByteArray& value)
{
    bool ok = false;
    const int v = value.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    switch (v) {
    case 3: // portrait
    case 6: // reverse portrait
        return 1;
    case 4: // landscape
    case 5: // reverse landscape
        return 2;
    default:
        return std::nullopt;
    }
}

std::optional<QPageSize> CupsPrinterSettings::paperFromMedia(const QByteArray& media)
{
    const QByteArray name = media.split(',').value(0).trimmed();
    if (name.isEmpty())
        return std::nullopt;
    pwg_media_t* pwg = cupslib::pwgMediaForPWG(name.constData());
    if (!pwg)
        pwg = cupslib::pwgMediaForLegacy(name.constData());
    if (!pwg)
        pwg = cupslib::pwgMediaForPPD(name.constData());
    if (!pwg || pwg->width <= 0 || pwg->length <= 0)
        return std::nullopt;
    // Hundredths of a millimetre; a standard size is recognised as such.
    const QPageSize size(QSizeF(pwg->width / 100.0, pwg->length / 100.0), QPageSize::Millimeter);
    return size.isValid() ? std::optional<QPageSize>(size) : std::nullopt;
}

std::optional<int> CupsPrinterSettings::orientation(const QString& printer)
{
    const NamedDest dest(printer);
    if (const char* value = dest.option("orientation-requested"))
        return orientationFromIpp(QByteArray(value));
    return std::nullopt;
}

std::optional<QPageSize> CupsPrinterSettings::paperSize(const QString& printer)
{
    const NamedDest dest(printer);
    if (const char* media = dest.option("media"))
        return paperFromMedia(QByteArray(media));
    return std::nullopt;
}

QString CupsPrinterSettings::refusal(const QString& printer)
{
    const NamedDest dest(printer);
    const char* accepting = dest.option("printer-is-accepting-jobs");
    if (!accepting || qstricmp(accepting, "false") != 0)
        return QString();
    QString text =
        QStringLiteral("L'imprimante %1 n'accepte pas de documents pour le moment").arg(printer);
    const QString message = stateMessage(dest.option("printer-uri-supported"));
    return message.isEmpty() ? text + QLatin1Char('.') : text + QStringLiteral(" : ") + message;
}

QByteArray CupsPrinterSettings::withOrientation(const QByteArray& file, const QString& printer,
                                                int orientation)
{
    const DestName dest(printer);
    QByteArray out;
    bool found = false;
    qsizetype pos = 0;
    while (pos < file.size()) {
        qsizetype end = file.indexOf('\n', pos);
        end = end < 0 ? file.size() : end + 1;
        const QByteArray whole = file.mid(pos, end - pos);
        pos = end;
        // The line without its end (LF, or CR LF).
        qsizetype bodyEnd = whole.size();
        if (bodyEnd > 0 && whole[bodyEnd - 1] == '\n')
            --bodyEnd;
        if (bodyEnd > 0 && whole[bodyEnd - 1] == '\r')
            --bodyEnd;
        const QByteArray body = whole.left(bodyEnd);
        qsizetype nameEnd = 0;
        if (!isLineOf(body, dest, &nameEnd)) {
            out += whole;
            continue;
        }
        found = true;
        QByteArray line = body.left(nameEnd);
        for (const QByteArray& token : optionTokens(body.mid(nameEnd))) {
            if (!isOrientationOption(token))
                line += ' ' + token;
        }
        line += ' ' + orientationOption(orientation);
        out += line + whole.mid(bodyEnd);
    }
    if (!found) {
        if (!out.isEmpty() && !out.endsWith('\n'))
            out += '\n';
        out += "Dest " + printer.toLocal8Bit() + ' ' + orientationOption(orientation) + '\n';
    }
    return out;
}

bool CupsPrinterSettings::store(const QString& printer, int orientation)
{
    if (printer.isEmpty() || !NamedDest(printer))
        return false;
    const QString path = optionsFile();
    QByteArray before;
    {
        QFile existing(path);
        if (existing.exists()) {
            if (!existing.open(QIODevice::ReadOnly))
                return false;
            before = existing.readAll();
        }
    }
    // The folder, when it is new, is the user's alone, as CUPS makes it.
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo::exists(folder)) {
        if (!QDir().mkpath(folder))
            return false;
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(withOrientation(before, printer, orientation));
    return file.commit();
}
