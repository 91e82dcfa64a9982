#pragma once

#include "core/search/search.h"

#include <QDialog>
#include <array>

class QPushButton;
class QRadioButton;
struct AppState;

// The search-criteria window: which fields a search compares. A criterion applies as soon as
// its option is clicked; "&Fermer" closes the window.
class OptionRec : public QDialog
{
    Q_OBJECT
public:
    explicit OptionRec(AppState& state, QWidget* parent = nullptr);

    void chooseCriterion(int criterion);

    // Controls, for tests.
    QRadioButton* criterionOption(int criterion) const
    {
        return m_criterionOptions[size_t(criterion)];
    }
    QPushButton* closeButton() const { return m_closeButton; }

private:
    AppState& m_state;
    std::array<QRadioButton*, kCriterionCount> m_criterionOptions{}; // OptionR 0..8
    QPushButton* m_closeButton = nullptr;
};
