#include "scripteddialogs.h"

#include <QTest>

namespace
{

const char* kindName(int kind)
{
    static const char* names[] = {"message box", "input box",   "open dialog",
                                  "save dialog", "font dialog", "colour dialog"};
    return names[kind];
}

QString describe(const FileDialogRequest& r)
{
    return QStringLiteral("title=\"%1\" filter=\"%2\" index=%3 flags=%4 file=\"%5\"")
        .arg(r.title, r.filter)
        .arg(r.filterIndex)
        .arg(r.flags)
        .arg(r.fileName);
}

} // namespace

QString visible(const QString& text)
{
    QString t = text;
    t.replace(QLatin1Char('\r'), QLatin1String("<CR>"));
    t.replace(QLatin1Char('\n'), QLatin1String("<LF>"));
    return t;
}

ScriptedDialogs::~ScriptedDialogs() = default;

void ScriptedDialogs::fail(const QString& message)
{
    QTest::qFail(qPrintable(message), __FILE__, __LINE__);
}

QString ScriptedDialogs::pending() const
{
    QStringList out;
    for (const Step& s : m_script)
        out << QStringLiteral("%1 \"%2\" \"%3\"")
                   .arg(QLatin1String(kindName(s.kind)), visible(s.text), s.title);
    return out.join(QLatin1String("; "));
}

ScriptedDialogs& ScriptedDialogs::expectMessage(const QString& text, int style,
                                                const QString& title, int answer)
{
    Step s;
    s.kind = Message;
    s.text = text;
    s.title = title;
    s.style = style;
    s.answer = answer;
    m_script << s;
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectMessageStartingWith(const QString& prefix, int style,
                                                            const QString& title, int answer)
{
    expectMessage(prefix, style, title, answer);
    m_script.last().prefixOnly = true;
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectInput(const QString& prompt, const QString& title,
                                              const QString& answer,
                                              std::optional<QString> expectedDefault)
{
    Step s;
    s.kind = Input;
    s.text = prompt;
    s.title = title;
    s.answerText = answer;
    s.expectedDefault = std::move(expectedDefault);
    m_script << s;
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectFile(Kind kind, const FileDialogRequest& expected,
                                             std::optional<QString> answer, bool checkFileName)
{
    Step s;
    s.kind = kind;
    s.text = QString();
    s.title = expected.title;
    s.file = expected;
    s.fileAnswer = std::move(answer);
    s.checkFileName = checkFileName;
    m_script << s;
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectOpenFile(const FileDialogRequest& expected,
                                                 std::optional<QString> answer, bool checkFileName)
{
    return expectFile(Open, expected, std::move(answer), checkFileName);
}

ScriptedDialogs& ScriptedDialogs::expectSaveFile(const FileDialogRequest& expected,
                                                 std::optional<QString> answer, bool checkFileName)
{
    return expectFile(Save, expected, std::move(answer), checkFileName);
}

ScriptedDialogs& ScriptedDialogs::expectFont(std::optional<FontSpec> answer,
                                             std::optional<FontSpec> expectedPreset)
{
    Step s;
    s.kind = Font;
    s.fontAnswer = std::move(answer);
    s.fontPreset = std::move(expectedPreset);
    m_script << s;
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectColor(std::optional<quint32> answer,
                                              std::optional<quint32> expectedPreset)
{
    Step s;
    s.kind = Color;
    s.colorAnswer = answer;
    s.colorPreset = expectedPreset;
    m_script << s;
    return *this;
}

ScriptedDialogs& ScriptedDialogs::choosingFilter(int filterIndex)
{
    if (!m_script.isEmpty())
        m_script.last().filterAnswer = filterIndex;
    return *this;
}

ScriptedDialogs& ScriptedDialogs::whenShown(std::function<void()> action)
{
    if (!m_script.isEmpty())
        m_script.last().action = std::move(action);
    return *this;
}

std::optional<ScriptedDialogs::Step> ScriptedDialogs::take(Kind kind, const QString& what)
{
    if (m_script.isEmpty()) {
        fail(QStringLiteral("unexpected %1: %2").arg(QLatin1String(kindName(kind)), what));
        return std::nullopt;
    }
    Step s = m_script.takeFirst();
    if (s.kind != kind) {
        fail(QStringLiteral("expected a %1 \"%2\", got a %3: %4")
                 .arg(QLatin1String(kindName(s.kind)), visible(s.text),
                      QLatin1String(kindName(kind)), what));
        return std::nullopt;
    }
    if (s.action)
        s.action();
    return s;
}

int ScriptedDialogs::msgBox(const QString& text, int style, const QString& title)
{
    const QString what =
        QStringLiteral("\"%1\" title \"%2\" style %3").arg(visible(text), title).arg(style);
    shown << QStringLiteral("msg|%1|%2|%3").arg(title).arg(style).arg(text);
    const auto s = take(Message, what);
    if (!s)
        return (style & 7) == vbYesNo ? vbNo : ((style & 7) == vbOKOnly ? vbOK : vbCancel);
    const bool sameText = s->prefixOnly ? text.startsWith(s->text) : s->text == text;
    if (!sameText || s->title != title || s->style != style)
        fail(QStringLiteral("message box differs: expected \"%1\" title \"%2\" style %3, got %4")
                 .arg(visible(s->text), s->title)
                 .arg(s->style)
                 .arg(what));
    return s->answer;
}

QString ScriptedDialogs::inputBox(const QString& prompt, const QString& title,
                                  const QString& defaultText)
{
    const QString what = QStringLiteral("\"%1\" title \"%2\" default \"%3\"")
                             .arg(visible(prompt), title, defaultText);
    shown << QStringLiteral("input|%1|%2|%3").arg(title, prompt, defaultText);
    const auto s = take(Input, what);
    if (!s)
        return QString();
    if (s->text != prompt || s->title != title)
        fail(QStringLiteral("input box differs: expected \"%1\" title \"%2\", got %3")
                 .arg(visible(s->text), s->title, what));
    if (s->expectedDefault && *s->expectedDefault != defaultText)
        fail(QStringLiteral("input box default: expected \"%1\", got \"%2\"")
                 .arg(*s->expectedDefault, defaultText));
    return s->answerText;
}

static bool sameRequest(const FileDialogRequest& a, const FileDialogRequest& b, bool fileName)
{
    return a.title == b.title && a.filter == b.filter && a.filterIndex == b.filterIndex &&
           a.flags == b.flags && (!fileName || a.fileName == b.fileName);
}

FileDialogAnswer ScriptedDialogs::answerFile(Kind kind, const FileDialogRequest& request)
{
    const QString name = kind == Open ? QStringLiteral("open") : QStringLiteral("save");
    shown << QStringLiteral("%1|%2").arg(name, describe(request));
    const auto s = take(kind, describe(request));
    FileDialogAnswer answer;
    if (!s)
        return answer;
    if (!sameRequest(s->file, request, s->checkFileName))
        fail(QStringLiteral("%1 dialog differs: expected %2, got %3")
                 .arg(name, describe(s->file), describe(request)));
    if (s->fileAnswer) {
        answer.accepted = true;
        answer.path = *s->fileAnswer;
        answer.filterIndex = s->filterAnswer;
    }
    return answer;
}

FileDialogAnswer ScriptedDialogs::openFile(const FileDialogRequest& request)
{
    return answerFile(Open, request);
}

FileDialogAnswer ScriptedDialogs::saveFile(const FileDialogRequest& request)
{
    return answerFile(Save, request);
}

std::optional<FontSpec> ScriptedDialogs::chooseFont(const FontSpec& preset)
{
    shown << QStringLiteral("font|%1|%2").arg(preset.name).arg(preset.size);
    const auto s = take(Font, preset.name);
    if (!s)
        return std::nullopt;
    if (s->fontPreset && !(*s->fontPreset == preset))
        fail(QStringLiteral("font dialog preset differs: expected %1 %2, got %3 %4")
                 .arg(s->fontPreset->name)
                 .arg(s->fontPreset->size)
                 .arg(preset.name)
                 .arg(preset.size));
    return s->fontAnswer;
}

std::optional<quint32> ScriptedDialogs::chooseColor(quint32 preset)
{
    shown << QStringLiteral("color|%1").arg(preset);
    const auto s = take(Color, QString::number(preset));
    if (!s)
        return std::nullopt;
    if (s->colorPreset && *s->colorPreset != preset)
        fail(QStringLiteral("colour dialog preset differs: expected %1, got %2")
                 .arg(*s->colorPreset)
                 .arg(preset));
    return s->colorAnswer;
}
