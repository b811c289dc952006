#include "app/TProjectDrop.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

TProjectDrop::TProjectDrop(QWidget& window, Handlers handlers) : QObject(&window), m_handlers(std::move(handlers))
{
    setObjectName("ProjectDrop");
    window.setAcceptDrops(true);
    window.installEventFilter(this);
    watch(window);
}

void TProjectDrop::watch(QWidget& part)
{
    for (QWidget* child : part.findChildren<QWidget*>())
        if (child->acceptDrops())
            child->installEventFilter(this);
}

QString TProjectDrop::droppedProject(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return QString();
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile())
        return QString();
    const QFileInfo file(url.toLocalFile());
    if (file.suffix().compare(QLatin1String("usr"), Qt::CaseInsensitive) != 0 || file.isDir())
        return QString();
    return file.filePath();
}

bool TProjectDrop::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    // Dropped text is a field's business; the window itself takes no text.
    if (!drop->mimeData()->hasUrls())
        return QObject::eventFilter(watched, event);
    const QString path = droppedProject(drop->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return true;
    }
    if (type != QEvent::Drop) {
        drop->acceptProposedAction();
        return true;
    }
    if (m_handlers.busy()) {
        // Refused as Open is, with its box; the file manager learns that the
        // file was not taken. (Refused while it is dragged over the window,
        // it would never be dropped, and the user would not learn why.)
        drop->setDropAction(Qt::IgnoreAction);
        event->ignore();
        QMetaObject::invokeMethod(this, m_handlers.refused, Qt::QueuedConnection);
        return true;
    }
    drop->acceptProposedAction();
    // The file manager waits until the drop is handled: the save question and
    // the opening come after it.
    QMetaObject::invokeMethod(
        this, [this, path] { m_handlers.open(path); }, Qt::QueuedConnection);
    return true;
}
