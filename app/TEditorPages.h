#pragma once
// The main window's page stack: one page for each kind of tree node, loaded
// from the image when its node is selected, and the knock-on of the system
// composition on the pages that offer outputs, relays and message sources.

#include "app/TNavigationTree.h"
#include "report/TReportInput.h"

#include <QStackedWidget>

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
    TEditorPages(TEditorHost& host, QWidget* parent);

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

    TSystemPage* systemPage() const { return m_systemPage; }
    TSettingsPage* settingsPage() const { return m_settingsPage; }
    TAlgorithmPage* algorithmPage() const { return m_algorithmPage; }

private:
    TSystemPage* m_systemPage;
    TSettingsPage* m_settingsPage;
    TPromptPage* m_buttonsPage;
    TPromptPage* m_groupsPage;
    TZonePage* m_zonePage;
    TAlgorithmPage* m_algorithmPage;
    TStagePage* m_stagePage;
    TPromptPage* m_inputsPage;
};
