#pragma once
// A project file dropped anywhere on a window: the window and every field in
// it that takes dropped text leave files to this filter, which accepts one
// local .usr file and refuses anything else. Fields keep their dropped text.

#include <QObject>
#include <QString>

#include <functional>
#include <utility>

class QMimeData;
class QWidget;

class TProjectDrop : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        // True while a drop may not replace the project.
        std::function<bool()> busy;
        // Runs after a drop refused because of busy.
        std::function<void()> refused;
        // Runs after a drop was taken, with the file's path.
        std::function<void(const QString& path)> open;
    };

    // Watches the window and its children as they are now.
    TProjectDrop(QWidget& window, Handlers handlers);
    // Watches the fields of a part of the window made since.
    void watch(QWidget& part);

    // The local .usr file that a drop carries, or an empty text.
    static QString droppedProject(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handlers m_handlers;
};
