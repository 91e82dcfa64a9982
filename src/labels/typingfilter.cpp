#include "labels/typingfilter.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

namespace
{

class TypingFilter : public QObject
{
public:
    TypingFilter(const QString& allowed, QObject* parent) : QObject(parent), m_allowed(allowed) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && !accepted(static_cast<QKeyEvent*>(event)->text()))
            return true;
        return QObject::eventFilter(watched, event);
    }

private:
    bool accepted(const QString& typed) const
    {
        for (const QChar c : typed) {
            // Control characters are what backspace, Delete and Ctrl shortcuts type.
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                continue;
            if (!m_allowed.contains(c))
                return false;
        }
        return true;
    }

    QString m_allowed;
};

} // namespace

void allowTypingOnly(QLineEdit* box, const QString& allowed)
{
    box->installEventFilter(new TypingFilter(allowed, box));
}

void limitTyping(QLineEdit* box, int limit)
{
    box->setMaxLength(limit);
    QObject::connect(box, &QLineEdit::textEdited, box, [box, limit](const QString& text) {
        box->setMaxLength(std::max(limit, int(text.size())));
    });
}

void showWholeText(QLineEdit* box, const QString& text, int limit)
{
    box->setMaxLength(std::max(limit, int(text.size())));
    box->setText(text);
}
