#pragma once

#include <QDialog>
#include <array>

class QRadioButton;
struct AppState;

// The search-criteria window: which fields a search compares.
class OptionRec : public QDialog
{
    Q_OBJECT
public:
    explicit OptionRec(AppState& state, QWidget* parent = nullptr);
    QRadioButton* option(int index) const { return m_options[size_t(index)]; }
    void OptionR_Click(int index);
    void Command1_Click();

private:
    AppState& m_state;
    std::array<QRadioButton*, 9> m_options{};
};
