#include "app/mainwindowlayout.h"
#include "app/namelistview.h"

#include "core/addressschema.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace
{

// Enter or Down arrow moves to the next box in this order; Notes has no successor. The tab
// order follows it too.
constexpr FieldBox kEnterOrder[kFieldBoxCount] = {
    FieldBox::Nom,       FieldBox::Prenom,     FieldBox::Societe,   FieldBox::Adresse,
    FieldBox::Adresse1,  FieldBox::CodePostal, FieldBox::Ville,     FieldBox::Pays,
    FieldBox::Telephone, FieldBox::Telephone1, FieldBox::Fax,       FieldBox::Portable,
    FieldBox::Email,     FieldBox::Url,        FieldBox::Reference, FieldBox::Notes};

// The most characters a field box shows. Laying out the text of a box costs time in proportion
// to its length (a million characters on one line: seconds each time the record shows), so a
// longer value, which another program may have stored, shows its beginning; the box keeps it
// whole for every reader and never cuts it, but the value cannot be edited there: Delete or
// Backspace empties the box, to type another value in its place.
constexpr int kLongestShownInBox = 10000;

// What a field box keeps of a value too long to show whole.
struct LongValue {
    FieldBox box = FieldBox::Nom;
    QString whole;
    bool partial = false;
};

QString partialValueNote(const QString& whole)
{
    return QStringLiteral("Ce champ contient %1 caractères : seul le début est affiché. Sa valeur "
                          "est gardée entière ; pour la remplacer, effacez-la (touche Suppr).")
        .arg(whole.size());
}

// True when `event` empties a box showing a value in part.
bool emptiesPartialValue(const LongValue& value, const QKeyEvent* event)
{
    return value.partial && (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) &&
           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

class FieldLineEdit : public QLineEdit, public LongValue
{
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (emptiesPartialValue(*this, event)) {
            setFieldBoxText(this, box, QString());
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

// The multi-line Notes box keeps to its maximum length like the one-line boxes, and gives its
// text back with the line breaks it was given: a note stored with CR LF (as the program has
// always written them) keeps them, whatever is typed into it.
class NotesEdit : public QPlainTextEdit, public LongValue
{
public:
    using QPlainTextEdit::QPlainTextEdit;
    int maxLength = 255;
    bool crLf = false;
    QString lastAccepted;

    void setText(const QString& text)
    {
        crLf = text.contains(QLatin1String("\r\n"));
        QString shown = text;
        shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        setPlainText(shown);
    }
    QString text() const
    {
        QString t = toPlainText();
        if (crLf)
            t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        return t;
    }
    void enforce()
    {
        const QString t = toPlainText();
        // The length as stored: a CR LF counts two characters.
        const qsizetype stored = t.size() + (crLf ? t.count(QLatin1Char('\n')) : 0);
        if (stored <= maxLength) {
            lastAccepted = t;
            return;
        }
        const QSignalBlocker block(this);
        const int pos = std::min(textCursor().position(), int(lastAccepted.size()));
        setPlainText(lastAccepted);
        QTextCursor c = textCursor();
        c.setPosition(pos);
        setTextCursor(c);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (emptiesPartialValue(*this, event)) {
            setFieldBoxText(this, box, QString());
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
};

QString captionName(const QString& caption)
{
    QString n = caption;
    if (n.endsWith(QLatin1String(" :")))
        n.chop(2);
    return n;
}

QListView* buildNameList(QWidget* parent, QAbstractItemModel& names)
{
    // Every line one height: nothing laid out line by line, whatever the number of lines.
    auto* list = new NameListView(parent);
    setUpNameList(*list, names);
    return list;
}

// The filter box above the name list: Escape empties it; a button in the box empties it too.
class FilterBox : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    // The clear button is added when the box first shows (it is hidden until a file is open):
    // its icon is read through Qt's image plug-ins, which the window need not load to show.
    void showEvent(QShowEvent* event) override
    {
        if (!isClearButtonEnabled())
            setClearButtonEnabled(true);
        QLineEdit::showEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
            !text().isEmpty()) {
            clear();
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

// The sixteen boxes with their captions, each caption the buddy of its box.
void buildFieldBoxes(MainWindowWidgets& w, const QFont& font,
                     const std::function<void(FieldBox)>& boxChanged)
{
    QGroupBox* frame = w.recordFrame;
    for (const ColumnDef& column : kColumns) {
        const FieldBox box = column.box;
        const int number = boxNumber(box);
        QWidget* field = nullptr;
        if (box == FieldBox::Notes) {
            auto* notes = new NotesEdit(frame);
            notes->box = box;
            notes->maxLength = column.boxLength;
            notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            notes->setTabChangesFocus(true);
            notes->setMinimumHeight(60);
            QObject::connect(notes, &QPlainTextEdit::textChanged, frame, [notes, boxChanged] {
                notes->enforce();
                boxChanged(FieldBox::Notes);
            });
            field = notes;
        } else {
            auto* edit = new FieldLineEdit(frame);
            edit->box = box;
            edit->setMaxLength(column.boxLength);
            QObject::connect(edit, &QLineEdit::textChanged, frame,
                             [box, boxChanged] { boxChanged(box); });
            field = edit;
        }
        field->setObjectName(QStringLiteral("txtFields_%1").arg(number));
        field->setFont(font);
        const QString caption = QString::fromUtf16(column.caption);
        auto* label = new QLabel(caption, frame);
        label->setFont(font);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setObjectName(number < 12 ? QStringLiteral("lblLabels_%1").arg(number)
                                         : QStringLiteral("Label%1").arg(number - 11));
        label->setBuddy(field);
        field->setAccessibleName(captionName(caption));
        w.fields[size_t(number)] = field;
        w.captions[size_t(number)] = label;
    }
}

void buildRecordFrame(MainWindowWidgets& w, QWidget* parent, const QFont& font,
                      const std::function<void(FieldBox)>& boxChanged)
{
    w.recordFrame = new QGroupBox(QStringLiteral("Fiche "), parent);
    QGroupBox* frame = w.recordFrame;
    frame->setObjectName(QStringLiteral("Frame2"));
    QFont bold = frame->font();
    bold.setBold(true);
    frame->setFont(bold);
    buildFieldBoxes(w, font, boxChanged);

    auto* grid = new QGridLayout(frame);
    auto place = [&](int row, FieldBox box, int col, int span = 3) {
        grid->addWidget(w.captions[size_t(box)], row, col);
        grid->addWidget(w.fields[size_t(box)], row, col + 1, 1, span);
    };
    place(0, FieldBox::Nom, 0);
    place(1, FieldBox::Prenom, 0);
    place(2, FieldBox::Societe, 0);
    place(3, FieldBox::Adresse, 0);
    place(4, FieldBox::Adresse1, 0);
    place(5, FieldBox::CodePostal, 0, 1);
    place(5, FieldBox::Ville, 2, 1);
    place(6, FieldBox::Pays, 0);
    place(7, FieldBox::Telephone, 0, 1);
    place(7, FieldBox::Telephone1, 2, 1);
    place(8, FieldBox::Fax, 0, 1);
    place(8, FieldBox::Portable, 2, 1);
    place(9, FieldBox::Email, 0);
    place(10, FieldBox::Url, 0);
    place(11, FieldBox::Reference, 0);
    place(12, FieldBox::Notes, 0);
    w.captions[size_t(FieldBox::Notes)]->setAlignment(Qt::AlignRight | Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(12, 1);
    static_cast<QLineEdit*>(w.fields[size_t(FieldBox::CodePostal)])->setMaximumWidth(70);
    // While the form is closed to input its fields stay readable.
    QPalette readable = frame->palette();
    for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        readable.setColor(QPalette::Disabled, role, readable.color(QPalette::Active, role));
    readable.setColor(QPalette::Disabled, QPalette::Base,
                      readable.color(QPalette::Active, QPalette::Window));
    frame->setPalette(readable);

    w.cancelButton = new QPushButton(QStringLiteral("A&nnuler"), frame);
    w.cancelButton->setObjectName(QStringLiteral("CmdAnnul"));
    w.cancelButton->setFont(font);
    w.cancelButton->setVisible(false);
    grid->addWidget(w.cancelButton, 13, 0);

    for (int i = 0; i + 1 < kFieldBoxCount; ++i)
        QWidget::setTabOrder(w.fields[size_t(kEnterOrder[i])],
                             w.fields[size_t(kEnterOrder[i + 1])]);
}

void buildButtonFrame(MainWindowWidgets& w, QWidget* parent)
{
    w.buttonFrame = new QGroupBox(parent);
    w.buttonFrame->setObjectName(QStringLiteral("Frame1"));
    auto* buttons = new QHBoxLayout(w.buttonFrame);
    auto makeButton = [&](const QString& name, const QString& caption) {
        auto* b = new QPushButton(caption, w.buttonFrame);
        b->setObjectName(name);
        buttons->addWidget(b);
        return b;
    };
    w.addButton = makeButton(QStringLiteral("cmdAdd"), QStringLiteral("&Ajouter"));
    w.deleteButton = makeButton(QStringLiteral("cmdDelete"), QStringLiteral("&Supprimer"));
    w.refreshButton = makeButton(QStringLiteral("cmdRefresh"), QStringLiteral("Ac&tualiser"));
    w.updateButton = makeButton(QStringLiteral("cmdUpdate"), QStringLiteral("&Modifier"));
    w.closeButton = makeButton(QStringLiteral("cmdClose"), QStringLiteral("&Quitter"));
}

void buildStatusBar(MainWindowWidgets& w, QMainWindow& window)
{
    w.statusBar = new QStatusBar(&window);
    w.statusBar->setObjectName(QStringLiteral("StatusBar1"));
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(w.statusBar);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panel->setMinimumWidth(2540 / 15);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText); // record data, never markup
        w.statusBar->addWidget(panel, 1);
        w.panels[size_t(i)] = panel;
    }
    w.selectionPanel = new QLabel(w.statusBar);
    w.selectionPanel->setObjectName(QStringLiteral("PanelSelection"));
    w.selectionPanel->setTextFormat(Qt::PlainText);
    w.selectionPanel->setVisible(false);
    w.statusBar->addPermanentWidget(w.selectionPanel);
    window.setStatusBar(w.statusBar);
}

} // namespace

QString startHintText()
{
    return QStringLiteral(
        "Aucun fichier d'adresses n'est ouvert.\n\n"
        "Pour commencer :\n"
        "  \u2022 Fichier > Nouveau (Ctrl+N) crée un fichier d'adresses ;\n"
        "  \u2022 Fichier > Ouvrir (Ctrl+O) ouvre un fichier d'adresses existant ;\n"
        "  \u2022 Fichier > Importer des contacts... reprend les contacts d'un autre carnet "
        "(vCard ou CSV) dans le fichier d'adresses par défaut.");
}

MainWindowWidgets buildMainWindowWidgets(QMainWindow& window, QAbstractItemModel& names,
                                         const std::function<void(FieldBox)>& boxChanged)
{
    MainWindowWidgets w;
    auto* central = new QWidget(&window);
    auto* outer = new QHBoxLayout(central);
    auto* left = new QVBoxLayout;
    left->setContentsMargins(0, 0, 0, 0);
    w.filterBox = new FilterBox(central);
    w.filterBox->setObjectName(QStringLiteral("txtFiltre"));
    w.filterBox->setAccessibleName(QStringLiteral("Filtrer la liste"));
    w.filterBox->setPlaceholderText(QStringLiteral("Filtrer…"));
    left->addWidget(w.filterBox);
    w.nameList = buildNameList(central, names);
    left->addWidget(w.nameList, 1);
    outer->addLayout(left, 2);

    auto* right = new QVBoxLayout;
    outer->addLayout(right, 3);
    // Only the form's own caption is bold.
    QFont normal = window.font();
    normal.setBold(false);
    buildRecordFrame(w, central, normal, boxChanged);
    right->addWidget(w.recordFrame, 1);
    buildButtonFrame(w, central);
    right->addWidget(w.buttonFrame);
    w.startHint = new QLabel(startHintText(), central);
    w.startHint->setObjectName(QStringLiteral("lblCommencer"));
    w.startHint->setTextFormat(Qt::PlainText);
    w.startHint->setWordWrap(true);
    w.startHint->setAlignment(Qt::AlignCenter);
    w.startHint->setMargin(24);
    w.startHint->setVisible(false);
    outer->addWidget(w.startHint, 5);
    window.setCentralWidget(central);
    buildStatusBar(w, window);
    return w;
}

QString fieldBoxText(const QWidget* box)
{
    if (const auto* value = dynamic_cast<const LongValue*>(box); value && value->partial)
        return value->whole;
    if (auto* e = qobject_cast<const QLineEdit*>(box))
        return e->text();
    return static_cast<const NotesEdit*>(box)->text();
}

void setFieldBoxText(QWidget* widget, FieldBox box, const QString& text)
{
    auto* value = dynamic_cast<LongValue*>(widget);
    const bool partial = value && text.size() > kLongestShownInBox;
    QString shown = text;
    if (partial) {
        shown.truncate(kLongestShownInBox);
        shown += QChar(0x2026); // "…"
    }
    if (value) {
        // Set before the text, which tells its change to the window: the box's value is known.
        value->partial = partial;
        value->whole = partial ? text : QString();
    }
    const QString note = partial ? partialValueNote(text) : QString();
    widget->setToolTip(note);
    widget->setAccessibleDescription(note);
    const int design = kColumns[columnOfBox(box)].boxLength;
    if (auto* e = qobject_cast<QLineEdit*>(widget)) {
        e->setReadOnly(partial);
        e->setMaxLength(std::max(design, int(shown.size())));
        e->setText(shown);
    } else {
        auto* notes = static_cast<NotesEdit*>(widget);
        notes->setReadOnly(partial);
        notes->maxLength = std::max(design, int(shown.size()));
        notes->setText(shown);
    }
}

void putCursorAtEnd(QWidget* box)
{
    if (auto* e = qobject_cast<QLineEdit*>(box)) {
        e->deselect();
        e->end(false);
    } else if (auto* notes = qobject_cast<QPlainTextEdit*>(box)) {
        notes->moveCursor(QTextCursor::End);
    }
}

std::optional<FieldBox> nextBox(FieldBox box)
{
    for (int i = 0; i + 1 < kFieldBoxCount; ++i) {
        if (kEnterOrder[i] == box)
            return kEnterOrder[i + 1];
    }
    return std::nullopt;
}

void setUpNameList(QListView& list, QAbstractItemModel& names)
{
    list.setObjectName(QStringLiteral("List1"));
    list.setModel(&names);
    list.setUniformItemSizes(true);
    // Scrolled by pixels, a wheel step still a line's height.
    list.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The usual extended selection: Ctrl+click, Shift+click, Shift+arrows, Ctrl+A. The record
    // shown is the one of the current line, the last one clicked or reached.
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    list.setEditTriggers(QAbstractItemView::NoEditTriggers);
    list.setAccessibleName(QStringLiteral("Liste des noms"));
    list.setMinimumWidth(160);
}
