#pragma once
// The main window's page stack: one page for each kind of tree node, loaded
// from the image when its node is selected, and the knock-on of the system
// composition on the pages that offer outputs, relays and message sources.
// The pages are hidden until the first project and are made when first
// needed: they are most of what the window would cost at start.

#include "app/TNavigationTree.h"
#include "report/TReportInput.h"

#include <QStackedWidget>

#include <functional>

class TAlgorithmPage;
class TEditorHost;
class TProject;
class TPromptPage;
class TSettingsPage;
class TStagePage;
class TSystemPage;
class TZonePage;

class TEditorPages : public QStackedWidget {
    Q_OBJECT
public:
    // belowAlgorithm makes what the algorithm page shows under its controls.
    TEditorPages(TEditorHost& host, std::function<QWidget*()> belowAlgorithm, QWidget* parent);

    // True once the pages have been made.
    bool made() const { return m_systemPage != nullptr; }

    // Shows the page and loads it from the image; the prompt pages hold nothing to load.
    void showPage(TNavigationTree::Page page);
    // The user leaves the page shown for another node: what it holds typed
    // and not yet applied is applied now.
    void leavePage();
    // The prompt of the buttons or the groups says why its branch does not open.
    void showClosedBranch(TNavigationTree::Page page, bool shown);

    void setUsableSplitters(int splitters);
    void setUsableMessageModules(int modules);
    void setUsableRelayModules(int modules);

    // What the report reads: the project, with the counts and the music's
    // outputs as the pages show them, and the time of the report.
    TReportInput reportInput(const TProject& project) const;

signals:
    // The pages have just been made.
    void pagesMade();

public:
    TSystemPage* systemPage() const { return pages().m_systemPage; }
    TSettingsPage* settingsPage() const { return pages().m_settingsPage; }
    TAlgorithmPage* algorithmPage() const { return pages().m_algorithmPage; }

private:
    // The pages, made now if they have not been.
    TEditorPages& pages() const;

    TEditorHost& m_host;
    std::function<QWidget*()> m_belowAlgorithm;
    TSystemPage* m_systemPage = nullptr;
    TSettingsPage* m_settingsPage = nullptr;
    TPromptPage* m_buttonsPage = nullptr;
    TPromptPage* m_groupsPage = nullptr;
    TZonePage* m_zonePage = nullptr;
    TAlgorithmPage* m_algorithmPage = nullptr;
    TStagePage* m_stagePage = nullptr;
    TPromptPage* m_inputsPage = nullptr;
};
