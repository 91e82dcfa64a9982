#include "core/listfilter.h"

#include "core/namelist.h"

#include <QAtomicInteger>
#include <QMetaObject>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <memory>
#include <sqlite3.h>
#include <string>

namespace
{

QAtomicInteger<quint64> g_filterConnections;

// elvarine_holds(text, column...): 1 when one of the columns, letter case and accents aside,
// holds `text` (folded already).
void holds(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    thread_local std::u16string folded;
    std::u16string local;
    const auto* needle = static_cast<const std::u16string*>(sqlite3_get_auxdata(context, 0));
    if (!needle) {
        const auto* text = static_cast<const char16_t*>(sqlite3_value_text16(argv[0]));
        local.assign(text ? text : u"", size_t(sqlite3_value_bytes16(argv[0]) / 2));
        sqlite3_set_auxdata(context, 0, new std::u16string(local),
                            [](void* p) { delete static_cast<std::u16string*>(p); });
        needle = &local;
    }
    folded.clear();
    for (int i = 1; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) != SQLITE_NULL) {
            const auto* text = static_cast<const QChar*>(sqlite3_value_text16(argv[i]));
            const int bytes = sqlite3_value_bytes16(argv[i]);
            if (text)
                appendFolded(QStringView(text, bytes / 2), folded);
        }
        folded.push_back(u'\x01');
    }
    sqlite3_result_int(context, folded.find(*needle) != std::u16string::npos ? 1 : 0);
}

// A run for a request no longer the latest stops at SQLite's next check.
int stopWhenStale(void* filter)
{
    return static_cast<ListFilter*>(filter)->stale() ? 1 : 0;
}

sqlite3* handleOf(QSqlDatabase& db)
{
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

} // namespace

ListFilter::ListFilter(Result result, QObject* parent)
    : QObject(parent), m_result(std::move(result)), m_thread([this] { run(); })
{
}

ListFilter::~ListFilter()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
        m_latest = 0;
    }
    m_wake.notify_all();
    m_thread.join();
}

void ListFilter::request(const QString& path, const QString& scanSql, const QString& folded,
                         quint64 tag)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_pending = {path, scanSql, folded, tag};
        m_hasPending = true;
        m_latest = tag;
    }
    m_wake.notify_all();
}

void ListFilter::cancel()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_hasPending = false;
    m_latest = 0;
}

void ListFilter::run()
{
    const QString connection =
        QStringLiteral("elvarine-filter-%1").arg(g_filterConnections.fetchAndAddRelaxed(1));
    QString openPath;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000;QSQLITE_OPEN_READONLY"));
        for (;;) {
            Request request;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return m_quit || m_hasPending; });
                if (m_quit)
                    break;
                request = m_pending;
                m_hasPending = false;
            }
            if (request.path != openPath) {
                db.close();
                db.setDatabaseName(request.path);
                openPath = db.open() ? request.path : QString();
                if (sqlite3* handle = db.isOpen() ? handleOf(db) : nullptr) {
                    sqlite3_create_function_v2(handle, "elvarine_holds", -1,
                                               SQLITE_UTF16 | SQLITE_DETERMINISTIC, nullptr, holds,
                                               nullptr, nullptr, nullptr);
                    sqlite3_progress_handler(handle, 20000, stopWhenStale, this);
                }
            }
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_running = request.tag;
            }
            std::vector<qint64> rowids;
            if (!scan(db, request, rowids))
                continue;
            auto found = std::make_shared<std::vector<qint64>>(std::move(rowids));
            const quint64 tag = request.tag;
            QMetaObject::invokeMethod(
                this,
                [this, tag, found] {
                    bool latest;
                    {
                        const std::lock_guard<std::mutex> lock(m_mutex);
                        latest = tag == m_latest;
                    }
                    if (latest)
                        m_result(tag, std::move(*found));
                },
                Qt::QueuedConnection);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

bool ListFilter::stale()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_quit || m_latest != m_running;
}

bool ListFilter::scan(QSqlDatabase& db, const Request& request, std::vector<qint64>& rowids)
{
    if (!db.isOpen())
        return !stale();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(request.sql);
    q.addBindValue(request.folded);
    if (!q.exec())
        return !stale();
    while (q.next())
        rowids.push_back(q.value(0).toLongLong());
    q.finish();
    return !stale();
}
