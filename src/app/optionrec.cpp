#include "app/optionrec.h"

#include "core/appstate.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

OptionRec::OptionRec(AppState& state, QWidget* parent) : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("OptionRec"));
    setWindowTitle(QStringLiteral("Options de recherche"));
    auto* layout = new QVBoxLayout(this);
    auto* frame = new QGroupBox(QStringLiteral("Critères de recherche"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(frame);
    for (int i = 0; i < kCriterionCount; ++i) {
        auto* option = new QRadioButton(criterionCaption(i), frame);
        option->setObjectName(QStringLiteral("OptionR_%1").arg(i));
        // Six in the left column, three in the right one.
        grid->addWidget(option, i < 6 ? i : i - 6, i < 6 ? 0 : 1);
        connect(option, &QRadioButton::clicked, this, [this, i] { chooseCriterion(i); });
        m_criterionOptions[size_t(i)] = option;
    }
    layout->addWidget(frame);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_closeButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                                    QStringLiteral("&Fermer"), this);
    m_closeButton->setObjectName(QStringLiteral("Command1"));
    m_closeButton->setToolTip(QStringLiteral("Ferme la fenêtre et applique avec l'option choisie"));
    m_closeButton->setDefault(true);
    connect(m_closeButton, &QPushButton::clicked, this, &OptionRec::accept);
    buttons->addWidget(m_closeButton);
    layout->addLayout(buttons);

    // The criterion in use is selected on opening.
    if (m_state.search.CritereRech >= 0 && m_state.search.CritereRech < kCriterionCount)
        criterionOption(m_state.search.CritereRech)->setChecked(true);
}

void OptionRec::chooseCriterion(int criterion)
{
    m_state.search.CritereRech = criterion;
}
