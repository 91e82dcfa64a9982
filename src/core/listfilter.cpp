#include "core/listfilter.h"

#include "core/namelist.h"

#include <QAtomicInteger>
#include <QMetaObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <memory>

namespace
{

QAtomicInteger<quint64> g_filterConnections;

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

bool ListFilter::scan(QSqlDatabase& db, const Request& request, std::vector<qint64>& rowids)
{
    const auto stale = [this, &request] {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_quit || m_latest != request.tag;
    };
    if (!db.isOpen())
        return !stale();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(request.sql))
        return !stale();
    int sinceCheck = 0;
    while (q.next()) {
        if (++sinceCheck == 2048) {
            sinceCheck = 0;
            if (stale())
                return false;
        }
        if (foldedForFilter(q.value(1).toString()).contains(request.folded))
            rowids.push_back(q.value(0).toLongLong());
    }
    q.finish();
    return !stale();
}
