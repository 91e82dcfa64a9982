#pragma once

#include <QString>

// The system clipboard, plain text only.
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual void clear() = 0;
    virtual void setText(const QString& text) = 0;
    virtual QString text() const = 0;
};

class QtClipboard : public Clipboard
{
public:
    void clear() override;
    void setText(const QString& text) override;
    QString text() const override;
};
