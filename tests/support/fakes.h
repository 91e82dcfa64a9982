#pragma once

#include "platform/clipboard.h"
#include "platform/desktopservices.h"

#include <QList>
#include <QStringList>
#include <QUrl>

class FakeClipboard : public Clipboard
{
public:
    void clear() override
    {
        m_text.clear();
        ++clears;
    }
    void setText(const QString& text) override { m_text = text; }
    QString text() const override { return m_text; }
    int clears = 0;

private:
    QString m_text;
};

class FakeDesktopServices : public DesktopServices
{
public:
    bool openUrl(const QUrl& url) override
    {
        opened << url;
        return openResult;
    }
    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        started << (QStringList{program} + arguments);
        return startResult;
    }
    QList<QUrl> opened;
    QList<QStringList> started;
    bool openResult = true;
    bool startResult = true;
};
