#pragma once

#include <QDialog>
#include <QKeySequence>
#include <array>
#include <memory>
#include <optional>

class CommonDialog;
class QAction;
class QBoxLayout;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QVBoxLayout;
class RecordForm;
class TitreMenu;
enum class ListMove;
struct AppState;
struct Services;

// A record button of a print window: where it moves in the main window's name list, its
// objectName and caption, and the name a screen reader gives it when its caption is only an
// arrow (or null).
struct MoveButton {
    ListMove move;
    const char* name;
    const char* caption;
    const char* accessibleName;
};

// What the label window and the envelope window share: the program-wide state they edit and
// the main window's record form, a parameters-file dialog, a menu bar over the window, the
// address preview, the four record buttons, the printer orientation (two buttons, two checkable
// menu items showing what the printer reports, a status label), and the font, colour and
// printer set-up commands. Each window builds its own layout with these pieces.
class AddressPrintWindow : public QDialog
{
    Q_OBJECT

public:
    ~AddressPrintWindow() override;

    // Each time the window becomes active.
    virtual void Form_Activate() = 0;
    // Title and order check marks, then a fresh address block in the address preview.
    virtual void AffichTitre() = 0;

    // Controls, for tests.
    QLabel* addressPreview() const { return m_addressPreview; }
    QPushButton* printButton() const { return m_printButton; }
    QPushButton* previewButton() const { return m_previewButton; }
    // The warning shown beside the preview when a printed line runs past the edge.
    QLabel* overflowWarning() const { return m_overflowWarning; }
    QPushButton* closeButton() const { return m_closeButton; }
    QPushButton* moveButton(ListMove move) const;
    QPushButton* portraitButton() const { return m_portraitButton; }
    QPushButton* landscapeButton() const { return m_landscapeButton; }
    QMenuBar* menuBar() const { return m_menuBar; }

protected:
    // The window named `name` with the caption `title`, its top layout holding the menu bar.
    AddressPrintWindow(AppState& state, Services& services, RecordForm& form, const QString& name,
                       const QString& title, QWidget* parent);

    void showEvent(QShowEvent* event) override;

    // Building.
    QVBoxLayout* topLayout() const;
    // A frame of this window named `name`.
    QGroupBox* makeFrame(const char* name, const QString& title = QString());
    // A push button that Enter in a box does not press.
    QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption);
    // The print preview's button, "Aperçu avant impression" (`cmdApercu`), and the warning about
    // lines running past the edge of `what` ("l'étiquette", "l'enveloppe"), hidden at first.
    QPushButton* makePreviewButton(QWidget* parent);
    QLabel* makeOverflowWarning(QWidget* parent, const QString& what);
    // A warning in the same style, named `name`, hidden at first.
    QLabel* makeWarning(QWidget* parent, const char* name, const QString& text);
    // The four record buttons in a row, in the order given; each runs moveRecord.
    QBoxLayout* makeMoveButtons(const std::array<MoveButton, 4>& buttons);
    // The portrait and landscape buttons, given as objectName and caption.
    void makeOrientationButtons(QWidget* parent, const char* portraitName,
                                const QString& portraitCaption, const char* landscapeName,
                                const QString& landscapeCaption);
    QMenu* addTopMenu(const char* name, const QString& caption);
    // A menu item running `command`; with a shortcut, the shortcut works while the menu bar is
    // closed.
    template <typename Window>
    QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                     void (Window::*command)(), const QKeySequence& key = QKeySequence())
    {
        QAction* a = newItem(menu, name, caption, key);
        connect(a, &QAction::triggered, static_cast<Window*>(this), command);
        return a;
    }
    // "Imprimante en mode Portrait" and "Imprimante en mode Paysage".
    void addOrientationItems(QMenu* menu);

    // Commands.
    virtual void moveRecord(ListMove move) = 0;
    void printerToPortrait();
    void printerToLandscape();
    // The check marks of the orientation items, and with `withStatus` the status label, from
    // what the printer reports; errors leave them as they are.
    void showPrinterOrientation(bool withStatus);
    void chooseFont();
    void chooseColour();
    // After the font or colour commands: the print font or colour may have changed.
    virtual void printFontChanged() {}
    // After the orientation and printer set-up commands: the printer's pages may have changed.
    virtual void printerChanged() {}
    void setUpPrinter();
    // "&Charger des paramètres": the open dialog, then the file chosen read into the print
    // parameters. The file read, or nothing when none was.
    std::optional<QString> loadParameterFile();
    // "&Sauver les paramètres": the save dialog. The file chosen, or nothing on cancel.
    std::optional<QString> askParameterFileToSave();

    AppState& state;
    Services& services;
    RecordForm& form;
    std::unique_ptr<CommonDialog> m_parameterFileDialog;

    QMenuBar* m_menuBar = nullptr;
    QAction* m_portraitAction = nullptr;
    QAction* m_landscapeAction = nullptr;
    TitreMenu* m_titleMenu = nullptr;
    QLabel* m_addressPreview = nullptr;
    QLabel* m_orientationLabel = nullptr;
    QPushButton* m_printButton = nullptr;
    QPushButton* m_previewButton = nullptr;
    QLabel* m_overflowWarning = nullptr;
    QPushButton* m_closeButton = nullptr;
    QPushButton* m_portraitButton = nullptr;
    QPushButton* m_landscapeButton = nullptr;

private:
    QAction* newItem(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& key);
    void switchOrientation(int orientation);

    std::array<QPushButton*, 4> m_moveButtons{}; // by ListMove
};
