#include "app/TEditorPages.h"

#include "editor/TAlgorithmPage.h"
#include "editor/TPromptPage.h"
#include "editor/TSettingsPage.h"
#include "editor/TStagePage.h"
#include "editor/TSystemPage.h"
#include "editor/TZonePage.h"
#include "project/TProject.h"

#include <QDateTime>
#include <QLocale>

#include <string>

TEditorPages::TEditorPages(TEditorHost& host, std::function<QWidget*()> belowAlgorithm, QWidget* parent)
    : QStackedWidget(parent), m_host(host), m_belowAlgorithm(std::move(belowAlgorithm))
{
    setObjectName("PageControl");
}

TEditorPages& TEditorPages::pages() const
{
    auto& self = const_cast<TEditorPages&>(*this);
    if (made())
        return self;
    TEditorHost& host = m_host;
    self.m_systemPage = new TSystemPage(host);
    self.m_settingsPage = new TSettingsPage(host);
    self.m_buttonsPage = new TPromptPage(host, QStringLiteral("  Выберите кнопку для программирования"), "STPult",
                                         QStringLiteral("В конфигурации системы отсутствуют пульты диктора ! "));
    self.m_groupsPage = new TPromptPage(
        host, QStringLiteral("  Выберите группу  телефонного аудио пейджинга"), "StPhone",
        QStringLiteral("В функцональных настройках системы отсутствует телефонный аудио пейджинг ! "));
    self.m_zonePage = new TZonePage(host);
    self.m_algorithmPage = new TAlgorithmPage(host);
    self.m_stagePage = new TStagePage(host);
    self.m_inputsPage = new TPromptPage(host, QStringLiteral("  Выберите вход активации"), QString(), QString());
    // In the order of TNavigationTree::Page.
    for (QWidget* page : std::initializer_list<QWidget*>{m_systemPage, m_settingsPage, m_buttonsPage, m_groupsPage,
                                                         m_zonePage, m_algorithmPage, m_stagePage, m_inputsPage})
        self.addWidget(page);
    if (m_belowAlgorithm)
        m_algorithmPage->addBelow(m_belowAlgorithm());
    emit self.pagesMade();
    return self;
}

void TEditorPages::showPage(TNavigationTree::Page page)
{
    pages();
    setCurrentIndex(page);
    switch (page) {
    case TNavigationTree::PageSystem: m_systemPage->load(); break;
    case TNavigationTree::PageSettings: m_settingsPage->load(); break;
    case TNavigationTree::PageZones: m_zonePage->load(); break;
    case TNavigationTree::PageAlgorithm: m_algorithmPage->load(); break;
    case TNavigationTree::PageStage: m_stagePage->load(); break;
    case TNavigationTree::PageButtons:
    case TNavigationTree::PageGroups:
    case TNavigationTree::PageInputs: break;
    }
}

void TEditorPages::leavePage()
{
    if (made() && currentWidget() == m_algorithmPage)
        m_algorithmPage->leave();
}

void TEditorPages::showClosedBranch(TNavigationTree::Page page, bool shown)
{
    pages();
    (page == TNavigationTree::PageGroups ? m_groupsPage : m_buttonsPage)->setMessageShown(shown);
}

void TEditorPages::setUsableSplitters(int splitters)
{
    pages();
    m_settingsPage->setUsableSplitters(splitters);
    m_stagePage->setUsableSplitters(splitters);
    m_zonePage->setUsableSplitters(splitters);
}

void TEditorPages::setUsableMessageModules(int modules)
{
    pages();
    m_stagePage->setUsableMessageModules(modules);
}

void TEditorPages::setUsableRelayModules(int modules)
{
    pages();
    m_stagePage->setUsableRelayModules(modules);
}

TReportInput TEditorPages::reportInput(const TProject& project) const
{
    TReportInput input;
    input.projectName = project.name();
    // The counts and the music boxes as the pages show them: a count the image
    // holds out of range shows as no entry, a box beyond the composition unticked.
    pages();
    const QStringList counts = m_systemPage->shownCounts();
    input.splitterCount = counts[0].toStdString();
    input.consoleCount = counts[1].toStdString();
    input.messageModuleCount = counts[2].toStdString();
    input.relayModuleCount = counts[3].toStdString();
    input.consoleIndex = m_systemPage->consoles();
    input.phonePaging = project.image().value(Layout::PagingFlag.at(Layout::SystemNode)) != 0;
    input.music = project.image().value(Layout::MusicFlag.at(Layout::SystemNode)) != 0;
    for (int p = 0; p < Layout::OutputBits; ++p)
        input.musicOutputs[static_cast<size_t>(p)] = m_settingsPage->musicBoxTicked(p);
    input.image = project.image();
    input.site = project.siteNames();
    for (int i = 1; i <= Layout::InputCount; ++i)
        input.inputCaptions[static_cast<size_t>(i - 1)] = "IN-" + std::to_string(i) + ' ' + project.inputName(i);
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    input.dateTime
        = (locale.toString(now.date(), QLocale::ShortFormat) + ' ' + locale.toString(now.time(), QLocale::LongFormat))
              .toStdString();
    return input;
}
