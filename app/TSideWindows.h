#pragma once
// The windows beside the main window: the check's findings, the
// cause-and-effect matrix, the comparison, the backups and the acceptance
// test. None is built
// before it is first asked for; what they need from the main window (the
// project, the tree, the link, the project commands, the file dialogs'
// places) they get here. The timeline of the input page draws through it
// too.

#include "app/TAcceptanceHost.h"
#include "app/TBackupsHost.h"
#include "app/TCheckHost.h"
#include "app/TCompareHost.h"
#include "app/TMatrixHost.h"

#include <QObject>
#include <QPointer>

class QWidget;
class TControllerLink;
class TFormAcceptance;
class TFilePlaces;
class TFormBackups;
class TFormCheck;
class TFormCompare;
class TFormMatrix;
class TImage;
class TNavigationTree;
class TProjectCommands;
struct TWindowState;

class TSideWindows : public QObject,
                     public TCheckHost,
                     public TMatrixHost,
                     public TCompareHost,
                     public TBackupsHost,
                     public TAcceptanceHost {
    Q_OBJECT
public:
    struct Parts {
        QWidget& window;
        TProject& project;
        TNavigationTree& tree;
        TFilePlaces& places;
        const TWindowState& state;
    };

    explicit TSideWindows(Parts parts);

    // The link and the commands come after the pages that draw through here.
    void setLink(TControllerLink& link, TProjectCommands& commands);

    // Each window, made when first asked for.
    TFormCheck* check();
    TFormMatrix* matrix();
    TFormCompare* compare();
    TFormBackups* backups();
    TFormAcceptance* acceptance();

    // Before a write of image sends anything: the check's question when it
    // has errors; false when the user did not choose to write.
    bool approveWrite(const TImage& image);
    // The controller may hold another configuration than the last one read.
    void controllerChanged();

    // TCheckHost, TMatrixHost, TCompareHost
    TProject& project() override { return m_parts.project; }
    TFilePlaces& filePlaces() override { return m_parts.places; }
    std::vector<TConfigFinding> findings() const override;
    bool selectFindingNode(const TConfigFinding& finding) override;
    void readAside(std::function<void(const TImage& image)> done) override;

    // TBackupsHost
    void compareWithBackup(const TImage& image, const QString& fileName) override;
    void openBackup(const TImage& image, const QString& projectName) override;
    void writeBackup(const TImage& image, const std::string& serial) override;

    // TAcceptanceHost
    bool saveProject() override;

private:
    // True when a controller is connected; else the user is told.
    bool connected() const;

    Parts m_parts;
    TControllerLink* m_link = nullptr;
    TProjectCommands* m_commands = nullptr;
    // A window destroyed is made again when next asked for.
    QPointer<TFormCheck> m_check;
    QPointer<TFormMatrix> m_matrix;
    QPointer<TFormCompare> m_compare;
    QPointer<TFormBackups> m_backups;
    QPointer<TFormAcceptance> m_acceptance;
};
