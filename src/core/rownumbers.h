#pragma once

#include <QtGlobal>
#include <cstdint>
#include <string>
#include <vector>

// Row numbers in ascending order, kept compactly: each one as its distance from the one before,
// seven bits a byte, so that rows next to each other take one byte each (a list filter's hits
// over a million records in about a megabyte instead of eight).
class RowNumbers
{
public:
    // Adds a row number greater than the last one.
    void push_back(qint64 rowid)
    {
        std::uint64_t gap = std::uint64_t(rowid) - std::uint64_t(m_last);
        while (gap >= 0x80) {
            m_bytes.push_back(char(0x80 | (gap & 0x7F)));
            gap >>= 7;
        }
        m_bytes.push_back(char(gap));
        m_last = rowid;
        ++m_count;
    }
    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    // Memory held, in bytes.
    size_t bytes() const { return m_bytes.capacity(); }
    void shrink() { m_bytes.shrink_to_fit(); }

    // Reads the numbers in order: `next(rowid)` until it returns false.
    class Reader
    {
    public:
        explicit Reader(const RowNumbers& rows)
            : m_at(rows.m_bytes.data()), m_end(m_at + rows.m_bytes.size())
        {
        }
        bool next(qint64& rowid)
        {
            if (m_at == m_end)
                return false;
            std::uint64_t gap = 0;
            int shift = 0;
            for (;;) {
                const auto b = std::uint8_t(*m_at++);
                gap |= std::uint64_t(b & 0x7F) << shift;
                if (b < 0x80)
                    break;
                shift += 7;
            }
            m_last = qint64(std::uint64_t(m_last) + gap);
            rowid = m_last;
            return true;
        }

    private:
        const char* m_at;
        const char* m_end;
        qint64 m_last = 0;
    };

    std::vector<qint64> toVector() const
    {
        std::vector<qint64> v;
        v.reserve(m_count);
        Reader r(*this);
        for (qint64 rowid; r.next(rowid);)
            v.push_back(rowid);
        return v;
    }

private:
    std::string m_bytes;
    qint64 m_last = 0;
    size_t m_count = 0;
};
