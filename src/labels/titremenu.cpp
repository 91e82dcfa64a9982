#include "labels/titremenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace
{

struct Item {
    TitreCommand command;
    const char* name;
    const char* caption;
};

const Item kItems[kTitreCommandCount] = {
    {TitreCommand::Aucun, "Mnu_TitreAucun", "Aucun"},
    {TitreCommand::Monsieur, "Mnu_TitreMonsieur", "Monsieur"},
    {TitreCommand::Madame, "Mnu_TitreMadame", "Madame"},
    {TitreCommand::Mademoiselle, "Mnu_TitreMademoiselle", "Mademoiselle"},
    {TitreCommand::NomPrenom, "Mnu_NomPrenom", "Nom + Prénom"},
    {TitreCommand::PrenomNom, "Mnu_PrenomNom", "Prénom + Nom"},
    {TitreCommand::NomSociete, "Mnu_NomSociete", "Nom + Société"},
    {TitreCommand::SocieteNom, "Mnu_SocieteNom", "Société + Nom"},
};

} // namespace

TitreMenu::TitreMenu(QMenuBar* bar, const QString& title, AddressOptions& options,
                     const RecordForm& form, ShowBlock show)
    : QObject(bar), m_options(options), m_form(form), m_show(std::move(show))
{
    m_menu = bar->addMenu(title);
    m_menu->setObjectName(QStringLiteral("Mnu_Titre"));
    m_menu->menuAction()->setObjectName(QStringLiteral("Mnu_Titre"));
    for (const Item& item : kItems) {
        if (item.command == TitreCommand::NomPrenom || item.command == TitreCommand::NomSociete)
            m_menu->addSeparator();
        QAction* a = m_menu->addAction(QString::fromUtf8(item.caption));
        a->setObjectName(QLatin1String(item.name));
        a->setCheckable(true);
        const TitreCommand command = item.command;
        connect(a, &QAction::triggered, this, [this, command] { run(command); });
        m_actions[size_t(command)] = a;
    }
    connect(m_menu, &QMenu::aboutToShow, this, &TitreMenu::refreshChecks);
    refreshChecks();
}

void TitreMenu::refreshChecks()
{
    for (int i = 0; i < kTitreCommandCount; ++i)
        m_actions[size_t(i)]->setChecked(titreChecked(m_options, TitreCommand(i)));
}

void TitreMenu::run(TitreCommand command)
{
    applyTitreCommand(m_options, command);
    ComposeAdresse(m_options, m_form);
    // A checkable item toggles itself when chosen; keep the marks true to the options.
    refreshChecks();
    if (m_show)
        m_show(m_options.BlocAdresse);
}

void TitreMenu::affichTitre()
{
    refreshChecks();
    if (m_options.OrdreNom != 1)
        run(TitreCommand::NomPrenom);
    run(m_options.OrdreSociete == 1 ? TitreCommand::SocieteNom : TitreCommand::NomSociete);
}
