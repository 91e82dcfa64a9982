#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Looks for a text in every record of an address file on a thread of its own, through a
// read-only connection of its own, so that typing in the list filter never waits: each new
// request drops the run under way, and only the latest run's result is handed back, on the
// thread that owns this object.
class ListFilter : public QObject
{
    Q_OBJECT
public:
    // Row numbers (ascending) of the records holding the text; `tag` is the request's.
    using Result = std::function<void(quint64 tag, std::vector<qint64> rowids)>;

    explicit ListFilter(Result result, QObject* parent = nullptr);
    ~ListFilter() override;

    // Runs `scanSql` on the file `path` with `folded` (as foldedForFilter gives it) bound: the
    // row numbers of the records holding it, through the SQL function
    // elvarine_holds(text, column...) that the filter's connection has.
    void request(const QString& path, const QString& scanSql, const QString& folded, quint64 tag);
    // Drops the run under way and any request not started.
    void cancel();
    // The run under way is no longer wanted (on the filter's thread).
    bool stale();

private:
    struct Request {
        QString path;
        QString sql;
        QString folded;
        quint64 tag = 0;
    };
    void run();
    bool scan(QSqlDatabase& db, const Request& request, std::vector<qint64>& rowids);

    Result m_result;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    Request m_pending;
    bool m_hasPending = false;
    bool m_quit = false;
    quint64 m_latest = 0;  // the tag of the latest request; a run for another stops
    quint64 m_running = 0; // the tag of the run under way
    std::thread m_thread;
};
